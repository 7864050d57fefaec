#include "store/database.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "util/fault_injection.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::store {

Statement::Statement(sqlite3* db, const std::string& sql, const std::string& context) {
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
    const std::string msg = sqlite3_errmsg(db);
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    throw StoreError(context + ": " + msg);
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& o) noexcept : stmt_(o.stmt_) { o.stmt_ = nullptr; }

Statement& Statement::operator=(Statement&& o) noexcept {
  if (this != &o) {
    sqlite3_finalize(stmt_);
    stmt_ = o.stmt_;
    o.stmt_ = nullptr;
  }
  return *this;
}

void Statement::reset() {
  if (stmt_) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
}

Database::Database() = default;

Database::~Database() {
  try {
    close();
  } catch (...) {
  }
}

namespace {

uint32_t be32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Checks the header before SQLite sees the file, so that a file of another kind
// or a truncated blog file is refused with a message of its own and never written.
// The size is checked only after an unfinished commit was rolled back
// (recoverUnfinishedCommit): a kill inside a commit that grows the file leaves
// a first page that promises more pages than the file has, and the journal that
// puts the first page back.
void checkHeader(const std::string& fileName, bool checkSize) {
  const std::string prefix = "Cannot open blog file " + fileName + ": ";
  if (util::directoryExists(fileName)) throw StoreError(prefix + "it is a folder");
  if (!util::fileExists(fileName)) throw StoreError(prefix + "the file does not exist");
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw StoreError(prefix + util::errnoText(errno));
  unsigned char h[100];
  const size_t n = std::fread(h, 1, sizeof h, f);
  std::fclose(f);
  if (n == 0) throw StoreError(prefix + "not a blog file (the file is empty)");
  if (n < sizeof h || std::memcmp(h, "SQLite format 3", 16) != 0)
    throw StoreError(prefix + "not a blog file");
  if (be32(h + 68) != static_cast<uint32_t>(kApplicationId))
    throw StoreError(prefix + "not a blog file (a database of another program)");
  uint32_t pageSize = (uint32_t{h[16]} << 8) | h[17];
  if (pageSize == 1) pageSize = 65536;
  if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
    throw StoreError(prefix + "the file is damaged (bad header)");
  if (!checkSize) return;
  const int64_t size = util::fileSize(fileName);
  const uint32_t pageCount = be32(h + 28);
  const bool countValid = be32(h + 24) == be32(h + 92) && pageCount != 0;
  if (size % pageSize != 0 || (countValid && static_cast<uint64_t>(size) < uint64_t{pageCount} * pageSize))
    throw StoreError(prefix + "the file is damaged (it is truncated)");
}

// A blog's connection is used by one thread at a time (the command that owns
// the blog; a generation run's workers never touch it), so SQLite need not lock
// it around every call: a run reads each row's columns one call at a time.
constexpr int kOneThreadAtATime = SQLITE_OPEN_NOMUTEX;

}  // namespace

void Database::create(const std::string& fileName) {
  close();
  if (util::fileExists(fileName) || util::directoryExists(fileName))
    throw StoreError("Cannot create blog file " + fileName + ": the file exists");
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(fileName.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | kOneThreadAtATime,
                                 nullptr);
  if (rc != SQLITE_OK) {
    const std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw StoreError("Cannot create blog file " + fileName + ": " + msg);
  }
  db_ = db;
  fileName_ = fileName;
  try {
    configure();
    exec("PRAGMA application_id = " + std::to_string(kApplicationId));
  } catch (...) {
    close();
    std::remove(fileName.c_str());
    throw;
  }
  notifyDataChanged("");
}

void recoverUnfinishedCommit(const std::string& fileName) {
  const std::string journal = fileName + "-journal";
  if (!util::fileExists(journal) || util::fileSize(journal) <= 0) return;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(fileName.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, 2000);
    // The first read takes a shared lock, and with it SQLite plays a hot
    // journal back and deletes it; a file whose header promises too many
    // pages is read as long as it is (writable_schema), so the read gets there.
    sqlite3_exec(db, "PRAGMA writable_schema = ON; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
  }
  sqlite3_close(db);
}

void Database::open(const std::string& fileName, Mode mode) {
  close();
  checkHeader(fileName, false);
  recoverUnfinishedCommit(fileName);
  checkHeader(fileName, true);
  sqlite3* db = nullptr;
  const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | kOneThreadAtATime;
  const int rc = sqlite3_open_v2(fileName.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw StoreError("Cannot open blog file " + fileName + ": " + msg);
  }
  if (mode == Mode::ReadWrite && sqlite3_db_readonly(db, "main") == 1) {
    sqlite3_close(db);
    throw StoreError("Cannot open blog file " + fileName + ": the file is read-only");
  }
  db_ = db;
  fileName_ = fileName;
  try {
    configure();
    // Reading the schema makes SQLite look at the first page now, so that a
    // damaged file is refused at the door.
    Statement st = prepare("SELECT count(*) FROM sqlite_master");
    if (sqlite3_step(st.get()) != SQLITE_ROW) fail("Cannot read the tables");
  } catch (const StoreError& e) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw StoreError("Cannot open blog file " + fileName + ": " + e.what());
  }
  notifyDataChanged("");
}

void Database::configure() {
  sqlite3_busy_timeout(db_, 2000);
  sqlite3_extended_result_codes(db_, 1);
  // One file at rest; the journal lives only while a transaction runs.
  if (sqlite3_db_readonly(db_, "main") != 1) exec("PRAGMA journal_mode = DELETE");
}

void Database::close() {
  if (!db_) return;
  notifyDataChanged("");
  if (depth_ > 0) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    depth_ = 0;
  }
  sqlite3_close_v2(db_);
  db_ = nullptr;
  reportedCells_.clear();
}

