// The pages of the site, built while the generation run walks the entries:
//
//   list pass     (newest first)  link lists, article index list, category lists
//   index pages                   archive index, article index, category pages, category index
//   archive pass  (oldest first)  month, week and day pages; the pages of single entries
//   home pass     (newest first)  home page, the two feeds, recent-entries page
//
// SitePages holds the state of these passes for one run; the run owns the walk
// over tblBlog, the entry record of the current row (FillEntryRecord) and the
// tracking of output files, and calls one method per step. Every page is
// assembled from the slices of the loaded template package by the tag engine and
// handed to PageOutput::WritePage.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "generator/nav_links.h"
#include "generator/page_jobs.h"
#include "generator/rss.h"
#include "generator/site_naming.h"
#include "store/blog_options.h"
#include "store/blog_rec.h"
#include "store/table.h"
#include "templates/package.h"
#include "templates/tag_engine.h"
#include "util/progress_log.h"

namespace tessary::store {
class Table;
}

namespace tessary::generator {

using EntryVars = templates::templateEntryVars;
using PageVars = templates::templatePageVars;
using GlobalVars = templates::templateGlobalVars;

// One row of tblCategory, as the pages use it.
struct CategoryRow {
  int32_t key = -1;
  std::string title, name, text, keywords, teaser, sidebar, extra1, extra2, title1, title2, metaDesc;
};
// Every category row in the order of the table's current index; the current row is kept.
std::vector<CategoryRow> readCategories(store::Table& tblCategory);

// What a run hands to the page builders. Everything referenced outlives the SitePages.
struct PageContext {
  store::BlogOptionsRec& options;   // the run's options (defaults filled, prefix sanitised)
  SiteNames names;
  const templates::TemplatePackage& package;  // split
  // Hands one page or feed to the run, which finishes it (a draft with its
  // records), tracks and writes it; `source` names the entry or category the
  // name came from.
  std::function<void(const std::string& name, PageDraft draft, const std::string& source)> write;
  ProgressLog& log;
  bool& indexOverwrite;             // some page took the home page's file name
  util::DateTime now = 0;           // the run's clock, for a feed without rows
  int utcOffsetMinutes = 0;         // in force when the run started
  // What every page is made of besides the rows and the builders' values (0:
  // nothing is known unchanged), and whether a page was built from inputs of
  // a digest and its file still holds that version. Either may be empty.
  std::function<uint64_t()> siteInputs;
  std::function<bool(const std::string& name, uint64_t digest, PageOutput::BuiltVersion& version)> knownPage;
};

// The archive state of one period kind (month, week or day).
struct PeriodState {
  int32_t current = 0, prior = 0, next = 0;
  std::string currentCaption, priorCaption, nextCaption;
};

class SitePages {
 public:
  explicit SitePages(PageContext ctx);

  // ---- Before the list pass --------------------------------------------------
  // Builds the site-wide values of the master global record (titles, navigation
  // bar, index links, custom tags). Call once, before the list pass.
  void buildGlobals();
  // The master global record (complete after finishListPass).
  const GlobalVars& globals() const { return globals_; }

  // ---- List pass (newest first) ----------------------------------------------
  void listPassRow(const store::BlogRec& row, const PeriodKeys& keys);
  // Closes the article list and, unless categories are ignored, builds the
  // category links from the category rows.
  void finishListPass(std::vector<CategoryRow> categories);

  // ---- Index pages, in this order --------------------------------------------
  void writeArchiveIndex();
  void writeArticleIndex();
  // Nothing when option 114 is 3.
  void writeCategoryPages();
  void writeCategoryIndex();

  // ---- Archive plan ----------------------------------------------------------
  // The list pass notes every row, newest first, with the digest of its stored
  // fields (0: none). From these the archive pass knows before it starts what
  // each month, week and day page is made of: a page built from the same
  // inputs before, whose file still holds that version, is handed in as that
  // version, and a blog entry that only such pages show is not read.
  void noteRow(const store::BlogRec& row, const PeriodKeys& keys, uint64_t digest);
  // For each row of the archive pass after the first, in its order (`row`
  // without its texts): what of the row's record the archive pages need —
  // none (the pages that show it are known unchanged), all but its text (the
  // pages only list it: they decode and format the text where they are
  // finished) or all.
  enum class RecordNeed { None, WithoutText, Whole };
  RecordNeed archiveRecord(const store::BlogRec& row);
  // Instead of archiveRecord, before the row is read: when the next row of the
  // archive pass is a blog entry or article whose record no page needs, fills
  // `row` with what the list pass noted of it (key, type, date, an article's
  // page name) and `storedRow` with the digest of its stored values, so that
  // the row need not be read at all; takeRowWithoutRecord then takes its turn.
  bool nextRowWithoutRecord(store::BlogRec& row, uint64_t& storedRow) const;
  void takeRowWithoutRecord() { ++archivePos_; }

