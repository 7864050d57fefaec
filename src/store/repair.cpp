#include "store/repair.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "store/compaction.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/table.h"
#include "util/compression.h"
#include "util/date_time.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::store {

namespace {

// The damaged file, opened read-only with SQLite's own checks switched on.
class Source {
 public:
  explicit Source(const std::string& fileName) {
    if (sqlite3_open_v2(fileName.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      error_ = db_ ? sqlite3_errmsg(db_) : "cannot open the file";
      return;
    }
    // writable_schema: a file shorter than its header says (the most common
    // damage: a copy cut short) is read as far as it goes instead of being
    // refused as a whole. Nothing is written through this connection.
    sqlite3_exec(db_, "PRAGMA cell_size_check = ON; PRAGMA writable_schema = ON", nullptr, nullptr, nullptr);
  }
  ~Source() { sqlite3_close_v2(db_); }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  sqlite3* db() const { return db_; }
  std::string errorText() const { return sqlite3_errmsg(db_); }

  // Prepares or returns nullptr (the schema may be unreadable).
  sqlite3_stmt* prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
      sqlite3_finalize(st);
      return nullptr;
    }
    return st;
  }

 private:
  sqlite3* db_ = nullptr;
  std::string error_;
};

struct StmtGuard {
  sqlite3_stmt* st;
  ~StmtGuard() { sqlite3_finalize(st); }
};

std::string quoted(const std::string& name) { return "\"" + util::replaceAll(name, "\"", "\"\"") + "\""; }

// The keys reachable through an index, read from both of its ends (a covering
// scan in index order, forwards and backwards, that never reads the table's
// pages): a damaged index page stops one walk, and the other comes from the
// far side up to it.
void collectFromIndex(Source& src, const std::string& table, const std::string& index, std::vector<int64_t>& keys) {
  std::vector<std::pair<std::string, bool>> terms;  // "col COLLATE x", descending
  if (sqlite3_stmt* info = src.prepare("SELECT name, desc, coll FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno")) {
    StmtGuard g{info};
    sqlite3_bind_text(info, 1, index.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(info) == SQLITE_ROW) {
      const char* name = reinterpret_cast<const char*>(sqlite3_column_text(info, 0));
      const char* coll = reinterpret_cast<const char*>(sqlite3_column_text(info, 2));
      if (!name) return;  // an index on an expression: not ours
      terms.emplace_back(quoted(name) + (coll ? " COLLATE " + quoted(coll) : std::string()),
                         sqlite3_column_int(info, 1) != 0);
    }
  }
  if (terms.empty()) return;
  for (const bool backwards : {false, true}) {
    std::string order;
    for (const auto& [term, desc] : terms) order += (order.empty() ? "" : ", ") + term + (desc != backwards ? " DESC" : " ASC");
    sqlite3_stmt* st = src.prepare("SELECT rowid FROM " + quoted(table) + " INDEXED BY " + quoted(index) + " ORDER BY " + order);
    if (!st) continue;
    StmtGuard g{st};
    while (sqlite3_step(st) == SQLITE_ROW) keys.push_back(sqlite3_column_int64(st, 0));
  }
}

// One direction of a walk over the table by rowid: forwards from the lowest
// key, or backwards from the highest.
class RowidWalk {
 public:
  RowidWalk(Source& src, const std::string& table, bool backwards) : backwards_(backwards) {
    const std::string cmp = backwards ? " < ?" : " > ?";
    const std::string order = backwards ? " ORDER BY rowid DESC" : " ORDER BY rowid";
    walk_ = src.prepare("SELECT rowid FROM " + quoted(table) + " WHERE rowid" + cmp + order);
    seek_ = src.prepare("SELECT rowid FROM " + quoted(table) + " WHERE rowid" + cmp + order + " LIMIT 1");
  }
  ~RowidWalk() {
    sqlite3_finalize(walk_);
    sqlite3_finalize(seek_);
  }
  RowidWalk(const RowidWalk&) = delete;
  RowidWalk& operator=(const RowidWalk&) = delete;
  bool ok() const { return walk_ && seek_; }

