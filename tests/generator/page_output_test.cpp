#include "generator/page_output.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "support/test_support.h"
#include "util/crc32.h"
#include "util/files.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

int32_t crcOf(const std::string& s) { return util::crcToStored(util::CalculateCRC32String(s)); }

// Another program reading the blog file: while it holds its read transaction
// no commit can reach the file.
class ReaderHoldingTheFile {
 public:
  explicit ReaderHoldingTheFile(const std::string& file) {
    sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(db_, "BEGIN; SELECT count(*) FROM tblPages;", nullptr, nullptr, nullptr);
  }
  ~ReaderHoldingTheFile() {
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  ReaderHoldingTheFile(const ReaderHoldingTheFile&) = delete;
  ReaderHoldingTheFile& operator=(const ReaderHoldingTheFile&) = delete;

 private:
  sqlite3* db_ = nullptr;
};

// The PageKeys the blog file holds, read through a connection of its own.
std::vector<std::string> storedKeys(const std::string& file) {
  std::vector<std::string> keys;
  sqlite3* db = nullptr;
  // Read-write: a killed writer's journal is rolled back first.
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT PageKey FROM tblPages ORDER BY PageKey", -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW) keys.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return keys;
}

bool hasRedLine(const RecordingLog& log) {
  for (const auto& l : log.lines)
    if (l.coloured && l.colour == colours::kRed) return true;
  return false;
}

ino_t inodeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class PageOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    ASSERT_TRUE(blog_->CreateBlog(dir_.file("t.zdb")));
    out_ = dir_.path() + "/out/";
    ASSERT_TRUE(util::createDirectories(out_).ok());
  }

  // One generation run that produces the given pages.
  void run(const std::vector<std::pair<std::string, std::string>>& pages) {
    log_.lines.clear();
    PageOutput output(*blog_, log_, out_);
    output.ResetNewChecksums();
    for (const auto& [name, text] : pages) output.WritePage(name, text);
    output.RemoveOrphans();
    last_ = output.counters();
  }

  PageRow row(const std::string& key) {
    PageOutput reader(*blog_, log_, out_);
    const auto& rows = reader.rows();
    const auto it = rows.find(key);
    EXPECT_NE(it, rows.end()) << key;
    return it == rows.end() ? PageRow{} : it->second;
  }
  bool hasRow(const std::string& key) {
    PageOutput reader(*blog_, log_, out_);
    return reader.rows().count(key) > 0;
  }
  void publish() { blog_->database().exec("UPDATE tblPages SET PageCRCExisting = PageCRCNew"); }
  std::string file(const std::string& name) { return testing::readFile(out_ + name); }

  TempDir dir_;
  RecordingUI ui_;
  RecordingLog log_;
  std::unique_ptr<store::BlogDb> blog_;
  std::string out_;
  RunCounters last_;
};

TEST_F(PageOutputTest, FirstProducedPageIsNewAndWritten) {
  run({{"a.html", "one"}});
  const PageRow r = row("a.html");
  EXPECT_EQ(r.existing, 0);
  EXPECT_EQ(r.fresh, crcOf("one"));
  EXPECT_EQ(r.local, crcOf("one"));
  EXPECT_EQ(file("a.html"), "one");
  EXPECT_TRUE(log_.contains("...building page a.html"));
  EXPECT_TRUE(log_.contains("...a.html is new."));
  EXPECT_EQ(last_.pagesAddedOrChanged, 1);
}