  // ---- Archive pass (oldest first) -------------------------------------------
  // The oldest row (any type) opens the first periods; `entry` is its record.
  void startArchive(const PeriodKeys& keys, const EntryVars& entry);
  // Every blog entry and article, oldest first (the first one included): the
  // pages of ended periods are written, then the row joins the archive pages.
  // `laterText`: the entry's text when `entry` was filled without it;
  // `article`: an article's, when `entry` was filled without its teaser.
  void archiveEntryRow(const store::BlogRec& row, const PeriodKeys& keys, const EntryVars& entry,
                       std::optional<store::StoredText> laterText = std::nullopt,
                       std::shared_ptr<const LaterArticle> article = nullptr);
  // After the last row; `entry` is the record of the newest row.
  void finishArchive(const EntryVars& entry);

  // ---- Pages of single entries (the archive pass, by type) -------------------
  // The article page turns the current entry record (the teaser form until
  // here) into the article's own: full text and related link.
  void buildArticlePage(const store::BlogRec& row, const PeriodKeys& keys, EntryVars& entry);
  // The page of an article taken without its record (nextRowWithoutRecord),
  // known unchanged: handed in as that version.
  void knownArticlePage(const store::BlogRec& row);
  void buildStaticPage(const store::BlogRec& row, const EntryVars& entry);  // static and hidden
  void buildRedirectPage(const store::BlogRec& row);
  void buildFreeFormatPage(const store::BlogRec& row);

  // ---- Home pass (newest first) ----------------------------------------------
  // The home page, the feeds and the recent-entries page are started in this
  // order, each row is offered to them in this order, and they are finished in
  // this order. homeEntry / recentEntry: the records of the home-page and
  // recent-page entries (empty when there is none).
  void startHomePage(const EntryVars& homeEntry);
  // newestRowDate: BlogDateTime of the newest row, 0 when the blog is empty.
  void startFeeds(util::DateTime newestRowDate);
  void startRecentPage(const EntryVars& recentEntry);
  void homePageRow(const store::BlogRec& row, const EntryVars& entry);
  // text: the row's BlogText; formatted: its AutoFormat, when already made.
  void feedRow(const store::BlogRec& row, const PeriodKeys& keys, std::string_view text,
               const std::string* formatted = nullptr);
  void recentPageRow(const store::BlogRec& row, const EntryVars& entry);

  // The newest blog entries and articles, as many as the home pass can show,
  // keep their text, its formatted form and their record from the archive
  // pass, so that the home pass does not read and format them again.
  struct KeptEntry {
    std::string text, formatted;
    EntryVars vars;
  };
  const KeptEntry* keptEntry(int32_t blogKey) const;
  // Whether the home pass shows this row (on the home page, the recent-entries
  // page or in a feed) and has not kept its text: then it must be read.
  bool homePassNeedsText(const store::BlogRec& row) const;
  // Whether the archive pass uses the row's text (BlogText) for nothing but the
  // row's own page and its archive entry's teaser: a static or hidden page, or
  // an article that the home pass does not keep. Then, when that page is known
  // to be unchanged, the text need not be read.
  bool textOnlyForOwnPage(const store::BlogRec& row) const;
  // What the pages of single entries are made of besides their row, the
  // options, the names and the template package: the site-wide values and the
  // categories (the same for every such page of a run).
  uint64_t singlePageInputs();
  // prior: the period the run remembered for the home page's prior link (the
  // last row visited while the home list was not yet full), nullptr when none.
  void finishHomePage(const PeriodKeys* prior);
  void finishFeeds();
  void finishRecentPage(const PeriodKeys* prior);

  // After a row of the home pass: true when the home page, the feeds and the
  // recent-entries page are full, so that no later row changes them; the
  // feeds then count the blog entries and articles left as offered.
  bool homePassDone();

  // Entries listed on the home page so far (the recent-entries page lists one fewer).
  int listedEntries() const { return listed_; }
  int feedItems() const { return feed_.itemCounter(); }

 private:
  struct ArchivePage {
    std::string text;
    PageVars vars;
    int32_t monthKey = 0;  // week and day pages: the month of the row that opened them
    std::string monthCaption;
    std::string periodLinks;  // month pages in weekly or daily mode: the week or day links
    int32_t lastLinked = 0;
    // The entries it lists, filled into their slices where the page is finished.
    std::vector<PageDraft::ListedEntry> listed;
  };
  struct Slot {
    int32_t key;
    std::string links;
  };

