#include "generator/page_output.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "store/schema.h"
#include "util/crc32.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::generator {

namespace {

// Tracking writes are committed in batches of at most this many rows or this
// much time, whichever comes first: a run over thousands of files pays a
// handful of disk syncs (each costs tens of milliseconds), not one per row; a
// run that dies loses at most the last second of tracking (which the next run
// redoes: a page whose local checksum was not recorded is written again); and a
// commit that fails gives up no more than one batch.
constexpr int kRowsPerCommit = 250;
constexpr auto kCommitInterval = std::chrono::milliseconds(900);

int32_t columnInt(sqlite3_stmt* st, int col) {
  return sqlite3_column_type(st, col) == SQLITE_NULL ? 0 : static_cast<int32_t>(sqlite3_column_int64(st, col));
}

std::string columnText(sqlite3_stmt* st, int col) {
  const unsigned char* p = sqlite3_column_text(st, col);
  if (!p) return {};
  return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(st, col)));
}

void bindText(sqlite3_stmt* st, int pos, const std::string& s) {
  sqlite3_bind_text64(st, pos, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void stepDone(store::Database& db, sqlite3_stmt* st, const std::string& what) {
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  if (rc != SQLITE_DONE) db.fail(what);
}

// Runs a walk over tblPages as one transaction: all of its rows change or
// none. commit() raises when the commit fails (the walk is then rolled back);
// a walk left by an error is rolled back.
class WalkTransaction {
 public:
  explicit WalkTransaction(store::Database& db) : db_(db) { db_.begin(); }
  ~WalkTransaction() {
    if (!done_) {
      try {
        db_.rollback();
      } catch (...) {
      }
    }
    db_.notifyDataChanged(store::tables::kPages);
  }
  void commit() {
    db_.commit();
    done_ = true;
  }
  WalkTransaction(const WalkTransaction&) = delete;
  WalkTransaction& operator=(const WalkTransaction&) = delete;

 private:
  store::Database& db_;
  bool done_ = false;
};

void storeLastGeneration(store::Database& db, bool complete) {
  db.exec("DELETE FROM tblOptions WHERE OptionKey = " + std::to_string(kLastGenerationOptionKey));
  db.exec(std::string("INSERT INTO tblOptions (OptionKey, OptionName, OptionValue, OptionInteger) VALUES (") +
          std::to_string(kLastGenerationOptionKey) + ", '" + kLastGenerationOptionName + "', '" +
          (complete ? "1" : "0") + "', " + (complete ? "1" : "0") + ")");
}

}  // namespace

LastGeneration lastGenerationState(store::Database& db) {
  store::Statement st = db.prepare("SELECT OptionInteger FROM tblOptions WHERE OptionKey = " +
                                   std::to_string(kLastGenerationOptionKey));
  const int rc = sqlite3_step(st.get());
  if (rc == SQLITE_DONE) return LastGeneration::Unknown;
  if (rc != SQLITE_ROW) db.fail("Cannot read table tblOptions");
  return columnInt(st.get(), 0) == 1 ? LastGeneration::Complete : LastGeneration::Incomplete;
}

PageOutput::PageOutput(store::BlogDb& blog, ProgressLog& log, std::string outputFolder)
    : blog_(blog), log_(log), outputFolder_(std::move(outputFolder)) {}

PageOutput::~PageOutput() {
  try {
    commit();
  } catch (...) {
  }
  if (folderFd_ >= 0) ::close(folderFd_);
}

bool PageOutput::isWritableName(std::string_view name) {
  return util::isBareFileName(name) && util::charCount(name) <= kMaxPageKeyChars;
}

void PageOutput::load() {
  if (loaded_) return;
  rows_.clear();
  store::Database& db = blog_.database();
  store::Statement st =
      db.prepare("SELECT PageKey, PageCRCExisting, PageCRCNew, PageCRCLocal FROM tblPages ORDER BY PageKey");
  int rc;
  rowSpelling_.clear();
  storedFresh_.clear();  // the rows in memory are the file's
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    PageRow row{columnInt(st.get(), 1), columnInt(st.get(), 2), columnInt(st.get(), 3)};
    std::string key = columnText(st.get(), 0);
    rowSpelling_.emplace(util::lowerAscii(key), key);  // the first in key order
    rows_.emplace(std::move(key), row);
  }
  if (rc != SQLITE_DONE) db.fail("Cannot read table tblPages");
  loaded_ = true;
}

