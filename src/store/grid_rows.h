// The rows a grid shows, read apart from the table's cursor. A grid repaints
// whenever its window likes, also while a command walks the same table (a
// generation run standing on an entry); so it reads through a statement of its
// own, in the order of the table's current index, and never moves the table's
// current row, its state or its prepared statements. Grids hold what was read
// and read again when the connection announces a change of their table
// (Database::addChangeListener).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/table.h"

namespace tessary::store {

struct GridRow {
  int64_t rowId = 0;  // the table's bookmark of the row
  std::vector<std::string> values;
};

// Every row of the open table in its current index order (the same order as
// first()/next(), rows of equal key included), the named columns as
// Table::asString reads them (null -> empty, integers in decimal, date-times
// "yyyy-mm-dd hh:nn:ss"). One statement for the whole read. Raises StoreError
// when the table is not open, a column is missing, or a column is a memo or
// blob column (those are never shown in a grid); the table is untouched.
std::vector<GridRow> readGridRows(Table& table, const std::vector<std::string>& columns);

}  // namespace tessary::store
