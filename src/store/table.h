// A table of the blog file seen as a cursor: one current row on the current
// index, moved by first/next/prior/last, edited in place (edit/post), appended
// (insert/post), deleted. This is the dataset the rest of the program and the
// grids of the desktop application share: a command acts on the current row.
//
// Rows are read one at a time by rowid; the ordered list of rowids for the
// current index is built when first needed and rebuilt only after a change that
// can move rows. Memo and blob columns hold zlib streams; they are compressed on
// post and inflated when read. A Table belongs to one Database and must be
// closed (or destroyed) before the database closes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/database.h"
#include "store/schema.h"
#include "util/date_time.h"
#include "util/digest.h"

namespace tessary::store {

// The largest values the columns hold once inflated: a memo is a text of a page
// (an entry, a teaser, a custom tag), far below this; a blob is a picture or an
// extra file, up to the largest file the blog stores (kMaxStoredFileBytes in
// store/media.h). A larger value is refused when read (a zlib stream of a few
// megabytes can inflate to gigabytes) and when written.
inline constexpr size_t kMaxMemoBytes = size_t{16} << 20;
inline constexpr size_t kMaxBlobBytes = size_t{256} << 20;

// One value for insertRecord: absent leaves the column null.
struct FieldValue {
  enum class Kind { Absent, Null, Integer, Real, Text };
  Kind kind = Kind::Absent;
  int64_t i = 0;
  double d = 0;
  std::string s;

  FieldValue() = default;
  static FieldValue null() { FieldValue v; v.kind = Kind::Null; return v; }
  FieldValue(int v) : kind(Kind::Integer), i(v) {}
  FieldValue(int64_t v) : kind(Kind::Integer), i(v) {}
  FieldValue(double v) : kind(Kind::Real), d(v) {}
  FieldValue(std::string v) : kind(Kind::Text), s(std::move(v)) {}
  FieldValue(const char* v) : kind(Kind::Text), s(v) {}
};

// How the file stores a value (SQLite's storage classes).
enum class StoredKind { Null, Integer, Real, Text, Blob };

// The text Table::asString gives for a value of a column of the given type that
// is neither memo nor blob: null reads as empty, integers in decimal, date-times
// as "yyyy-mm-dd hh:nn:ss"; `s` holds the text or the bytes of a blob value.
std::string scalarText(FieldType type, StoredKind kind, int64_t i, double d, std::string_view s);

// A memo value as the file stores it, taken from the current row and decoded
// later, on any thread: decode() gives what Table::asString gave for it and
// raises what that raised, naming the same column, row and file.
class StoredText {
 public:
  std::string decode() const;
  // The bytes as stored (compressed or not): a hint for the room the text takes.
  size_t storedSize() const { return bytes_.size(); }

 private:
  friend class Table;
  std::string bytes_;
  bool compressed_ = false;
  std::string column_, where_;  // where_: "row N of T in blog file F"; empty: bytes_ is the text
};

class Table {
 public:
  enum class State { Inactive, Browse, Edit, Insert };
  using Bookmark = int64_t;

  Table(Database& db, const TableDef& def);
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const std::string& name() const { return def_.name; }
  const TableDef& definition() const { return def_; }
  Database& database() { return db_; }

  // Opens on DisplayKey and goes to the first row. Raises when the table is missing.
  void open();
  void close();
  bool isOpen() const { return state_ != State::Inactive; }
  State state() const { return state_; }

  // Makes an index of the table current by name; the current row stays current.
  void setIndex(const std::string& indexName);
  const std::string& indexName() const { return index_.name; }

  void first();
  void next();
  void prior();
  void last();
  bool eof();
  bool bof();
  // True when the table has no rows.
  bool isEmpty();
  int recordCount();

  Bookmark bookmark() const { return current_; }
  // Returns false when the row no longer exists (the current row is unchanged).
  bool gotoBookmark(Bookmark b);

  // A row that post() writes or deleteRow() removes is announced to the
  // connection's change listeners (Database::addChangeListener).
  //
  // Starts a new row (posted by post()); its fields start null.
  void insert();
  void edit();
  void post();
  void cancel();
  // Deletes the current row; the next row (or the prior, at the end) becomes current.
  void deleteRow();
  // Inserts and posts a whole row; values in column order, absent ones stay null.
  void insertRecord(const std::vector<FieldValue>& values);

  // Exact match on the current index's column (without case when the index is
  // case-insensitive); the first matching row in index order becomes current.
  bool findKey(const FieldValue& key);

  bool hasField(std::string_view field) const;
  // The type a column is read with (columns this version does not know by their
  // SQL type); nothing when the open table has no such column.
  std::optional<FieldType> fieldType(std::string_view field) const;
  bool isNull(std::string_view field);
  // Null reads as empty text or 0. A date-time reads as text "yyyy-mm-dd hh:nn:ss".
  // A value that is not of the column's type (text that is no number in an
  // integer column, a date-time that does not parse) reads as 0, the zero date
  // for a date-time, and is reported once through
  // Database::reportDamagedCell. A memo or blob larger than its limit
  // (kMaxMemoBytes, kMaxBlobBytes) or a compressed value that does not inflate
  // raises StoreError naming the column, the row, the table and the file.
  std::string asString(std::string_view field);
  // The same value of a memo column, left undecoded (see StoredText).
  StoredText storedText(std::string_view field);
  int32_t asInteger(std::string_view field);
  util::DateTime asDateTime(std::string_view field);
  // REQUIRES: state Edit or Insert.
  void setString(std::string_view field, std::string_view value);
  void setInteger(std::string_view field, int64_t value);
  void setDateTime(std::string_view field, util::DateTime value);
  void setNull(std::string_view field);

