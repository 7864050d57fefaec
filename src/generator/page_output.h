// Page output and change tracking. Every file a generation run produces passes
// through PageOutput, which decides whether it is written to the output folder
// and records three checksums per file in tblPages:
//
//   PageCRCExisting  the version last published (0: never, or marked new)
//   PageCRCNew       the version the latest run produced (0: an orphan)
//   PageCRCLocal     the version last written to the output folder
//
// A file is written when it is new, when it differs from the published version,
// and when the local copy is missing or not the one the run produced. Files are
// written atomically (temporary file, then rename) and PageCRCLocal is recorded
// only once its file is complete, so a run that dies mid-write never leaves a
// page that later runs take for current. A name that is not a bare file name is
// never written to or deleted.
//
// Names are compared without case, and the outcome is the one a file system
// that compares them so would give: a file whose name differs only in case from
// one this run already wrote, from a spelling the site links (preferSpelling)
// or from a tracked row is written under that spelling, and no file is deleted
// because its name differs only in case from a file the run produced.
//
// Ownership: a PageOutput belongs to one generation run (or one installation of
// template files); it keeps the tblPages rows in memory for fast lookups and
// writes its changes through the blog's database in transactions committed at
// least once a second (so a killed run loses at most the last second of
// tracking) and on every exit path (commit(), or the destructor). A commit that
// fails gives up only its own batch, writes a red line and raises.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/blog_db.h"
#include "templates/install.h"
#include "util/progress_log.h"

namespace tessary::generator {

// A page or feed that cannot be written: the run ends with this error.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The counters a run reports in its summary.
struct RunCounters {
  int32_t pagesAddedOrChanged = 0;
  int32_t filesAddedOrChanged = 0;
  int32_t picturesAddedOrChanged = 0;
  int32_t pagesRemoved = 0;
};

// One row of tblPages.
struct PageRow {
  int32_t existing = 0;
  int32_t fresh = 0;  // PageCRCNew
  int32_t local = 0;
};

// The longest PageKey tblPages holds (string(120)).
inline constexpr size_t kMaxPageKeyChars = 120;

// Whether the last generation run completed is kept in tblOptions under a
// reserved OptionKey, OptionInteger 0 (a run started and has not finished) or
// 1 (it completed); the options (LoadOptions, SaveOptions) leave the row alone.
// The publishers delete nothing at the destination after an unfinished run.
inline constexpr int32_t kLastGenerationOptionKey = 998;
inline constexpr const char* kLastGenerationOptionName = "Last Generation Complete";
enum class LastGeneration { Unknown, Incomplete, Complete };  // Unknown: no run recorded yet
LastGeneration lastGenerationState(store::Database& db);

class PageOutput : public templates::TemplateFileSink {
 public:
  // The folder ends in "/" (or is empty for the current folder). The blog and the
  // log outlive the PageOutput.
  PageOutput(store::BlogDb& blog, ProgressLog& log, std::string outputFolder);
  ~PageOutput() override;
  PageOutput(const PageOutput&) = delete;
  PageOutput& operator=(const PageOutput&) = delete;

  const std::string& outputFolder() const { return outputFolder_; }
  RunCounters& counters() { return counters_; }
  const RunCounters& counters() const { return counters_; }

  // Starts a generation run: every row's PageCRCNew reads 0 from here on, and
  // the blog file records that a run is going on. The file's rows are left as
  // they are until the run hands in their pages: a page that gives the
  // checksum it gave last time writes no row (a run without changes writes
  // none), and RemoveOrphans stores the 0 of every row no page took.
  void ResetNewChecksums();
  // Records that the run completed and commits. Raises when it cannot.
  void markRunComplete();

  // Tracks and, when needed, writes one generated page or feed. Returns false,
  // after a red line naming `source` (the entry or category the name came from),
  // when the name is not a bare file name or is longer than a PageKey; nothing
  // is written then. Throws OutputError when the file cannot be written.
  bool WritePage(const std::string& name, std::string_view text, std::string_view source = {});

