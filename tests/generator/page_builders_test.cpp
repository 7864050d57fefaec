// The pages of the site, driven pass by pass over rows held in memory, with a
// small template package whose slices show the values under test.
#include "generator/page_builders.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "generator/entry_format.h"
#include "generator/page_output.h"
#include "store/blog_db.h"
#include "support/test_support.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

// Slices 1 to 6 of templates 2 to 6; slice 9 pads each record past the length
// below which a record stands for the Default Layout.
const char* const kSlices[7][7] = {
    {}, {},
    {"", "<home [%thispage.title%] kind=[%ISHOMEPAGE%]>", "[A:[%entry.text%]]", "[B]", "[E[%entry.id%]]",
     "[C prior=[%linkto.prior.href%] next=[%linkto.next.href%]]", "</home>"},
    {"", "<index [%thispage.title%] kw=[%thispage.metatag.keywords%]>", "[[%entry.title%]:[%entry.text%]]", "",
     "", "", "</index menu=[%thispage.menutree.css%]>"},
    {"", "<arch [%thispage.title%] prior=[%linkto.prior.href%] next=[%linkto.next.href%] "
         "parent=[%linkto.parent.href%] menu=[%thispage.menutree%]>",
     "[[%entry.title%]:[%entry.text%]]", "[B]", "[E[%entry.id%]]", "[C]", "</arch>"},
    {"", "<article [%thispage.title%] home=[%ISHOMEPAGE%] index=[%ISINDEXPAGE%] parent=[%linkto.parent.href%]>",
     "[[%entry.text%]]", "", "", "", "</article>"},
    {"", "<static [%thispage.title%] kw=[%thispage.metatag.keywords%] static=[%ISSTATICPAGE%] "
         "hidden=[%ISHIDDENPAGE%] prior=[%linkto.prior.href%]>",
     "[A:[%entry.text%]]", "[B]", "[E[%entry.id%]]", "[C]", "</static>"},
};

// listedText: the home and recent-entries pages show each listed entry's text too.
templates::TemplatePackage testPackage(bool listedText = false) {
  templates::TemplatePackage p;
  p.lines() = templates::newPackageLines();
  for (int k = 2; k <= 6; ++k) {
    templates::SliceList sl(10);
    sl[0] = std::to_string(k);
    for (int s = 1; s <= 6; ++s) sl[s] = kSlices[k][s];
    if (listedText && (k == 2 || k == 6)) sl[4] = "[E[%entry.id%]:[%entry.text%]]";
    sl[9] = std::string(60, '.');
    p.lines()[k] = templates::encodeTemplateRecord(sl);
  }
  p.SplitTemplatePackage();
  return p;
}

store::BlogOptionsRec runOptions() {
  store::BlogOptionsRec o;
  store::SetDefaultOptions(o, "/tmp");
  o.BlogTitle = "Test Blog";
  o.ArchiveIndexPageName = "bymonth";
  return o;
}

class SitePagesTest : public ::testing::Test {
 protected:
  SitePagesTest() : blog_(dir_.path(), ui_) {
    blog_.CreateBlog(dir_.file("t.zdb"));
    out_ = dir_.path() + "/out/";
    util::createDirectories(out_);
    options_ = runOptions();
  }

  store::BlogRec row(int32_t key, int32_t type, util::CivilTime when, std::string title,
                     std::string pageName = {}, std::string text = "text") {
    store::BlogRec r;
    r.BlogKey = key;
    r.BlogPageType = type;
    r.BlogDateTime = util::encodeDateTime(when);
    r.BlogTitle = std::move(title);
    r.BlogPageName = std::move(pageName);
    r.BlogText = std::move(text);
    return r;
  }

  EntryVars record(const store::BlogRec& r) {
    EntryVars e;
    e.EntryId = std::to_string(r.BlogKey);
    e.EntryTitle = r.BlogTitle;
    e.EntryText = r.BlogText;
    return e;
  }