namespace {
constexpr const char* kInputsTable = "tblPageInputs";
}  // namespace

void PageOutput::loadInputs() {
  if (inputsLoaded_) return;
  inputs_.clear();
  store::Database& db = blog_.database();
  inputsTable_ = db.tableExists(kInputsTable);
  if (inputsTable_) {
    store::Statement st =
        db.prepare(std::string("SELECT PageKey, InputDigest, PageCRC, PageSize, EntryTeaser FROM ") + kInputsTable);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
      Inputs in;
      in.digest = static_cast<uint64_t>(sqlite3_column_int64(st.get(), 1));
      in.version = {columnInt(st.get(), 2), sqlite3_column_int64(st.get(), 3)};
      in.teaser = columnText(st.get(), 4);
      inputs_.insert_or_assign(columnText(st.get(), 0), std::move(in));
    }
    if (rc != SQLITE_DONE) db.fail(std::string("Cannot read table ") + kInputsTable);
  }
  inputsLoaded_ = true;
}

bool PageOutput::builtFrom(const std::string& name, uint64_t digest, BuiltVersion& version) {
  if (digest == 0 || !isWritableName(name)) return false;
  load();
  loadInputs();
  const std::string folded = util::lowerAscii(name);
  const auto in = inputs_.find(folded);
  if (in == inputs_.end() || in->second.digest != digest) return false;
  // A file of this name handed in earlier in the run (a page, a template
  // file) may have replaced the one on disk before this page's turn.
  if (claimed_.count(folded) != 0) return false;
  // The spelling planPage will give it.
  const std::string spelling = unclaimedSpelling(name, folded);
  const auto row = rows_.find(spelling);
  if (row == rows_.end() || row->second.local != in->second.version.crc) return false;
  // Looked up in the folder opened once: a run over thousands of pages pays
  // one path walk, not one per page.
  if (folderFd_ == -2)
    folderFd_ = ::open(outputFolder_.empty() ? "." : outputFolder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct stat st {};
  const bool found = folderFd_ >= 0 ? ::fstatat(folderFd_, spelling.c_str(), &st, 0) == 0
                                    : ::stat((outputFolder_ + spelling).c_str(), &st) == 0;
  if (!found || static_cast<int64_t>(st.st_size) != in->second.version.size) return false;
  version = in->second.version;
  return true;
}

const std::string* PageOutput::recordedTeaser(const std::string& name, uint64_t digest) {
  if (digest == 0) return nullptr;
  loadInputs();
  const auto in = inputs_.find(util::lowerAscii(name));
  return in != inputs_.end() && in->second.digest == digest ? &in->second.teaser : nullptr;
}

void PageOutput::recordInputs(const PagePlan& plan, uint64_t digest, const PageFile& file,
                              const std::string& teaser) {
  if (plan.refused) return;
  loadInputs();
  const std::string folded = util::lowerAscii(plan.name);
  const auto in = inputs_.find(folded);
  if (digest == 0) {
    if (in != inputs_.end()) storeInputs(folded, 0, nullptr);
    return;
  }
  const BuiltVersion version{file.crc, file.size};
  if (in != inputs_.end() && in->second.digest == digest && in->second.version.crc == version.crc &&
      in->second.version.size == version.size && in->second.teaser == teaser)
    return;
  storeInputs(folded, digest, &version, teaser);
}

void PageOutput::storeInputs(const std::string& folded, uint64_t digest, const BuiltVersion* version,
                             const std::string& teaser) {
  touched();
  store::Database& db = blog_.database();
  if (!inputsTable_) {
    // Kept by its key alone: a row written is one B-tree insert, not two.
    // (A file that has the table with rowids keeps it: both read and write alike.)
    db.exec(std::string("CREATE TABLE IF NOT EXISTS ") + kInputsTable +
            " (PageKey TEXT PRIMARY KEY, InputDigest INTEGER NOT NULL, PageCRC INTEGER NOT NULL, "
            "PageSize INTEGER NOT NULL, EntryTeaser TEXT) WITHOUT ROWID");
    inputsTable_ = true;
  }
  if (!version) {
    if (!dropInputs_) dropInputs_ = db.prepare(std::string("DELETE FROM ") + kInputsTable + " WHERE PageKey = ?");
    bindText(dropInputs_.get(), 1, folded);
    stepDone(db, dropInputs_.get(), std::string("Cannot delete a row of ") + kInputsTable);
    inputs_.erase(folded);
    return;
  }
  if (!putInputs_)
    putInputs_ = db.prepare(std::string("INSERT OR REPLACE INTO ") + kInputsTable +
                            " (PageKey, InputDigest, PageCRC, PageSize, EntryTeaser) VALUES (?, ?, ?, ?, ?)");
  sqlite3_stmt* st = putInputs_.get();
  bindText(st, 1, folded);
  sqlite3_bind_int64(st, 2, static_cast<sqlite3_int64>(digest));
  sqlite3_bind_int(st, 3, version->crc);
  sqlite3_bind_int64(st, 4, version->size);
  bindText(st, 5, teaser);
  stepDone(db, st, std::string("Cannot write a row of ") + kInputsTable);
  inputs_[folded] = {digest, *version, teaser};
}

const std::map<std::string, PageRow>& PageOutput::rows() {
  load();
  return rows_;
}

void PageOutput::touched() {
  if (!inTransaction_) {
    blog_.database().begin();
    inTransaction_ = true;
    batchStart_ = std::chrono::steady_clock::now();
  }
  ++pendingWrites_;
  commitWhenDue();
}

void PageOutput::commitWhenDue() {
  if (inTransaction_ &&
      (pendingWrites_ >= kRowsPerCommit || std::chrono::steady_clock::now() - batchStart_ >= kCommitInterval))
    commit();
}

void PageOutput::commit() {
  if (!inTransaction_) return;
  inTransaction_ = false;
  pendingWrites_ = 0;
  store::Database& db = blog_.database();
  try {
    db.commit();
  } catch (const std::exception& e) {
    // A commit that fails (a full disk, another program holding the file) must
    // not leave the transaction open under the rest of the session: give this
    // batch up (what earlier commits stored stays) and report the failure.
    try {
      db.rollback();
    } catch (...) {
    }
    loaded_ = false;  // the rows in memory no longer match the file
    db.notifyDataChanged(store::tables::kPages);
    db.notifyDataChanged(store::tables::kOptions);
    const std::string message = "Cannot store the page tracking in " + blog_.fileName() + ": " + e.what();
    log_.AppendColouredLine(colours::kRed, "*** Error: " + message + " ***");
    throw OutputError(message);
  }
  db.notifyDataChanged(store::tables::kPages);
}

void PageOutput::ResetNewChecksums() {
  load();
  touched();
  store::Database& db = blog_.database();
  storeLastGeneration(db, false);
  storedFresh_.clear();
  storedFresh_.reserve(rows_.size());
  for (auto& [key, row] : rows_) {
    if (row.fresh != 0) storedFresh_.emplace(key, row.fresh);
    row.fresh = 0;
  }
  claimed_.clear();
  commit();
  db.notifyDataChanged(store::tables::kOptions);
}

void PageOutput::markRunComplete() {
  touched();
  store::Database& db = blog_.database();
  storeLastGeneration(db, true);
  commit();
  db.notifyDataChanged(store::tables::kOptions);
}

void PageOutput::preferSpelling(const std::string& name) { preferred_.emplace(util::lowerAscii(name), name); }

std::string PageOutput::unclaimedSpelling(const std::string& name, const std::string& folded) const {
  if (const auto p = preferred_.find(folded); p != preferred_.end()) return p->second;  // the name the site links
  if (rows_.count(name) == 0)
    if (const auto r = rowSpelling_.find(folded); r != rowSpelling_.end()) return r->second;  // tracked
  return name;
}

std::string PageOutput::spellingFor(const std::string& name) {
  const std::string folded = util::lowerAscii(name);
  const auto c = claimed_.find(folded);  // a file this run already wrote
  std::string spelling = c != claimed_.end() ? c->second : unclaimedSpelling(name, folded);
  claimed_.emplace(folded, spelling);
  return spelling;
}

void PageOutput::reportSpelling(const std::string& name, const std::string& spelling) {
  if (spelling != name)
    log_.AppendLine("..." + name + " is written as " + spelling + " (their names differ only in case)");
}

PageRow PageOutput::rowBefore(const std::string& name) const {
  const auto it = rows_.find(name);
  return it == rows_.end() ? PageRow{} : it->second;
}

void PageOutput::storeRow(const std::string& name, const PageRow& row, bool isNew, const PageRow& before) {
  if (!isNew) {
    PageRow stored = before;
    if (const auto it = storedFresh_.find(name); it != storedFresh_.end()) {
      stored.fresh = it->second;
      storedFresh_.erase(it);  // from here on the file holds the row in memory
    }
    if (stored.existing == row.existing && stored.fresh == row.fresh && stored.local == row.local) return;
  }
  touched();
  store::Database& db = blog_.database();
  if (isNew) {
    if (!insert_)
      insert_ = db.prepare(
          "INSERT INTO tblPages (PageKey, PageCRCExisting, PageCRCNew, PageCRCLocal) VALUES (?, ?, ?, ?)");
    sqlite3_stmt* st = insert_.get();
    bindText(st, 1, name);
    sqlite3_bind_int(st, 2, row.existing);
    sqlite3_bind_int(st, 3, row.fresh);
    sqlite3_bind_int(st, 4, row.local);
    stepDone(db, st, "Cannot insert a row into tblPages");
  } else {
    if (!update_)
      update_ =
          db.prepare("UPDATE tblPages SET PageCRCExisting = ?, PageCRCNew = ?, PageCRCLocal = ? WHERE PageKey = ?");
    sqlite3_stmt* st = update_.get();
    sqlite3_bind_int(st, 1, row.existing);
    sqlite3_bind_int(st, 2, row.fresh);
    sqlite3_bind_int(st, 3, row.local);
    bindText(st, 4, name);
    stepDone(db, st, "Cannot update a row of tblPages");
  }
}

bool PageOutput::localCopyCurrent(const std::string& path, int64_t size) {
  const int64_t actual = util::fileSize(path);
  if (actual < 0) return false;
  return size < 0 || actual == size;
}

bool PageOutput::refuse(const std::string& name, std::string_view source) {
  if (isWritableName(name)) return false;
  std::string line = "*** Error: ";
  if (!source.empty()) line += std::string(source) + ": ";
  line += "\"" + name + "\"";
  line += util::isBareFileName(name) ? " is longer than 120 characters" : " is not a plain file name";
  line += "; nothing was written ***";
  log_.AppendColouredLine(colours::kRed, line);
  return true;
}

PageRow& PageOutput::recordVersion(const std::string& name, int32_t crc, int32_t& counter, bool& isNew) {
  auto it = rows_.find(name);
  isNew = it == rows_.end();
  if (isNew) {
    log_.AppendLine("..." + name + " is new.");
    ++counter;
    it = rows_.emplace(name, PageRow{0, crc, 0}).first;
    rowSpelling_.emplace(util::lowerAscii(name), name);
    return it->second;
  }
  PageRow& row = it->second;
  row.fresh = crc;
  // Until it is published a changed page reads as changed on every run.
  if (crc != row.existing) {
    log_.AppendLine("... " + name + " has changes.");
    ++counter;
  }
  return row;
}

bool PageOutput::track(const std::string& name, int32_t crc, int64_t size, int32_t& counter, Reporting reporting,
                       const std::function<bool()>& write, const std::function<void()>& onFirstFailure) {
  load();
  // A batch that waited while a page was being built is committed before the
  // next file: the rows stored more than a second ago are on disk.
  commitWhenDue();
  bool ok = true;
  auto attempt = [&](PageRow& row) {
    // The local checksum is recorded only once the file is complete.
    if (write()) {
      row.local = crc;
      return true;
    }
    return false;
  };
  bool isNew = false;
  const PageRow before = rowBefore(name);
  PageRow& row = recordVersion(name, crc, counter, isNew);
  if (isNew) {
    ok = attempt(row);
  } else if (crc != row.existing) {
    // A local copy that already holds this version (its recorded checksum, and
    // a file of its size) stays as it is: the publishers send the same bytes
    // and a visitor of the output folder sees the same page.
    if (!(size >= 0 && row.local == crc && localCopyCurrent(outputFolder_ + name, size))) ok = attempt(row);
  }
  storeRow(name, row, isNew, before);
  if (!ok) {
    if (reporting == Reporting::Template && onFirstFailure) onFirstFailure();
    if (reporting != Reporting::Template) return false;
  }
  if (row.local == crc && localCopyCurrent(outputFolder_ + name, size)) return true;
  const PageRow stored = row;
  if (!attempt(row)) return false;
  storeRow(name, row, false, stored);
  return true;
}

PageOutput::PagePlan PageOutput::planPage(const std::string& pageName, std::string_view source) {
  PagePlan plan;
  plan.requested = pageName;
  plan.source.assign(source);
  plan.refused = !isWritableName(pageName);
  if (plan.refused) return plan;
  load();
  plan.name = spellingFor(pageName);
  plan.path = outputFolder_ + plan.name;
  if (const auto it = rows_.find(plan.name); it != rows_.end()) {
    plan.tracked = true;
    plan.row = it->second;
  }
  return plan;
}

PageOutput::PageFile PageOutput::preparePage(const PagePlan& plan, std::string_view text) {
  PageFile file;
  if (plan.refused) return file;
  file.crc = util::crcToStored(util::CalculateCRC32String(text));
  file.size = static_cast<int64_t>(text.size());
  // A new page is always written; a tracked one unless its local copy holds
  // this version (its recorded checksum, and a file of its size): then the
  // publishers send the same bytes and a visitor of the output folder sees
  // the same page.
  if (plan.tracked && plan.row.local == file.crc && localCopyCurrent(plan.path, file.size)) return file;
  const Status st = util::writeTemporaryFile(plan.path, text, file.temporary);
  if (!st.ok()) file.failure = st.message().empty() ? "Cannot write " + plan.path : st.message();
  return file;
}

void PageOutput::discardPage(PageFile& file) noexcept {
  if (file.temporary.empty()) return;
  (void)util::removeFile(file.temporary);
  file.temporary.clear();
}

bool PageOutput::applyPage(const PagePlan& plan, PageFile& file) {
  log_.AppendLine("...building page " + plan.requested);
  if (refuse(plan.requested, plan.source)) return false;
  load();
  reportSpelling(plan.requested, plan.name);
  // A batch that waited while a page was being built is committed before the
  // next file: the rows stored more than a second ago are on disk.
  commitWhenDue();
  const int32_t crc = file.crc;
  bool isNew = false;
  const PageRow before = rowBefore(plan.name);
  PageRow& row = recordVersion(plan.name, crc, counters_.pagesAddedOrChanged, isNew);
  std::string failure = file.failure;
  if (!file.temporary.empty()) {
    // The local checksum is recorded only once the file is in place.
    const Status st = util::putTemporaryInPlace(file.temporary, plan.path);
    file.temporary.clear();
    if (st.ok())
      row.local = crc;
    else
      failure = st.message().empty() ? "Cannot write " + plan.path : st.message();
  }
  storeRow(plan.name, row, isNew, before);
  if (!failure.empty()) {
    commit();
    throw OutputError(failure);
  }
  return true;
}

bool PageOutput::WritePage(const std::string& pageName, std::string_view text, std::string_view source) {
  const PagePlan plan = planPage(pageName, source);
  PageFile file = preparePage(plan, text);
  try {
    return applyPage(plan, file);
  } catch (...) {
    discardPage(file);
    throw;
  }
}

bool PageOutput::WriteStoredFile(StoredKind kind, const std::string& storedName, int32_t storedCrc,
                                 const std::function<std::string()>& bytes) {
  if (refuse(storedName, kind == StoredKind::Picture ? "picture" : "file")) return false;
  load();
  const std::string name = spellingFor(storedName);
  reportSpelling(storedName, name);
  const std::string path = outputFolder_ + name;
  auto write = [&]() {
    try {
      return util::writeFileAtomic(path, bytes()).ok();
    } catch (const std::exception&) {
      return false;  // a damaged blob: this row is skipped, the run goes on
    }
  };
  int32_t& counter =
      kind == StoredKind::Picture ? counters_.picturesAddedOrChanged : counters_.filesAddedOrChanged;
  return track(name, storedCrc, -1, counter, Reporting::Stored, write, nullptr);
}

bool PageOutput::WriteTemplateFile(const std::string& fileName, std::string_view bytes,
                                   const std::function<void()>& onFailure) {
  if (refuse(fileName, "template file")) return false;
  load();
  const std::string name = spellingFor(fileName);
  reportSpelling(fileName, name);
  const int32_t crc = util::crcToStored(util::CalculateCRC32String(bytes));
  const std::string path = outputFolder_ + name;
  // Content that decodes to nothing cannot be written (and its checksum 0 makes
  // the row read as not produced).
  auto write = [&]() { return !bytes.empty() && util::writeFileAtomic(path, bytes).ok(); };
  track(name, crc, static_cast<int64_t>(bytes.size()), counters_.filesAddedOrChanged, Reporting::Template, write,
        onFailure);
  return true;
}

void PageOutput::RemoveOrphans() {
  load();
  // The rows no page of the run took read as orphans from here on in the file too.
  while (!storedFresh_.empty()) {
    const std::string name = storedFresh_.begin()->first;
    const auto it = rows_.find(name);
    if (it == rows_.end()) {
      storedFresh_.erase(storedFresh_.begin());
      continue;
    }
    storeRow(name, it->second, false, it->second);  // takes the file's PageCRCNew from storedFresh_
  }
  for (const auto& [key, row] : rows_) {
    if (row.fresh != 0) continue;
    // Where names are compared without case this file is one the run wrote.
    if (const auto c = claimed_.find(util::lowerAscii(key)); c != claimed_.end() && c->second != key) {
      log_.AppendLine("...Keeping " + key + ": its name differs only in case from " + c->second);
      continue;
    }
    log_.AppendLine("...Removing orphan page " + key);
    ++counters_.pagesRemoved;
    if (!isWritableName(key)) {
      log_.AppendColouredLine(colours::kRed,
                              "*** Error: \"" + key + "\" is not a plain file name; nothing was deleted ***");
      continue;
    }
    loadInputs();
    if (inputs_.count(util::lowerAscii(key)) != 0) storeInputs(util::lowerAscii(key), 0, nullptr);
    const std::string path = outputFolder_ + key;
    // A local orphan that cannot be deleted is left in place.
    if (util::fileExists(path)) (void)util::removeFile(path);
  }
}

namespace {

struct MarkRow {
  int64_t rowid;
  std::string key;
  int32_t fresh;
};

std::vector<MarkRow> pageRowsInKeyOrder(store::Database& db) {
  std::vector<MarkRow> out;
  store::Statement st = db.prepare("SELECT rowid, PageKey, PageCRCNew FROM tblPages ORDER BY PageKey, rowid");
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
    out.push_back({sqlite3_column_int64(st.get(), 0), columnText(st.get(), 1), columnInt(st.get(), 2)});
  if (rc != SQLITE_DONE) db.fail("Cannot read table tblPages");
  return out;
}

class StatusPopup {
 public:
  StatusPopup(store::UserInterface& ui, const std::string& text) : ui_(ui) { ui_.statusShow(text); }
  ~StatusPopup() { ui_.statusClose(); }
  StatusPopup(const StatusPopup&) = delete;
  StatusPopup& operator=(const StatusPopup&) = delete;

 private:
  store::UserInterface& ui_;
};

}  // namespace

bool MarkAllAsNew(store::BlogDb& blog) {
  store::BlogDb::RunScope run(blog, "Mark All as New");
  store::UserInterface& ui = blog.ui();
  if (ui.confirm("Mark all Blog Pages as NOT Published?", store::Buttons::YesNo) != store::Answer::Yes)
    return false;
  StatusPopup popup(ui, "Marking all Blog Pages as NOT Published");
  store::Database& db = blog.database();
  {
    WalkTransaction walk(db);
    store::Statement update = db.prepare("UPDATE tblPages SET PageCRCExisting = 0 WHERE rowid = ?");
    for (const MarkRow& r : pageRowsInKeyOrder(db)) {
      ui.statusSetMessage("Marking " + r.key);
      sqlite3_bind_int64(update.get(), 1, r.rowid);
      stepDone(db, update.get(), "Cannot update a row of tblPages");
    }
    walk.commit();
  }
  ui.statusSetMessage("Marking all Blog Pages as NOT Published complete");
  return true;
}

bool MarkAllAsPublished(store::BlogDb& blog) {
  store::BlogDb::RunScope run(blog, "Mark All as Published");
  store::UserInterface& ui = blog.ui();
  if (ui.confirm("Mark all Blog Pages as Published?", store::Buttons::YesNo) != store::Answer::Yes) return false;
  StatusPopup popup(ui, "Marking all Blog Pages as Published");
  store::Database& db = blog.database();
  {
    WalkTransaction walk(db);
    store::Statement update = db.prepare("UPDATE tblPages SET PageCRCExisting = PageCRCNew WHERE rowid = ?");
    store::Statement remove = db.prepare("DELETE FROM tblPages WHERE rowid = ?");
    // The rows are listed before the walk, so removing one never skips the next.
    for (const MarkRow& r : pageRowsInKeyOrder(db)) {
      ui.statusSetMessage("Marking " + r.key);
      sqlite3_stmt* st = r.fresh != 0 ? update.get() : remove.get();
      sqlite3_bind_int64(st, 1, r.rowid);
      stepDone(db, st, "Cannot update a row of tblPages");
    }
    walk.commit();
  }
  ui.statusSetMessage("Marking all Blog Pages as Published complete");
  return true;
}

}  // namespace tessary::generator
