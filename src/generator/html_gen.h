// The generation run: turns the open blog (entries, categories, pictures, extra
// files, options) and the chosen template package into a complete static site
// in the output folder "<program folder>/HTML/<blog name>/".
//
// The run decides what is built and in which order; the page builders decide
// how each kind of page looks. A Generator is the generator state: it belongs to
// the session of a front end (beside its BlogDb), lives as long as that session
// and is reinitialised by every run; only the output folder, the page extension
// and the page name prefix are read after a run (by PreviewPages and the
// publishers).
//
// The run, in order: clear the log; reset the new checksums; make the output
// folder; load the template package (the chosen one, then "@default.tem", then
// the built-in copy); install its files; fill empty options with defaults; the
// page name prefix and extension; the site-wide values; the list pass (newest
// to oldest); the index pages; the archive pass (oldest to newest, with the
// pages of single entries); the home pass (newest to oldest: home page, feeds,
// recent-entries page); pictures and files; orphans; the summary.
//
// The page builders plug in through PageBuilders: one virtual function per page
// kind and pass, called by the run at its place in that order.
//
// The passes run on the calling thread; the tail of each page (the tag engine's
// last steps, the checksum, the file) is done by PageJobs on worker threads and
// taken back in the run's order, so the log, the blog file and the output are
// those of a run on one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "generator/page_jobs.h"
#include "generator/page_output.h"
#include "generator/site_naming.h"
#include "store/blog_db.h"
#include "templates/package.h"
#include "templates/tag_engine.h"
#include "util/digest.h"
#include "util/progress_log.h"

namespace tessary::generator {

class Generator;

// The fields of the tblBlog row the run stands on, read each time it moves,
// with the period keys and captions of its date. On an empty table the row is
// empty (a zero date) and `valid` is false.
struct CurrentRow {
  store::BlogRec rec;
  PeriodKeys keys;
  bool valid = false;
  // Filled from what the list pass noted (PageBuilders::archiveRowWithoutRecord):
  // the row was not read, and rec holds only its key, type, date and page name.
  bool noted = false;
};

// The category slot table of the list pass: per category key met, the links of
// its entries. Slots are taken in the order keys are met; the table grows as
// needed, so any number of keys fits.
struct CategorySlot {
  int32_t key = -1;
  std::string links;
};
class CategorySlots {
 public:
  void clear();
  // The slot of the key, taken when the key is new.
  CategorySlot& slotFor(int32_t key);
  // The slot of the key, or nullptr when the key was never met.
  const CategorySlot* find(int32_t key) const;
  size_t size() const { return slots_.size(); }
  const std::vector<CategorySlot>& slots() const { return slots_; }

 private:
  std::vector<CategorySlot> slots_;
  std::unordered_map<int32_t, size_t> index_;
};

// "No next period": values no real key reaches.
inline constexpr int32_t kNoNextMonth = 999999;
inline constexpr int32_t kNoNextWeek = 9999999;
inline constexpr int32_t kNoNextDay = 99999999;

// One archive period of the archive pass: prior (0 = none), current and next.
struct ArchivePeriod {
  int32_t priorKey = 0;
  std::string priorCaption;
  int32_t key = 0;
  std::string caption;
  int32_t nextKey = 0;
  std::string nextCaption;
};

// The archive pass's state for month, week and day, with the month page's
// lists of week and day links.
struct ArchiveState {
  ArchivePeriod month, week, day;
  std::string weekLinks;
  int32_t lastWeekLinkKey = 0;
  std::string dayLinks;
  int32_t lastDayLinkKey = 0;
  // The month of the row that opened the current week or day page.
  int32_t openerMonthKey = 0;
  std::string openerMonthCaption;
};

// The page texts being assembled.
struct PageBuffers {
  std::string single, home, recent, rss091, rss20, month, week, day;
};

// Where the page builders plug into the run. Every function has an empty
// default, so a builder overrides the page kinds it makes. The Generator passed
// in holds the state: the options, names, tag records, current row, buffers
// and the output (WritePage).
class PageBuilders {
 public:
  virtual ~PageBuilders() = default;

  // Step "site-wide values", before the list pass: the master global record
  // from the options and the start of the navigation bar.
  virtual void beginSiteValues(Generator&) {}
  // The list pass, for each row newest first (gen.row is read): static,
  // article and month links, the article index list, the category lists.
  // The list pass reads the rows without their texts (g.row.rec.BlogText,
  // BlogSidebar, BlogExtra1 and BlogExtra2 are empty).
  virtual void listPassRow(Generator&) {}
  // After the last row of the list pass (close an open article list).
  virtual void listPassEnd(Generator&) {}
  // The category links and the category index link (not called when option
  // 114 `Archive by Category` is 3).
  virtual void categoryLinks(Generator&) {}