  // The passes of a run over rows_ (any order; sorted newest first here), as
  // the generation run drives them.
  void generate() {
    std::stable_sort(rows_.begin(), rows_.end(), [](const store::BlogRec& a, const store::BlogRec& b) {
      return a.BlogDateTime != b.BlogDateTime ? a.BlogDateTime > b.BlogDateTime : a.BlogKey > b.BlogKey;
    });
    log_.lines.clear();
    indexOverwrite_ = false;
    PageOutput output(blog_, log_, out_);
    output.ResetNewChecksums();
    PageContext ctx{options_,
                    SiteNames{"", ".html"},
                    package_,
                    [&](const std::string& name, PageDraft draft, const std::string& source) {
                      const uint32_t number = draft.global ? templates::DrawRandomNumber() : 0;
                      output.WritePage(name, finishedText(std::move(draft), number), source);
                    },
                    log_,
                    indexOverwrite_,
                    1000.0,
                    60,
                    {},
                    {}};
    SitePages pages(ctx);
    pages.buildGlobals();
    for (const auto& r : rows_) pages.listPassRow(r, periodKeysOf(r.BlogDateTime));
    pages.finishListPass(categories_);
    pages.writeArchiveIndex();
    pages.writeArticleIndex();
    pages.writeCategoryPages();
    pages.writeCategoryIndex();
    EntryVars homeEntry, recentEntry;
    bool haveHome = false, haveRecent = false;
    if (!rows_.empty()) {
      pages.startArchive(periodKeysOf(rows_.back().BlogDateTime), record(rows_.back()));
      for (auto it = rows_.rbegin(); it != rows_.rend(); ++it) {
        const PeriodKeys keys = periodKeysOf(it->BlogDateTime);
        switch (it->BlogPageType) {
          case store::kBlogEntry: pages.archiveEntryRow(*it, keys, record(*it)); break;
          case store::kArticlePage: {
            EntryVars current = record(*it);
            pages.archiveEntryRow(*it, keys, current);
            pages.buildArticlePage(*it, keys, current);
            break;
          }
          case store::kStaticPage:
          case store::kHiddenPage: pages.buildStaticPage(*it, record(*it)); break;
          case store::kRedirectPage: pages.buildRedirectPage(*it); break;
          case store::kFreeFormatPage: pages.buildFreeFormatPage(*it); break;
          case store::kHomePage:
            if (haveHome) log_.AppendColouredLine(colours::kRed, "*** Error: Duplicate Home Page entry will be skipped ***");
            if (!haveHome) homeEntry = record(*it);
            haveHome = true;
            break;
          case store::kRecentEntriesPage:
            if (!haveRecent) recentEntry = record(*it);
            haveRecent = true;
            break;
        }
      }
      pages.finishArchive(record(rows_.front()));
    }
    pages.startHomePage(homeEntry);
    pages.startFeeds(rows_.empty() ? 0 : rows_.front().BlogDateTime);
    pages.startRecentPage(recentEntry);
    PeriodKeys prior;
    bool havePrior = false;
    for (const auto& full : rows_) {
      const PeriodKeys keys = periodKeysOf(full.BlogDateTime);
      if (options_.IndexEntries >= pages.listedEntries()) {
        prior = keys;
        havePrior = true;
      }
      if (homePassAsTheRun_) {
        // As the run drives it: the text only when the pages ask for it, the
        // kept records of the newest entries instead when there are some.
        store::BlogRec r = full;
        if (!pages.homePassNeedsText(r)) r.BlogText.clear();
        const SitePages::KeptEntry* kept = pages.keptEntry(r.BlogKey);
        pages.homePageRow(r, kept ? kept->vars : record(r));
        if (kept)
          pages.feedRow(r, keys, kept->text, &kept->formatted);
        else
          pages.feedRow(r, keys, r.BlogText);
        pages.recentPageRow(r, kept ? kept->vars : record(r));
        continue;
      }
      pages.homePageRow(full, record(full));
      pages.feedRow(full, keys, full.BlogText);
      pages.recentPageRow(full, record(full));
    }
    pages.finishHomePage(havePrior ? &prior : nullptr);
    pages.finishFeeds();
    pages.finishRecentPage(havePrior ? &prior : nullptr);
    output.RemoveOrphans();
    output.commit();
    globals_ = pages.globals();
  }

