#include "generator/html_gen.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "generator/sitemap.h"
#include "store/grid_rows.h"

#include "generator/entry_format.h"
#include "generator/nav_links.h"
#include "store/schema.h"
#include "templates/install.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::generator {

// ---- CategorySlots -------------------------------------------------------------

void CategorySlots::clear() {
  slots_.clear();
  index_.clear();
}

CategorySlot& CategorySlots::slotFor(int32_t key) {
  const auto it = index_.find(key);
  if (it != index_.end()) return slots_[it->second];
  index_.emplace(key, slots_.size());
  slots_.push_back({key, {}});
  return slots_.back();
}

const CategorySlot* CategorySlots::find(int32_t key) const {
  const auto it = index_.find(key);
  return it == index_.end() ? nullptr : &slots_[it->second];
}

// ---- Generator -------------------------------------------------------------------

namespace {

// Returns a table to a remembered row on every way out of a scope.
class RowKeeper {
 public:
  explicit RowKeeper(store::Table& t) : t_(t), bookmark_(t.bookmark()) {}
  ~RowKeeper() {
    try {
      if (bookmark_ != 0) t_.gotoBookmark(bookmark_);
    } catch (...) {
    }
  }
  RowKeeper(const RowKeeper&) = delete;
  RowKeeper& operator=(const RowKeeper&) = delete;

 private:
  store::Table& t_;
  store::Table::Bookmark bookmark_;
};

void defaultText(std::string& option, const char* value) {
  if (option.empty()) option = value;
}

}  // namespace

Generator::Generator(store::BlogDb& blog, ProgressLog& log, std::unique_ptr<PageBuilders> builders)
    : blog_(blog), log_(log), builders_(builders ? std::move(builders) : makeSitePageBuilders()) {}

Generator::~Generator() = default;