  // WritePage in three steps, so that its expensive middle (the checksum, the
  // comparison with the local copy, writing the file) can be done on another
  // thread while the run's thread keeps the order of everything that has one:
  // the log lines, the counters, the rows, the files put in place.
  struct PagePlan {
    std::string requested;  // the name the page asked for
    std::string name;       // the spelling it is tracked and written under
    std::string source;
    std::string path;
    bool refused = false;
    bool tracked = false;  // tblPages has a row of that name
    PageRow row;           // the row when the plan was made
  };
  struct PageFile {
    int32_t crc = 0;
    int64_t size = 0;
    std::string temporary;  // the content, written ahead; empty when the local copy holds it
    std::string failure;    // why the content could not be written
  };
  // The run's thread, when the page is handed in: the spelling and the row as
  // it stands. Logs nothing and changes no row.
  PagePlan planPage(const std::string& name, std::string_view source);
  // Any thread: the checksum and, unless the local copy already holds this
  // version, the content in a temporary file beside its place.
  static PageFile preparePage(const PagePlan& plan, std::string_view text);
  // The run's thread, in the run's order: the log lines, the counters, the file
  // put in place, the row. Returns and throws as WritePage does.
  // REQUIRES: no page of the same spelling was applied since the plan was made.
  bool applyPage(const PagePlan& plan, PageFile& file);
  // Removes what preparePage wrote for a page that is not applied.
  static void discardPage(PageFile& file) noexcept;

  // What a page was last built from, kept in the blog file beside its row
  // (table tblPageInputs, by the page's name in lower case): a digest of
  // everything the page is made of, and the checksum and size of the text it
  // gave. Only pages whose text follows from their inputs alone are recorded
  // (not one that drew a [%RANDOM%] number).
  struct BuiltVersion {
    int32_t crc = 0;
    int64_t size = 0;
  };
  // The teaser an article without one of its own showed when it was built
  // from inputs of this digest (it follows from them), or nullptr.
  const std::string* recordedTeaser(const std::string& name, uint64_t digest);
  // The run's thread, before the page is built: true when the page was last
  // built from inputs of this digest, no file of its name was handed in yet in
  // this run, its row's local checksum is that build's and its file is in place
  // with that build's size. Building the page again would then give that
  // checksum and, as the local copy holds it, write nothing: the run may hand
  // in the version instead of the page (PageDraft::known).
  bool builtFrom(const std::string& name, uint64_t digest, BuiltVersion& version);
  // The run's thread, after the page of that plan was applied: records what it
  // was built from (0: nothing that is recorded; an earlier record is dropped).
  // `teaser`: what recordedTeaser gives for them.
  void recordInputs(const PagePlan& plan, uint64_t digest, const PageFile& file, const std::string& teaser);

  // The picture and file variant: the checksum is the one stored with the row
  // and the bytes are fetched only when the file has to be written. Returns
  // false when the name was refused or the file could not be saved (the
  // caller goes on with the next row).
  enum class StoredKind { Picture, File };
  bool WriteStoredFile(StoredKind kind, const std::string& name, int32_t storedCrc,
                       const std::function<std::string()>& bytes);

  // The template file variant (installation of a package's files): the
  // checksum is computed from the bytes; a failed first write calls onFailure
  // (the caller shows its message), a second attempt follows silently. Counts
  // into files added or changed. Returns false when the name was refused.
  bool WriteTemplateFile(const std::string& name, std::string_view bytes,
                         const std::function<void()>& onFailure);
  bool installTemplateFile(const std::string& name, std::string_view bytes,
                           const std::function<void()>& onFirstFailure) override {
    return WriteTemplateFile(name, bytes, onFirstFailure);
  }

  // Names a spelling the site links (the home page, a template file): a file
  // whose name differs from it only in case is written under it.
  void preferSpelling(const std::string& name);