std::string Database::errorText() const { return db_ ? sqlite3_errmsg(db_) : "no blog file is open"; }

void Database::fail(const std::string& what) const {
  throw StoreError(what + " (" + util::fileNameOf(fileName_) + "): " + errorText());
}

void Database::exec(const std::string& sql) {
  if (!db_) throw StoreError("No blog file is open");
  char* err = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : errorText();
    sqlite3_free(err);
    throw StoreError("Blog file " + util::fileNameOf(fileName_) + ": " + msg);
  }
}

Statement Database::prepare(const std::string& sql) {
  if (!db_) throw StoreError("No blog file is open");
  return Statement(db_, sql, "Blog file " + util::fileNameOf(fileName_));
}

bool Database::tableExists(const std::string& name) {
  Statement st = prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
  sqlite3_bind_text(st.get(), 1, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail("Cannot read the tables");
  return rc == SQLITE_ROW;
}

void Database::createTable(const TableDef& def) {
  Transaction t(*this);
  for (const auto& sql : createTableSql(def)) exec(sql);
  t.commit();
  notifyDataChanged(def.name);
}

void Database::deleteTable(const std::string& name) {
  exec("DROP TABLE IF EXISTS \"" + name + "\"");
  notifyDataChanged(name);
}

std::vector<std::string> Database::columnsOf(const std::string& table) {
  std::vector<std::string> cols;
  Statement st = prepare("SELECT name FROM pragma_table_info(?)");
  sqlite3_bind_text(st.get(), 1, table.c_str(), static_cast<int>(table.size()), SQLITE_TRANSIENT);
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
    cols.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
  if (rc != SQLITE_DONE) fail("Cannot read the columns of " + table);
  return cols;
}

Status Database::addColumns(const std::string& table, const std::vector<FieldDef>& fields) {
  try {
    Transaction t(*this);
    const std::vector<std::string> present = columnsOf(table);
    if (present.empty()) return Status::Error("Table " + table + " does not exist");
    for (const auto& f : fields) {
      bool have = false;
      for (const auto& c : present) have = have || util::equalsNoCase(c, f.name);
      if (!have) exec("ALTER TABLE \"" + table + "\" ADD COLUMN " + sqlColumnDefinition(f));
    }
    t.commit();
  } catch (const StoreError& e) {
    return Status::Error(e.what());
  }
  notifyDataChanged(table);
  return Status::OK();
}

void Database::begin() {
  exec("SAVEPOINT tessary" + std::to_string(depth_));
  ++depth_;
}

void Database::commit() {
  if (depth_ == 0) return;
  const std::string release = "RELEASE tessary" + std::to_string(depth_ - 1);
  if (depth_ > 1) {
    exec(release);
    --depth_;
    return;
  }
  if (util::faultPoint(util::FaultKind::Commit) == util::FaultAction::Fail) failCommit("database or disk is full");
  // A reader of another program holds a shared lock for a while; the commit
  // needs the file to itself. Wait for it in short turns, bounded.
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(kCommitPatienceMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    sqlite3_busy_timeout(db_, static_cast<int>(std::clamp<int64_t>(left, 1, 2000)));
    const int rc = sqlite3_exec(db_, release.c_str(), nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db_, 2000);
    if (rc == SQLITE_OK) {
      depth_ = 0;
      return;
    }
    const bool busy = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
    if (!busy || sqlite3_get_autocommit(db_) || Clock::now() >= deadline) failCommit(errorText());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void Database::failCommit(const std::string& reason) {
  // SQLite may already have rolled back (a full disk, an I/O error); what is
  // left of the transaction goes, so that the connection can be used again.
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  depth_ = 0;
  notifyDataChanged("");
  throw StoreError("Cannot commit to blog file " + util::fileNameOf(fileName_) + ": " + reason);
}

void Database::reportDamagedCell(const std::string& table, int64_t row, const std::string& column,
                                 const std::string& text) {
  if (!reportedCells_.insert(table + "\n" + std::to_string(row) + "\n" + column).second) return;
  if (readWarnings_.size() < kMaxReadWarnings) {
    readWarnings_.push_back(text);
  } else if (!warningsCut_) {
    warningsCut_ = true;
    readWarnings_.push_back("More damaged values in blog file " + util::fileNameOf(fileName_) +
                            " were read as their defaults.");
  }
}

std::vector<std::string> Database::takeReadWarnings() {
  std::vector<std::string> out;
  out.swap(readWarnings_);
  warningsCut_ = false;
  return out;
}

void Database::rollback() {
  if (depth_ == 0) return;
  const std::string name = "tessary" + std::to_string(depth_ - 1);
  --depth_;
  exec("ROLLBACK TO " + name);
  exec("RELEASE " + name);
  notifyDataChanged("");
}

void Database::notifyDataChanged(const std::string& table) {
  // A listener may add or remove listeners (a grid that goes away): each one is
  // looked up again before its turn and called through a copy of itself.
  std::vector<int> ids;
  ids.reserve(listeners_.size());
  for (const auto& entry : listeners_) ids.push_back(entry.first);
  for (const int id : ids) {
    const auto it = std::find_if(listeners_.begin(), listeners_.end(), [id](const auto& e) { return e.first == id; });
    if (it == listeners_.end()) continue;
    const ChangeListener fn = it->second;
    fn(table);
  }
}

int Database::addChangeListener(ChangeListener listener) {
  const int id = nextListener_++;
  listeners_.emplace_back(id, std::move(listener));
  return id;
}

void Database::removeChangeListener(int id) {
  for (auto it = listeners_.begin(); it != listeners_.end(); ++it)
    if (it->first == id) {
      listeners_.erase(it);
      return;
    }
}

}  // namespace tessary::store
