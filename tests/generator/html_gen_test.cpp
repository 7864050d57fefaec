#include "generator/html_gen.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "generator/entry_format.h"
#include "support/test_support.h"
#include "templates/package.h"
#include "util/crc32.h"
#include "util/files.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

const char* const kTemplateFiles[] = {"clear.gif", "xml.gif", "tag.gif", "leftside.jpg", "default.css", "favicon.svg"};

ino_t inodeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

int count(const RecordingLog& log, const std::string& text) {
  int n = 0;
  for (const auto& l : log.lines) n += l.text == text;
  return n;
}

// Option row 998 as the blog file holds it: -1 when there is none.
int lastGenerationComplete(store::BlogDb& blog) {
  store::Statement st = blog.database().prepare("SELECT OptionInteger FROM tblOptions WHERE OptionKey = 998");
  return sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int(st.get(), 0) : -1;
}

// A blog in a temporary program folder without "@default.tem", so runs use the
// built-in package unless a test writes a package there.
class GenerationRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    ASSERT_TRUE(blog_->CreateBlog(dir_.file("site.zdb")));
    blog_->database().exec("DELETE FROM tblBlog");
    blog_->database().notifyDataChanged("tblBlog");
    out_ = dir_.path() + "/HTML/site/";
  }

  int32_t addEntry(int32_t type, util::DateTime when, const std::string& title, const std::string& pageName = "",
                   const std::string& text = "text") {
    store::Table& t = blog_->tblBlog();
    t.insert();
    t.setDateTime("BlogDateTime", when);
    t.setInteger("BlogPageType", type);
    t.setString("BlogTitle", title);
    t.setString("BlogText", text);
    t.setString("BlogPageName", pageName);
    t.setInteger("BlogCategory", -1);
    t.post();
    return t.asInteger("BlogKey");
  }
  void addStored(bool picture, const std::string& name, const std::string& bytes) {
    store::Table& t = picture ? blog_->tblPictures() : blog_->tblFiles();
    t.insert();
    t.setString(picture ? "BlogPictureName" : "BlogFileName", name);
    t.setString(picture ? "BlogPicture" : "BlogFile", bytes);
    t.setInteger(picture ? "BlogPictureCRC" : "BlogFileCRC", util::crcToStored(util::CalculateCRC32String(bytes)));
    t.post();
  }

  void run(std::unique_ptr<PageBuilders> builders = nullptr) {
    Generator gen(*blog_, log_, std::move(builders));
    gen.GeneratePages();
    counters_ = gen.counters();
  }
  void markPublished() {
    ui_.answers = {store::Answer::Yes};
    ASSERT_TRUE(MarkAllAsPublished(*blog_));
  }
  PageRow row(const std::string& key) {
    PageOutput reader(*blog_, log_, out_);
    const auto it = reader.rows().find(key);
    return it == reader.rows().end() ? PageRow{} : it->second;
  }

  TempDir dir_;
  RecordingUI ui_;
  RecordingLog log_;
  std::unique_ptr<store::BlogDb> blog_;
  std::string out_;
  RunCounters counters_;
};

TEST_F(GenerationRunTest, FirstRunWithTheBuiltInPackage) {
  addEntry(store::kBlogEntry, util::encodeDate(2004, 1, 10), "January");
  run();
  const auto texts = log_.texts();
  ASSERT_GE(texts.size(), 6u);
  EXPECT_EQ(texts[0], "Generating HTML");
  EXPECT_EQ(texts[1], "Output Location is " + out_);
  EXPECT_EQ(texts[2], "Loading Template Package...");
  // The chosen package and "@default.tem" both fail: three red lines, and one
  // for the site map that needs the blog's address (besides the feeds' "*** "
  // hints about the missing blog address).
  int red = 0;
  for (const auto& l : log_.lines) red += l.coloured && l.colour == colours::kRed && l.text.rfind("*** ", 0) != 0;
  EXPECT_EQ(red, 4);
  EXPECT_TRUE(log_.contains(
      "No sitemap.xml: the Blog URL (option 102) \"\" is not an address starting with http:// or https://."));
  EXPECT_FALSE(util::fileExists(out_ + "sitemap.xml"));
  EXPECT_TRUE(log_.contains("Error opening default template package: @default.tem"));
  EXPECT_TRUE(log_.contains("Loading internal copy of default template package instead."));
  for (const char* f : kTemplateFiles) {
    EXPECT_EQ(count(log_, std::string("...") + f + " is new."), 1) << f;
    EXPECT_TRUE(util::fileExists(out_ + f)) << f;
    EXPECT_EQ(row(f).existing, 0);
    EXPECT_NE(row(f).fresh, 0);
  }
  EXPECT_TRUE(util::fileExists(out_ + "index.html"));
  EXPECT_TRUE(util::fileExists(out_ + blog_->options().ArchiveIndexPageName + ".html"));
  EXPECT_TRUE(util::fileExists(out_ + "200401.html"));
  const size_t n = texts.size();
  EXPECT_EQ(texts[n - 4], "Output Location: " + out_);
  EXPECT_EQ(texts[n - 3], "Added or Changed: " + std::to_string(counters_.pagesAddedOrChanged) +
                              " pages, 6 files and pictures ");
  EXPECT_EQ(texts[n - 2], "Removed: 0 pages ");
  EXPECT_EQ(texts[n - 1], "Done!");
}

