#include "store/table.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "util/compression.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::store {

namespace {
// Rows read in one statement by the read-ahead.
constexpr size_t kReadAheadRows = 32;
}  // namespace

Table::Table(Database& db, const TableDef& def) : db_(db), def_(def) {
  listener_ = db_.addChangeListener([this](const std::string& table) {
    if (announcing_) return;
    if (table.empty() || util::equalsNoCase(table, def_.name)) {
      orderValid_ = false;
      position_ = -1;
      rowLoaded_ = false;
      dropReadAhead();
    }
  });
}

Table::~Table() {
  db_.removeChangeListener(listener_);
  selectRow_ = Statement();
  statements_.clear();
}

namespace {
// Resets a cached statement when its use ends, also on the way out of an exception.
class CachedUse {
 public:
  explicit CachedUse(sqlite3_stmt* st) : st_(st) {}
  ~CachedUse() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
  }
  sqlite3_stmt* get() const { return st_; }
  CachedUse(const CachedUse&) = delete;
  CachedUse& operator=(const CachedUse&) = delete;

 private:
  sqlite3_stmt* st_;
};
}  // namespace

sqlite3_stmt* Table::cached(const std::string& sql) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) it = statements_.emplace(sql, db_.prepare(sql)).first;
  return it->second.get();
}

std::string Table::inFile() const { return " in blog file " + util::fileNameOf(db_.fileName()); }

std::string Table::rowText() const {
  if (state_ == State::Insert) return "a new row of " + def_.name;
  return "row " + std::to_string(current_) + " of " + def_.name;
}

std::string Table::fieldNotFound(std::string_view field) const {
  return "Field " + std::string(field) + " not found in table " + def_.name + inFile();
}

void Table::reportDamaged(int index, const Cell& c, const char* what, const std::string& readAs) {
  const std::string& column = columns_[static_cast<size_t>(index)].name;
  const std::string value = c.kind == Cell::Kind::Blob ? "(a binary value of " + std::to_string(c.s.size()) + " bytes)"
                                                       : "'" + util::leftChars(c.s, 40) + "'";
  db_.reportDamagedCell(def_.name, current_, column,
                        std::string("Damaged ") + what + " " + value + " in column " + column + " of " + rowText() +
                            inFile() + ": read as " + readAs);
}

void Table::requireOpen() const {
  if (state_ == State::Inactive) throw StoreError("Table " + def_.name + " is not open");
}

void Table::requireEditing(std::string_view field) const {
  requireOpen();
  if (state_ != State::Edit && state_ != State::Insert)
    throw StoreError("Table " + def_.name + " is not in edit or insert mode (field " + std::string(field) + ")");
}

void Table::loadColumns() {
  columns_.clear();
  nextColumn_ = 0;
  nameHits_.fill({});
  keyColumn_ = -1;
  Statement st = db_.prepare("SELECT name, type FROM pragma_table_info(?)");
  sqlite3_bind_text(st.get(), 1, def_.name.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(st.get()) == SQLITE_ROW) {
    Column c;
    c.name = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
    if (const FieldDef* f = def_.field(c.name)) {
      c.type = f->type;
      c.size = f->size;
    } else {
      // A column this version does not know: read it by its SQL type.
      c.type = util::equalsNoCase(type, "INTEGER") ? FieldType::Integer
               : util::equalsNoCase(type, "BLOB")  ? FieldType::Blob
                                                   : FieldType::String;
      c.size = 0;
    }
    if (c.type == FieldType::AutoInc) keyColumn_ = static_cast<int>(columns_.size());
    columns_.push_back(std::move(c));
  }
  if (columns_.empty())
    throw StoreError("Table " + def_.name + " not found in blog file " + util::fileNameOf(db_.fileName()));
  std::string sql = "SELECT ";
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (i) sql += ", ";
    sql += "\"" + columns_[i].name + "\"";
  }
  sql += " FROM \"" + def_.name + "\" WHERE rowid = ?";
  selectRow_ = db_.prepare(sql);
  selectBatch_ = Statement();  // prepared by the first read-ahead
  dropReadAhead();
  statements_.clear();
  row_.assign(columns_.size(), Cell{});
  decodedCache_.assign(columns_.size(), std::nullopt);
  changed_.assign(columns_.size(), false);
}