  // Keys past `from` in walking order, until damage stops the walk; returns
  // true when the walk reached the end. `last` is the last key read.
  bool run(int64_t from, int64_t& last, std::vector<int64_t>& keys) {
    sqlite3_reset(walk_);
    sqlite3_bind_int64(walk_, 1, from);
    last = from;
    int rc;
    while ((rc = sqlite3_step(walk_)) == SQLITE_ROW) {
      last = sqlite3_column_int64(walk_, 0);
      keys.push_back(last);
    }
    return rc == SQLITE_DONE;
  }
  // Whether a walk that starts past `from` gets going: 1 (a key past it is read),
  // 0 (no key past it), -1 (the seek runs into damage).
  int seek(int64_t from) {
    sqlite3_reset(seek_);
    sqlite3_bind_int64(seek_, 1, from);
    const int rc = sqlite3_step(seek_);
    return rc == SQLITE_ROW ? 1 : rc == SQLITE_DONE ? 0 : -1;
  }
  // The point `distance` past `from` in walking order, held to the int64 range.
  int64_t ahead(int64_t from, int64_t distance) const {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max(), kMin = std::numeric_limits<int64_t>::min();
    if (!backwards_) return from > kMax - distance ? kMax : from + distance;
    return from < kMin + distance ? kMin : from - distance;
  }
  int64_t end() const {
    return backwards_ ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  }

 private:
  bool backwards_;
  sqlite3_stmt* walk_ = nullptr;
  sqlite3_stmt* seek_ = nullptr;
};

// The keys reachable by walking the table by rowid, from both ends. Where a
// walk hits a damaged page it seeks further and further ahead until a seek gets
// past the damage, then narrows down to the first point from which it does,
// and walks on from there: a walk that starts past `good` reads every row after
// it, and no seek from before it does, so nothing readable is stepped over.
void collectFromTable(Source& src, const std::string& table, std::vector<int64_t>& keys) {
  int probes = 0;
  constexpr int kMaxProbes = 200000;
  for (const bool backwards : {false, true}) {
    RowidWalk w(src, table, backwards);
    if (!w.ok()) return;
    int64_t from = backwards ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    for (;;) {
      int64_t last = from;
      if (w.run(from, last, keys) || last == w.end()) break;
      // Damage past `last`: find a point beyond it from which seeking works.
      int64_t bad = last, good = w.end();
      bool haveGood = false;
      for (int64_t step = 1; probes < kMaxProbes; step = step > std::numeric_limits<int64_t>::max() / 2
                                                          ? std::numeric_limits<int64_t>::max()
                                                          : step * 2) {
        const int64_t at = w.ahead(bad, step);
        ++probes;
        if (w.seek(at) >= 0) {
          good = at;
          haveGood = true;
          break;
        }
        bad = at;
        if (at == w.end()) break;
      }
      if (!haveGood) break;
      // Narrow down: `bad` fails, `good` works.
      for (;;) {
        const int64_t gap = backwards ? bad - good : good - bad;
        if (gap <= 1 || probes >= kMaxProbes) break;
        const int64_t mid = w.ahead(bad, gap / 2);
        ++probes;
        if (w.seek(mid) >= 0) good = mid;
        else bad = mid;
      }
      if (probes >= kMaxProbes) break;
      from = good;
    }
  }
}

struct ColumnMap {
  std::vector<std::string> names;   // columns copied, in the source's order
  std::vector<FieldType> types;     // how the program reads each of them
};

bool tableExists(Source& src, const std::string& table) {
  sqlite3_stmt* st = src.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
  if (!st) return false;
  StmtGuard g{st};
  sqlite3_bind_text(st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(st) == SQLITE_ROW;
}

ColumnMap columnsToCopy(Source& src, const TableDef& def) {
  ColumnMap map;
  sqlite3_stmt* st = src.prepare("SELECT name FROM pragma_table_info(?)");
  if (!st) return map;
  StmtGuard g{st};
  sqlite3_bind_text(st, 1, def.name.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(st) == SQLITE_ROW) {
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const FieldDef* f = def.field(name);
    if (!f || f->type == FieldType::AutoInc) continue;  // the key travels as the rowid
    map.names.push_back(f->name);
    map.types.push_back(f->type);
  }
  return map;
}

std::vector<std::string> indexesOf(Source& src, const std::string& table) {
  std::vector<std::string> out;
  sqlite3_stmt* st =
      src.prepare("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? COLLATE NOCASE");
  if (!st) return out;
  StmtGuard g{st};
  sqlite3_bind_text(st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(st) == SQLITE_ROW) out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  return out;
}

struct TablePlan {
  const TableDef* def = nullptr;
  bool found = false;
  ColumnMap columns;
  std::vector<int64_t> keys;
};

enum class RowOutcome { Copied, Missing, Lost };

// What a value of a cell the program could not read is replaced by, and why.
struct Replacement {
  enum class Kind { Keep, Null, Integer0, ZeroDate, Damaged } kind = Kind::Keep;
  std::string why;
};

std::string shown(sqlite3_stmt* read, int i) {
  if (sqlite3_column_type(read, i) == SQLITE_BLOB)
    return "a binary value of " + std::to_string(sqlite3_column_bytes(read, i)) + " bytes";
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(read, i));
  return "'" + util::leftChars(text ? text : "", 40) + "'";
}

