#include "store/grid_rows.h"

#include <sqlite3.h>

namespace tessary::store {

namespace {

std::string quoted(const std::string& name) {
  std::string out = "\"";
  for (const char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string columnText(sqlite3_stmt* st, int col, FieldType type) {
  switch (sqlite3_column_type(st, col)) {
    case SQLITE_NULL:
      return std::string();
    case SQLITE_INTEGER:
      return scalarText(type, StoredKind::Integer, sqlite3_column_int64(st, col), 0, {});
    case SQLITE_FLOAT:
      return scalarText(type, StoredKind::Real, 0, sqlite3_column_double(st, col), {});
    case SQLITE_TEXT: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
      const std::string_view s(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(st, col)));
      return scalarText(type, StoredKind::Text, 0, 0, s);
    }
    default: {
      const void* p = sqlite3_column_blob(st, col);
      const std::string_view s(p ? static_cast<const char*>(p) : "",
                               static_cast<size_t>(sqlite3_column_bytes(st, col)));
      return scalarText(type, StoredKind::Blob, 0, 0, s);
    }
  }
}

}  // namespace

std::vector<GridRow> readGridRows(Table& table, const std::vector<std::string>& columns) {
  if (!table.isOpen()) throw StoreError("Table " + table.name() + " is not open");
  std::vector<FieldType> types;
  types.reserve(columns.size());
  std::string sql = "SELECT rowid";
  for (const std::string& c : columns) {
    const std::optional<FieldType> type = table.fieldType(c);
    if (!type) throw StoreError("Field " + c + " not found in table " + table.name());
    if (*type == FieldType::Memo || *type == FieldType::Blob)
      throw StoreError("Field " + c + " of " + table.name() + " is a memo or blob column; a grid cannot show it");
    types.push_back(*type);
    sql += ", " + quoted(c);
  }
  sql += " FROM " + quoted(table.name()) + " ORDER BY " + table.orderByClause();

  Database& db = table.database();
  Statement st = db.prepare(sql);
  std::vector<GridRow> rows;
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    GridRow row;
    row.rowId = sqlite3_column_int64(st.get(), 0);
    row.values.reserve(types.size());
    for (size_t k = 0; k < types.size(); ++k)
      row.values.push_back(columnText(st.get(), static_cast<int>(k) + 1, types[k]));
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) db.fail("Cannot read table " + table.name());
  return rows;
}

}  // namespace tessary::store