  // The index pages, in this order.
  virtual void archiveIndexPage(Generator&) {}
  virtual void articleIndexPage(Generator&) {}
  virtual void categoryPages(Generator&) {}
  virtual void categoryIndexPage(Generator&) {}

  // The archive pass, oldest row first. archiveStart gets the oldest row (of any
  // type, possibly an empty row on an empty table); archiveRow is called for
  // each blog entry and article (period changes, then the row added to the
  // archive pages); archiveEnd after the last row.
  virtual void archiveStart(Generator&) {}
  virtual void archiveRow(Generator&) {}
  virtual void archiveEnd(Generator&) {}
  // Asked for each row of the archive pass before its texts are read (gen.row
  // is read without them): true when the row's texts serve nothing but the
  // row's own page (an article, static or hidden page) and an article's
  // teaser (articleCutTeaser), with what that page is
  // made of besides its row, the options, the page names and the template
  // package added to `inputs`. When that page was built from the same inputs
  // before and its file still holds that version, the run reads none of the
  // row's texts but those the archive pages show (BlogSidebar, BlogExtra1,
  // BlogExtra2 of an article) and hands in the version instead of the page.
  virtual bool singlePageInputs(Generator&, util::Digest&) { return false; }
  // Asked for each row of the archive pass after the first, in its order,
  // before its texts are read (gen.row is read without them): what of this
  // row's record the archive pages need. For a blog entry: None when the
  // month, week or day pages that show it are known unchanged (its texts are
  // not read and gen.entryVars is left empty); WithoutText when they only
  // list it (its record is filled without its text, which is left in
  // gen.laterText for the page to decode where it is finished).
  enum class ArchiveRecord { None, WithoutText, Whole };
  virtual ArchiveRecord archiveRecord(Generator&) { return ArchiveRecord::Whole; }
  // Asked before archiveRecord, before the row is read: true when the row is
  // a blog entry or article whose record no page needs (None) and gen.row was
  // filled from what the list pass noted (CurrentRow::noted); for an article,
  // only when its own page was found known unchanged (takeKnownOwnPage). The
  // row is then not read, and archiveRecord is not asked for it.
  virtual bool archiveRowWithoutRecord(Generator&) { return false; }
  // The pages of single entries, called in the archive pass after archiveRow.
  virtual void articlePage(Generator&) {}
  virtual void staticPage(Generator&) {}
  virtual void hiddenPage(Generator&) {}
  virtual void redirectPage(Generator&) {}
  virtual void freeFormatPage(Generator&) {}

  // The home pass, newest row first: for every row (of any type) homeRow, then
  // feedsRow, then recentRow; the starts before the first row and the ends after
  // the last, in the order home, feeds, recent.
  virtual void homeStart(Generator&) {}
  virtual void feedsStart(Generator&) {}
  virtual void recentStart(Generator&) {}
  // Asked for each row of the home pass before it is offered: whether the
  // builders show the row's text. The row (gen.row) is read without its text;
  // only when this says yes is the text read and gen.entryVars filled.
  virtual bool homeRowNeedsText(Generator&) { return true; }
  virtual void homeRow(Generator&) {}
  virtual void feedsRow(Generator&) {}
  virtual void recentRow(Generator&) {}
  // Asked after each row of the home pass: true when no row after it can
  // change what the pass builds; the pass then ends there, and the builders
  // have counted what the rows left would have counted.
  virtual bool homePassDone(Generator&) { return false; }
  virtual void homeEnd(Generator&) {}
  virtual void feedsEnd(Generator&) {}
  virtual void recentEnd(Generator&) {}
};

// The builders of every page of the site (page_builders.cpp).
std::unique_ptr<PageBuilders> makeSitePageBuilders();

class Generator {
 public:
  // The blog and the log outlive the Generator. Without builders the site's
  // own builders are used.
  Generator(store::BlogDb& blog, ProgressLog& log, std::unique_ptr<PageBuilders> builders = nullptr);
  ~Generator();
  Generator(const Generator&) = delete;
  Generator& operator=(const Generator&) = delete;

  // Runs the whole generation. Returns when the run completed; raises (an
  // OutputError, a StoreError) when it ended early, after committing what was
  // stored. REQUIRES: a blog is open.
  void GeneratePages();

