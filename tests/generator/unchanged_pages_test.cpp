// Pages taken unchanged: a run that takes the pages of single entries whose
// inputs did not change as they were (PageOutput::builtFrom) leaves exactly
// what a run that builds every page again leaves — the log, the tracking rows,
// the recorded inputs, every output file — over random blogs, random edits
// between the runs and random options.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "generator/html_gen.h"
#include "generator/sample_blog.h"
#include "support/test_support.h"
#include "templates/tag_engine.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

struct RunRecord {
  std::string error, log, rows, inputs;
  std::map<std::string, std::string> files;
  int32_t taken = 0;
  int32_t feedItems = 0;
};

std::string tableText(store::Database& db, const std::string& sql) {
  std::string out;
  store::Statement st = db.prepare(sql);
  while (sqlite3_step(st.get()) == SQLITE_ROW) {
    for (int c = 0; c < sqlite3_column_count(st.get()); ++c) {
      const unsigned char* v = sqlite3_column_text(st.get(), c);
      out += (v ? reinterpret_cast<const char*>(v) : "NULL");
      out += '|';
    }
    out += '\n';
  }
  return out;
}

// One blog in a program folder of its own, with the clock pinned and the
// [%RANDOM%] numbers counted from a start the caller sets.
class Site {
 public:
  explicit Site(const std::string& blogFile) {
    ui_.defaultAnswer = store::Answer::Yes;
    EXPECT_TRUE(util::copyFileAtomic(blogFile, dir_.file("r.zdb")).ok());
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    blog_->OpenBlog(dir_.file("r.zdb"));
  }
  ~Site() { blog_->CloseBlog(); }
  store::BlogDb& blog() { return *blog_; }
  std::string out() const { return dir_.path() + "/HTML/r/"; }

  RunRecord run(bool skipUnchanged, unsigned threads, uint32_t firstNumber) {
    uint32_t number = firstNumber;
    templates::SetRandomSource([&number] { return number++; });
    RecordingLog log;
    Generator g(*blog_, log);
    g.setSkipUnchanged(skipUnchanged);
    g.setPageThreads(threads);
    RunRecord r;
    try {
      g.GeneratePages();
    } catch (const std::exception& e) {
      r.error = util::replaceAll(e.what(), out(), "<out>/");
    }
    templates::SetRandomSource([] { return 4242u; });
    r.taken = g.pagesTakenUnchanged();
    r.feedItems = g.feedItems;
    for (const auto& l : log.lines)
      r.log += (l.coloured ? "[colour] " : "") + util::replaceAll(l.text, out(), "<out>/") + "\n";
    store::Database& db = blog_->database();
    r.rows = tableText(db, "SELECT * FROM tblPages ORDER BY PageKey");
    if (db.tableExists("tblPageInputs"))
      r.inputs = tableText(db, "SELECT * FROM tblPageInputs ORDER BY PageKey");
    for (const std::string& f : util::listFiles(out())) r.files[f] = testing::readFile(out() + f);
    return r;
  }

 private:
  testing::PinnedRun pinned_{{2006, 3, 20, 10, 0, 0, 0}};
  TempDir dir_;
  RecordingUI ui_;
  std::unique_ptr<store::BlogDb> blog_;
};