std::string Generator::outputFolderOfBlog() const {
  std::string name = util::fileNameOf(blog_.fileName());
  const std::string ext = util::extensionOf(name);
  name.resize(name.size() - ext.size());
  std::string folder = util::joinPath(util::joinPath(blog_.programFolder(), "HTML"), name);
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

void Generator::resetState() {
  counters_ = {};
  pagesOfRun_.clear();
  pagesTakenUnchanged_ = 0;
  siteInputs_ = 0;
  rowDigest = 0;
  laterText.reset();
  laterArticle.reset();
  newestRow_ = 0;
  pending_ = {};
  indexOverwrite = false;
  homeEntryKey = -1;
  recentEntryKey = -1;
  listedEntries = 0;
  feedItems = 0;
  categorySlots.clear();
  buffers = {};
  indexPageVars = monthPageVars = weekPageVars = dayPageVars = homePageVars = recentPageVars = {};
  entryVars = homeEntryVars = recentEntryVars = {};
  row = {};
  archive = {};
  homePriorPeriod = {};
  hasHomePriorPeriod = false;
}

void Generator::readRow(bool withText) {
  store::Table& t = blog_.tblBlog();
  row = {};
  if (t.bookmark() == 0) {  // no current row: the table is empty
    row.keys = periodKeysOf(0);
    return;
  }
  store::BlogRec& r = row.rec;
  auto category = [&](const char* field) { return t.isNull(field) ? store::kNoCategory : t.asInteger(field); };
  r.BlogKey = t.asInteger("BlogKey");
  r.BlogDateTime = t.asDateTime("BlogDateTime");
  r.BlogTitle = t.asString("BlogTitle");
  // The compressed columns cost an inflate each: a pass that shows no entry's
  // text reads none of them but the teaser the list pass links with.
  if (withText) r.BlogText = t.asString("BlogText");
  r.BlogCategory = category("BlogCategory");
  r.BlogCoolURL = t.asString("BlogCoolURL");
  r.BlogPageType = t.asInteger("BlogPageType");
  r.BlogPageName = t.asString("BlogPageName");
  r.BlogTeaser = t.asString("BlogTeaser");
  r.BlogKeywords = t.asString("BlogKeywords");
  if (withText) r.BlogSidebar = t.asString("BlogSidebar");
  if (withText) r.BlogExtra1 = t.asString("BlogExtra1");
  if (withText) r.BlogExtra2 = t.asString("BlogExtra2");
  r.BlogTitle1 = t.asString("BlogTitle1");
  r.BlogTitle2 = t.asString("BlogTitle2");
  r.BlogMetaDesc = t.asString("BlogMetaDesc");
  r.BlogCategory2 = category("BlogCategory2");
  r.BlogCategory3 = category("BlogCategory3");
  row.keys = periodKeysOf(r.BlogDateTime);
  row.valid = true;
}

void Generator::readText() {
  if (!row.valid) return;
  store::Table& t = blog_.tblBlog();
  row.rec.BlogText = t.asString("BlogText");
  readSideTexts();
}

void Generator::readSideTexts() {
  if (!row.valid) return;
  store::Table& t = blog_.tblBlog();
  row.rec.BlogSidebar = t.asString("BlogSidebar");
  row.rec.BlogExtra1 = t.asString("BlogExtra1");
  row.rec.BlogExtra2 = t.asString("BlogExtra2");
}

uint64_t Generator::siteInputs() {
  if (util::programBuildId().empty()) return 0;
  if (siteInputs_ != 0) return siteInputs_;
  util::Digest d;
  d.add(util::programBuildId());
  d.add(static_cast<int64_t>(package_.lines().size()));
  for (const std::string& line : package_.lines()) d.add(line);
  const store::BlogOptionsRec& o = options();
  for (const store::OptionDef& def : store::optionDefs()) d.add(def.key).add(store::optionText(o, def));
  d.add(pagePrefix_).add(pageExtension_).add(templates::PageNamePrefix());
  siteInputs_ = d.value();
  return siteInputs_;
}

bool Generator::knownPage(const std::string& name, uint64_t digest, PageOutput::BuiltVersion& version) {
  return skipUnchanged_ && output_ && output_->builtFrom(name, digest, version);
}

void Generator::readArchiveRow(bool first) {
  pending_ = {};
  store::Table& t = blog_.tblBlog();
  laterText.reset();
  laterArticle.reset();
  if (!first && t.bookmark() != newestRow_ && t.bookmark() != 0 && siteInputs() != 0) {
    row = {};
    if (builders_->archiveRowWithoutRecord(*this)) {
      // Only archive pages known unchanged show this entry: not even read.
      entryVars = {};
      return;
    }
  }
  readRow(false);
  using Need = PageBuilders::ArchiveRecord;
  const Need need = first || !row.valid ? Need::Whole : builders_->archiveRecord(*this);
  // The archive pages start with the record of the first row and end with
  // that of the last: those rows are read whole.
  const uint64_t site = row.valid && !first && t.bookmark() != newestRow_ ? siteInputs() : 0;
  if (site != 0 && need != Need::Whole && row.rec.BlogPageType == store::kBlogEntry) {
    if (need == Need::None) {
      // Only archive pages known unchanged show this entry.
      entryVars = {};
      return;
    }
    // Only listed: the page that lists it decodes and formats its text.
    readSideTexts();
    laterText = t.storedText("BlogText");
    fillEntry();
    return;
  }
  util::Digest inputs;
  if (site != 0 && builders_->singlePageInputs(*this, inputs)) {
    util::Digest stored;
    t.addStoredRow(stored);
    pending_.page = names().page(row.rec.BlogPageName);
    pending_.digest = ownPageDigest(inputs, stored.value());
    // The text waits for the decision (takeUnchangedPage). The archive entry
    // of an article shows these and its teaser; without a teaser of its own,
    // the start of its text, which was recorded with the same inputs.
    if (row.rec.BlogPageType == store::kArticlePage) {
      readSideTexts();
      if (util::charCount(row.rec.BlogTeaser) < 2) {
        pending_.cutTeaser = true;
        const std::string* teaser =
            skipUnchanged_ ? output_->recordedTeaser(pending_.page, pending_.digest) : nullptr;
        if (teaser) {
          pending_.teaser = *teaser;
        } else if (need == Need::WithoutText) {
          // Only listed: the article's own page and the archive page that
          // lists it cut the teaser, off the run's thread; the record holds
          // the link that follows it.
          laterArticle = std::make_shared<const LaterArticle>(t.storedText("BlogText"), options().HTMLFormatting);
        } else {
          readText();
          pending_.textRead = true;
          pending_.teaser = articleCutTeaser(row.rec, options());
        }
      }
    }
  } else {
    readText();
    pending_.textRead = true;
  }
  fillEntry();
}

uint64_t Generator::ownPageDigest(util::Digest inputs, uint64_t storedRow) {
  inputs.add(static_cast<int64_t>(siteInputs())).add(static_cast<int64_t>(storedRow));
  return inputs.value();
}

bool Generator::takeKnownOwnPage(const util::Digest& inputs, uint64_t storedRow) {
  if (siteInputs() == 0) return false;
  // Decided before the row's turn: the archive pages it hands in (when it
  // opens a period, all known unchanged) never take the name of a page of a
  // single entry, so they cannot change what builtFrom finds.
  PendingInputs known;
  known.page = names().page(row.rec.BlogPageName);
  known.digest = ownPageDigest(inputs, storedRow);
  PageOutput::BuiltVersion version;
  if (!knownPage(known.page, known.digest, version)) return false;
  known.known = version;
  // The teaser recorded with these inputs is the one the page would record.
  if (const std::string* teaser = output_->recordedTeaser(known.page, known.digest)) known.teaser = *teaser;
  pending_ = std::move(known);
  return true;
}

void Generator::takeUnchangedPage() {
  if (pending_.digest == 0 || pending_.known) return;
  // Decided only now, after the archive pages of this row were handed in: a
  // page of the same name among them has claimed the name, and the file is
  // then no longer known.
  PageOutput::BuiltVersion version;
  if (skipUnchanged_ && output_->builtFrom(pending_.page, pending_.digest, version)) {
    pending_.known = version;
    return;
  }
  if (pending_.textRead || laterArticle) return;
  // The page's own text serves the page alone: it is decoded and formatted
  // where the page is finished, off the run's thread.
  pending_.laterText = blog_.tblBlog().storedText("BlogText");
  if (row.rec.BlogPageType != store::kArticlePage) readSideTexts();  // an article's are read
  pending_.textRead = true;
  fillEntry();
}

void Generator::fillEntry() {
  entryVars = FillEntryRecord(row.rec, row.keys, options(), names(), pending_.cutTeaser ? &pending_.teaser : nullptr);
}

std::string Generator::describeCurrentEntry() const {
  if (!row.valid) return {};
  return "entry " + std::to_string(row.rec.BlogKey) + " \"" + row.rec.BlogTitle + "\"";
}

bool Generator::WritePage(const std::string& name, std::string_view text, std::string_view source) {
  return submitPage(name, PageDraft::finished(std::string(text)), source);
}

bool Generator::submitPage(const std::string& name, PageDraft draft, std::string_view source) {
  if (!output_ || !jobs_) throw OutputError("No generation run is going on");
  if (pending_.digest != 0 && draft.global && draft.package && name == pending_.page) {
    draft.inputs = pending_.digest;
    draft.inputsTeaser = pending_.teaser;
    draft.known = pending_.known;
    if (pending_.laterText) {
      draft.entryText = std::move(pending_.laterText);
      draft.entryTextFormatting = options().HTMLFormatting;
    }
    draft.article = laterArticle;
    pending_ = {};
  }
  if (draft.known) ++pagesTakenUnchanged_;
  const bool accepted = jobs_->submit(name, std::move(draft), source);
  if (util::endsWithNoCase(name, ".html") || util::endsWithNoCase(name, ".htm")) pagesOfRun_.push_back(name);
  return accepted;
}

std::string Generator::addSlice(int k, std::string text, int s, const templates::templateEntryVars& entry,
                                const templates::templatePageVars& page,
                                const templates::templateGlobalVars& global) const {
  return templates::FillEntryTags(package_, k, std::move(text), s, entry, page, global);
}

std::string Generator::finishPage(std::string text, const templates::templateGlobalVars& global,
                                  const templates::templateEntryVars& entry,
                                  const templates::templatePageVars& page) const {
  return templates::ResolveCommands(templates::FillPageTags(std::move(text), global, entry, page), global, entry,
                                    page);
}

void Generator::loadTemplatePackage() {
  store::UserInterface& ui = blog_.ui();
  const std::string& chosen = options().TemplateFile;
  if (!package_.OpenTemplatePackage(util::joinPath(blog_.programFolder(), chosen), ui)) {
    log_.AppendColouredLine(colours::kRed, "Error opening template package: " + chosen);
    if (!package_.OpenTemplatePackage(util::joinPath(blog_.programFolder(), "@default.tem"), ui)) {
      log_.AppendColouredLine(colours::kRed, "Error opening default template package: @default.tem");
      log_.AppendColouredLine(colours::kRed, "Loading internal copy of default template package instead.");
      package_.LoadBuiltInTemplatePackage();
    }
  }
  package_.SplitTemplatePackage();
  log_.AppendLine("Loading Template Package complete...");
  // The pages link the template's files by the package's names: a picture or
  // file that takes a template file's place keeps that name.
  for (const std::string& line : package_.lines()) {
    templates::FileRecord record;
    if (templates::parseFileRecord(line, record)) output_->preferSpelling(record.name);
  }
  templates::InstallTemplateFiles(package_, blog_, log_, *output_);
}

void Generator::applyDefaultOptions() {
  store::BlogOptionsRec& o = options();
  defaultText(o.BlogTitle, "Blog");
  defaultText(o.IndexPageName, "index");
  defaultText(o.ArchiveIndexPageName, "bymonth");
  defaultText(o.ArticleIndexPageName, "articles");
  defaultText(o.CoolLinkCaption, "See page");
  defaultText(o.IndexPageCaption, "Blog Home");
  defaultText(o.ArchiveIndexCaption, "Archives");
  defaultText(o.ArticleIndexCaption, "Articles");
  defaultText(o.ReadThisArticleCaption, "(Read Article)");
  defaultText(o.RSS091PageName, "index.rss");
  defaultText(o.RSS20PageName, "rss.xml");
  defaultText(o.PageTitleArchiveByMonth, "Archive by Month");
  defaultText(o.PageTitleArticleIndex, "Article Index");
  defaultText(o.PageTitleDailyEntries, "Daily Entries");
  defaultText(o.PageTitleWeeklyEntries, "Weekly Entries");
  defaultText(o.CategoryIndexPageName, "category");
  defaultText(o.CategoryIndexCaption, "Category Index");
  defaultText(o.PageTitleCategoryIndex, "Category Index");
  defaultText(o.RecentPageName, "recent");
  defaultText(o.RecentLinkCaption, "Recent Entries");
  defaultText(o.RecentPageTitle, "Recent Entries");
}

void Generator::listPass() {
  // The list pass gathers links, titles and teasers: no entry's text.
  store::Table& t = blog_.tblBlog();
  t.first();
  newestRow_ = t.bookmark();
  const bool digests = siteInputs() != 0;
  readRow(false);
  while (!t.eof()) {
    if (row.valid && staticLinkNeedsText(row.rec)) row.rec.BlogText = t.asString("BlogText");
    rowDigest = 0;
    if (digests && row.valid) {
      util::Digest d;
      t.addStoredRow(d);
      rowDigest = d.value();
    }
    builders_->listPassRow(*this);
    t.next();
    if (t.eof()) break;
    readRow(false);
  }
  builders_->listPassEnd(*this);
}

void Generator::archivePass() {
  store::Table& t = blog_.tblBlog();
  t.last();
  readArchiveRow(true);
  // A blog without any entry row has no archive page.
  if (!row.valid) return;
  builders_->archiveStart(*this);
  for (;;) {
    const int32_t type = row.rec.BlogPageType;
    if (type == store::kBlogEntry || type == store::kArticlePage) builders_->archiveRow(*this);
    takeUnchangedPage();
    switch (type) {
      case store::kArticlePage: builders_->articlePage(*this); break;
      case store::kStaticPage: builders_->staticPage(*this); break;
      case store::kHiddenPage: builders_->hiddenPage(*this); break;
      case store::kHomePage:
        if (homeEntryKey == -1) {
          homeEntryKey = row.rec.BlogKey;
          homeEntryVars = entryVars;
        } else {
          log_.AppendColouredLine(colours::kRed, "*** Error: Duplicate Home Page entry will be skipped ***");
        }
        break;
      case store::kRecentEntriesPage:
        if (recentEntryKey == -1) {
          recentEntryKey = row.rec.BlogKey;
          recentEntryVars = entryVars;
        } else {
          log_.AppendColouredLine(colours::kRed, "*** Error: Duplicate Recent Entries page will be skipped ***");
        }
        break;
      case store::kRedirectPage: builders_->redirectPage(*this); break;
      case store::kFreeFormatPage: builders_->freeFormatPage(*this); break;
      default: break;
    }
    // The row's texts were left unread for the page it knew unchanged: that
    // page must have been handed in (and not been built from the record).
    if (pending_.known)
      throw std::logic_error("The unchanged page " + pending_.page + " of " + describeCurrentEntry() +
                             " was not handed in");
    t.prior();
    if (t.bof()) break;
    readArchiveRow(false);
  }
  pending_ = {};
  laterText.reset();
  laterArticle.reset();
  builders_->archiveEnd(*this);
}

void Generator::homePass() {
  store::Table& t = blog_.tblBlog();
  // Rows the home pass does not show are read without their text.
  t.first();
  readRow(false);
  listedEntries = 0;
  feedItems = 0;
  builders_->homeStart(*this);
  builders_->feedsStart(*this);
  builders_->recentStart(*this);
  while (!t.eof()) {
    if (builders_->homeRowNeedsText(*this)) {
      readText();
      fillEntry();
    }
    if (options().IndexEntries >= listedEntries) {
      homePriorPeriod = row.keys;
      hasHomePriorPeriod = true;
    }
    builders_->homeRow(*this);
    builders_->feedsRow(*this);
    builders_->recentRow(*this);
    if (builders_->homePassDone(*this)) break;
    t.next();
    if (t.eof()) break;
    readRow(false);
  }
  builders_->homeEnd(*this);
  builders_->feedsEnd(*this);
  builders_->recentEnd(*this);
}

void Generator::writePicturesAndFiles() {
  store::Table& pictures = blog_.tblPictures();
  if (!pictures.isEmpty()) {
    RowKeeper keep(pictures);
    for (pictures.first(); !pictures.eof(); pictures.next()) {
      // A picture that cannot be saved is skipped; the next one follows.
      try {
        const std::string name = pictures.asString("BlogPictureName");
        log_.AppendLine("processing picture " + name);
        output_->WriteStoredFile(PageOutput::StoredKind::Picture, name, pictures.asInteger("BlogPictureCRC"),
                                 [&] { return pictures.blobBytes("BlogPicture"); });
      } catch (const store::StoreError&) {
      }
    }
  }
  store::Table& files = blog_.tblFiles();
  if (!files.isEmpty()) {
    RowKeeper keep(files);
    const std::string homePage = names().page(options().IndexPageName);
    for (files.first(); !files.eof(); files.next()) {
      try {
        const std::string name = files.asString("BlogFileName");
        log_.AppendLine("processing file " + name);
        if (util::equalsNoCase(name, homePage)) {
          indexOverwrite = true;
          log_.AppendColouredLine(colours::kGreen, "*** This page will overwrite the Blog Index Page ***");
        }
        output_->WriteStoredFile(PageOutput::StoredKind::File, name, files.asInteger("BlogFileCRC"),
                                 [&] { return files.blobBytes("BlogFile"); });
      } catch (const store::StoreError&) {
      }
    }
  }
}

// sitemap.xml lists every page a visitor may find: not hidden pages, not
// redirects. A page of one entry changed last on that entry's date, an archive
// page on its newest entry's; the pages that list the whole blog (home, indexes,
// categories, recent entries) on the newest entry's of the blog.
void Generator::writeSitemap() {
  const store::BlogOptionsRec& o = options();
  const std::string name = "sitemap.xml";
  if (!isAbsoluteWebAddress(o.BlogUrl)) {
    log_.AppendColouredLine(colours::kRed, "No " + name + ": the Blog URL (option 102) \"" + o.BlogUrl +
                                            "\" is not an address starting with http:// or https://.");
    return;
  }
  for (const store::GridRow& f : store::readGridRows(blog_.tblFiles(), {"BlogFileName"})) {
    if (!f.values.empty() && util::equalsNoCase(f.values[0], name)) {
      log_.AppendLine("...The blog's own extra file " + f.values[0] + " is the site map");
      return;
    }
  }
  const SiteNames n = names();
  std::unordered_map<std::string, util::DateTime> changed;
  std::unordered_set<std::string> unlisted;
  util::DateTime newest = 0;
  auto later = [&changed](const std::string& page, util::DateTime d) {
    util::DateTime& v = changed[util::lowerAscii(page)];
    v = std::max(v, d);
  };
  for (const store::GridRow& r :
       store::readGridRows(blog_.tblBlog(), {"BlogPageType", "BlogPageName", "BlogDateTime"})) {
    if (r.values.size() < 3) continue;
    int32_t type = 0;
    util::parseInt(r.values[0], type);
    util::DateTime d = 0;
    if (!util::parseStorageText(r.values[2], d)) d = 0;
    const std::string& pageName = r.values[1];
    switch (type) {
      case store::kBlogEntry:
      case store::kArticlePage: {
        const PeriodKeys k = periodKeysOf(d);
        later(n.monthPage(k.monthKey), d);
        later(n.weekPage(k.weekKey), d);
        later(n.dayPage(k.dayKey), d);
        if (type == store::kArticlePage) later(n.page(pageName), d);
        newest = std::max(newest, d);
        break;
      }
      case store::kStaticPage: later(n.page(pageName), d); break;
      case store::kFreeFormatPage: later(n.freeFormatPage(pageName), d); break;
      case store::kHiddenPage:
      case store::kRedirectPage: unlisted.insert(util::lowerAscii(n.page(pageName))); break;
      default: break;
    }
  }
  std::sort(pagesOfRun_.begin(), pagesOfRun_.end());
  pagesOfRun_.erase(std::unique(pagesOfRun_.begin(), pagesOfRun_.end()), pagesOfRun_.end());
  std::vector<SitemapPage> pages;
  pages.reserve(pagesOfRun_.size());
  for (const std::string& page : pagesOfRun_) {
    const std::string key = util::lowerAscii(page);
    if (unlisted.count(key)) continue;
    const auto it = changed.find(key);
    pages.push_back({page, it != changed.end() ? it->second : newest});
  }
  WritePage(name, sitemapXml(o.BlogUrl, pages));
}

void Generator::summary() {
  const RunCounters& c = output_->counters();
  log_.AppendLine("Output Location: " + outputFolder_);
  log_.AppendLine("Added or Changed: " + std::to_string(c.pagesAddedOrChanged) + " pages, " +
                  std::to_string(static_cast<int64_t>(c.filesAddedOrChanged) + c.picturesAddedOrChanged) +
                  " files and pictures ");
  log_.AppendLine("Removed: " + std::to_string(c.pagesRemoved) + " pages ");
  log_.AppendLine("Done!");
}

void Generator::GeneratePages() {
  // Taken before anything of the generator state is touched: a run started
  // from a callback of this one (the log, the popup) is refused here, before
  // it could replace the output or the package the running one uses.
  const store::BlogDb::RunScope run(blog_, "Generate Pages");
  if (!blog_.isOpen()) throw store::StoreError("Cannot generate pages: no blog is open");
  log_.ClearLog();
  store::Table& entries = blog_.tblBlog();
  RowKeeper keepEntry(entries);
  log_.AppendLine("Generating HTML");
  resetState();

  outputFolder_ = outputFolderOfBlog();
  output_ = std::make_unique<PageOutput>(blog_, log_.target(), outputFolder_);
  // Whatever way the run ends, the tracking writes made so far are committed
  // and the counters stay readable.
  struct OutputCloser {
    Generator& g;
    ~OutputCloser() {
      g.log_.follow(nullptr);
      g.jobs_.reset();  // the pages a failure left in flight are dropped
      g.counters_ = g.output_->counters();
      g.output_.reset();
    }
  } closer{*this};
  runThreads_ = PageJobs::threadsFor(pageThreads_);
  jobs_ = std::make_unique<PageJobs>(*output_, log_.target(), runThreads_);
  log_.follow(jobs_.get());
  try {
    generateSite();
  } catch (...) {
    // What was handed in before the failure of the run's own thread is
    // applied first, as it would have been on one thread (a failure among
    // those pages then stops the run in its place).
    jobs_->drain();
    throw;
  }
}

void Generator::generateSite() {
  output_->ResetNewChecksums();
  if (!util::directoryExists(outputFolder_) && !util::createDirectories(outputFolder_).ok())
    throw OutputError("Cannot create " + outputFolder_);
  log_.AppendLine("Output Location is " + outputFolder_);
  // What a run killed between writing a file and putting it in place left.
  for (const std::string& name : util::removeTemporaryLeftovers(outputFolder_))
    log_.AppendLine("...Removed the unfinished file " + name + " of an earlier run");
  log_.AppendLine("Loading Template Package...");
  loadTemplatePackage();
  applyDefaultOptions();

  options().PageNamePrefix = sanitizePagePrefix(options().PageNamePrefix);
  pagePrefix_ = options().PageNamePrefix;
  templates::SetPageNamePrefix(pagePrefix_);
  pageExtension_ = pageExtensionOf(options().HTMLExtension);
  // The names every page links: a page that takes one's place (an article
  // named like the home page in other letter case) is written under it.
  {
    const store::BlogOptionsRec& o = options();
    const SiteNames n = names();
    for (const std::string* page : {&o.IndexPageName, &o.ArchiveIndexPageName, &o.ArticleIndexPageName,
                                    &o.CategoryIndexPageName, &o.RecentPageName})
      output_->preferSpelling(n.page(*page));
    output_->preferSpelling(n.feed(o.RSS20PageName));
    if (o.RSS091Feed != 1) output_->preferSpelling(n.feed(o.RSS091PageName));
  }
  builders_->beginSiteValues(*this);

  // The passes walk the whole table: its rows are read in batches.
  const store::Table::ReadAheadScope readAhead(blog_.tblBlog());
  listPass();
  const bool categories = options().ArchiveByCategory != 3;
  if (categories) builders_->categoryLinks(*this);
  builders_->archiveIndexPage(*this);
  builders_->articleIndexPage(*this);
  if (categories) {
    builders_->categoryPages(*this);
    builders_->categoryIndexPage(*this);
  }
  archivePass();
  homePass();
  writeSitemap();
  // Every page is in place before the pictures, the files and the orphans.
  jobs_->drain();
  writePicturesAndFiles();
  output_->RemoveOrphans();
  // Recorded last: a run that ended before this point leaves the publishers
  // nothing to delete (some files it did not reach would read as removed).
  output_->markRunComplete();
  summary();
}

std::string Generator::previewPath() {
  if (!outputFolder_.empty()) return outputFolder_ + pagePrefix_ + options().IndexPageName + pageExtension_;
  // No run in this session yet: the names the next run would use.
  const std::string index = options().IndexPageName.empty() ? "index" : options().IndexPageName;
  return outputFolderOfBlog() + sanitizePagePrefix(options().PageNamePrefix) + index +
         pageExtensionOf(options().HTMLExtension);
}

PreviewResult PreviewPages(Generator& generator) {
  PreviewResult r;
  r.path = generator.previewPath();
  r.ok = util::fileExists(r.path);
  if (!r.ok) r.message = "Error: Index File is missing. Preview failed.\n\n" + r.path;
  return r;
}

}  // namespace tessary::generator
