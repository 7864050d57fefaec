// Pages finished on worker threads: a run with several threads leaves the same
// log, the same tracking rows and the same output folder as a run on one
// thread, also when it stops early (a file that cannot be put in place, a
// failure of the run's own thread), when two pages share a name and when the
// pages draw [%RANDOM%] numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "generator/html_gen.h"
#include "generator/sample_blog.h"
#include "support/test_support.h"
#include "templates/tag_engine.h"
#include "util/fault_injection.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

constexpr unsigned kThreads = 4;

// The sample blog with 400 more entries (200 of them articles, each a page of
// its own): many more pages than a run keeps in flight. Built once; every
// trial works on its own copy.
class BigBlog {
 public:
  BigBlog() {
    RecordingUI ui;
    ui.answers = {store::Answer::Yes};
    store::BlogDb blog(dir_.path(), ui);
    blog.CreateBlog(file());
    testing::fillSampleBlog(blog);
    for (int i = 0; i < 400; ++i) {
      const std::string title = "Entry " + std::to_string(i);
      const std::string page = "art" + std::to_string(i);
      const std::string text = "Text of entry " + std::to_string(i) + ".\r\nIt has [%entry.title%] in it.";
      const util::CivilTime when{2003 + i / 90, 1 + (i / 8) % 12, 1 + (i * 3) % 27, 8 + i % 12, i % 60};
      testing::insertEntry(blog, {i % 2 ? store::kArticlePage : store::kBlogEntry, when, title.c_str(),
                                  i % 2 ? page.c_str() : "", text.c_str(), 1 + i % 3});
    }
    blog.CloseBlog();
  }
  std::string file() const { return dir_.file("big.zdb"); }

 private:
  TempDir dir_;
};

const BigBlog& bigBlog() {
  static const BigBlog blog;
  return blog;
}

// What a run leaves behind, with the output folder written as "<out>/".
struct RunRecord {
  std::string log, rows, error, lastGeneration;
  std::map<std::string, std::string> files;
};

void expectSameRun(const RunRecord& a, const RunRecord& b, const std::string& what) {
  EXPECT_EQ(a.error, b.error) << what;
  EXPECT_EQ(a.log, b.log) << what;
  EXPECT_EQ(a.rows, b.rows) << what;
  EXPECT_EQ(a.lastGeneration, b.lastGeneration) << what;
  EXPECT_TRUE(a.files == b.files) << what << ": the output folders differ";
}

// A copy of the big blog in a program folder of its own, with the clock, the
// time zone and the random number pinned.
class Trial {
 public:
  Trial() {
    ui_.defaultAnswer = store::Answer::Yes;
    EXPECT_TRUE(util::copyFileAtomic(bigBlog().file(), dir_.file("big.zdb")).ok());
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    blog_->OpenBlog(dir_.file("big.zdb"));
  }
  ~Trial() { blog_->CloseBlog(); }
  store::BlogDb& blog() { return *blog_; }
  std::string out() const { return dir_.path() + "/HTML/big/"; }

  RunRecord run(unsigned threads, std::unique_ptr<PageBuilders> builders = nullptr,
                std::function<void(const std::string&)> onLine = {}) {
    RecordingLog log;
    log.onLine = std::move(onLine);
    Generator g(*blog_, log, std::move(builders));
    g.setPageThreads(threads);
    RunRecord r;
    try {
      g.GeneratePages();
    } catch (const std::exception& e) {
      r.error = util::replaceAll(e.what(), out(), "<out>/");
    }
    EXPECT_EQ(g.pageThreads(), threads);
    for (const auto& l : log.lines)
      r.log += (l.coloured ? "[colour] " : "") + util::replaceAll(l.text, out(), "<out>/") + "\n";
    NullProgressLog quiet;
    PageOutput rows(*blog_, quiet, out());
    for (const auto& [key, row] : rows.rows())
      r.rows += key + " " + std::to_string(row.existing) + " " + std::to_string(row.fresh) + " " +
                std::to_string(row.local) + "\n";
    r.lastGeneration = std::to_string(static_cast<int>(lastGenerationState(blog_->database())));
    for (const std::string& f : util::listFiles(out())) r.files[f] = testing::readFile(out() + f);
    return r;
  }

 private:
  testing::PinnedRun pinned_{{2006, 3, 20, 10, 0, 0, 0}};
  TempDir dir_;
  RecordingUI ui_;
  std::unique_ptr<store::BlogDb> blog_;
};

