#include "generator/page_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "support/test_support.h"
#include "util/crc32.h"
#include "util/files.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

int32_t crcOf(const std::string& s) { return util::crcToStored(util::CalculateCRC32String(s)); }

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

TEST_F(PageOutputTest, StartOfRunClearsOnlyTheNewChecksum) {
  run({{"a.html", "one"}});
  publish();
  PageOutput output(*blog_, log_, out_);
  output.ResetNewChecksums();
  output.commit();
  const PageRow r = row("a.html");
  EXPECT_EQ(r.existing, crcOf("one"));
  EXPECT_EQ(r.fresh, 0);
  EXPECT_EQ(r.local, crcOf("one"));
  EXPECT_EQ(file("a.html"), "one");
}

TEST_F(PageOutputTest, UnpublishedPageIsReportedChangedAgain) {
  run({{"a.html", "one"}});
  const ino_t before = inodeOf(out_ + "a.html");
  run({{"a.html", "one"}});
  EXPECT_TRUE(log_.contains("... a.html has changes."));
  EXPECT_EQ(last_.pagesAddedOrChanged, 1);
  EXPECT_NE(inodeOf(out_ + "a.html"), before);  // written again
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

TEST_F(PageOutputTest, NamesDifferingInCaseAreTwoRows) {
  run({{"Index.html", "one"}, {"index.html", "two"}});
  EXPECT_EQ(row("Index.html").fresh, crcOf("one"));
  EXPECT_EQ(row("index.html").fresh, crcOf("two"));
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

}  // namespace
}  // namespace tessary::generator