TEST_F(PageOutputTest, ARunWritesOnlyTheRowsThatChangeAndClearsOnlyTheNewChecksumOfOrphans) {
  // The start of a run leaves the file's rows alone; a page as it was last
  // time writes no row; the end stores the orphans' PageCRCNew 0.
  run({{"a.html", "one"}, {"b.html", "two"}, {"c.html", "three"}});
  publish();
  sqlite3* db = blog_->database().handle();
  {
    PageOutput output(*blog_, log_, out_);
    output.ResetNewChecksums();
    output.commit();
    EXPECT_EQ(output.rows().at("a.html").fresh, 0);
    EXPECT_EQ(row("a.html").fresh, crcOf("one")) << "the start of a run rewrote the rows";
    const int64_t changes = sqlite3_total_changes64(db);
    output.WritePage("a.html", "one");
    output.WritePage("c.html", "three, changed");
    output.commit();
    EXPECT_EQ(sqlite3_total_changes64(db) - changes, 1) << "only the changed page's row is written";
    output.RemoveOrphans();
    output.commit();
  }
  const PageRow a = row("a.html"), b = row("b.html"), c = row("c.html");
  EXPECT_EQ(a.existing, crcOf("one"));
  EXPECT_EQ(a.fresh, crcOf("one"));
  EXPECT_EQ(a.local, crcOf("one"));
  EXPECT_EQ(b.existing, crcOf("two"));
  EXPECT_EQ(b.fresh, 0);
  EXPECT_EQ(c.fresh, crcOf("three, changed"));
  EXPECT_EQ(c.existing, crcOf("three"));
  EXPECT_FALSE(util::fileExists(out_ + "b.html"));
}

TEST_F(PageOutputTest, UnpublishedPageIsReportedChangedAgain) {
  run({{"a.html", "one"}});
  const ino_t before = inodeOf(out_ + "a.html");
  run({{"a.html", "one"}});
  EXPECT_TRUE(log_.contains("... a.html has changes."));
  EXPECT_EQ(last_.pagesAddedOrChanged, 1);
  EXPECT_EQ(inodeOf(out_ + "a.html"), before);  // its local copy already holds this version
  const PageRow r = row("a.html");
  EXPECT_EQ(r.existing, 0);
  EXPECT_EQ(r.fresh, crcOf("one"));
  EXPECT_EQ(r.local, crcOf("one"));
}

TEST_F(PageOutputTest, PublishedUnchangedPageIsNotWritten) {
  run({{"a.html", "one"}});
  publish();
  const ino_t before = inodeOf(out_ + "a.html");
  run({{"a.html", "one"}});
  EXPECT_EQ(log_.texts(), std::vector<std::string>{"...building page a.html"});
  EXPECT_EQ(inodeOf(out_ + "a.html"), before);
  EXPECT_EQ(last_.pagesAddedOrChanged, 0);
  EXPECT_EQ(row("a.html").fresh, crcOf("one"));
}

TEST_F(PageOutputTest, PublishedPageWithMissingLocalCopyIsRewrittenQuietly) {
  run({{"a.html", "one"}});
  publish();
  ASSERT_TRUE(util::removeFile(out_ + "a.html").ok());
  run({{"a.html", "one"}});
  EXPECT_EQ(log_.texts(), std::vector<std::string>{"...building page a.html"});
  EXPECT_EQ(file("a.html"), "one");
  EXPECT_EQ(last_.pagesAddedOrChanged, 0);
}

TEST_F(PageOutputTest, PublishedPageWithDifferentLocalCopyIsRewritten) {
  run({{"a.html", "one"}});
  publish();
  run({{"a.html", "two"}});  // changed against the published copy
  EXPECT_TRUE(log_.contains("... a.html has changes."));
  EXPECT_EQ(file("a.html"), "two");
  run({{"a.html", "one"}});  // back to the published text: local copy differs
  EXPECT_FALSE(log_.contains("... a.html has changes."));
  EXPECT_EQ(file("a.html"), "one");
  const PageRow r = row("a.html");
  EXPECT_EQ(r.existing, crcOf("one"));
  EXPECT_EQ(r.local, crcOf("one"));
  // A local copy edited by hand to another size is replaced as well.
  testing::writeFile(out_ + "a.html", "edited by hand");
  run({{"a.html", "one"}});
  EXPECT_EQ(file("a.html"), "one");
}

TEST_F(PageOutputTest, OrphanIsRemovedLocallyAndKeepsItsRow) {
  run({{"a.html", "one"}, {"b.html", "two"}});
  publish();
  run({{"a.html", "one"}});
  EXPECT_TRUE(log_.contains("...Removing orphan page b.html"));
  EXPECT_EQ(last_.pagesRemoved, 1);
  EXPECT_FALSE(util::fileExists(out_ + "b.html"));
  const PageRow r = row("b.html");
  EXPECT_EQ(r.existing, crcOf("two"));
  EXPECT_EQ(r.fresh, 0);
  // Reported again by the next run, until a publisher or Mark All as Published removes it.
  run({{"a.html", "one"}});
  EXPECT_EQ(last_.pagesRemoved, 1);
}