  // The threads that finish and write pages (see PageJobs): 1 for everything
  // on the run's thread, 0 (the default) for TESSARY_PAGE_THREADS or else one
  // per core. The log, the blog file and the output are the same either way.
  void setPageThreads(unsigned threads) { pageThreads_ = threads; }
  // Whether a page of a single entry that is known to be unchanged (see
  // PageBuilders::singlePageInputs) is taken as it is instead of being built
  // again (the default). The output is the same either way, and what the
  // pages were built from is recorded either way.
  void setSkipUnchanged(bool skip) { skipUnchanged_ = skip; }
  // The pages of the current (or last) run that were taken as they were.
  int32_t pagesTakenUnchanged() const { return pagesTakenUnchanged_; }
  // The threads of the current (or last) run.
  unsigned pageThreads() const { return runThreads_; }
  // Everything every page is made of besides the blog's rows and what the
  // builders add: the program's build, the template package, the options, the
  // page names. 0 when the program's build is not known.
  uint64_t siteInputs();
  // Whether the page of this name was built from inputs of this digest and its
  // file still holds that version (see PageOutput::builtFrom); always false
  // when unchanged pages are not taken (setSkipUnchanged).
  bool knownPage(const std::string& name, uint64_t digest, PageOutput::BuiltVersion& version);
  // For the row of the archive pass not read (CurrentRow::noted): whether its
  // own page, made of `inputs` (PageBuilders::singlePageInputs) and of the
  // stored row of that digest, is known unchanged; the page the row hands in
  // next then carries that version.
  bool takeKnownOwnPage(const util::Digest& inputs, uint64_t storedRow);

  // The path "Preview Pages" opens: output folder + prefix + option 241 +
  // extension. The output folder is the blog's even before a first run.
  std::string previewPath();
  // The output folder of the open blog: <program folder>/HTML/<blog name>/.
  std::string outputFolderOfBlog() const;

  // ---- The state the page builders work with -------------------------------

  store::BlogDb& blog() { return blog_; }
  // The run's log: while pages are in flight, a line waits for the page
  // handed in before it.
  ProgressLog& log() { return log_; }
  // The open blog's current options (the run fills empty ones with defaults).
  store::BlogOptionsRec& options() { return blog_.options(); }
  const templates::TemplatePackage& package() const { return package_; }
  PageBuilders& builders() { return *builders_; }

  // Kept after a run.
  const std::string& outputFolder() const { return outputFolder_; }
  const std::string& pageExtension() const { return pageExtension_; }
  const std::string& pagePrefix() const { return pagePrefix_; }
  SiteNames names() const { return {pagePrefix_, pageExtension_}; }
  ArchiveMode archiveMode() { return archiveModeOf(options().ArchiveByDate); }

  // The counters of the current (or last) run.
  RunCounters& counters() { return output_ ? output_->counters() : counters_; }

  // Hands one finished page or feed to the run, which tracks and writes it (see
  // PageOutput::WritePage) in its turn. `source` names the entry or category the
  // name came from, for the red line when the name is refused. Returns false
  // when the name is refused; raises the failure of a page handed in before
  // (this one's own is raised by a later call or by the end of the pass).
  // REQUIRES: a run is going on.
  bool WritePage(const std::string& name, std::string_view text, std::string_view source = {});
  // The same for a page still to be finished by the tag engine.
  bool submitPage(const std::string& name, PageDraft draft, std::string_view source = {});

  // Page assembly: the text followed by slice s of template k with the entry
  // tags filled from `entry`.
  std::string addSlice(int k, std::string text, int s, const templates::templateEntryVars& entry,
                       const templates::templatePageVars& page, const templates::templateGlobalVars& global) const;
  // FillPageTags, then ResolveCommands: the finished page.
  std::string finishPage(std::string text, const templates::templateGlobalVars& global,
                         const templates::templateEntryVars& entry,
                         const templates::templatePageVars& page) const;

  // "entry <key> "<title>"": names the current row in messages.
  std::string describeCurrentEntry() const;

  bool indexOverwrite = false;
  int32_t homeEntryKey = -1;
  int32_t recentEntryKey = -1;
  int32_t listedEntries = 0;
  int32_t feedItems = 0;
  CategorySlots categorySlots;
  PageBuffers buffers;

  // The tag records (the site-wide one is the page builders'): the page
  // records; the current entry, the home-page entry and the recent-page entry.
  templates::templatePageVars indexPageVars, monthPageVars, weekPageVars, dayPageVars, homePageVars,
      recentPageVars;
  templates::templateEntryVars entryVars, homeEntryVars, recentEntryVars;