  std::string page(const std::string& name) { return testing::readFile(out_ + name); }
  bool exists(const std::string& name) { return util::fileExists(out_ + name); }
  std::vector<std::string> files() { return util::listFiles(out_); }
  bool logged(Colour c, const std::string& text) {
    for (const auto& l : log_.lines) {
      if (l.coloured && l.colour == c && l.text == text) return true;
    }
    return false;
  }

  TempDir dir_;
  RecordingUI ui_;
  RecordingLog log_;
  store::BlogDb blog_;
  std::string out_;
  store::BlogOptionsRec options_;
  templates::TemplatePackage package_ = testPackage();
  std::vector<store::BlogRec> rows_;
  std::vector<CategoryRow> categories_;
  bool indexOverwrite_ = false;
  bool homePassAsTheRun_ = false;
  GlobalVars globals_;
};

// The home pass reads the text only of rows it shows and takes the newest
// entries' texts and records from the archive pass: the home page, the feeds
// and the recent-entries page come out as when every row is read again. Blogs
// shorter and longer than what is kept, both feed forms, Markdown.
TEST_F(SitePagesTest, HomePassFromKeptEntriesGivesTheSamePages) {
  struct Case {
    int rows;
    int32_t indexEntries, feedItems, feedText, formatting;
  };
  for (const Case c : {Case{40, 4, 7, 0, kFormatLineBreaks}, Case{40, 12, 3, 1, kFormatMarkdown},
                       Case{30, 100, 100, 0, kFormatOwnHtml}, Case{1300, 1050, 20, 0, kFormatLineBreaks}}) {
    rows_.clear();
    int newestListed = 0;
    for (int i = 0; i < c.rows; ++i) {
      const int32_t type = i % 5 == 0 ? store::kArticlePage : i % 7 == 0 ? store::kStaticPage : store::kBlogEntry;
      if (type != store::kStaticPage) newestListed = i + 1;
      rows_.push_back(
          row(i + 1, type, {2004 + i / 300, 1 + (i / 25) % 12, 1 + i % 25, 9}, "Entry " + std::to_string(i),
              type == store::kBlogEntry ? "" : "page" + std::to_string(i),
              "*text* " + std::to_string(i) + "\n\nmore " + std::string(static_cast<size_t>(i % 300), 'x')));
    }
    options_.IndexEntries = c.indexEntries;
    options_.RSSItemEntries = c.feedItems;
    options_.RSSItemText = c.feedText;
    options_.HTMLFormatting = c.formatting;
    options_.ShowRecentOnHome = 1;
    package_ = testPackage(true);
    std::vector<std::string> everyRowRead, asTheRun;
    for (bool run : {false, true}) {
      homePassAsTheRun_ = run;
      generate();
      for (const char* name : {"index.html", "recent.html", "rss.xml", "index.rss"})
        (run ? asTheRun : everyRowRead).push_back(exists(name) ? page(name) : std::string("missing"));
    }
    for (size_t i = 0; i < everyRowRead.size(); ++i)
      ASSERT_EQ(asTheRun[i], everyRowRead[i]) << "case of " << c.rows << " rows, page " << i;
    EXPECT_NE(everyRowRead[2].find("more"), std::string::npos) << "the feed shows the texts";
    EXPECT_NE(everyRowRead[0].find("[E" + std::to_string(newestListed) + ":"), std::string::npos)
        << "the newest entries are on the home page";
  }
}