void Table::open() {
  if (isOpen()) close();
  if (!db_.isOpen()) throw StoreError("No blog file is open");
  loadColumns();
  const IndexDef* ix = def_.index(kDisplayKey);
  index_ = ix ? *ix : IndexDef{};
  state_ = State::Browse;
  orderValid_ = false;
  first();
}

void Table::close() {
  selectRow_ = Statement();
  selectBatch_ = Statement();
  readAhead_ = false;
  dropReadAhead();
  statements_.clear();
  state_ = State::Inactive;
  order_.clear();
  orderValid_ = false;
  current_ = 0;
  position_ = -1;
  rowLoaded_ = false;
}

void Table::setIndex(const std::string& indexName) {
  requireOpen();
  const IndexDef* ix = def_.index(indexName);
  if (!ix) throw StoreError("Index " + indexName + " not found in table " + def_.name + inFile());
  index_ = *ix;
  orderValid_ = false;
  position_ = -1;
}

std::string Table::orderByClause() const {
  if (index_.field.empty()) return "rowid";
  const char* dir = index_.descending ? " DESC" : " ASC";
  return "\"" + index_.field + "\"" + (index_.caseInsensitive ? " COLLATE NOCASE" : "") + dir + ", rowid" + dir;
}

void Table::ensureOrder() {
  requireOpen();
  if (orderValid_) return;
  dropReadAhead();  // its positions are those of the old order
  order_.clear();
  Statement st = db_.prepare("SELECT rowid FROM \"" + def_.name + "\" ORDER BY " + orderByClause());
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) order_.push_back(sqlite3_column_int64(st.get(), 0));
  if (rc != SQLITE_DONE) db_.fail("Cannot read table " + def_.name);
  orderValid_ = true;
  position_ = -1;
}

void Table::ensurePosition() {
  ensureOrder();
  if (position_ >= 0 || current_ == 0) return;
  const auto it = std::find(order_.begin(), order_.end(), current_);
  if (it == order_.end()) {
    current_ = 0;
    return;
  }
  position_ = static_cast<long>(it - order_.begin());
}

void Table::announceChange() {
  dropReadAhead();
  const bool outer = announcing_;
  announcing_ = true;
  try {
    db_.notifyDataChanged(def_.name);
  } catch (...) {
    announcing_ = outer;
    throw;
  }
  announcing_ = outer;
}

void Table::markMoved() {
  rowLoaded_ = false;
  if (state_ == State::Edit || state_ == State::Insert) state_ = State::Browse;
}

void Table::first() {
  requireOpen();
  if (state_ != State::Browse) post();
  ensureOrder();
  markMoved();
  bof_ = true;
  if (order_.empty()) {
    current_ = 0;
    position_ = -1;
    eof_ = true;
    return;
  }
  position_ = 0;
  current_ = order_[0];
  eof_ = false;
}

void Table::last() {
  requireOpen();
  if (state_ != State::Browse) post();
  ensureOrder();
  markMoved();
  eof_ = true;
  if (order_.empty()) {
    current_ = 0;
    position_ = -1;
    bof_ = true;
    return;
  }
  position_ = static_cast<long>(order_.size()) - 1;
  current_ = order_.back();
  bof_ = false;
}

void Table::next() {
  requireOpen();
  if (state_ != State::Browse) post();
  ensurePosition();
  if (position_ < 0) {
    first();
    return;
  }
  if (static_cast<size_t>(position_) + 1 < order_.size()) {
    ++position_;
    current_ = order_[static_cast<size_t>(position_)];
    markMoved();
    bof_ = false;
    eof_ = false;
  } else {
    eof_ = true;
  }
}

void Table::prior() {
  requireOpen();
  if (state_ != State::Browse) post();
  ensurePosition();
  if (position_ < 0) {
    first();
    return;
  }
  if (position_ > 0) {
    --position_;
    current_ = order_[static_cast<size_t>(position_)];
    markMoved();
    bof_ = false;
    eof_ = false;
  } else {
    bof_ = true;
  }
}

bool Table::eof() {
  requireOpen();
  return eof_ || current_ == 0;
}

bool Table::bof() {
  requireOpen();
  return bof_ || current_ == 0;
}

