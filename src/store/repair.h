// Repair of a damaged blog file: every row that SQLite can still read from the
// six tables is copied, with its key, into a new blog file; the log names each
// table with the rows copied and the rows lost.
//
// The rows of a table are found twice over: by walking the table itself (a
// damaged stretch is stepped over by seeking past it) and by walking each of
// its indexes, which hold every row's key apart from the rows. A row known from
// either walk that cannot be read whole (a damaged page, a compressed value
// that does not inflate) counts as lost. Rows whose pages and index entries are
// both gone cannot be seen, and so cannot be counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/progress_handlers.h"

namespace tessary::store {

struct RepairTableCount {
  std::string table;
  bool found = false;  // the table could be read from the damaged file
  int64_t copied = 0;
  int64_t lost = 0;
};

struct RepairResult {
  // True only when every table was found and no row was lost.
  bool ok = false;
  std::string log;
  std::vector<RepairTableCount> tables;
};

// Repairs `source` into `target` (replaced when it exists). The source is only
// read. When the source cannot be read at all (missing, not a database, its
// list of tables unreadable) the result fails with a log that says so and no
// target is left behind. Failures to write the target raise StoreError.
RepairResult repairBlogFile(const std::string& source, const std::string& target, const ProgressHandlers& handlers);

}  // namespace tessary::store