TEST_F(SitePagesTest, MonthlyPagesLinkPriorAndNextMonths) {
  rows_ = {row(1, store::kBlogEntry, {2004, 1, 10, 9}, "January"), row(2, store::kBlogEntry, {2004, 3, 5, 9}, "March"),
           row(3, store::kBlogEntry, {2004, 3, 6, 9}, "March too")};
  generate();
  EXPECT_EQ(page("200401.html"),
            "<arch January 2004 prior= next=200403.html parent=200401.html menu=<A HREF=\"index.html\">Blog Home</A>>"
            "[B]<A id=\"e1\"></A>[E1][C]</arch>");
  EXPECT_EQ(page("200403.html"),
            "<arch March 2004 prior=200401.html next= parent=200403.html menu=<A HREF=\"index.html\">Blog Home</A>>"
            "[B]<A id=\"e2\"></A>[E2]<A id=\"e3\"></A>[E3][C]</arch>");
  EXPECT_FALSE(exists("200402.html"));
  EXPECT_EQ(globals_.MonthLinksColumn,
            "<A HREF=\"200403.html\" class=\"entrylink\">March 2004</A><BR>"
            "<A HREF=\"200401.html\" class=\"entrylink\">January 2004</A><BR>");
  // The archive index lists the months and leaves them out of its own link lists.
  EXPECT_EQ(page("bymonth.html"),
            "<index Archive by Month kw=Archive by Month>[Archive by Month:" + globals_.MonthLinksColumn +
                "]</index menu=<A HREF=\"index.html\" class=\"menulink\">Blog Home</A>>");
}

TEST_F(SitePagesTest, WeeklyMonthPagesListTheirWeeks) {
  options_.ArchiveByDate = 1;
  rows_ = {row(1, store::kBlogEntry, {2003, 7, 1, 9}, "a"),    // week 2003071
           row(2, store::kBlogEntry, {2003, 7, 2, 9}, "b"),    // same week
           row(3, store::kBlogEntry, {2003, 7, 15, 9}, "c"),   // week 2003073
           row(4, store::kBlogEntry, {2003, 8, 1, 9}, "d")};   // week 2003075, month 200308
  generate();
  EXPECT_EQ(page("200307.html"),
            "<arch July 2003 prior= next=200308.html parent=200307.html menu=<A HREF=\"index.html\">Blog Home</A>>"
            "[Weekly Entries:<A HREF=\"2003071w.html\" class=\"entrylink\">2003-06-30 to 2003-07-06</A><BR>"
            "<A HREF=\"2003073w.html\" class=\"entrylink\">2003-07-14 to 2003-07-20</A><BR>]</arch>");
  EXPECT_NE(page("200308.html").find("[Weekly Entries:<A HREF=\"2003075w.html\""), std::string::npos);
  EXPECT_EQ(page("2003071w.html"),
            "<arch 2003-06-30 to 2003-07-06 prior= next=2003073w.html parent=2003071w.html "
            "menu=<A HREF=\"index.html\">Blog Home</A> : <a href=\"200307.html\">July 2003</a>>"
            "[B]<A id=\"e1\"></A>[E1]<A id=\"e2\"></A>[E2][C]</arch>");
  EXPECT_NE(page("2003075w.html").find("prior=2003073w.html next= "), std::string::npos);
  EXPECT_NE(page("2003075w.html").find("[B]<A id=\"e4\"></A>[E4][C]"), std::string::npos);
  EXPECT_EQ(page("200307.html").find("[E"), std::string::npos);  // entries live on the week pages
}