int Table::recordCount() {
  requireOpen();
  if (orderValid_) return static_cast<int>(order_.size());
  CachedUse st(cached("SELECT count(*) FROM \"" + def_.name + "\""));
  if (sqlite3_step(st.get()) != SQLITE_ROW) db_.fail("Cannot count the rows of " + def_.name);
  return static_cast<int>(sqlite3_column_int64(st.get(), 0));
}

bool Table::isEmpty() { return recordCount() == 0; }

bool Table::gotoBookmark(Bookmark b) {
  requireOpen();
  if (state_ != State::Browse) post();
  CachedUse st(cached("SELECT 1 FROM \"" + def_.name + "\" WHERE rowid = ?"));
  sqlite3_bind_int64(st.get(), 1, b);
  if (sqlite3_step(st.get()) != SQLITE_ROW) return false;
  current_ = b;
  position_ = -1;
  markMoved();
  bof_ = eof_ = false;
  return true;
}

int64_t Table::currentRowId() {
  requireOpen();
  return current_;
}

void Table::insert() {
  requireOpen();
  if (state_ != State::Browse) post();
  state_ = State::Insert;
  row_.assign(columns_.size(), Cell{});
  decodedCache_.assign(columns_.size(), std::nullopt);
  changed_.assign(columns_.size(), false);
  rowLoaded_ = true;
}

void Table::edit() {
  requireOpen();
  if (state_ == State::Edit || state_ == State::Insert) return;
  if (current_ == 0) throw StoreError("Cannot edit: table " + def_.name + inFile() + " has no current row");
  // An edit starts from the row as stored now.
  dropReadAhead();
  if (readAhead_) rowLoaded_ = false;
  loadRow();
  std::fill(changed_.begin(), changed_.end(), false);
  state_ = State::Edit;
}

