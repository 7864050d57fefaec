#include "store/compaction.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>

#include "store/blog_lock.h"
#include "store/database.h"
#include "util/files.h"

namespace tessary::store {

void syncFileToDisk(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

void syncFolderToDisk(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

namespace {

int64_t queryInt(Database& db, const char* sql) {
  Statement st = db.prepare(sql);
  if (sqlite3_step(st.get()) != SQLITE_ROW) db.fail(std::string("Cannot read ") + sql);
  return sqlite3_column_int64(st.get(), 0);
}

// SQLite does not say how far a VACUUM INTO has come; the size of the growing
// copy against the pages in use gives a fair estimate. Looked at no more often
// than every 50 ms, so the callback costs next to nothing.
struct CopyWatch {
  std::string tmp;
  int64_t expectedBytes = 1;
  PercentReporter* reporter = nullptr;
  std::chrono::steady_clock::time_point nextLook{};
};

int onVacuumProgress(void* p) {
  auto* w = static_cast<CopyWatch*>(p);
  const auto now = std::chrono::steady_clock::now();
  if (now < w->nextLook) return 0;
  w->nextLook = now + std::chrono::milliseconds(50);
  const int64_t size = util::fileSize(w->tmp);
  if (size > 0) {
    const int64_t pct = size * 100 / w->expectedBytes;
    w->reporter->report(static_cast<int>(pct > 99 ? 99 : pct));
  }
  return 0;  // never stop the work
}

void copyToTemporary(const std::string& source, const std::string& tmp, PercentReporter& reporter) {
  Database db;
  db.open(source, Database::Mode::ReadOnly);
  // The copy is synced once, as a whole, before its rename (SQLite would sync
  // it page by page); the source is read through a memory map, not a read per page.
  db.exec("PRAGMA synchronous = OFF");
  db.exec("PRAGMA mmap_size = 1073741824");
  CopyWatch watch;
  watch.tmp = tmp;
  watch.reporter = &reporter;
  const int64_t pageSize = queryInt(db, "PRAGMA page_size");
  const int64_t used = queryInt(db, "PRAGMA page_count") - queryInt(db, "PRAGMA freelist_count");
  watch.expectedBytes = used * pageSize > 0 ? used * pageSize : 1;

  Statement st = db.prepare("VACUUM INTO ?");
  sqlite3_bind_text(st.get(), 1, tmp.c_str(), static_cast<int>(tmp.size()), SQLITE_TRANSIENT);
  sqlite3_progress_handler(db.handle(), 1000, onVacuumProgress, &watch);
  const int rc = sqlite3_step(st.get());
  sqlite3_progress_handler(db.handle(), 0, nullptr, nullptr);
  if (rc != SQLITE_DONE) {
    const std::string msg = db.errorText();
    st = Statement();
    db.close();
    throw StoreError(msg);
  }
  st = Statement();
  db.close();
}

void compactVia(const std::string& source, const std::string& tmp, const std::string& target,
                const ProgressHandlers& handlers, const std::function<void()>& beforeReplace, BlogFileLock* lock) {
  handlers.start();
  PercentReporter reporter(handlers);
  reporter.report(0);
  try {
    if (util::fileExists(tmp)) {
      const Status st = util::removeFile(tmp);
      if (!st.ok()) throw StoreError(st.message());
    }
    try {
      copyToTemporary(source, tmp, reporter);
    } catch (const StoreError& e) {
      throw StoreError("Cannot write a compacted copy of " + source + " to " + target + ": " + e.what());
    }
    syncFileToDisk(tmp);
    if (beforeReplace) beforeReplace();
    const Status moved = lock ? lock->renameOver(tmp, target) : util::renameFile(tmp, target);
    if (!moved.ok()) throw StoreError(moved.message());
    syncFolderToDisk(util::folderOf(target));
  } catch (...) {
    if (util::fileExists(tmp)) (void)util::removeFile(tmp);
    handlers.end(false);
    throw;
  }
  reporter.report(100);
  handlers.end(true);
}

}  // namespace

void writeCompactedCopy(const std::string& source, const std::string& target, const ProgressHandlers& handlers,
                        const std::function<void()>& beforeReplace) {
  compactVia(source, target + ".tmp", target, handlers, beforeReplace, nullptr);
}

void compactInPlace(const std::string& fileName, const ProgressHandlers& handlers, BlogFileLock* lock) {
  compactVia(fileName, fileName + ".tmp", fileName, handlers, {}, lock);
}

}  // namespace tessary::store