TEST_F(PageOutputTest, FilesWithoutRowAreNeverTouched) {
  testing::writeFile(out_ + "mine.txt", "keep");
  run({{"a.html", "one"}});
  run({});
  EXPECT_EQ(file("mine.txt"), "keep");
}

TEST_F(PageOutputTest, NamesDifferingOnlyInCaseShareTheFileOfTheFirst) {
  // As where names are compared without case: the later one replaces the
  // content of the file the first one made, under the first one's name.
  run({{"Index.html", "one"}, {"index.html", "two"}});
  EXPECT_EQ(row("Index.html").fresh, crcOf("two"));
  EXPECT_EQ(row("Index.html").local, crcOf("two"));
  EXPECT_FALSE(hasRow("index.html"));
  EXPECT_EQ(util::listFiles(out_), std::vector<std::string>{"Index.html"});
  EXPECT_EQ(file("Index.html"), "two");
}

TEST_F(PageOutputTest, ANameInOtherCaseKeepsTheTrackedOrLinkedSpellingAndNothingIsDeleted) {
  run({{"index.html", "home"}, {"tag.gif", "template picture"}});
  publish();
  log_.lines.clear();
  {
    PageOutput output(*blog_, log_, out_);
    output.ResetNewChecksums();
    output.WritePage("INDEX.html", "an article in the home page's place");
    output.WritePage("TAG.GIF", "the blog's own picture");
    output.RemoveOrphans();
  }
  EXPECT_EQ(util::listFiles(out_), (std::vector<std::string>{"index.html", "tag.gif"}));
  EXPECT_EQ(file("index.html"), "an article in the home page's place");
  EXPECT_EQ(file("tag.gif"), "the blog's own picture");
  EXPECT_FALSE(hasRow("INDEX.html"));
  EXPECT_EQ(row("index.html").fresh, crcOf("an article in the home page's place"));
  EXPECT_FALSE(log_.contains("...Removing orphan page index.html"));

  // A first run: the spelling the site links, named before the page comes.
  TempDir other;
  store::BlogDb fresh(other.path(), ui_);
  ASSERT_TRUE(fresh.CreateBlog(other.file("f.zdb")));
  {
    PageOutput output(fresh, log_, other.path() + "/");
    output.ResetNewChecksums();
    output.preferSpelling("index.html");
    output.WritePage("INDEX.html", "article");
    output.RemoveOrphans();
  }
  EXPECT_TRUE(util::fileExists(other.file("index.html")));
  EXPECT_FALSE(util::fileExists(other.file("INDEX.html")));
  fresh.CloseBlog();
}

TEST_F(PageOutputTest, AnOrphanDifferingOnlyInCaseFromALivePageIsNotDeleted) {
  // Rows of both spellings (an older run made them): the orphan's file is the
  // live page's file where names are compared without case.
  blog_->database().exec(
      "INSERT INTO tblPages (PageKey, PageCRCExisting, PageCRCNew, PageCRCLocal) VALUES ('INDEX.html', 5, 5, 5), "
      "('index.html', 0, 0, 0)");
  testing::writeFile(out_ + "INDEX.html", "older article");
  run({{"index.html", "home"}});
  EXPECT_TRUE(util::fileExists(out_ + "INDEX.html"));
  EXPECT_EQ(file("index.html"), "home");
  EXPECT_EQ(row("INDEX.html").fresh, 0);
}

TEST_F(PageOutputTest, MarkAllAsNewClearsThePublishedChecksum) {
  run({{"a.html", "one"}, {"b.html", "two"}});
  publish();
  ui_.answers = {store::Answer::No};
  EXPECT_FALSE(MarkAllAsNew(*blog_));
  EXPECT_EQ(row("a.html").existing, crcOf("one"));
  ui_.answers = {store::Answer::Yes};
  EXPECT_TRUE(MarkAllAsNew(*blog_));
  EXPECT_EQ(ui_.questions.back(), "Mark all Blog Pages as NOT Published?");
  EXPECT_EQ(row("a.html").existing, 0);
  EXPECT_EQ(row("b.html").existing, 0);
  EXPECT_EQ(row("b.html").fresh, crcOf("two"));
  EXPECT_EQ(ui_.status, (std::vector<std::string>{"Marking all Blog Pages as NOT Published", "Marking a.html",
                                                   "Marking b.html",
                                                   "Marking all Blog Pages as NOT Published complete"}));
  EXPECT_FALSE(ui_.statusOpen);
}