  // The row the run stands on (FillEntryRecord has filled entryVars from it in
  // the archive and home passes).
  CurrentRow row;
  // The list pass: the digest of the current row's stored fields, 0 when the
  // run keeps no digests (siteInputs() is 0).
  uint64_t rowDigest = 0;
  // The archive pass: the text of the current blog entry, when its record was
  // filled without it (PageBuilders::archiveRecord).
  std::optional<store::StoredText> laterText;
  // The archive pass: the text of the current article, when its record was
  // filled without the teaser cut from it (the pages that show it cut it).
  std::shared_ptr<const LaterArticle> laterArticle;
  ArchiveState archive;
  // The home pass: the period of the last row visited while the home page's
  // list was not yet full.
  PeriodKeys homePriorPeriod;
  bool hasHomePriorPeriod = false;

 private:
  void resetState();
  // The run after its output is set up: the steps from the output folder on.
  void generateSite();
  // Reads the current row into `row`; without the texts (BlogText,
  // BlogSidebar, BlogExtra1, BlogExtra2) when the pass shows none of them, so
  // that nothing but the teaser is decompressed for it.
  void readRow(bool withText = true);
  // Reads the texts of the row read without them.
  void readText();
  // Reads, for the row read without its texts, those its archive entry shows
  // besides the text itself (BlogSidebar, BlogExtra1, BlogExtra2).
  void readSideTexts();
  // The archive pass's reading of a row: with its texts, or, when its texts
  // serve only its own page, with only those the archive pages show.
  void readArchiveRow(bool first);
  // The digest of what the own page of the current row is made of: `inputs`,
  // the site's, and the row as stored (the digest of Table::addStoredRow).
  uint64_t ownPageDigest(util::Digest inputs, uint64_t storedRow);
  // Before the page of such a row is built: takes the version it was last built
  // into when it is known to be unchanged, else reads the texts left unread
  // but the entry's text itself, which the page decodes where it is finished.
  void takeUnchangedPage();
  void fillEntry();
  void loadTemplatePackage();
  void applyDefaultOptions();
  void listPass();
  void archivePass();
  void homePass();
  void writePicturesAndFiles();
  void writeSitemap();
  void summary();

  // The log as the run writes it: through the pages in flight, if any.
  class RunLog : public ProgressLog {
   public:
    explicit RunLog(ProgressLog& target) : target_(target) {}
    ProgressLog& target() { return target_; }
    void follow(PageJobs* jobs) { jobs_ = jobs; }
    void ClearLog() override { current().ClearLog(); }
    void AppendLine(const std::string& text) override { current().AppendLine(text); }
    void AppendColouredLine(Colour colour, const std::string& text) override {
      current().AppendColouredLine(colour, text);
    }

   private:
    ProgressLog& current() { return jobs_ ? jobs_->log() : target_; }
    ProgressLog& target_;
    PageJobs* jobs_ = nullptr;
  };

  store::BlogDb& blog_;
  RunLog log_;
  std::unique_ptr<PageBuilders> builders_;
  templates::TemplatePackage package_;
  std::string outputFolder_;
  // The pages this run wrote or found unchanged, for the site map.
  std::vector<std::string> pagesOfRun_;
  std::string pageExtension_ = ".html";
  std::string pagePrefix_;
  RunCounters counters_;
  std::unique_ptr<PageOutput> output_;
  unsigned pageThreads_ = 0;
  bool skipUnchanged_ = true;
  int32_t pagesTakenUnchanged_ = 0;
  uint64_t siteInputs_ = 0;
  // The first row of the list pass (the newest): the archive pass ends on it,
  // and what the run builds after it uses its full record.
  store::Table::Bookmark newestRow_ = 0;
  // The row of the archive pass whose page is to carry these inputs (and,
  // when it is known to be unchanged, that version).
  struct PendingInputs {
    std::string page;
    uint64_t digest = 0;
    std::optional<PageOutput::BuiltVersion> known;
    bool textRead = false;
    // The text of a page that is built, left for the page to decode.
    std::optional<store::StoredText> laterText;
    // An article without a teaser of its own: the start of its text it shows.
    bool cutTeaser = false;
    std::string teaser;
  } pending_;
  unsigned runThreads_ = 1;
  std::unique_ptr<PageJobs> jobs_;  // the pages of the run in flight
};

// "Preview Pages": the path to open in a browser, or the message to show when
// the home page is missing.
struct PreviewResult {
  bool ok = false;
  std::string path;     // the home page's file
  std::string message;  // "Error: Index File is missing. Preview failed.\n\n" + path
};
PreviewResult PreviewPages(Generator& generator);

}  // namespace tessary::generator