std::string pick(std::mt19937& rng, const std::vector<std::string>& from) {
  return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
}
int number(std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

std::string randomText(std::mt19937& rng) {
  static const std::vector<std::string> words = {
      "soup", "bread", "trip", "Kitchen", "<b>bold</b>", "line\r\nbreak", "[%entry.title%]",
      "[%IFBLANK [%entry.teaser%] ~~ no teaser%]", "**stars**", "a & b", "\r\n\r\n", "[%mainpage.title%]",
      "Ünïcode", "x"};
  std::string text;
  const int n = number(rng, 0, 60);
  for (int i = 0; i < n; ++i) text += pick(rng, words) + " ";
  // A page that shows its [%RANDOM%] number is built on every run.
  if (number(rng, 0, 7) == 0) text += "[%RANDOM%]";
  return text;
}

const std::vector<int32_t> kTypes = {store::kBlogEntry,  store::kBlogEntry,  store::kArticlePage, store::kArticlePage,
                                     store::kArticlePage, store::kStaticPage, store::kHiddenPage,  store::kRedirectPage,
                                     store::kFreeFormatPage};

std::string randomPageName(std::mt19937& rng, int i) {
  // Now and then two pages share a name, in other letter case, or take the
  // name of a month page or of the home page.
  switch (number(rng, 0, 9)) {
    case 0: return "Page" + std::to_string(i % 5);
    case 1: return "page" + std::to_string(i % 5);
    case 2: return "200501";
    case 3: return "index";
    default: return "p" + std::to_string(i);
  }
}

util::DateTime randomDate(std::mt19937& rng) {
  return util::encodeDateTime({2005, number(rng, 1, 5), number(rng, 1, 28), number(rng, 0, 23), number(rng, 0, 59)});
}

void randomEntry(store::BlogDb& blog, std::mt19937& rng, int i) {
  store::Table& t = blog.tblBlog();
  t.insert();
  t.setDateTime("BlogDateTime", randomDate(rng));
  t.setInteger("BlogPageType", kTypes[static_cast<size_t>(number(rng, 0, static_cast<int>(kTypes.size()) - 1))]);
  t.setString("BlogTitle", "Entry " + std::to_string(i) + (number(rng, 0, 3) == 0 ? " & more" : ""));
  t.setString("BlogPageName", randomPageName(rng, i));
  t.setString("BlogText", randomText(rng));
  t.setInteger("BlogCategory", number(rng, -1, 3));
  t.setInteger("BlogCategory2", number(rng, -1, 3));
  t.setInteger("BlogCategory3", -1);
  t.setString("BlogTeaser", pick(rng, {"", "", "T", "A teaser of its own"}));
  t.setString("BlogCoolURL", pick(rng, {"", "", "http://example.com/elsewhere"}));
  if (number(rng, 0, 3) == 0) t.setString("BlogSidebar", "Side " + std::to_string(i));
  t.post();
}

// Moves to a random entry; false when there is none.
bool toRandomEntry(store::Table& t, std::mt19937& rng) {
  const int n = t.recordCount();
  if (n == 0) return false;
  t.first();
  for (int k = number(rng, 0, n - 1); k > 0; --k) t.next();
  return true;
}

// One random change, the same in both sites (the same seed drives both).
void randomEdit(Site& site, std::mt19937 rng, int round) {
  store::BlogDb& blog = site.blog();
  store::Table& t = blog.tblBlog();
  store::BlogOptionsRec& o = blog.options();
  switch (number(rng, 0, 14)) {
    case 0:
    case 1:
      if (toRandomEntry(t, rng)) {
        t.edit();
        t.setString("BlogText", randomText(rng));
        t.post();
      }
      break;
    case 2:
      if (toRandomEntry(t, rng)) {
        t.edit();
        t.setString("BlogTitle", "Retitled " + std::to_string(round));
        t.post();
      }
      break;
    case 3:
      if (toRandomEntry(t, rng)) {
        t.edit();
        t.setString("BlogTeaser", pick(rng, {"", "New teaser"}));
        t.setString("BlogSidebar", pick(rng, {"", "New side"}));
        t.post();
      }
      break;
    case 4:
      if (toRandomEntry(t, rng)) {
        t.edit();
        t.setInteger("BlogPageType",
                     kTypes[static_cast<size_t>(number(rng, 0, static_cast<int>(kTypes.size()) - 1))]);
        t.setString("BlogPageName", randomPageName(rng, number(rng, 0, 40)));
        t.post();
      }
      break;
    case 5: randomEntry(blog, rng, 100 + round); break;
    case 6:
      if (toRandomEntry(t, rng)) t.deleteRow();
      break;
    case 7:
      o.ArchiveByDate = number(rng, 0, 2);
      o.ArchiveByCategory = number(rng, 0, 3);
      blog.SaveOptions();
      break;
    case 8:
      o.HTMLFormatting = number(rng, 0, 2);
      o.IndexEntries = number(rng, 0, 6);
      o.CustomTag[0] = "custom " + std::to_string(round);
      blog.SaveOptions();
      break;
    case 9:
      o.PageNamePrefix = pick(rng, {"", "pre-"});
      o.EntryDateFormat = number(rng, 0, 7);
      blog.SaveOptions();
      break;
    case 10: {
      store::Table& c = blog.tblCategory();
      if (toRandomEntry(c, rng)) {
        c.edit();
        c.setString("CategoryTitle", "Category " + std::to_string(round));
        c.post();
      }
      break;
    }
    case 11: MarkAllAsPublished(blog); break;
    case 12: {
      // Someone removes a page from the output folder or changes one by hand,
      // keeping its size.
      const std::vector<std::string> files = util::listFiles(site.out());
      if (files.empty()) break;
      const std::string f = site.out() + pick(rng, files);
      if (number(rng, 0, 1) == 0) {
        (void)util::removeFile(f);
      } else {
        std::string bytes = testing::readFile(f);
        if (!bytes.empty()) bytes[0] = bytes[0] == 'x' ? 'y' : 'x';
        (void)util::writeFileAtomic(f, bytes);
      }
      break;
    }
    case 13:
      // An entry moves to another day, week or month.
      if (toRandomEntry(t, rng)) {
        t.edit();
        t.setDateTime("BlogDateTime", randomDate(rng));
        t.post();
      }
      break;
    default: break;  // nothing changed
  }
}

TEST(UnchangedPagesTest, TakingUnchangedPagesGivesWhatBuildingEveryPageGives) {
  TempDir seedDir;
  int64_t taken = 0, built = 0;
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    std::mt19937 rng(seed);
    const std::string file = seedDir.file("seed" + std::to_string(seed) + ".zdb");
    {
      RecordingUI ui;
      ui.answers = {store::Answer::Yes};
      store::BlogDb blog(seedDir.path(), ui);
      blog.CreateBlog(file);
      testing::insertCategory(blog, "Travel", "travel", "Far.", "Where");
      testing::insertCategory(blog, "Kitchen", "Kitchen", "", "What");
      testing::insertCategory(blog, "Notes", "notes", "Loose.", "");
      const int entries = number(rng, 20, 70);
      for (int i = 0; i < entries; ++i) randomEntry(blog, rng, i);
      store::BlogOptionsRec& o = blog.options();
      o.BlogUrl = "http://www.example.com/";
      o.ArchiveByDate = number(rng, 0, 2);
      o.ArchiveByCategory = number(rng, 0, 3);
      o.HTMLFormatting = number(rng, 0, 2);
      o.IndexEntries = number(rng, 0, 4);
      blog.SaveOptions();
      blog.CloseBlog();
    }
    Site taking(file), building(file);
    const unsigned threads = seed % 2 ? 1 : 3;
    for (int round = 0; round < 8; ++round) {
      const std::string what = "seed " + std::to_string(seed) + ", round " + std::to_string(round);
      const uint32_t first = 1000u * static_cast<uint32_t>(round);
      const RunRecord a = taking.run(true, threads, first);
      const RunRecord b = building.run(false, threads, first);
      EXPECT_EQ(a.error, b.error) << what;
      EXPECT_EQ(a.log, b.log) << what;
      EXPECT_EQ(a.rows, b.rows) << what;
      EXPECT_EQ(a.inputs, b.inputs) << what;
      EXPECT_TRUE(a.files == b.files) << what << ": the output folders differ";
      EXPECT_EQ(b.taken, 0) << what;
      if (::testing::Test::HasFailure()) return;
      taken += a.taken;
      built += static_cast<int64_t>(a.files.size());
      const uint32_t editSeed = seed * 100 + static_cast<uint32_t>(round);
      randomEdit(taking, std::mt19937(editSeed), round);
      randomEdit(building, std::mt19937(editSeed), round);
    }
  }
  // The comparison means something only when many pages were taken unchanged.
  EXPECT_GT(taken, built / 10) << taken << " pages taken unchanged of " << built;
}