TEST_F(GenerationRunTest, UnpublishedRunReportsChangesAgainAndPublishedRunWritesNothing) {
  addEntry(store::kBlogEntry, util::encodeDate(2004, 1, 10), "January");
  run();
  std::map<std::string, ino_t> first;
  for (const std::string& f : util::listFiles(out_)) first[f] = inodeOf(out_ + f);
  run();
  for (const char* f : kTemplateFiles) EXPECT_EQ(count(log_, std::string("... ") + f + " has changes."), 1) << f;
  EXPECT_EQ(counters_.filesAddedOrChanged, 6);
  // Not yet published, so still reported as changed; but the local copies
  // already hold these versions and are not written again.
  EXPECT_GT(counters_.pagesAddedOrChanged, 0);
  for (const auto& [f, ino] : first) EXPECT_EQ(inodeOf(out_ + f), ino) << f << " was written again";
  // A local copy of another size is replaced.
  ASSERT_TRUE(util::writeFileAtomic(out_ + "index.html", "cut").ok());
  run();
  EXPECT_NE(testing::readFile(out_ + "index.html"), "cut");

  markPublished();
  std::map<std::string, ino_t> before;
  for (const std::string& f : util::listFiles(out_)) before[f] = inodeOf(out_ + f);
  run();
  EXPECT_EQ(counters_.pagesAddedOrChanged, 0);
  EXPECT_EQ(counters_.filesAddedOrChanged, 0);
  EXPECT_TRUE(log_.contains("Added or Changed: 0 pages, 0 files and pictures "));
  for (const auto& [f, ino] : before) EXPECT_EQ(inodeOf(out_ + f), ino) << f << " was written";

  // A deleted local copy is written again without a line.
  ASSERT_TRUE(util::removeFile(out_ + "default.css").ok());
  ASSERT_TRUE(util::removeFile(out_ + "index.html").ok());
  run();
  EXPECT_TRUE(util::fileExists(out_ + "default.css"));
  EXPECT_TRUE(util::fileExists(out_ + "index.html"));
  EXPECT_EQ(counters_.pagesAddedOrChanged + counters_.filesAddedOrChanged, 0);
  EXPECT_FALSE(log_.contains("... default.css has changes."));
}

TEST_F(GenerationRunTest, EmptyOptionsGetDefaultsAndThePrefixIsSanitised) {
  blog_->options().IndexPageName = "";
  blog_->options().ArchiveIndexPageName = " ";
  blog_->options().PageNamePrefix = "my/blog: ";
  blog_->options().HTMLExtension = 1;
  run();
  EXPECT_EQ(blog_->options().IndexPageName, "index");
  EXPECT_EQ(blog_->options().ArchiveIndexPageName, " ");  // a blank is a value
  EXPECT_EQ(blog_->options().PageNamePrefix, "my-blog-");
  EXPECT_TRUE(util::fileExists(out_ + "my-blog-index.htm"));
  EXPECT_TRUE(util::fileExists(out_ + "my-blog- .htm"));
  Generator gen(*blog_, log_);
  EXPECT_EQ(gen.previewPath(), out_ + "my-blog-index.htm");
}