namespace {

void bindCell(sqlite3_stmt* st, int pos, const std::string& stored, bool isNull, bool isInt, int64_t i, bool isBlob) {
  if (isNull)
    sqlite3_bind_null(st, pos);
  else if (isInt)
    sqlite3_bind_int64(st, pos, i);
  else if (isBlob)
    sqlite3_bind_blob64(st, pos, stored.data(), stored.size(), SQLITE_TRANSIENT);
  else
    sqlite3_bind_text64(st, pos, stored.data(), stored.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

}  // namespace

void Table::post() {
  requireOpen();
  if (state_ == State::Browse) return;
  std::vector<int> cols;
  for (size_t i = 0; i < columns_.size(); ++i)
    if (changed_[i] && static_cast<int>(i) != keyColumn_) cols.push_back(static_cast<int>(i));
  std::string sql;
  if (state_ == State::Insert) {
    if (cols.empty()) {
      sql = "INSERT INTO \"" + def_.name + "\" DEFAULT VALUES";
    } else {
      std::string names, marks;
      for (size_t k = 0; k < cols.size(); ++k) {
        if (k) {
          names += ", ";
          marks += ", ";
        }
        names += "\"" + columns_[static_cast<size_t>(cols[k])].name + "\"";
        marks += "?";
      }
      sql = "INSERT INTO \"" + def_.name + "\" (" + names + ") VALUES (" + marks + ")";
    }
  } else {
    if (cols.empty()) {
      state_ = State::Browse;
      rowLoaded_ = false;
      return;
    }
    sql = "UPDATE \"" + def_.name + "\" SET ";
    for (size_t k = 0; k < cols.size(); ++k) {
      if (k) sql += ", ";
      sql += "\"" + columns_[static_cast<size_t>(cols[k])].name + "\" = ?";
    }
    sql += " WHERE rowid = ?";
  }
  CachedUse st(cached(sql));
  bool indexChanged = state_ == State::Insert;
  for (size_t k = 0; k < cols.size(); ++k) {
    const auto i = static_cast<size_t>(cols[k]);
    const Cell& c = row_[i];
    const FieldType type = columns_[i].type;
    const bool compressed = type == FieldType::Memo || type == FieldType::Blob;
    if (util::equalsNoCase(columns_[i].name, index_.field)) indexChanged = true;
    if (compressed && c.kind != Cell::Kind::Null) {
      const std::string stream = util::zlibCompress(c.s);
      bindCell(st.get(), static_cast<int>(k) + 1, stream, false, false, 0, true);
    } else {
      bindCell(st.get(), static_cast<int>(k) + 1, c.s, c.kind == Cell::Kind::Null, c.kind == Cell::Kind::Integer, c.i,
               false);
    }
  }
  if (state_ == State::Edit) sqlite3_bind_int64(st.get(), static_cast<int>(cols.size()) + 1, current_);
  if (sqlite3_step(st.get()) != SQLITE_DONE)
    db_.fail(std::string(state_ == State::Insert ? "Cannot insert a row into " : "Cannot update a row of ") +
             def_.name);
  if (state_ == State::Insert) {
    current_ = sqlite3_last_insert_rowid(db_.handle());
    orderValid_ = false;
    position_ = -1;
  } else if (indexChanged) {
    orderValid_ = false;
    position_ = -1;
  }
  state_ = State::Browse;
  rowLoaded_ = false;
  bof_ = eof_ = false;
  announceChange();
}

void Table::cancel() {
  requireOpen();
  state_ = State::Browse;
  rowLoaded_ = false;
}

void Table::deleteRow() {
  requireOpen();
  if (state_ == State::Insert) {
    cancel();
    return;
  }
  state_ = State::Browse;
  if (current_ == 0) throw StoreError("Cannot delete: table " + def_.name + inFile() + " has no current row");
  ensurePosition();
  CachedUse st(cached("DELETE FROM \"" + def_.name + "\" WHERE rowid = ?"));
  sqlite3_bind_int64(st.get(), 1, current_);
  if (sqlite3_step(st.get()) != SQLITE_DONE) db_.fail("Cannot delete a row of " + def_.name);
  rowLoaded_ = false;
  if (position_ >= 0)
    order_.erase(order_.begin() + position_);
  else
    orderValid_ = false;
  ensureOrder();
  if (order_.empty()) {
    current_ = 0;
    position_ = -1;
    bof_ = eof_ = true;
    announceChange();
    return;
  }
  if (position_ < 0) position_ = 0;
  if (static_cast<size_t>(position_) >= order_.size()) {
    position_ = static_cast<long>(order_.size()) - 1;
    eof_ = true;
  } else {
    eof_ = false;
  }
  current_ = order_[static_cast<size_t>(position_)];
  bof_ = position_ == 0;
  announceChange();
}

void Table::insertRecord(const std::vector<FieldValue>& values) {
  insert();
  try {
    for (size_t i = 0; i < values.size() && i < columns_.size(); ++i) {
      const FieldValue& v = values[i];
      const std::string& name = columns_[i].name;
      if (v.kind == FieldValue::Kind::Absent || static_cast<int>(i) == keyColumn_) continue;
      switch (v.kind) {
        case FieldValue::Kind::Null:
          setNull(name);
          break;
        case FieldValue::Kind::Integer:
          setInteger(name, v.i);
          break;
        case FieldValue::Kind::Real:
          setDateTime(name, v.d);
          break;
        case FieldValue::Kind::Text:
          setString(name, v.s);
          break;
        case FieldValue::Kind::Absent:
          break;
      }
    }
    post();
  } catch (...) {
    // A whole row or nothing: a refused row does not stay pending.
    cancel();
    throw;
  }
}

bool Table::findKey(const FieldValue& key) {
  requireOpen();
  if (state_ != State::Browse) post();
  if (index_.field.empty()) throw StoreError("Table " + def_.name + " has no current index");
  CachedUse st(cached("SELECT rowid FROM \"" + def_.name + "\" WHERE \"" + index_.field + "\" = ?" +
                      (index_.caseInsensitive ? " COLLATE NOCASE" : "") + " ORDER BY " + orderByClause() + " LIMIT 1"));
  const FieldDef* f = def_.field(index_.field);
  const bool dateKey = f && f->type == FieldType::DateTime;
  switch (key.kind) {
    case FieldValue::Kind::Integer:
      sqlite3_bind_int64(st.get(), 1, key.i);
      break;
    case FieldValue::Kind::Real: {
      const std::string s = util::toStorageText(key.d);
      if (dateKey)
        sqlite3_bind_text(st.get(), 1, s.c_str(), -1, SQLITE_TRANSIENT);
      else
        sqlite3_bind_double(st.get(), 1, key.d);
      break;
    }
    case FieldValue::Kind::Text:
      sqlite3_bind_text64(st.get(), 1, key.s.data(), key.s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
      break;
    default:
      return false;
  }
  const int rc = sqlite3_step(st.get());
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) db_.fail("Cannot search table " + def_.name);
  current_ = sqlite3_column_int64(st.get(), 0);
  position_ = -1;
  rowLoaded_ = false;
  bof_ = eof_ = false;
  return true;
}

int Table::columnIndex(std::string_view field) const {
  NameHit& hit = nameHits_[(reinterpret_cast<uintptr_t>(field.data()) >> 3) % nameHits_.size()];
  if (hit.name == field.data() && hit.index >= 0 && static_cast<size_t>(hit.index) < columns_.size() &&
      util::equalsNoCase(columns_[static_cast<size_t>(hit.index)].name, field))
    return hit.index;
  // Readers mostly ask for the columns in their order: the search starts
  // after the column found last.
  const size_t n = columns_.size();
  for (size_t k = 0; k < n; ++k) {
    const size_t i = (nextColumn_ + k) % n;
    if (util::equalsNoCase(columns_[i].name, field)) {
      nextColumn_ = i + 1 < n ? i + 1 : 0;
      hit = {field.data(), static_cast<int>(i)};
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool Table::hasField(std::string_view field) const { return columnIndex(field) >= 0; }

std::optional<FieldType> Table::fieldType(std::string_view field) const {
  const int i = columnIndex(field);
  if (i < 0) return std::nullopt;
  return columns_[static_cast<size_t>(i)].type;
}

void Table::readCells(sqlite3_stmt* st, int first, std::vector<Cell>& cells) const {
  cells.resize(columns_.size());
  for (size_t i = 0; i < columns_.size(); ++i) {
    Cell& c = cells[i];
    const int ci = first + static_cast<int>(i);
    switch (sqlite3_column_type(st, ci)) {
      case SQLITE_NULL:
        c.kind = Cell::Kind::Null;
        c.s.clear();
        break;
      case SQLITE_INTEGER:
        c.kind = Cell::Kind::Integer;
        c.i = sqlite3_column_int64(st, ci);
        break;
      case SQLITE_FLOAT:
        c.kind = Cell::Kind::Real;
        c.d = sqlite3_column_double(st, ci);
        break;
      case SQLITE_TEXT:
        c.kind = Cell::Kind::Text;
        c.s.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, ci)),
                   static_cast<size_t>(sqlite3_column_bytes(st, ci)));
        break;
      default: {
        c.kind = Cell::Kind::Blob;
        const void* p = sqlite3_column_blob(st, ci);
        c.s.assign(p ? static_cast<const char*>(p) : "", static_cast<size_t>(sqlite3_column_bytes(st, ci)));
      }
    }
  }
}

void Table::setReadAhead(bool on) {
  readAhead_ = on;
  dropReadAhead();
}

void Table::dropReadAhead() {
  ahead_.clear();
  aheadRead_.clear();
  aheadFrom_ = 0;
  lastPosition_ = -1;
}

bool Table::loadRowAhead() {
  if (!orderValid_ || position_ < 0 || static_cast<size_t>(position_) >= order_.size() ||
      order_[static_cast<size_t>(position_)] != current_)
    return false;
  if (!selectBatch_) {
    // kReadAheadRows rowids; the ones a short batch leaves unbound are null.
    std::string batch = "SELECT rowid";
    for (const Column& c : columns_) batch += ", \"" + c.name + "\"";
    batch += " FROM \"" + def_.name + "\" WHERE rowid IN (";
    for (size_t i = 0; i < kReadAheadRows; ++i) batch += i ? ", ?" : "?";
    batch += ")";
    selectBatch_ = db_.prepare(batch);
  }
  const bool backward = lastPosition_ >= 0 && position_ < lastPosition_;
  lastPosition_ = position_;
  auto slot = [&]() -> long { return position_ - aheadFrom_; };
  if (slot() < 0 || static_cast<size_t>(slot()) >= ahead_.size() || !aheadRead_[static_cast<size_t>(slot())]) {
    // The next batch, in the direction of travel, from this row on.
    const long n = static_cast<long>(order_.size());
    const long k = static_cast<long>(kReadAheadRows);
    aheadFrom_ = backward ? std::max(0L, position_ - k + 1) : position_;
    const long to = std::min(n, aheadFrom_ + k);
    const size_t count = static_cast<size_t>(to - aheadFrom_);
    ahead_.resize(count);
    aheadRead_.assign(count, false);
    sqlite3_stmt* st = selectBatch_.get();
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    for (size_t i = 0; i < count; ++i)
      sqlite3_bind_int64(st, static_cast<int>(i) + 1, order_[static_cast<size_t>(aheadFrom_) + i]);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      const int64_t rowid = sqlite3_column_int64(st, 0);
      for (size_t i = 0; i < count; ++i) {
        if (order_[static_cast<size_t>(aheadFrom_) + i] != rowid || aheadRead_[i]) continue;
        readCells(st, 1, ahead_[i]);
        aheadRead_[i] = true;
        break;
      }
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
      dropReadAhead();
      db_.fail("Cannot read rows of " + def_.name);
    }
    // A row that is gone is left to the single read, which says so.
    if (!aheadRead_[static_cast<size_t>(slot())]) return false;
  }
  const auto i = static_cast<size_t>(slot());
  row_.swap(ahead_[i]);
  aheadRead_[i] = false;  // taken
  return true;
}

void Table::loadRow() {
  if (rowLoaded_) return;
  std::fill(decodedCache_.begin(), decodedCache_.end(), std::nullopt);
  if (current_ == 0) throw StoreError("Table " + def_.name + inFile() + " has no current row");
  if (readAhead_ && state_ == State::Browse && loadRowAhead()) {
    std::fill(changed_.begin(), changed_.end(), false);
    rowLoaded_ = true;
    return;
  }
  sqlite3_stmt* st = selectRow_.get();
  sqlite3_reset(st);
  sqlite3_bind_int64(st, 1, current_);
  const int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) {
    sqlite3_reset(st);
    if (rc == SQLITE_DONE)
      throw StoreError("Row " + std::to_string(current_) + " of " + def_.name + inFile() + " no longer exists");
    db_.fail("Cannot read row " + std::to_string(current_) + " of " + def_.name);
  }
  readCells(st, 0, row_);
  sqlite3_reset(st);
  std::fill(changed_.begin(), changed_.end(), false);
  rowLoaded_ = true;
}