// A new blog of `count` entries that `insert` adds, archived by option 104
// `archiveByDate`, with option 103 (home page entries) 2 and option 404 (feed items) 5.
void createBlog(const TempDir& dir, const std::string& file, int count, int archiveByDate,
                const std::function<void(store::BlogDb&, int)>& insert) {
  RecordingUI ui;
  ui.answers = {store::Answer::Yes};
  store::BlogDb blog(dir.path(), ui);
  blog.CreateBlog(file);
  for (int i = 0; i < count; ++i) insert(blog, i);
  blog.options().ArchiveByDate = archiveByDate;
  blog.options().IndexEntries = 2;
  blog.options().RSSItemEntries = 5;
  blog.SaveOptions();
  blog.CloseBlog();
}

TEST(UnchangedPagesTest, AnUnchangedArticleIsTakenWithoutReadingItsText) {
  // A blog of articles: after a first run, a second one takes every article
  // page but the newest ones (the home pass shows them) as it was; a page whose
  // file went missing, whose text changed or whose file another run wrote
  // over is built again.
  TempDir dir;
  const std::string file = dir.file("a.zdb");
  createBlog(dir, file, 40, 0, [](store::BlogDb& blog, int i) {
    testing::insertEntry(blog, {store::kArticlePage, {2005, 1 + i / 10, 1 + i % 10, 9, 0},
                                ("Article " + std::to_string(i)).c_str(), ("art" + std::to_string(i)).c_str(),
                                "Its text, with [%entry.title%].", -1});
  });
  Site site(file);
  const RunRecord first = site.run(true, 1, 0);
  ASSERT_TRUE(first.error.empty()) << first.error;
  EXPECT_EQ(first.taken, 0);
  const RunRecord second = site.run(true, 1, 0);
  // The five newest, which the home pass keeps, are read whole; the month
  // pages (four, and that of the entry a new blog starts with) are taken too.
  EXPECT_EQ(second.taken, 35 + 5);
  EXPECT_TRUE(first.files == second.files);

  (void)util::removeFile(site.out() + "art3.html");
  store::Table& t = site.blog().tblBlog();
  for (t.first(); !t.eof(); t.next())
    if (t.asString("BlogPageName") == "art7") break;
  t.edit();
  t.setString("BlogText", "A new text.");
  t.post();
  const RunRecord third = site.run(true, 1, 0);
  // The month page of the changed article is built again.
  EXPECT_EQ(third.taken, 33 + 4);
  EXPECT_EQ(third.files.at("art3.html"), first.files.at("art3.html"));
  EXPECT_NE(third.files.at("art7.html").find("A new text."), std::string::npos);
  EXPECT_EQ(site.run(true, 1, 0).taken, 35 + 5);
}

