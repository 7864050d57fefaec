// The blog file: one SQLite database with application id "TSRY". A Database is
// the connection; the Table objects over it (table.h) are the cursors the rest
// of the program uses. Failures of the store are raised as StoreError with a
// message that names the file and what is wrong.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/schema.h"
#include "util/status.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tessary::store {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kApplicationId = 0x54535259;  // "TSRY"

// A prepared statement that finalizes itself.
class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, const std::string& sql, const std::string& context);
  ~Statement();
  Statement(Statement&& o) noexcept;
  Statement& operator=(Statement&& o) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }
  void reset();

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

class Database {
 public:
  enum class Mode { ReadWrite, ReadOnly };

  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Creates a new, empty blog file and opens it. Raises when the file exists or
  // cannot be created.
  void create(const std::string& fileName);
  // Opens an existing blog file. Raises, naming the file, when it is missing, is
  // not a blog file (not SQLite, or another application's), is damaged or
  // truncated, or is read-only while ReadWrite was asked.
  void open(const std::string& fileName, Mode mode = Mode::ReadWrite);
  // Closes the connection; tables over it must be closed first.
  void close();

  bool isOpen() const { return db_ != nullptr; }
  const std::string& fileName() const { return fileName_; }
  sqlite3* handle() const { return db_; }

  bool tableExists(const std::string& name);
  void createTable(const TableDef& def);
  void deleteTable(const std::string& name);
  // The columns of the table as the file holds them, in order.
  std::vector<std::string> columnsOf(const std::string& table);
  // Adds columns at the end of an existing table, keeping its rows. Returns the
  // store's error text on failure; nothing is changed then.
  Status addColumns(const std::string& table, const std::vector<FieldDef>& fields);

  void exec(const std::string& sql);
  Statement prepare(const std::string& sql);
  // Raises a StoreError for the last SQLite failure, with context.
  [[noreturn]] void fail(const std::string& what) const;
  std::string errorText() const;

  // Transactions nest; only the outermost commits to disk. While another
  // connection (a reader of another program) keeps the file busy, the outermost
  // commit is tried again for up to kCommitPatienceMs. A commit that does not go
  // through rolls the whole transaction back (depth 0 afterwards) and raises
  // "Cannot commit to blog file NAME: <reason>": nothing of it is stored.
  static constexpr int kCommitPatienceMs = 5000;
  void begin();
  void commit();
  void rollback();
  int transactionDepth() const { return depth_; }

  // Cells that do not hold a value of their column's type (an integer column
  // holding 'lots', a date-time of month 99) read as the column's default; each
  // such cell is reported once per open file as a line naming the table, the
  // row and the column, for the front end's log. The list keeps at most
  // kMaxReadWarnings lines between two takes.
  static constexpr size_t kMaxReadWarnings = 1000;
  void reportDamagedCell(const std::string& table, int64_t row, const std::string& column, const std::string& text);
  // The lines reported since the last take; empties the list.
  std::vector<std::string> takeReadWarnings();

  // Tables opened over this database register so that the connection can tell
  // them when rows change underneath (restructure, bulk statements), and so can
  // readers of their own such as the grids of a window. A table's name, or ""
  // for every table (a blog opened or closed, a transaction rolled back). Every
  // row a Table posts or deletes is announced, and so is every batch of
  // statements the program runs on a table directly, once the batch is done.
  // A listener may remove itself or others while it is called.
  void notifyDataChanged(const std::string& table);
  using ChangeListener = std::function<void(const std::string& table)>;
  int addChangeListener(ChangeListener listener);
  void removeChangeListener(int id);

 private:
  void configure();
  [[noreturn]] void failCommit(const std::string& reason);
  sqlite3* db_ = nullptr;
  std::string fileName_;
  int depth_ = 0;
  int nextListener_ = 1;
  std::vector<std::pair<int, ChangeListener>> listeners_;
  std::set<std::string> reportedCells_;
  std::vector<std::string> readWarnings_;
  bool warningsCut_ = false;
};

// Lets SQLite roll back a commit that a crash left unfinished (a journal beside
// the file that no connection holds): opens the file read-write and reads, as
// every open of the file would. Nothing happens when there is no journal; a
// failure is left to the open that follows. REQUIRES: the caller holds the
// blog file's lock (blog_lock.h), so the journal is no other program's.
void recoverUnfinishedCommit(const std::string& fileName);

// Runs a group of writes as one transaction: committed by commit(), rolled back
// when the guard is destroyed without it (an exception on the way).
class Transaction {
 public:
  explicit Transaction(Database& db) : db_(db) { db_.begin(); }
  ~Transaction() {
    if (!done_) {
      try {
        db_.rollback();
      } catch (...) {
      }
    }
  }
  void commit() {
    db_.commit();
    done_ = true;
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace tessary::store