TEST_F(SitePagesTest, DailyPagesAndTheirMonthList) {
  options_.ArchiveByDate = 2;
  rows_ = {row(1, store::kBlogEntry, {2004, 1, 10, 9}, "a"), row(2, store::kBlogEntry, {2004, 1, 12, 9}, "b")};
  generate();
  EXPECT_NE(page("200401.html").find("[Daily Entries:<A HREF=\"20040110.html\" class=\"entrylink\">2004-01-10</A>"
                                     "<BR><A HREF=\"20040112.html\" class=\"entrylink\">2004-01-12</A><BR>]"),
            std::string::npos);
  EXPECT_NE(page("20040112.html").find("prior=20040110.html next= parent=20040112.html"), std::string::npos);
  EXPECT_NE(page("20040112.html").find("<A id=\"e2\"></A>[E2]"), std::string::npos);
}

TEST_F(SitePagesTest, OldStaticPageGivesAnEmptyFirstArchivePage) {
  rows_ = {row(1, store::kStaticPage, {2001, 5, 1, 9}, "About", "about"),
           row(2, store::kBlogEntry, {2003, 2, 1, 9}, "First")};
  generate();
  EXPECT_EQ(page("200105.html"),
            "<arch May 2001 prior= next=200302.html parent=200105.html menu=<A HREF=\"index.html\">Blog Home</A>>"
            "[B][C]</arch>");
  EXPECT_NE(page("200302.html").find("prior=200105.html next= "), std::string::npos);
  // Static pages are no month of their own in the month links.
  EXPECT_EQ(globals_.MonthLinksRow, "<A HREF=\"200302.html\" class=\"entrylink\">February 2003</A> ");
}

TEST_F(SitePagesTest, HomeAndRecentPagesShareTheListedCounter) {
  options_.IndexEntries = 5;  // shown as six
  for (int i = 1; i <= 9; ++i) rows_.push_back(row(i, store::kBlogEntry, {2004, 1, i, 9}, "e"));
  rows_.push_back(row(20, store::kStaticPage, {2004, 1, 20, 9}, "Static", "static"));
  generate();
  EXPECT_EQ(page("index.html"),
            "<home Test Blog kind=TRUE>[B][E9][E8][E7][E6][E5][E4][C prior=200401.html next=]</home>");
  EXPECT_EQ(page("recent.html"),
            "<static Recent Entries kw=Recent Entries static=TRUE hidden= prior=200401.html>"
            "[B][E9][E8][E7][E6][E5][C]</static>");
}

TEST_F(SitePagesTest, HomeEntryAndRecentEntryGiveTheirTextsAndTitles) {
  options_.ShowRecentOnHome = 0;
  rows_ = {row(1, store::kBlogEntry, {2004, 1, 1, 9}, "e"),
           row(2, store::kHomePage, {2004, 1, 2, 9}, " Welcome ", "", "Hello"),
           row(3, store::kHomePage, {2004, 1, 3, 9}, "Second home", "", "x"),
           row(4, store::kRecentEntriesPage, {2004, 1, 4, 9}, "", "", "")};
  generate();
  // Without the recent entries: slices 1, 2 and 6 and no prior link.
  EXPECT_EQ(page("index.html"), "<home Welcome kind=TRUE>[A:Hello]</home>");
  EXPECT_TRUE(logged(colours::kRed, "*** Error: Duplicate Home Page entry will be skipped ***"));
  EXPECT_EQ(page("recent.html"), "<static Recent Entries kw=Recent Entries static=TRUE hidden= prior=200401.html>"
                                 "[B][E1][C]</static>");
}

TEST_F(SitePagesTest, ArticleIndexGroupedByMonthAsUnorderedLists) {
  options_.ArticleIndexGrouping = 1;
  options_.ArticleListStyle = 2;
  options_.IncludeArticleTeasers = 1;
  rows_ = {row(1, store::kArticlePage, {2004, 1, 1, 9}, "One", "one"),
           row(2, store::kArticlePage, {2004, 3, 1, 9}, "Two", "two"),
           row(3, store::kArticlePage, {2004, 3, 2, 9}, "Three", "three")};
  rows_[2].BlogTeaser = " short ";
  generate();
  EXPECT_EQ(page("articles.html"),
            "<index Article Index kw=Article Index>[Article Index:"
            "March 2004<br><ul><li><A HREF=\"three.html\" class=\"entrylink\">Three</A> - short"
            "<li><A HREF=\"two.html\" class=\"entrylink\">Two</A></ul><p>"
            "January 2004<br><ul><li><A HREF=\"one.html\" class=\"entrylink\">One</A></ul>]"
            "</index menu=<A HREF=\"index.html\" class=\"menulink\">Blog Home</A>>");
}