TEST_F(GenerationRunTest, PreviewPagesNeedsTheHomePage) {
  Generator gen(*blog_, log_);
  PreviewResult r = PreviewPages(gen);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Error: Index File is missing. Preview failed.\n\n" + out_ + "index.html");
  gen.GeneratePages();
  r = PreviewPages(gen);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.path, out_ + "index.html");
}

TEST_F(GenerationRunTest, OutputFolderThatCannotBeCreatedStopsTheRun) {
  testing::writeFile(dir_.file("HTML"), "a file where the folder should be");
  try {
    run();
    FAIL() << "the run completed";
  } catch (const OutputError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create " + out_);
  }
  EXPECT_FALSE(log_.contains("Done!"));
  ASSERT_TRUE(util::removeFile(dir_.file("HTML")).ok());
  run();
  EXPECT_TRUE(log_.contains("Done!"));
  EXPECT_TRUE(util::fileExists(out_ + "index.html"));
}

TEST_F(GenerationRunTest, PicturesShadowTemplateFilesAndAFileCanReplaceTheHomePage) {
  addStored(true, "xml.gif", "my own picture");
  addStored(false, "index.html", "<html>my own home</html>");
  run();
  EXPECT_TRUE(log_.contains("...Note: Template file xml.gif is overriden by Pictures or Files"));
  EXPECT_EQ(count(log_, "...xml.gif is new."), 1);  // the picture's own line
  EXPECT_TRUE(log_.contains("processing picture xml.gif"));
  EXPECT_TRUE(log_.contains("processing file index.html"));
  EXPECT_TRUE(log_.contains("*** This page will overwrite the Blog Index Page ***"));
  EXPECT_EQ(testing::readFile(out_ + "xml.gif"), "my own picture");
  EXPECT_EQ(testing::readFile(out_ + "index.html"), "<html>my own home</html>");
  EXPECT_EQ(counters_.picturesAddedOrChanged, 1);
  EXPECT_EQ(counters_.filesAddedOrChanged, 5 + 1);
}

// Records the order in which the run calls the builders.
class RecordingBuilders : public PageBuilders {
 public:
  explicit RecordingBuilders(std::vector<std::string>& calls) : calls_(calls) {}
  void beginSiteValues(Generator&) override { calls_.push_back("site"); }
  void listPassRow(Generator& g) override { calls_.push_back("list " + g.row.rec.BlogTitle); }
  void listPassEnd(Generator&) override { calls_.push_back("list end"); }
  void categoryLinks(Generator&) override { calls_.push_back("category links"); }
  void archiveIndexPage(Generator&) override { calls_.push_back("archive index"); }
  void articleIndexPage(Generator&) override { calls_.push_back("article index"); }
  void categoryPages(Generator&) override { calls_.push_back("category pages"); }
  void categoryIndexPage(Generator&) override { calls_.push_back("category index"); }
  void archiveStart(Generator& g) override { calls_.push_back("archive start " + g.row.rec.BlogTitle); }
  void archiveRow(Generator& g) override { calls_.push_back("archive " + g.entryVars.EntryTitle); }
  void archiveEnd(Generator& g) override { calls_.push_back("archive end " + g.entryVars.EntryTitle); }
  void articlePage(Generator& g) override {
    calls_.push_back("article " + g.row.rec.BlogTitle);
    g.WritePage(g.names().page(g.row.rec.BlogPageName), "article", g.describeCurrentEntry());
  }
  void staticPage(Generator& g) override { calls_.push_back("static " + g.row.rec.BlogTitle); }
  void homeStart(Generator& g) override { calls_.push_back("home start " + g.homeEntryVars.EntryTitle); }
  void feedsStart(Generator&) override { calls_.push_back("feeds start"); }
  void recentStart(Generator&) override { calls_.push_back("recent start"); }
  void homeRow(Generator& g) override { calls_.push_back("home " + g.entryVars.EntryTitle); }
  void feedsRow(Generator&) override { calls_.push_back("feeds"); }
  void recentRow(Generator&) override { calls_.push_back("recent"); }
  void homeEnd(Generator&) override { calls_.push_back("home end"); }
  void feedsEnd(Generator&) override { calls_.push_back("feeds end"); }
  void recentEnd(Generator&) override { calls_.push_back("recent end"); }

 private:
  std::vector<std::string>& calls_;
};