  // Stores PageCRCNew 0 in the rows no page of the run took, then deletes the
  // local copy of every row with PageCRCNew 0 (the rows stay, for the
  // publishers) and counts them as pages removed.
  void RemoveOrphans();

  // True when the name may become a file in the output folder: a bare file name
  // of at most kMaxPageKeyChars characters.
  static bool isWritableName(std::string_view name);

  // The tracked rows as last stored (loaded on first use).
  const std::map<std::string, PageRow>& rows();
  // Commits the tracking writes made so far. When the commit fails, only its
  // batch is given up: a red line, then the error is raised (OutputError).
  void commit();

 private:
  enum class Reporting { Page, Stored, Template };
  void load();
  void loadInputs();
  void storeInputs(const std::string& folded, uint64_t digest, const BuiltVersion* version,
                   const std::string& teaser = {});
  bool refuse(const std::string& name, std::string_view source);
  // Steps 3 to 6 of the tracking rule; `write` puts the content in place
  // (returns false on failure); `size` is the content's length in bytes.
  bool track(const std::string& name, int32_t crc, int64_t size, int32_t& counter, Reporting reporting,
             const std::function<bool()>& write, const std::function<void()>& onFirstFailure);
  // Steps 3 and 4: the row takes the run's checksum (a new row is made), with
  // the log line and the count of a new or changed file.
  PageRow& recordVersion(const std::string& name, int32_t crc, int32_t& counter, bool& isNew);
  // Writes the row unless the file holds it so already; `before`: the row in
  // memory before the change (the file's, but for a PageCRCNew in storedFresh_).
  void storeRow(const std::string& name, const PageRow& row, bool isNew, const PageRow& before);
  PageRow rowBefore(const std::string& name) const;
  void touched();
  void commitWhenDue();
  // The name the file is written and tracked under (see the opening comment);
  // claims it for this run.
  std::string spellingFor(const std::string& name);
  // The spelling of a name no file of this run has claimed yet.
  std::string unclaimedSpelling(const std::string& name, const std::string& folded) const;
  void reportSpelling(const std::string& name, const std::string& spelling);
  // True when the file exists with that size (any size when size < 0).
  static bool localCopyCurrent(const std::string& path, int64_t size);

  store::BlogDb& blog_;
  ProgressLog& log_;
  std::string outputFolder_;
  RunCounters counters_;
  std::map<std::string, PageRow> rows_;
  // The rows whose PageCRCNew in the file is not the 0 they read as since
  // ResetNewChecksums: the value in the file.
  std::unordered_map<std::string, int32_t> storedFresh_;
  // By name folded to lower case: the row keys, the spellings the site links,
  // and the names this run wrote.
  std::unordered_map<std::string, std::string> rowSpelling_, preferred_, claimed_;
  bool loaded_ = false;
  int pendingWrites_ = 0;
  bool inTransaction_ = false;
  std::chrono::steady_clock::time_point batchStart_;
  store::Statement insert_, update_;
  // tblPageInputs, by the page name in lower case.
  struct Inputs {
    uint64_t digest = 0;
    BuiltVersion version;
    std::string teaser;
  };
  std::unordered_map<std::string, Inputs> inputs_;
  bool inputsLoaded_ = false, inputsTable_ = false;
  int folderFd_ = -2;  // the output folder, opened on first use (-1: it could not be)
  store::Statement putInputs_, dropInputs_;
};

// "Mark All as New": asks, then sets PageCRCExisting to 0 on every row, with
// the status popup. Returns false when the user said No.
bool MarkAllAsNew(store::BlogDb& blog);
// "Mark All as Published": asks, then copies PageCRCNew into PageCRCExisting on
// every row and removes the orphan rows, with the status popup. Returns false
// when the user said No.
bool MarkAllAsPublished(store::BlogDb& blog);

}  // namespace tessary::generator