// The same rules as Table's reads (table.h): a cell that the program would
// read as its default is written as that default; a memo or blob beyond its
// limit is left empty; a compressed value that does not inflate makes the row lost.
Replacement checkCell(sqlite3_stmt* read, int i, FieldType type) {
  const int stored = sqlite3_column_type(read, i);
  if (stored == SQLITE_NULL) return {};
  const auto bytes = [&] {
    const void* p = stored == SQLITE_BLOB ? sqlite3_column_blob(read, i) : sqlite3_column_text(read, i);
    return std::string_view(p ? static_cast<const char*>(p) : "", static_cast<size_t>(sqlite3_column_bytes(read, i)));
  };
  switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc: {
      if (stored == SQLITE_INTEGER || stored == SQLITE_FLOAT) return {};
      int v = 0;
      if (stored == SQLITE_TEXT && util::parseInt(bytes(), v)) return {};
      return {Replacement::Kind::Integer0, shown(read, i) + " is not an integer; 0 written"};
    }
    case FieldType::DateTime: {
      if (stored == SQLITE_INTEGER || stored == SQLITE_FLOAT) return {};
      util::DateTime d = 0;
      if (stored == SQLITE_TEXT && util::parseStorageText(bytes(), d)) return {};
      return {Replacement::Kind::ZeroDate,
              shown(read, i) + " is not a date-time; " + util::toStorageText(0).substr(0, 19) + " written"};
    }
    case FieldType::Memo:
    case FieldType::Blob: {
      const bool memo = type == FieldType::Memo;
      const size_t limit = memo ? kMaxMemoBytes : kMaxBlobBytes;
      const std::string tooLarge = "more than " + std::to_string(limit >> 20) + " MiB; left empty";
      if (stored != SQLITE_BLOB) {
        if (bytes().size() > limit) return {Replacement::Kind::Null, tooLarge};
        return {};
      }
      std::string out;
      const Status st = util::zlibDecompress(bytes(), out, limit);
      if (util::isTooLarge(st)) return {Replacement::Kind::Null, tooLarge};
      if (!st.ok()) return {Replacement::Kind::Damaged, {}};
      return {};
    }
    case FieldType::String:
      return {};
  }
  return {};
}