TEST_F(GenerationRunTest, PassesRunInTheirOrderAndDirection) {
  addEntry(store::kStaticPage, util::encodeDate(2001, 5, 1), "static", "about");
  addEntry(store::kBlogEntry, util::encodeDate(2003, 1, 1), "old");
  addEntry(store::kHomePage, util::encodeDate(2003, 2, 1), "home one");
  addEntry(store::kArticlePage, util::encodeDate(2003, 3, 1), "article", "art");
  addEntry(store::kHomePage, util::encodeDate(2003, 4, 1), "home two");
  std::vector<std::string> calls;
  run(std::make_unique<RecordingBuilders>(calls));
  const std::vector<std::string> expected{
      "site",          "list home two",      "list article",   "list home one",   "list old",
      "list static",   "list end",           "category links", "archive index",   "article index",
      "category pages", "category index",    "archive start static", "static static", "archive old",
      "archive article", "article article",  "archive end home two", "home start home one", "feeds start",
      "recent start",  "home home two",      "feeds",          "recent",          "home article",
      "feeds",         "recent",             "home home one",  "feeds",           "recent",
      "home old",      "feeds",              "recent",         "home static",     "feeds",
      "recent",        "home end",           "feeds end",      "recent end"};
  EXPECT_EQ(calls, expected);
  // The older home page entry feeds the home page; the newer one is the duplicate.
  EXPECT_TRUE(log_.contains("*** Error: Duplicate Home Page entry will be skipped ***"));
  EXPECT_TRUE(util::fileExists(out_ + "art.html"));
}

TEST_F(GenerationRunTest, CategoryPagesAreLeftOutWhenArchivingByCategoryIsOff) {
  blog_->options().ArchiveByCategory = 3;
  std::vector<std::string> calls;
  run(std::make_unique<RecordingBuilders>(calls));
  for (const char* c : {"category links", "category pages", "category index"})
    EXPECT_EQ(std::count(calls.begin(), calls.end(), c), 0) << c;
  // An empty blog: no archive pass, but the home pass runs.
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "home end"), 1);
}

TEST_F(GenerationRunTest, AStaticPageLinksItsCoolUrlOnlyWhenItHasAlmostNoText) {
  // The list pass reads no texts, but the link of a static page with a Cool
  // URL depends on its text.
  store::Table& t = blog_->tblBlog();
  for (const char* name : {"full", "bare"}) {
    addEntry(store::kStaticPage, util::encodeDate(2003, 3, 1), name, name, name[0] == 'f' ? "A page of its own." : "");
    t.edit();
    t.setString("BlogCoolURL", "http://example.com/away");
    t.post();
  }
  run();
  const std::string home = testing::readFile(out_ + "index.html");
  EXPECT_NE(home.find("HREF=\"full.html\""), std::string::npos);
  EXPECT_EQ(home.find("HREF=\"bare.html\""), std::string::npos);
  EXPECT_NE(home.find("HREF=\"http://example.com/away\""), std::string::npos);
}

TEST_F(GenerationRunTest, APageNameThatIsNotABareFileNameIsRefusedAndTheRunGoesOn) {
  testing::writeFile(dir_.file("escape.html"), "safe");
  const int32_t key = addEntry(store::kArticlePage, util::encodeDate(2003, 3, 1), "Sneaky", "../../escape");
  std::vector<std::string> calls;
  run(std::make_unique<RecordingBuilders>(calls));
  EXPECT_TRUE(log_.contains("Done!"));
  bool named = false;
  for (const auto& l : log_.lines)
    named |= l.coloured && l.text.find("entry " + std::to_string(key) + " \"Sneaky\"") != std::string::npos;
  EXPECT_TRUE(named);
  EXPECT_EQ(testing::readFile(dir_.file("escape.html")), "safe");
}

TEST_F(GenerationRunTest, TheCurrentEntryIsKept) {
  addEntry(store::kBlogEntry, util::encodeDate(2003, 1, 1), "a");
  const int32_t b = addEntry(store::kBlogEntry, util::encodeDate(2003, 2, 1), "b");
  addEntry(store::kBlogEntry, util::encodeDate(2003, 3, 1), "c");
  store::Table& t = blog_->tblBlog();
  t.first();
  t.next();
  ASSERT_EQ(t.asInteger("BlogKey"), b);
  run();
  EXPECT_EQ(t.asInteger("BlogKey"), b);
}