  // Blob and memo columns as bytes.
  std::string blobBytes(std::string_view field);
  int64_t blobSize(std::string_view field);
  Status loadBlobFromFile(std::string_view field, const std::string& path);
  Status saveBlobToFile(std::string_view field, const std::string& path);

  // Adds the current row as the file stores it (compressed values as they
  // are: nothing is inflated) to a digest; equal rows add equal values.
  void addStoredRow(util::Digest& digest);

  // While on, a row is read together with the next rows in the direction the
  // cursor moves, in one statement: a reader that walks the whole table (a
  // generation run) pays one statement per batch of rows, not one per row.
  // Every write through the connection's change listeners, and edit(), drops
  // what was read ahead. Off when the table opens.
  void setReadAhead(bool on);
  class ReadAheadScope {
   public:
    explicit ReadAheadScope(Table& t) : t_(t) { t_.setReadAhead(true); }
    ~ReadAheadScope() { t_.setReadAhead(false); }
    ReadAheadScope(const ReadAheadScope&) = delete;
    ReadAheadScope& operator=(const ReadAheadScope&) = delete;

   private:
    Table& t_;
  };

  // The rowid of the current row (the key for auto-increment tables); 0 when none.
  int64_t currentRowId();

  // The ORDER BY terms of the current index, rowid last, so that rows of equal
  // key have one fixed order: a statement ordered by it lists the rows exactly
  // as first()/next() visit them (readers of their own, such as the grids).
  std::string orderByClause() const;

 private:
  struct Column {
    std::string name;
    FieldType type;
    int size;
  };
  struct Cell {
    using Kind = StoredKind;
    Kind kind = Kind::Null;
    int64_t i = 0;
    double d = 0;
    std::string s;  // text, or the stored (compressed) bytes of memo and blob
  };

  // " in blog file NAME", for messages; "row N of TABLE" for the current row.
  std::string inFile() const;
  std::string rowText() const;
  std::string fieldNotFound(std::string_view field) const;
  void reportDamaged(int index, const Cell& c, const char* what, const std::string& readAs);
  void requireOpen() const;
  void requireEditing(std::string_view field) const;
  int columnIndex(std::string_view field) const;
  void loadColumns();
  void ensureOrder();
  void ensurePosition();
  void loadRow();
  // The row at position_ from the rows read ahead (reading the next batch when
  // it is not among them); false when read-ahead cannot serve it.
  bool loadRowAhead();
  void dropReadAhead();
  // The columns of a stepped row, from `first` on, into `cells`.
  void readCells(sqlite3_stmt* st, int first, std::vector<Cell>& cells) const;
  const Cell& cell(std::string_view field, int& index);
  std::string decoded(int index, const Cell& c);
  void markMoved();
  // Tells the connection's listeners that this table's rows changed; this
  // table's own listener ignores it (the change was made here, and the cursor
  // already knows what it did to its order and position).
  void announceChange();
  void setCell(std::string_view field, Cell value);
  sqlite3_stmt* cached(const std::string& sql);

  Database& db_;
  const TableDef& def_;
  IndexDef index_;
  std::vector<Column> columns_;
  int keyColumn_ = -1;  // the auto-increment column, if any
  mutable size_t nextColumn_ = 0;  // where columnIndex starts its search
  // The columns found last by where the caller's name lies (mostly a literal
  // asked for on every row); a hit is checked against the name.
  struct NameHit {
    const char* name = nullptr;
    int index = -1;
  };
  mutable std::array<NameHit, 64> nameHits_{};
  State state_ = State::Inactive;
  int listener_ = 0;
  bool announcing_ = false;

  std::vector<int64_t> order_;  // rowids in index order
  bool orderValid_ = false;
  int64_t current_ = 0;         // rowid of the current row, 0 when none
  long position_ = -1;          // index into order_, -1 when not known
  bool bof_ = true, eof_ = true;

  bool rowLoaded_ = false;
  std::vector<Cell> row_;
  std::vector<std::optional<std::string>> decodedCache_;
  std::vector<bool> changed_;

  Statement selectRow_;
  // Read-ahead: the rows at positions [aheadFrom_, aheadFrom_ + ahead_.size())
  // of order_ (an empty row: not found, or already taken).
  bool readAhead_ = false;
  std::vector<std::vector<Cell>> ahead_;
  std::vector<bool> aheadRead_;
  long aheadFrom_ = 0;
  long lastPosition_ = -1;  // the position loaded last, for the direction
  Statement selectBatch_;
  // Prepared statements by their SQL, kept while the table is open.
  std::unordered_map<std::string, Statement> statements_;
};

}  // namespace tessary::store