const Table::Cell& Table::cell(std::string_view field, int& index) {
  requireOpen();
  index = columnIndex(field);
  if (index < 0) throw StoreError(fieldNotFound(field));
  loadRow();
  return row_[static_cast<size_t>(index)];
}

void Table::addStoredRow(util::Digest& digest) {
  requireOpen();
  loadRow();
  digest.add(static_cast<int64_t>(row_.size()));
  for (size_t i = 0; i < row_.size(); ++i) {
    const Cell& c = row_[i];
    digest.add(static_cast<int64_t>(c.kind) * 2 + (changed_[i] ? 1 : 0));
    // Only the value of the cell's kind: the others hold what an earlier row left.
    switch (c.kind) {
      case Cell::Kind::Null: break;
      case Cell::Kind::Integer: digest.add(c.i); break;
      case Cell::Kind::Real: digest.addDouble(c.d); break;
      default: digest.add(c.s);
    }
  }
}

namespace {

// A stored memo or blob value decoded; `where` names the row and the file.
std::string decodeStored(const std::string& bytes, bool compressed, bool memo, const std::string& column,
                         const std::function<std::string()>& where) {
  const size_t limit = memo ? kMaxMemoBytes : kMaxBlobBytes;
  const auto tooLarge = [&] {
    return StoreError("Value too large in column " + column + " of " + where() + ": it holds more than " +
                      std::to_string(limit >> 20) + " MiB, the limit of " + (memo ? "a text" : "a picture or file"));
  };
  if (bytes.size() > limit && !compressed) throw tooLarge();
  if (!compressed) return bytes;  // written by hand as text: take it as it is
  std::string out;
  const Status st = util::zlibDecompress(bytes, out, limit);
  if (util::isTooLarge(st)) throw tooLarge();
  if (!st.ok()) throw StoreError("Damaged value in column " + column + " of " + where() + ": " + st.message());
  return out;
}

}  // namespace