TEST(UnchangedPagesTest, OneChangedEntryRebuildsOnlyThePeriodPagesMadeOfIt) {
  // Sixty blog entries, one a day on the first ten days of six months, archived
  // by day. A page ends with the record of the entry that opens the next
  // period, so a changed entry rebuilds its month page, its day page and the
  // page of the day before; every other period page is taken as it was.
  TempDir dir;
  const std::string file = dir.file("d.zdb");
  createBlog(dir, file, 60, 2, [](store::BlogDb& blog, int i) {
    testing::insertEntry(blog, {store::kBlogEntry, {2005, 1 + i / 10, 1 + i % 10, 9, 0},
                                ("Entry " + std::to_string(i)).c_str(), "", "Day text.", -1});
  });
  Site site(file);
  const RunRecord first = site.run(true, 2, 0);
  ASSERT_TRUE(first.error.empty()) << first.error;
  EXPECT_EQ(first.taken, 0);
  // The home pass ends once its pages are full, but counts every entry offered to the feeds.
  EXPECT_EQ(first.feedItems, 61);
  const RunRecord second = site.run(true, 2, 0);
  // With the month and day of the entry a new blog starts with.
  EXPECT_EQ(second.taken, 7 + 61);
  EXPECT_EQ(second.inputs, first.inputs);
  EXPECT_TRUE(second.files == first.files);

  store::Table& t = site.blog().tblBlog();
  for (t.first(); !t.eof(); t.next())
    if (t.asString("BlogTitle") == "Entry 24") break;
  t.edit();
  t.setString("BlogText", "A changed day.");
  t.post();
  const RunRecord third = site.run(true, 2, 0);
  EXPECT_EQ(third.taken, 7 + 61 - 3);
  EXPECT_NE(third.files.at("20050305.html").find("A changed day."), std::string::npos);
  for (const auto& [name, text] : first.files) {
    if (name != "20050305.html" && name != "200503.html" && name != "20050304.html" &&
        name.find("index") == std::string::npos && name != "recent.html" && name.find(".xml") == std::string::npos) {
      EXPECT_EQ(third.files.at(name), text) << name;
    }
  }
}

}  // namespace
}  // namespace tessary::generator