TEST_F(SitePagesTest, CategoryPagesAndIndexInListStyle2) {
  options_.CategoryListStyle = 2;
  categories_ = {{7, "Food", " food ", "", "", "", "", "", "", "", "", ""},
                 {8, "Statics", "statics", "About statics", "kw", "", "", "", "", "", "", "desc"}};
  rows_ = {row(1, store::kBlogEntry, {2004, 1, 1, 9}, "Soup"), row(2, store::kBlogEntry, {2004, 1, 2, 9}, "Bread"),
           row(3, store::kStaticPage, {2004, 1, 3, 9}, "Page", "page")};
  rows_[0].BlogCategory = 7;
  rows_[1].BlogCategory2 = 7;
  rows_[2].BlogCategory = 8;
  generate();
  const std::string menu = "</index menu=<A HREF=\"index.html\" class=\"menulink\">Blog Home</A> : "
                           "<A HREF=\"category.html\" class=\"menulink\">Category Index</A>>";
  EXPECT_EQ(page("food.html"),
            "<index Food kw=Food>[Food:<ul><li><a href=\"200401.html#e2\" class=\"entrylink\">Bread</a><li>\n"
            "<a href=\"200401.html#e1\" class=\"entrylink\">Soup</a></ul>]" + menu);
  // A category used only by a static page: a page with no entry list.
  EXPECT_EQ(page("statics.html"), "<index Statics kw=kw>[Statics:About statics<p>]" + menu);
  EXPECT_EQ(page("category.html"),
            "<index Category Index kw=Category Index>[Category Index:<ul><li>"
            "<a href=\"food.html\" class=\"entrylink\">Food</a>\n<li>"
            "<a href=\"statics.html\" class=\"entrylink\">Statics</a>\n</ul>]"
            "</index menu=<A HREF=\"index.html\" class=\"menulink\">Blog Home</A>>");
}

TEST_F(SitePagesTest, IgnoringCategoriesLeavesTheirPagesOut) {
  options_.ArchiveByCategory = 3;
  options_.CategoryIndexInNavBar = 1;
  categories_ = {{7, "Food", "food", "", "", "", "", "", "", "", "", ""}};
  rows_ = {row(1, store::kArticlePage, {2004, 1, 1, 9}, "Soup", "soup")};
  rows_[0].BlogCategory = 7;
  generate();
  EXPECT_FALSE(exists("food.html"));
  EXPECT_FALSE(exists("category.html"));
  EXPECT_EQ(globals_.CategoryIndexLink, "");
  EXPECT_EQ(globals_.CategoryLinksColumn, "");
  EXPECT_EQ(globals_.NavbarColumn.find("category.html"), std::string::npos);
  // The article's parent is its month, not its category.
  EXPECT_NE(page("soup.html").find("parent=200401.html>"), std::string::npos);
}

TEST_F(SitePagesTest, ArticleParentIsItsCategoryWhenThatExists) {
  categories_ = {{7, "Food", "food", "", "", "", "", "", "", "", "", ""}};
  rows_ = {row(1, store::kArticlePage, {2004, 1, 1, 9}, "Soup", "soup"),
           row(2, store::kArticlePage, {2004, 1, 2, 9}, "Gone", "gone")};
  rows_[0].BlogCategory = 7;
  rows_[1].BlogCategory = 99;  // removed category
  generate();
  EXPECT_NE(page("soup.html").find("parent=food.html>"), std::string::npos);
  EXPECT_NE(page("gone.html").find("parent=200401.html>"), std::string::npos);
}