bool hasTemporaryFiles(const RunRecord& r) {
  for (const auto& [name, bytes] : r.files)
    if (util::isTemporaryLeftover(name)) return true;
  return false;
}

TEST(PageJobsTest, ARunOnSeveralThreadsEqualsOneOnOneThread) {
  // The first run, a second one before publishing, and one after publishing
  // and editing an entry, in every archive mode.
  for (int32_t mode : {0, 1, 2}) {
    Trial one, many;
    for (Trial* t : {&one, &many}) {
      t->blog().options().ArchiveByDate = mode;
      t->blog().SaveOptions();
    }
    const std::string what = "archive mode " + std::to_string(mode);
    const RunRecord first = one.run(1);
    EXPECT_TRUE(first.error.empty()) << first.error;
    EXPECT_GT(first.files.size(), 120u);
    expectSameRun(first, many.run(kThreads), what + ", first run");
    expectSameRun(one.run(1), many.run(kThreads), what + ", second run");
    for (Trial* t : {&one, &many}) {
      ASSERT_TRUE(MarkAllAsPublished(t->blog()));
      store::Table& rows = t->blog().tblBlog();
      for (rows.first(); !rows.eof(); rows.next())
        if (rows.asString("BlogTitle") == "Entry 41") break;
      rows.edit();
      rows.setString("BlogText", "A new text.");
      rows.post();
    }
    expectSameRun(one.run(1), many.run(kThreads), what + ", after an edit");
  }
}

TEST(PageJobsTest, APageThatCannotBePutInPlaceStopsEveryRunAtThatPage) {
  // The Nth page put in place fails (as on a full disk), early, in the middle
  // and near the end of the pages; then a folder standing where a page goes.
  // The template files are put in place before the first page.
  int64_t templateFiles = -1;
  {
    Trial t;
    util::resetFaultCounts();
    t.run(1, nullptr, [&](const std::string& line) {
      if (templateFiles < 0 && util::startsWith(line, "...building page"))
        templateFiles = util::faultCalls(util::FaultKind::FileRename);
    });
    ASSERT_GT(templateFiles, 0);
  }
  for (int64_t page : {1, 9, 40, 100, 200}) {
    const int64_t n = templateFiles + page;
    RunRecord records[2];
    for (int k = 0; k < 2; ++k) {
      Trial t;
      util::armFault({util::FaultKind::FileRename, n, util::FaultAction::Fail});
      records[k] = t.run(k == 0 ? 1 : kThreads);
      util::disarmFaults();
      EXPECT_FALSE(hasTemporaryFiles(records[k])) << "rename " << n;
    }
    EXPECT_NE(records[0].error, "") << "rename " << n;
    EXPECT_EQ(records[0].lastGeneration, std::to_string(static_cast<int>(LastGeneration::Incomplete)))
        << "the run must not read as complete";
    expectSameRun(records[0], records[1], "rename " + std::to_string(n));
  }
  RunRecord records[2];
  for (int k = 0; k < 2; ++k) {
    Trial t;
    ASSERT_TRUE(util::createDirectories(t.out() + "art41.html").ok());
    records[k] = t.run(k == 0 ? 1 : kThreads);
    EXPECT_FALSE(hasTemporaryFiles(records[k]));
  }
  EXPECT_NE(records[0].error.find("<out>/art41.html"), std::string::npos) << records[0].error;
  EXPECT_NE(records[0].log.find("...art41.html is new.\n"), std::string::npos);
  expectSameRun(records[0], records[1], "a folder in a page's place");
}

TEST(PageJobsTest, ADamagedTextStopsEveryRunAtItsPageAndNamesItsRow) {
  // An article's own text (which also gives the teaser its month page shows),
  // and the text of a blog entry that a month page only lists, are decoded
  // where their page is finished, on a worker: the run stops at that page all
  // the same, naming the column, row and file.
  // The damaged row, the page that shows its text and the page before it.
  const std::string cases[][3] = {{"BlogPageName = 'art41'", "art41.html", "art47.html"},
                                  {"BlogTitle = 'Entry 40'", "200306.html", "art43.html"}};
  for (const auto& [row, page, before] : cases) {
    RunRecord records[2];
    for (int k = 0; k < 2; ++k) {
      Trial t;
      t.blog().database().exec("UPDATE tblBlog SET BlogText = x'0011223344' WHERE " + row);
      records[k] = t.run(k == 0 ? 1 : kThreads);
      EXPECT_FALSE(hasTemporaryFiles(records[k]));
    }
    EXPECT_TRUE(util::startsWith(records[0].error, "Damaged value in column BlogText of row ")) << records[0].error;
    EXPECT_NE(records[0].error.find(" of tblBlog in blog file big.zdb: "), std::string::npos) << records[0].error;
    // Every page before it is in place, and nothing of it or after it.
    EXPECT_TRUE(util::endsWith(records[0].log, "...building page " + before + "\n..." + before + " is new.\n"))
        << records[0].log.substr(records[0].log.size() - 200);
    EXPECT_EQ(records[0].files.count(page), 0u);
    EXPECT_GT(records[0].files.size(), 20u);
    expectSameRun(records[0], records[1], "a damaged text, " + row);
  }
}

