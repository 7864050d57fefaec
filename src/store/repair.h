// Repair of a damaged blog file: every row that SQLite can still read from the
// six tables is copied, with its key, into a new blog file; the log names each
// table with the rows copied and the rows lost.
//
// The rows of a table are found several times over: by walking the table by
// rowid from both ends (a damaged stretch is stepped over by seeking past it)
// and by walking each of its indexes from both ends, which hold every row's key
// apart from the rows. A row known from any walk that cannot be read whole (a
// damaged page, a compressed value that does not inflate) counts as lost; a key
// of a damaged index page that no row has does not. Rows whose pages and index
// entries are both gone cannot be seen, and so cannot be counted. A file cut
// short is read as far as it goes.
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

// At most this many replaced cells are listed.
inline constexpr size_t kMaxReplacedNotes = 1000;

struct RepairResult {
  // True only when every table was found and no row was lost.
  bool ok = false;
  std::string log;
  std::vector<RepairTableCount> tables;
  // Cells the program could not read (an integer column holding 'lots', a
  // date-time that does not parse, a memo beyond its limit), written as what
  // the program reads them as: "tblOptions: row 5, column OptionInteger:
  // 'lots' is not an integer; 0 written". The rows count as copied.
  std::vector<std::string> replaced;
};

// Repairs `source` into `target` (replaced when it exists). A commit that a
// crash left unfinished in the source is rolled back first, as every open of
// the file does (recoverUnfinishedCommit; the caller holds the file's lock);
// otherwise the source is only read. When the source cannot be read at all (missing, not a database, its
// list of tables unreadable) the result fails with a log that says so and no
// target is left behind. Failures to write the target raise StoreError.
RepairResult repairBlogFile(const std::string& source, const std::string& target, const ProgressHandlers& handlers);

}  // namespace tessary::store