TEST_F(SitePagesTest, ArticleNamedLikeTheHomePageReplacesIt) {
  rows_ = {row(1, store::kBlogEntry, {2004, 1, 1, 9}, "e"),
           row(2, store::kArticlePage, {2004, 1, 2, 9}, "Front", "INDEX", "Body")};
  generate();
  EXPECT_TRUE(logged(colours::kGreen, "*** This page will overwrite the Blog Index Page ***"));
  EXPECT_TRUE(indexOverwrite_);
  // Only the file system's own folding decides whether INDEX.html and
  // index.html are one file: the home page itself is not written.
  EXPECT_EQ(page("INDEX.html"), "<article Front home=TRUE index= parent=200401.html>[Body]</article>");
  EXPECT_FALSE(exists("index.html"));
}

TEST_F(SitePagesTest, ArticleNamedLikeTheArchiveIndexReplacesThatPage) {
  rows_ = {row(1, store::kArticlePage, {2004, 1, 2, 9}, "Months", "bymonth", "Body")};
  generate();
  EXPECT_TRUE(logged(colours::kGreen, "*** This page will overwrite the Blog Index by Month Page ***"));
  EXPECT_EQ(page("bymonth.html"), "<article Months home= index=TRUE parent=200401.html>[Body]</article>");
  EXPECT_TRUE(exists("index.html"));
}

TEST_F(SitePagesTest, StaticAndHiddenPagesAndTheirMetaValues) {
  options_.DefaultKeywords = "";
  rows_ = {row(1, store::kStaticPage, {2004, 1, 1, 9}, "About", "about", "Me"),
           row(2, store::kHiddenPage, {2004, 1, 2, 9}, "Secret", "secret", "Psst")};
  rows_[1].BlogKeywords = "hush";
  generate();
  EXPECT_EQ(page("about.html"), "<static About kw=About static=TRUE hidden= prior=>[A:Me]</static>");
  EXPECT_EQ(page("secret.html"), "<static Secret kw=hush static= hidden=TRUE prior=>[A:Psst]</static>");
  EXPECT_EQ(globals_.StaticLinksRow, "<A HREF=\"about.html\" class=\"menulink\">About</A>");
}

TEST_F(SitePagesTest, RedirectAndFreeFormatPages) {
  rows_ = {row(1, store::kRedirectPage, {2004, 1, 1, 9}, "Go", "go"),
           row(2, store::kRedirectPage, {2004, 1, 2, 9}, "One", "one"),
           row(3, store::kRedirectPage, {2004, 1, 3, 9}, "Blank", "blank"),
           row(4, store::kFreeFormatPage, {2004, 1, 4, 9}, "Free", " data.txt ", "keep [%entry.title%]"),
           row(5, store::kFreeFormatPage, {2004, 1, 5, 9}, "Notes", "notes", "n")};
  rows_[0].BlogCoolURL = " http://example.org/ ";
  rows_[1].BlogCoolURL = "x";
  rows_[2].BlogCoolURL = "    ";
  generate();
  EXPECT_EQ(page("go.html"),
            "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>Loading page...</title><meta "
            "http-equiv=\"refresh\" "
            "content=\"2;URL=http://example.org/\"><script>url='http://example.org/'; if(document.images) { "
            "top.location.replace(url); }else { top.location.href=url; }</script></head><body>Loading <a "
            "href=\"http://example.org/\">page</a>...</body></html>");
  EXPECT_FALSE(exists("one.html"));
  EXPECT_FALSE(exists("blank.html"));
  EXPECT_EQ(std::count_if(log_.lines.begin(), log_.lines.end(),
                          [](const auto& l) { return l.text == "*** Error: no URL specified for redirect page ***"; }),
            2);
  EXPECT_EQ(page("data.txt"), "keep [%entry.title%]");
  EXPECT_EQ(page("notes.html"), "n");
}