std::string StoredText::decode() const {
  if (column_.empty()) return bytes_;  // taken as asString gave it
  return decodeStored(bytes_, compressed_, true, column_, [this] { return where_; });
}

StoredText Table::storedText(std::string_view field) {
  int index;
  const Cell& c = cell(field, index);
  const auto i = static_cast<size_t>(index);
  StoredText t;
  if (c.kind == Cell::Kind::Null) return t;
  if (columns_[i].type != FieldType::Memo || changed_[i] || decodedCache_[i]) {
    t.bytes_ = asString(field);
    return t;
  }
  t.bytes_ = c.s;
  t.compressed_ = c.kind == Cell::Kind::Blob;
  t.column_ = columns_[i].name;
  t.where_ = rowText() + inFile();
  return t;
}

std::string Table::decoded(int index, const Cell& c) {
  const auto i = static_cast<size_t>(index);
  if (c.kind == Cell::Kind::Null) return std::string();
  if (changed_[i]) return c.s;
  if (decodedCache_[i]) return *decodedCache_[i];
  const bool memo = columns_[i].type == FieldType::Memo;
  std::string out = decodeStored(c.s, c.kind == Cell::Kind::Blob, memo, columns_[i].name,
                                 [&] { return rowText() + inFile(); });
  // Texts are read again and again (the generator fills a page from them); a
  // picture or file is read once, and a second copy of it would double the
  // memory a large one takes.
  if (memo) decodedCache_[i] = out;
  return out;
}