TEST_F(PageOutputTest, MarkAllAsPublishedForgetsOrphansAndVisitsEveryRow) {
  run({{"a.html", "one"}, {"b.html", "two"}, {"c.html", "three"}});
  run({{"b.html", "two"}, {"c.html", "three"}});  // a.html, the first row, is an orphan
  ui_.answers = {store::Answer::Yes};
  EXPECT_TRUE(MarkAllAsPublished(*blog_));
  EXPECT_EQ(ui_.questions.back(), "Mark all Blog Pages as Published?");
  EXPECT_FALSE(hasRow("a.html"));
  EXPECT_EQ(row("b.html").existing, crcOf("two"));
  EXPECT_EQ(row("c.html").existing, crcOf("three"));
  EXPECT_EQ(ui_.status.back(), "Marking all Blog Pages as Published complete");
  EXPECT_EQ(ui_.status.size(), 5u);
  // The next run writes nothing.
  run({{"b.html", "two"}, {"c.html", "three"}});
  EXPECT_EQ(last_.pagesAddedOrChanged, 0);
}

TEST_F(PageOutputTest, NamesThatAreNotBareFileNamesAreNeverWritten) {
  testing::writeFile(dir_.file("victim"), "safe");
  for (const std::string& bad : std::vector<std::string>{"../victim", "sub/x.html", "a\\b.html", ".", "..", "",
                                                       std::string(121, 'x')}) {
    log_.lines.clear();
    PageOutput output(*blog_, log_, out_);
    output.ResetNewChecksums();
    EXPECT_FALSE(output.WritePage(bad, "evil", "entry 7 \"Bad\"")) << bad;
    ASSERT_FALSE(log_.lines.empty());
    EXPECT_TRUE(log_.lines.back().coloured);
    EXPECT_NE(log_.lines.back().text.find("entry 7 \"Bad\""), std::string::npos);
    EXPECT_FALSE(hasRow(bad));
  }
  EXPECT_EQ(testing::readFile(dir_.file("victim")), "safe");
  EXPECT_EQ(util::listFiles(out_).size(), 0u);
}

TEST_F(PageOutputTest, TamperedOrphanKeyIsNotDeleted) {
  testing::writeFile(dir_.file("victim"), "safe");
  blog_->database().exec(
      "INSERT INTO tblPages (PageKey, PageCRCExisting, PageCRCNew, PageCRCLocal) VALUES ('../victim', 1, 1, 1)");
  run({});
  EXPECT_TRUE(log_.contains("...Removing orphan page ../victim"));
  EXPECT_EQ(testing::readFile(dir_.file("victim")), "safe");
}

TEST_F(PageOutputTest, FailedWriteRaisesAndTheNextRunRepairs) {
  run({{"a.html", "one"}});
  publish();
  // The output folder becomes a plain file: nothing can be written into it.
  const std::string good = out_;
  out_ = dir_.path() + "/blocked/";
  testing::writeFile(dir_.path() + "/blocked", "x");
  EXPECT_THROW(run({{"a.html", "two"}}), OutputError);
  const PageRow failed = row("a.html");
  EXPECT_EQ(failed.fresh, crcOf("two"));
  EXPECT_EQ(failed.local, crcOf("one"));  // recorded only once a file is complete
  out_ = good;
  run({{"a.html", "two"}});
  EXPECT_EQ(file("a.html"), "two");
  EXPECT_EQ(row("a.html").local, crcOf("two"));
}