// An address with quotes and angle brackets stays inside its attribute and its
// script string.
TEST_F(SitePagesTest, RedirectAddressesAreEscapedForTheirPlace) {
  rows_ = {row(1, store::kRedirectPage, {2004, 1, 1, 9}, "Go", "go")};
  rows_[0].BlogCoolURL = "http://e.org/?a=1&b=\"x\"'</script><b>\\";
  generate();
  const std::string p = page("go.html");
  EXPECT_NE(p.find("content=\"2;URL=http://e.org/?a=1&amp;b=&quot;x&quot;'&lt;/script>&lt;b>\\\""), std::string::npos)
      << p;
  EXPECT_NE(p.find("url='http://e.org/?a=1&b=\"x\"\\'\\x3C/script>\\x3Cb>\\\\';"), std::string::npos) << p;
  EXPECT_EQ(p.find("</script><b>"), std::string::npos);
}

TEST_F(SitePagesTest, PageNamesThatAreNoFileNamesAreRefused) {
  rows_ = {row(1, store::kArticlePage, {2004, 1, 1, 9}, "Evil", "../evil"),
           row(2, store::kFreeFormatPage, {2004, 1, 2, 9}, "Evil too", "a/b.txt")};
  generate();
  EXPECT_FALSE(util::fileExists(dir_.path() + "/evil.html"));
  EXPECT_FALSE(exists("a"));
  EXPECT_TRUE(exists("index.html"));
}

TEST_F(SitePagesTest, TurningTheOldFeedOffMakesItAnOrphan) {
  options_.RSS091Feed = 0;
  options_.BlogUrl = "http://example.org/blog";
  rows_ = {row(1, store::kBlogEntry, {2004, 1, 1, 9}, "e")};
  generate();
  EXPECT_TRUE(exists("index.rss"));
  EXPECT_TRUE(exists("rss.xml"));
  options_.RSS091Feed = 1;
  generate();
  EXPECT_FALSE(exists("index.rss"));
  EXPECT_TRUE(exists("rss.xml"));
  EXPECT_NE(std::find(log_.texts().begin(), log_.texts().end(), "...Removing orphan page index.rss"),
            log_.texts().end());
}

TEST_F(SitePagesTest, FeedsHoldTheNewestEntriesAndArticlesOnly) {
  options_.BlogUrl = "http://example.org/blog";
  options_.RSS091Feed = 0;
  for (int i = 1; i <= 30; ++i) rows_.push_back(row(i, i % 3 ? store::kBlogEntry : store::kArticlePage,
                                                    {2004, 1 + i / 28, 1 + i % 28, 9}, "T&\"" + std::to_string(i),
                                                    "a" + std::to_string(i)));
  rows_.push_back(row(40, store::kStaticPage, {2005, 1, 1, 9}, "Static", "static"));
  generate();
  for (const std::string name : {"index.rss", "rss.xml"}) {
    const std::string feed = page(name);
    int items = 0;
    for (size_t p = feed.find("<item>"); p != std::string::npos; p = feed.find("<item>", p + 1)) ++items;
    EXPECT_EQ(items, 10) << name;
    EXPECT_NE(feed.find("<title>T&amp;&quot;30</title>"), std::string::npos);
    EXPECT_NE(feed.find("<link>http://example.org/blog/a30.html</link>"), std::string::npos);
    EXPECT_NE(feed.find("<link>http://example.org/blog/200402.html#e29</link>"), std::string::npos);
    EXPECT_EQ(feed.find("Static"), std::string::npos);
    EXPECT_EQ(feed.find("T&amp;&quot;20<"), std::string::npos);
    // The channel's date is that of the newest row, a static page here.
    EXPECT_NE(feed.find("<pubDate>Sat, 1 Jan 2005 09:00:00 +0100</pubDate>"), std::string::npos);
  }
}

}  // namespace
}  // namespace tessary::generator