bool Table::isNull(std::string_view field) {
  int i;
  return cell(field, i).kind == Cell::Kind::Null;
}

namespace {

// formatDateTime("yyyy-mm-dd hh:nn:ss", value) without reading the format: a
// grid shows thousands of these at a time.
std::string secondsText(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buf;
}

}  // namespace

std::string scalarText(FieldType type, StoredKind kind, int64_t i, double d, std::string_view s) {
  switch (kind) {
    case StoredKind::Null:
      return std::string();
    case StoredKind::Integer:
      return std::to_string(i);
    case StoredKind::Real: {
      if (type == FieldType::DateTime) return secondsText(d);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.15g", d);
      return buf;
    }
    case StoredKind::Text:
    case StoredKind::Blob:
      break;
  }
  if (type == FieldType::DateTime) {
    util::DateTime parsed = 0;
    if (util::parseStorageText(s, parsed)) return secondsText(parsed);
  }
  return std::string(s);
}

std::string Table::asString(std::string_view field) {
  int i;
  const Cell& c = cell(field, i);
  const FieldType type = columns_[static_cast<size_t>(i)].type;
  if (c.kind == Cell::Kind::Null) return std::string();
  if (type == FieldType::Memo || type == FieldType::Blob) return decoded(i, c);
  return scalarText(type, c.kind, c.i, c.d, c.s);
}

int32_t Table::asInteger(std::string_view field) {
  int i;
  const Cell& c = cell(field, i);
  switch (c.kind) {
    case Cell::Kind::Null:
      return 0;
    case Cell::Kind::Integer:
      return static_cast<int32_t>(c.i);
    case Cell::Kind::Real:
      return static_cast<int32_t>(std::trunc(c.d));
    default:
      break;
  }
  const std::string text = asString(field);
  int v = 0;
  if (!util::parseInt(text, v)) {
    reportDamaged(i, c, "integer", "0");
    return 0;
  }
  return v;
}

util::DateTime Table::asDateTime(std::string_view field) {
  int i;
  const Cell& c = cell(field, i);
  switch (c.kind) {
    case Cell::Kind::Null:
      return 0;
    case Cell::Kind::Integer:
      return static_cast<double>(c.i);
    case Cell::Kind::Real:
      return c.d;
    case Cell::Kind::Text: {
      util::DateTime d = 0;
      if (util::parseStorageText(c.s, d)) return d;
      break;
    }
    default:
      break;
  }
  reportDamaged(i, c, "date-time", secondsText(0));
  return 0;
}