// Builders that hand in pages of their own: through the tag engine with a
// [%RANDOM%] number, some under a name an earlier page had (in other letter
// case), with log lines between them; and that fail on the run's own thread
// at row `failAt` of the home pass.
class OwnPages : public PageBuilders {
 public:
  explicit OwnPages(int failAt) : failAt_(failAt) {}
  void homeRow(Generator& g) override {
    const int i = row_++;
    if (i == failAt_) throw store::StoreError("row " + std::to_string(i) + " is damaged");
    PageDraft draft;
    draft.text = "<p>[%thispage.title%] [%RANDOM%] [%IFNOTBLANK~~[%thispage.title%]~~titled%]</p>";
    draft.global = std::make_shared<templates::templateGlobalVars>();
    draft.page.PageTitle = g.row.rec.BlogTitle;
    // Every seventh page takes the name of the page three before it.
    const std::string name = i % 7 == 6 ? "OWN" + std::to_string(i - 3) + ".HTML" : "own" + std::to_string(i) + ".html";
    g.submitPage(name, std::move(draft), g.describeCurrentEntry());
    if (i % 5 == 0) g.log().AppendColouredLine(colours::kGreen, "after page " + std::to_string(i));
    if (i % 11 == 0) g.WritePage("own/" + std::to_string(i), "refused", "entry");
  }

 private:
  const int failAt_;
  int row_ = 0;
};

TEST(PageJobsTest, PagesOfTheSameNameRandomNumbersAndFailuresOfTheRunKeepTheirOrder) {
  // A counting random source: page i of a run gets number i. A run that
  // completes is followed by a second one, in which a page written twice finds
  // its local copy holding the second version of the first run.
  for (int failAt : {-1, 37, 120}) {
    const int runs = failAt < 0 ? 2 : 1;
    RunRecord records[2][2];
    for (int k = 0; k < 2; ++k) {
      Trial t;
      for (int run = 0; run < runs; ++run) {
        int drawn = 0;
        const auto before = templates::SetRandomSource([&drawn] { return static_cast<uint32_t>(drawn++); });
        records[k][run] = t.run(k == 0 ? 1 : kThreads, std::make_unique<OwnPages>(failAt));
        templates::SetRandomSource(before);
      }
    }
    for (int run = 0; run < runs; ++run) {
      const std::string what = "failure at row " + std::to_string(failAt) + ", run " + std::to_string(run + 1);
      expectSameRun(records[0][run], records[1][run], what);
      const RunRecord& r = records[0][run];
      if (failAt < 0) {
        EXPECT_EQ(r.error, "");
        EXPECT_TRUE(util::endsWith(r.files.at("own1.html"), " 1 titled</p>")) << r.files.at("own1.html");
        // own3.html is written for row 3, then again for row 6 (as "OWN3.HTML").
        EXPECT_NE(r.log.find("...OWN3.HTML is written as own3.html (their names differ only in case)\n... own3.html "
                             "has changes.\n"),
                  std::string::npos);
        EXPECT_TRUE(util::endsWith(r.files.at("own3.html"), " 6 titled</p>")) << what << r.files.at("own3.html");
      } else {
        EXPECT_EQ(r.error, "row " + std::to_string(failAt) + " is damaged");
        // Every page handed in before the failure is in place and tracked.
        const std::string last = "own" + std::to_string(failAt - 1) + ".html";
        EXPECT_EQ(r.files.count(last), 1u) << what;
        EXPECT_NE(r.rows.find(last + " 0 "), std::string::npos) << what;
        EXPECT_EQ(r.files.count("own" + std::to_string(failAt + 1) + ".html"), 0u) << what;
      }
    }
  }
}

}  // namespace
}  // namespace tessary::generator
