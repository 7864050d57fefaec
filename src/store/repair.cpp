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
#include "util/compression.h"
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
    sqlite3_exec(db_, "PRAGMA cell_size_check = ON", nullptr, nullptr, nullptr);
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

// The keys reachable through an index (a covering scan that never reads the table's pages).
void collectFromIndex(Source& src, const std::string& table, const std::string& index, std::vector<int64_t>& keys) {
  sqlite3_stmt* st = src.prepare("SELECT rowid FROM " + quoted(table) + " INDEXED BY " + quoted(index));
  if (!st) return;
  StmtGuard g{st};
  while (sqlite3_step(st) == SQLITE_ROW) keys.push_back(sqlite3_column_int64(st, 0));
}

// Seeks the first key above `after`: 1 found (key set), 0 none left, -1 the seek
// ran into damage.
int seekAfter(sqlite3_stmt* st, int64_t after, int64_t& key) {
  sqlite3_reset(st);
  sqlite3_bind_int64(st, 1, after);
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) {
    key = sqlite3_column_int64(st, 0);
    return 1;
  }
  return rc == SQLITE_DONE ? 0 : -1;
}

// The keys reachable by walking the table in key order. Where the walk hits a
// damaged page it seeks further and further ahead until a seek lands on sound
// pages, then narrows down to where the sound part begins.
void collectFromTable(Source& src, const std::string& table, std::vector<int64_t>& keys) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  sqlite3_stmt* walk = src.prepare("SELECT rowid FROM " + quoted(table) + " WHERE rowid > ? ORDER BY rowid");
  sqlite3_stmt* seek =
      src.prepare("SELECT rowid FROM " + quoted(table) + " WHERE rowid > ? ORDER BY rowid LIMIT 1");
  StmtGuard g1{walk}, g2{seek};
  if (!walk || !seek) return;
  int64_t last = std::numeric_limits<int64_t>::min();
  int probes = 0;
  constexpr int kMaxProbes = 200000;
  for (;;) {
    sqlite3_reset(walk);
    sqlite3_bind_int64(walk, 1, last);
    int rc;
    while ((rc = sqlite3_step(walk)) == SQLITE_ROW) {
      last = sqlite3_column_int64(walk, 0);
      keys.push_back(last);
    }
    if (rc == SQLITE_DONE || last == kMax) return;
    // Damage after `last`: find a point beyond it from which seeking works.
    int64_t bad = last, good = kMax, found = 0;
    bool haveGood = false;
    for (int64_t step = 1; !haveGood && probes < kMaxProbes; step = step > kMax / 2 ? kMax : step * 2) {
      const int64_t at = bad > kMax - step ? kMax : bad + step;
      ++probes;
      const int r = seekAfter(seek, at, found);
      if (r >= 0) {
        good = at;
        haveGood = true;
        if (r == 0) found = 0;
      } else {
        bad = at;
        if (at == kMax) break;
      }
    }
    if (!haveGood) return;
    while (good - bad > 1 && probes < kMaxProbes) {
      const int64_t mid = bad + (good - bad) / 2;
      ++probes;
      int64_t k = 0;
      if (seekAfter(seek, mid, k) >= 0) good = mid;
      else bad = mid;
    }
    if (probes >= kMaxProbes) return;
    last = good;
  }
}

struct ColumnMap {
  std::vector<std::string> names;   // columns copied, in the source's order
  std::vector<bool> compressed;     // memo and blob columns: their zlib streams must inflate
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
    map.compressed.push_back(f->type == FieldType::Memo || f->type == FieldType::Blob);
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

bool streamInflates(const void* data, int size) {
  std::string out;
  return util::zlibDecompress(std::string_view(static_cast<const char*>(data), static_cast<size_t>(size)), out).ok();
}

// Copies one row; false when the row cannot be read whole.
bool copyRow(sqlite3_stmt* read, sqlite3_stmt* write, const ColumnMap& cols, int64_t key, Database& out) {
  sqlite3_reset(read);
  sqlite3_bind_int64(read, 1, key);
  if (sqlite3_step(read) != SQLITE_ROW) return false;
  const int n = static_cast<int>(cols.names.size());
  for (int i = 0; i < n; ++i) {
    if (cols.compressed[static_cast<size_t>(i)] && sqlite3_column_type(read, i) == SQLITE_BLOB &&
        !streamInflates(sqlite3_column_blob(read, i), sqlite3_column_bytes(read, i)))
      return false;
  }
  sqlite3_reset(write);
  sqlite3_bind_int64(write, 1, key);
  for (int i = 0; i < n; ++i) {
    const int pos = i + 2;
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
  if (more != SQLITE_DONE) return false;
  if (sqlite3_step(write) != SQLITE_DONE) out.fail("Cannot write a repaired row");
  return true;
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
            for (const int64_t key : p.keys) {
              if (read && copyRow(read, write.get(), p.columns, key, out)) ++count.copied;
              else ++count.lost;
              ++done;
              if (total > 0) reporter.report(static_cast<int>(done * 99 / total));
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
    result.ok = allFound && lost == 0;
    result.log = log;
    return finish(std::move(result));
  } catch (...) {
    if (!ended) handlers.end(false);
    throw;
  }
}

}  // namespace tessary::store