void Table::setCell(std::string_view field, Cell value) {
  requireEditing(field);
  const int i = columnIndex(field);
  if (i < 0) throw StoreError(fieldNotFound(field));
  if (!rowLoaded_) loadRow();
  row_[static_cast<size_t>(i)] = std::move(value);
  changed_[static_cast<size_t>(i)] = true;
  decodedCache_[static_cast<size_t>(i)].reset();
}

void Table::setString(std::string_view field, std::string_view value) {
  const int i = columnIndex(field);
  if (i < 0) throw StoreError(fieldNotFound(field));
  const Column& col = columns_[static_cast<size_t>(i)];
  Cell c;
  switch (col.type) {
    case FieldType::AutoInc:
    case FieldType::Integer: {
      if (util::trim(value).empty()) break;  // an empty text clears the number
      int v = 0;
      if (!util::parseInt(value, v))
        throw StoreError("'" + util::leftChars(value, 40) + "' is not a valid integer value for field " + col.name +
                         " of " + rowText() + inFile());
      c.kind = Cell::Kind::Integer;
      c.i = v;
      break;
    }
    case FieldType::DateTime: {
      if (util::trim(value).empty()) break;
      util::DateTime d = 0;
      if (!util::parseStorageText(value, d))
        throw StoreError("'" + util::leftChars(value, 40) + "' is not a valid date and time for field " + col.name +
                         " of " + rowText() + inFile());
      c.kind = Cell::Kind::Text;
      c.s = util::toStorageText(d);
      break;
    }
    case FieldType::String:
      c.kind = Cell::Kind::Text;
      c.s = col.size > 0 ? util::leftChars(value, static_cast<size_t>(col.size)) : std::string(value);
      break;
    case FieldType::Memo:
    case FieldType::Blob: {
      const bool memo = col.type == FieldType::Memo;
      if (value.size() > (memo ? kMaxMemoBytes : kMaxBlobBytes))
        throw StoreError(std::string(memo ? "A text of more than 16 MiB" : "A file of more than 256 MiB") +
                         " cannot be stored in column " + col.name + " of " + rowText() + inFile());
      if (value.empty()) break;  // an empty memo is stored as null
      c.kind = Cell::Kind::Text;
      c.s = std::string(value);
      break;
    }
  }
  setCell(field, std::move(c));
}

void Table::setInteger(std::string_view field, int64_t value) {
  const int i = columnIndex(field);
  if (i < 0) throw StoreError(fieldNotFound(field));
  const FieldType type = columns_[static_cast<size_t>(i)].type;
  if (type == FieldType::Integer || type == FieldType::AutoInc) {
    Cell c;
    c.kind = Cell::Kind::Integer;
    c.i = static_cast<int32_t>(value);
    setCell(field, std::move(c));
  } else if (type == FieldType::DateTime) {
    setDateTime(field, static_cast<double>(value));
  } else {
    setString(field, std::to_string(value));
  }
}

void Table::setDateTime(std::string_view field, util::DateTime value) {
  const int i = columnIndex(field);
  if (i < 0) throw StoreError(fieldNotFound(field));
  const FieldType type = columns_[static_cast<size_t>(i)].type;
  if (type == FieldType::Integer) {
    setInteger(field, static_cast<int64_t>(std::trunc(value)));
    return;
  }
  Cell c;
  c.kind = Cell::Kind::Text;
  c.s = util::toStorageText(value);
  setCell(field, std::move(c));
}

void Table::setNull(std::string_view field) { setCell(field, Cell{}); }

std::string Table::blobBytes(std::string_view field) {
  int i;
  const Cell& c = cell(field, i);
  return decoded(i, c);
}

int64_t Table::blobSize(std::string_view field) { return static_cast<int64_t>(blobBytes(field).size()); }

Status Table::loadBlobFromFile(std::string_view field, const std::string& path) {
  const std::optional<FieldType> type = fieldType(field);
  std::string data;
  Status st = util::readFile(path, data, type == FieldType::Memo ? kMaxMemoBytes : kMaxBlobBytes);
  if (!st.ok()) return st;
  Cell c;
  if (!data.empty()) {
    c.kind = Cell::Kind::Text;
    c.s = std::move(data);
  }
  setCell(field, std::move(c));
  return Status::OK();
}

Status Table::saveBlobToFile(std::string_view field, const std::string& path) {
  return util::writeFileAtomic(path, blobBytes(field));
}

}  // namespace tessary::store