TEST_F(GenerationRunTest, RemovedEntryBecomesAnOrphan) {
  addEntry(store::kBlogEntry, util::encodeDate(2003, 1, 1), "a");
  const int32_t b = addEntry(store::kBlogEntry, util::encodeDate(2003, 2, 1), "b");
  run();
  ASSERT_TRUE(util::fileExists(out_ + "200302.html"));
  blog_->database().exec("DELETE FROM tblBlog WHERE BlogKey = " + std::to_string(b));
  blog_->database().notifyDataChanged("tblBlog");
  run();
  EXPECT_TRUE(log_.contains("...Removing orphan page 200302.html"));
  EXPECT_TRUE(log_.contains("Removed: 1 pages "));
  EXPECT_FALSE(util::fileExists(out_ + "200302.html"));
  EXPECT_EQ(row("200302.html").fresh, 0);
}

TEST_F(GenerationRunTest, ChosenPackageIsUsedAndItsFilesInstalled) {
  std::vector<std::string> lines = templates::newPackageLines();
  lines[1] = templates::encodeTemplateRecord({"1", "<html>[%thispage.title%]", "", "", "", "", "</html>", "", "", ""});
  lines.push_back(templates::encodeFileRecord("site.css", templates::bytesToHex("body{}")));
  lines.push_back(templates::encodeFileRecord("bad.bin", "ZZ"));
  lines.push_back(templates::encodeFileRecord("twice.txt", templates::bytesToHex("first")));
  lines.push_back(templates::encodeFileRecord("twice.txt", templates::bytesToHex("second")));
  lines.push_back(templates::encodeFileRecord("../outside.txt", templates::bytesToHex("evil")));
  testing::writeFile(dir_.file("mine.tem"), templates::joinPackageLines(lines));
  blog_->options().TemplateFile = "mine.tem";
  run();
  EXPECT_FALSE(log_.contains("Error opening template package: mine.tem"));
  EXPECT_EQ(testing::readFile(out_ + "site.css"), "body{}");
  EXPECT_EQ(testing::readFile(out_ + "index.html"), "<html>" + blog_->options().BlogTitle + "</html>");
  // Invalid hex: the message, nothing written, the row counts as not produced.
  EXPECT_NE(std::find(ui_.errors.begin(), ui_.errors.end(), "Error extracting bad.bin from template package. Sorry."),
            ui_.errors.end());
  EXPECT_FALSE(util::fileExists(out_ + "bad.bin"));
  EXPECT_EQ(row("bad.bin").fresh, 0);
  // Two records of one name: the second one's content ends up in the folder and the row.
  EXPECT_EQ(testing::readFile(out_ + "twice.txt"), "second");
  EXPECT_EQ(row("twice.txt").fresh, util::crcToStored(util::CalculateCRC32String("second")));
  EXPECT_FALSE(util::fileExists(dir_.file("HTML/outside.txt")));
  EXPECT_TRUE(log_.contains("Done!"));
}

TEST_F(GenerationRunTest, TheBlogFileRecordsWhetherTheLastRunCompleted) {
  EXPECT_EQ(lastGenerationComplete(*blog_), -1);
  run();
  EXPECT_EQ(lastGenerationComplete(*blog_), 1);
  // A run that ends early (its output folder cannot be made) leaves 0.
  ASSERT_TRUE(util::renameFile(dir_.file("HTML"), dir_.file("HTML.away")).ok());
  testing::writeFile(dir_.file("HTML"), "a file where the folder should be");
  EXPECT_THROW(run(), OutputError);
  EXPECT_EQ(lastGenerationComplete(*blog_), 0);
  // Saving and loading the options keep the row.
  blog_->SaveOptions();
  blog_->LoadOptions();
  EXPECT_EQ(lastGenerationComplete(*blog_), 0);
  ASSERT_TRUE(util::removeFile(dir_.file("HTML")).ok());
  ASSERT_TRUE(util::renameFile(dir_.file("HTML.away"), dir_.file("HTML")).ok());
  run();
  EXPECT_EQ(lastGenerationComplete(*blog_), 1);
}