  // Page assembly.
  std::string& addSlice(std::string& text, int templ, int slice, const EntryVars& entry,
                        const PageVars& page, const GlobalVars& global) const;
  // Hands the page to the run to be finished (FillPageTags, then
  // ResolveCommands) and written; the text is moved out.
  void finishPage(const std::string& name, std::string& text, std::shared_ptr<const GlobalVars> global,
                  const EntryVars& entry, const PageVars& page, const std::string& source = {});
  // A page of one entry (or list) in slices 1, 4 and 6 of template `templ`,
  // assembled as it is finished.
  void finishSinglePage(const std::string& name, int templ, std::shared_ptr<const GlobalVars> global,
                        const EntryVars& entry, const PageVars& page, const std::string& source = {});
  // A page whose text is final.
  void writeFinished(const std::string& name, std::string text, const std::string& source = {});
  // The master global record as the pages being finished share it.
  const std::shared_ptr<const GlobalVars>& sharedGlobals();
  // A copy of the site-wide values with two of their link lists empty.
  std::shared_ptr<const GlobalVars> globalsWithout(std::string GlobalVars::*column, std::string GlobalVars::*row);

  void standardMeta(PageVars& page) const;
  std::string standardMenuTree() const;
  std::string periodAddress(char kind, int32_t key) const;
  std::string archiveAddress(const PeriodKeys& keys) const;
  std::string archiveCaption(const PeriodKeys& keys) const;
  const CategoryRow* category(int32_t key) const;
  Slot* slotFor(int32_t key);
  void writeIndexPage(const std::string& title, const std::string& text, std::shared_ptr<const GlobalVars> global,
                      const std::string& name);
  void nameCheck(const store::BlogRec& row, PageVars& page, bool indexPagesToo);

  void startPeriodPage(ArchivePage& page, char kind, const PeriodState& st, const PeriodKeys& keys,
                       const EntryVars& entry);
  void finishPeriodPage(ArchivePage& page, char kind, const PeriodState& st, const EntryVars& entry);
  void advance(char kind, PeriodState& st, int32_t key, const std::string& caption, ArchivePage& page,
               const PeriodKeys& keys, const EntryVars& entry);
  // The page of the current period of a kind: built, or handed in as the
  // version known unchanged.
  void openPeriodPage(ArchivePage& page, char kind, const PeriodState& st, const PeriodKeys& keys,
                      const EntryVars& entry);
  void closePeriodPage(ArchivePage& page, char kind, const PeriodState& st, const EntryVars& entry);

  // The archive plan. One noted row, newest first.
  struct NotedRow {
    int32_t blogKey = 0;
    int32_t type = 0;
    int32_t monthKey = 0, weekKey = 0, dayKey = 0;
    util::DateTime date = 0;
    uint64_t digest = 0;
    std::string pageName;  // an article's
  };
  // One period page of the archive pass, in the order they are handed in.
  struct PlannedPage {
    int32_t key = 0;
    uint64_t inputs = 0;  // 0: not recorded
    std::optional<PageOutput::BuiltVersion> known;
  };
  struct KindPlan {
    std::vector<PlannedPage> pages;
    size_t at = 0;  // the page of the current period
  };
  static int kindIndex(char kind) { return kind == 'm' ? 0 : kind == 'w' ? 1 : 2; }
  const PlannedPage* plannedPage(char kind) const;
  bool periodKnown(char kind) const {
    const PlannedPage* p = plannedPage(kind);
    return p && p->known;
  }
  void planArchive();
  void planKind(char kind, uint64_t base);

  PageContext ctx_;
  ArchiveMode mode_;
  SiteLinks links_;
  GlobalVars globals_;
  std::shared_ptr<const GlobalVars> sharedGlobals_;
  uint64_t singlePageInputs_ = 0;  // 0: not made yet  // a copy of globals_; null when it changed since

  // List pass.
  ListPassLinks listLinks_;
  std::string articleIndexList_;
  bool articleListOpen_ = false;
  bool anyArticle_ = false;
  int32_t lastArticleMonth_ = 0;
  std::vector<Slot> slots_;
  std::unordered_map<int32_t, size_t> slotIndex_;
  std::vector<CategoryRow> categories_;
  LinkList categoryLinks_;

  // Blog entries and articles: counted by the list pass, met by the archive pass.
  int64_t entryRows_ = 0, archivedRows_ = 0;
  std::unordered_map<int32_t, KeptEntry> kept_;
  int64_t rowsToKeep() const;

  // Archive plan.
  std::vector<NotedRow> noted_;
  bool digestsComplete_ = true;
  std::unordered_set<std::string> ownPageNames_;  // lower case
  bool planned_ = false;
  KindPlan plans_[3];
  std::vector<bool> recordNeeded_;  // by position in the archive pass
  std::vector<bool> textNeeded_;    // rows that open a period: their pages show their records
  size_t archivePos_ = 0;

  // Archive pass.
  PeriodState month_, week_, day_;
  ArchivePage monthPage_, weekPage_, dayPage_;
  bool archiveStarted_ = false;

  // Home pass.
  EntryVars homeEntry_, recentEntry_;
  std::string homeText_, recentText_;
  PageVars homeVars_, recentVars_;
  int listed_ = 0;
  FeedSettings feedSettings_;
  FeedBuilder feed_;
};

}  // namespace tessary::generator