// Copies one row. Missing when the table says cleanly that no row has the key
// (a key from a damaged index page), Lost when the row cannot be read whole.
// The cells replaced by their defaults are added to `notes`.
RowOutcome copyRow(sqlite3_stmt* read, sqlite3_stmt* write, const ColumnMap& cols, int64_t key, Database& out,
                   std::vector<std::string>& notes) {
  sqlite3_reset(read);
  sqlite3_bind_int64(read, 1, key);
  const int first = sqlite3_step(read);
  if (first == SQLITE_DONE) return RowOutcome::Missing;
  if (first != SQLITE_ROW) return RowOutcome::Lost;
  const int n = static_cast<int>(cols.names.size());
  std::vector<Replacement> replace(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    replace[static_cast<size_t>(i)] = checkCell(read, i, cols.types[static_cast<size_t>(i)]);
    if (replace[static_cast<size_t>(i)].kind == Replacement::Kind::Damaged) return RowOutcome::Lost;
  }
  sqlite3_reset(write);
  sqlite3_bind_int64(write, 1, key);
  std::vector<std::string> rowNotes;
  for (int i = 0; i < n; ++i) {
    const int pos = i + 2;
    const Replacement& r = replace[static_cast<size_t>(i)];
    if (r.kind != Replacement::Kind::Keep)
      rowNotes.push_back("row " + std::to_string(key) + ", column " + cols.names[static_cast<size_t>(i)] + ": " + r.why);
    if (r.kind == Replacement::Kind::Null) {
      sqlite3_bind_null(write, pos);
      continue;
    }
    if (r.kind == Replacement::Kind::Integer0) {
      sqlite3_bind_int64(write, pos, 0);
      continue;
    }
    if (r.kind == Replacement::Kind::ZeroDate) {
      const std::string zero = util::toStorageText(0);
      sqlite3_bind_text(write, pos, zero.c_str(), -1, SQLITE_TRANSIENT);
      continue;
    }
    switch (sqlite3_column_type(read, i)) {
      case SQLITE_NULL: sqlite3_bind_null(write, pos); break;
      case SQLITE_INTEGER: sqlite3_bind_int64(write, pos, sqlite3_column_int64(read, i)); break;
      case SQLITE_FLOAT: sqlite3_bind_double(write, pos, sqlite3_column_double(read, i)); break;
      case SQLITE_TEXT:
        sqlite3_bind_text64(write, pos, reinterpret_cast<const char*>(sqlite3_column_text(read, i)),
                            static_cast<sqlite3_uint64>(sqlite3_column_bytes(read, i)), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
      default:
        sqlite3_bind_blob64(write, pos, sqlite3_column_blob(read, i),
                            static_cast<sqlite3_uint64>(sqlite3_column_bytes(read, i)), SQLITE_TRANSIENT);
    }
  }
  // A read that ended in damage after the row came back is still a lost row.
  const int more = sqlite3_step(read);
  if (more != SQLITE_DONE) return RowOutcome::Lost;
  if (sqlite3_step(write) != SQLITE_DONE) out.fail("Cannot write a repaired row");
  for (auto& note : rowNotes) notes.push_back(std::move(note));
  return RowOutcome::Copied;
}

RepairResult failed(const std::string& source, const std::string& why) {
  RepairResult r;
  r.ok = false;
  r.log = "\nRepair of " + source + "\n" + why + "\nNothing could be repaired; the file was not changed.\n";
  return r;
}

std::string plural(int64_t n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

}  // namespace

RepairResult repairBlogFile(const std::string& source, const std::string& target, const ProgressHandlers& handlers) {
  handlers.start();
  PercentReporter reporter(handlers);
  reporter.report(0);
  bool ended = false;
  // A result, good or bad, means the repair ran to its end; only a raised
  // failure ends it early.
  auto finish = [&](RepairResult r) {
    reporter.report(100);
    handlers.end(true);
    ended = true;
    return r;
  };
  try {
    // What the file is, before SQLite sees it.
    if (util::directoryExists(source)) return finish(failed(source, "Cannot read the file: it is a folder."));
    if (!util::fileExists(source)) return finish(failed(source, "Cannot read the file: it does not exist."));
    const int64_t size = util::fileSize(source);
    if (size == 0) return finish(failed(source, "The file is empty: it is not a blog file."));
    char magic[16] = {};
    if (std::FILE* f = std::fopen(source.c_str(), "rb")) {
      const size_t got = std::fread(magic, 1, sizeof magic, f);
      std::fclose(f);
      if (got < sizeof magic || std::memcmp(magic, "SQLite format 3", 16) != 0)
        return finish(failed(source, "The file is not a blog file: it is not a database."));
    } else {
      return finish(failed(source, "Cannot read the file: " + util::errnoText(errno) + "."));
    }

    recoverUnfinishedCommit(source);
    Source src(source);
    if (!src.ok()) return finish(failed(source, "Cannot open the file: " + src.error() + "."));
    {
      sqlite3_stmt* st = src.prepare("SELECT count(*) FROM sqlite_master");
      StmtGuard g{st};
      if (!st || sqlite3_step(st) != SQLITE_ROW)
        return finish(failed(source, "The list of tables cannot be read: " + src.errorText() + "."));
    }

    // Which rows exist, table by table.
    std::vector<TablePlan> plans;
    int64_t total = 0;
    for (const TableDef* def : allTableDefs()) {
      TablePlan p;
      p.def = def;
      p.found = tableExists(src, def->name);
      if (p.found) {
        p.columns = columnsToCopy(src, *def);
        for (const auto& ix : indexesOf(src, def->name)) collectFromIndex(src, def->name, ix, p.keys);
        collectFromTable(src, def->name, p.keys);
        std::sort(p.keys.begin(), p.keys.end());
        p.keys.erase(std::unique(p.keys.begin(), p.keys.end()), p.keys.end());
        total += static_cast<int64_t>(p.keys.size());
      }
      plans.push_back(std::move(p));
    }

    // The new file: the current tables, filled in one transaction.
    if (util::fileExists(target)) {
      const Status st = util::removeFile(target);
      if (!st.ok()) throw StoreError(st.message());
    }
    RepairResult result;
    {
      Database out;
      out.create(target);
      try {
        out.exec("PRAGMA synchronous = OFF");
        for (const TableDef* def : allTableDefs()) out.createTable(*def);
        Transaction tx(out);
        int64_t done = 0;
        for (const TablePlan& p : plans) {
          RepairTableCount count;
          count.table = p.def->name;
          count.found = p.found;
          if (p.found && !p.keys.empty()) {
            std::string names = "rowid", marks = "?";
            for (const auto& c : p.columns.names) {
              names += ", " + quoted(c);
              marks += ", ?";
            }
            std::string select = "SELECT ";
            for (size_t i = 0; i < p.columns.names.size(); ++i) select += (i ? ", " : "") + quoted(p.columns.names[i]);
            if (p.columns.names.empty()) select += "rowid";
            select += " FROM " + quoted(p.def->name) + " WHERE rowid = ?";
            sqlite3_stmt* read = src.prepare(select);
            StmtGuard g{read};
            Statement write = out.prepare("INSERT INTO " + quoted(p.def->name) + " (" + names + ") VALUES (" + marks + ")");
            std::vector<std::string> notes;
            for (const int64_t key : p.keys) {
              const RowOutcome o = read ? copyRow(read, write.get(), p.columns, key, out, notes) : RowOutcome::Lost;
              if (o == RowOutcome::Copied) ++count.copied;
              else if (o == RowOutcome::Lost) ++count.lost;
              ++done;
              if (total > 0) reporter.report(static_cast<int>(done * 99 / total));
            }
            for (const auto& note : notes) {
              if (result.replaced.size() >= kMaxReplacedNotes) break;
              result.replaced.push_back(p.def->name + ": " + note);
            }
          }
          result.tables.push_back(count);
        }
        // Keys are never handed out twice: keep the highest key the damaged file had given.
        if (sqlite3_stmt* seq = src.prepare("SELECT name, seq FROM sqlite_sequence")) {
          StmtGuard g{seq};
          Statement up = out.prepare(
              "UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = ?2 COLLATE NOCASE");
          Statement ins = out.prepare(
              "INSERT INTO sqlite_sequence (name, seq) SELECT ?2, ?1 WHERE NOT EXISTS "
              "(SELECT 1 FROM sqlite_sequence WHERE name = ?2 COLLATE NOCASE)");
          while (sqlite3_step(seq) == SQLITE_ROW) {
            const char* name = reinterpret_cast<const char*>(sqlite3_column_text(seq, 0));
            if (!name || !tableDef(name) || tableDef(name)->fields.empty() ||
                tableDef(name)->fields[0].type != FieldType::AutoInc)
              continue;
            for (Statement* s : {&up, &ins}) {
              s->reset();
              sqlite3_bind_int64(s->get(), 1, sqlite3_column_int64(seq, 1));
              sqlite3_bind_text(s->get(), 2, tableDef(name)->name.c_str(), -1, SQLITE_TRANSIENT);
              if (sqlite3_step(s->get()) != SQLITE_DONE) out.fail("Cannot write the key counters");
            }
          }
        }
        tx.commit();
        out.close();
      } catch (...) {
        out.close();
        (void)util::removeFile(target);
        throw;
      }
    }
    syncFileToDisk(target);

    int64_t copied = 0, lost = 0;
    bool allFound = true;
    std::string log = "\nRepair of " + source + "\n";
    for (const auto& c : result.tables) {
      if (!c.found) {
        log += c.table + ": missing or unreadable, no rows copied\n";
        allFound = false;
        continue;
      }
      log += c.table + ": " + plural(c.copied, "row") + " copied, " + plural(c.lost, "row") + " lost\n";
      copied += c.copied;
      lost += c.lost;
    }
    log += "In all: " + plural(copied, "row") + " copied, " + plural(lost, "row") + " lost.\n";
    if (!result.replaced.empty()) {
      log += "Values that could not be read, replaced:\n";
      for (const auto& note : result.replaced) log += note + "\n";
    }
    result.ok = allFound && lost == 0;
    result.log = log;
    return finish(std::move(result));
  } catch (...) {
    if (!ended) handlers.end(false);
    throw;
  }
}

}  // namespace tessary::store