// Another program starts reading the blog file at the end of the home pass and
// holds it until the test lets go: no commit can reach the file meanwhile.
class ReaderAtTheEnd : public PageBuilders {
 public:
  explicit ReaderAtTheEnd(std::string file) : file_(std::move(file)) {}
  ~ReaderAtTheEnd() override { release(); }
  void recentEnd(Generator& g) override {
    g.WritePage("last.html", "the last page");
    sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(db_, "BEGIN; SELECT count(*) FROM tblPages;", nullptr, nullptr, nullptr);
  }
  void release() {
    if (!db_) return;
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
    db_ = nullptr;
  }

 private:
  std::string file_;
  sqlite3* db_ = nullptr;
};

TEST_F(GenerationRunTest, FailedTrackingCommitEndsTheRunWithAnError) {
  run();
  auto builders = std::make_unique<ReaderAtTheEnd>(dir_.file("site.zdb"));
  EXPECT_ANY_THROW(run(std::move(builders)));
  EXPECT_FALSE(log_.contains("Done!"));
  bool red = false;
  for (const auto& l : log_.lines) red = red || (l.coloured && l.colour == colours::kRed);
  EXPECT_TRUE(red);
  EXPECT_EQ(blog_->database().transactionDepth(), 0);
  EXPECT_NE(lastGenerationComplete(*blog_), 1);
}

TEST_F(GenerationRunTest, LeftoverTemporaryFilesOfAKilledRunAreRemovedAndNothingElse) {
  run();
  const std::vector<std::string> mine = {".index.html.tmp0123abcd", ".tag.gif.tmpffffffff"};
  const std::vector<std::string> others = {".htaccess", ".x.tmp", "index.html.tmp0123abcd", ".a.tmp0123ABCD",
                                           ".b.tmp0123abc", "notes.txt"};
  for (const auto& f : mine) testing::writeFile(out_ + f, "half a page");
  for (const auto& f : others) testing::writeFile(out_ + f, "someone else's");
  run();
  for (const auto& f : mine) EXPECT_FALSE(util::fileExists(out_ + f)) << f;
  for (const auto& f : others) EXPECT_EQ(testing::readFile(out_ + f), "someone else's") << f;
}

TEST_F(GenerationRunTest, AnArticleNamedLikeTheHomePageInOtherCaseTakesItsPlaceUnderItsName) {
  addEntry(store::kBlogEntry, util::encodeDate(2004, 1, 10), "An entry");
  run();
  markPublished();
  ASSERT_TRUE(util::fileExists(out_ + "index.html"));
  addEntry(store::kArticlePage, util::encodeDate(2004, 1, 11), "Front", "INDEX", "front page text");
  run();
  EXPECT_TRUE(log_.contains("*** This page will overwrite the Blog Index Page ***"));
  EXPECT_TRUE(util::fileExists(out_ + "index.html"));
  EXPECT_FALSE(util::fileExists(out_ + "INDEX.html"));
  EXPECT_NE(testing::readFile(out_ + "index.html").find("front page text"), std::string::npos);
  EXPECT_FALSE(log_.contains("...Removing orphan page index.html"));
  EXPECT_NE(row("index.html").fresh, 0);
}

TEST_F(GenerationRunTest, APictureNamedLikeATemplateFileInOtherCaseReplacesItUnderTheTemplateName) {
  // A first run: the template's name is the one its pages link.
  addStored(true, "TAG.GIF", "the blog's own tag picture");
  run();
  EXPECT_EQ(testing::readFile(out_ + "tag.gif"), "the blog's own tag picture");
  EXPECT_FALSE(util::fileExists(out_ + "TAG.GIF"));
  markPublished();
  run();
  EXPECT_EQ(testing::readFile(out_ + "tag.gif"), "the blog's own tag picture");
  EXPECT_FALSE(log_.contains("...Removing orphan page tag.gif"));
  EXPECT_EQ(counters_.pagesRemoved, 0);
}

TEST(CategorySlotsTest, AnyNumberOfKeysFits) {
  CategorySlots slots;
  for (int32_t k = 0; k < 2000; ++k) slots.slotFor(k).links += "x";
  for (int32_t k = 0; k < 2000; ++k) slots.slotFor(k).links += "y";
  EXPECT_EQ(slots.size(), 2000u);
  ASSERT_NE(slots.find(1999), nullptr);
  EXPECT_EQ(slots.find(1999)->links, "xy");
  EXPECT_EQ(slots.find(5000), nullptr);
  EXPECT_EQ(slots.slots()[0].key, 0);
}

}  // namespace
}  // namespace tessary::generator