TEST_F(PageOutputTest, StoredFilesUseTheirStoredChecksumAndFetchBytesOnlyWhenNeeded) {
  int fetches = 0;
  auto bytes = [&] {
    ++fetches;
    return std::string("GIF89a");
  };
  {
    PageOutput output(*blog_, log_, out_);
    output.ResetNewChecksums();
    EXPECT_TRUE(output.WriteStoredFile(PageOutput::StoredKind::Picture, "p.gif", 1234, bytes));
    EXPECT_EQ(output.counters().picturesAddedOrChanged, 1);
    EXPECT_FALSE(output.WriteStoredFile(PageOutput::StoredKind::File, "f.bin", 55, [] () -> std::string {
      throw std::runtime_error("damaged blob");
    }));
    EXPECT_EQ(output.counters().filesAddedOrChanged, 1);
  }
  EXPECT_EQ(fetches, 1);
  EXPECT_EQ(row("p.gif").fresh, 1234);
  EXPECT_EQ(row("f.bin").local, 0);
  publish();
  PageOutput output(*blog_, log_, out_);
  output.ResetNewChecksums();
  EXPECT_TRUE(output.WriteStoredFile(PageOutput::StoredKind::Picture, "p.gif", 1234, bytes));
  EXPECT_EQ(fetches, 1);
  EXPECT_EQ(output.counters().picturesAddedOrChanged, 0);
}

TEST_F(PageOutputTest, TrackingWritesOfARunAreCommittedInBatches) {
  std::vector<std::pair<std::string, std::string>> pages;
  for (int i = 0; i < 2500; ++i) pages.push_back({"p" + std::to_string(i) + ".html", "text " + std::to_string(i)});
  run(pages);
  EXPECT_EQ(blog_->database().transactionDepth(), 0);
  EXPECT_EQ(blog_->tblPages().recordCount(), 2500);
  EXPECT_EQ(row("p2499.html").local, crcOf("text 2499"));
}

TEST_F(PageOutputTest, FailedTrackingCommitIsAnErrorAndKeepsStoredRows) {
  {
    PageOutput output(*blog_, log_, out_);
    output.ResetNewChecksums();
    output.WritePage("a.html", "one");
    output.commit();
    output.WritePage("b.html", "two");
    {
      ReaderHoldingTheFile reader(dir_.file("t.zdb"));
      EXPECT_THROW(output.commit(), std::exception);
    }
    EXPECT_TRUE(hasRedLine(log_));
    EXPECT_EQ(blog_->database().transactionDepth(), 0);
  }
  // Only the batch of the failed commit is gone.
  EXPECT_EQ(storedKeys(dir_.file("t.zdb")), std::vector<std::string>{"a.html"});
  EXPECT_EQ(row("a.html").local, crcOf("one"));
}

TEST_F(PageOutputTest, AKilledRunLosesAtMostTheTrackingOfTheLastSecond) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    PageOutput output(*blog_, log_, out_);
    output.ResetNewChecksums();
    output.WritePage("early.html", "written well before the end");
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    output.WritePage("late.html", "written just before the end");
    ::_exit(137);  // as a kill: no destructor, no commit
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 137);
  const std::vector<std::string> keys = storedKeys(dir_.file("t.zdb"));
  EXPECT_NE(std::find(keys.begin(), keys.end(), "early.html"), keys.end());
}

TEST_F(PageOutputTest, MarkAllCommandsRaiseWhenTheirCommitFails) {
  run({{"a.html", "one"}, {"b.html", "two"}});
  for (const bool asNew : {true, false}) {
    publish();
    if (!asNew) blog_->database().exec("UPDATE tblPages SET PageCRCExisting = 0");
    ui_.status.clear();
    ui_.answers = {store::Answer::Yes};
    {
      ReaderHoldingTheFile reader(dir_.file("t.zdb"));
      EXPECT_THROW(asNew ? MarkAllAsNew(*blog_) : MarkAllAsPublished(*blog_), std::exception) << asNew;
    }
    EXPECT_FALSE(ui_.statusOpen);
    for (const std::string& s : ui_.status) EXPECT_EQ(s.find("complete"), std::string::npos) << s;
    EXPECT_EQ(blog_->database().transactionDepth(), 0);
    EXPECT_EQ(row("a.html").existing, asNew ? crcOf("one") : 0);
  }
}

}  // namespace
}  // namespace tessary::generator
