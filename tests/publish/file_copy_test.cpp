// The file-copy publishing run into a temporary folder, and the dispatch.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "publish/ftp_blog.h"
#include "publish/publish_fixture.h"
#include "util/date_time.h"

namespace tessary::publish {
namespace {

using testing::PageState;

class FileCopyTest : public testing::PublishFixture {
 protected:
  void SetUp() override {
    PublishFixture::SetUp();
    destination = program.path() + "/dest/a/b";
    blog->options().PublishingLocation = 1;
    blog->options().FileCopyDestination = "  " + destination + "  ";
    util::setClock([] { return util::encodeDateTime({2024, 3, 9, 14, 5, 7, 0}); });
  }
  void TearDown() override {
    util::setClock({});
    PublishFixture::TearDown();
  }
  PublishOutcome publish(int limit = kPublishAllLimit) { return PublishPages(*blog, output, log, limit); }
  std::vector<std::string> published() { return util::listFiles(destination); }

  std::string destination;
};

TEST_F(FileCopyTest, CopiesNewAndChangedPagesAndDeletesRemovedOnes) {
  addPage("a.html", "new a");
  addPage("b.html", "changed b", 1);
  addPage("c.html", "same c", testing::crcOf("same c"));
  addOrphan("d.html", 5);
  addOrphan("e.html", 6);  // its destination file was deleted by hand: no error
  ASSERT_TRUE(util::createDirectories(destination).ok());
  testing::writeFile(destination + "/b.html", "old b");
  testing::writeFile(destination + "/d.html", "old d");
  testing::writeFile(destination + "/other.txt", "not ours");

  const PublishOutcome out = publish();
  EXPECT_TRUE(out.completed);
  EXPECT_EQ(out.acted, 4);
  EXPECT_EQ(out.errors, 0);
  EXPECT_EQ(log.texts(), (std::vector<std::string>{
                             "Publish plan: 2 file(s) to send (1 new, 1 changed, 14 bytes), 2 file(s) to delete.",
                             "Publishing using File Copy - Destination is " + destination + "/",
                             "Validating File Copy Destination...",
                             "...Publishing temporary file  - ~~~20240309140507.$$$",
                             "...Removing temporary file  - ~~~20240309140507.$$$",
                             "Validation complete.",
                             "File Copy started.",
                             "...Copying a.html",
                             "...Copying b.html",
                             "...Deleting d.html",
                             "...Deleting e.html",
                             "File Copy complete.",
                         }));
  EXPECT_TRUE(log.lines[1].coloured);
  EXPECT_EQ(published(), (std::vector<std::string>{"a.html", "b.html", "other.txt"}));
  EXPECT_EQ(testing::readFile(destination + "/b.html"), "changed b");
  EXPECT_EQ(rows(), (std::map<std::string, PageState>{
                        {"a.html", {testing::crcOf("new a"), testing::crcOf("new a")}},
                        {"b.html", {testing::crcOf("changed b"), testing::crcOf("changed b")}},
                        {"c.html", {testing::crcOf("same c"), testing::crcOf("same c")}},
                    }));
}

TEST_F(FileCopyTest, DestinationsThatCannotBeUsed) {
  addPage("a.html", "a");
  const auto before = rows();

  blog->options().FileCopyDestination = " x ";
  EXPECT_FALSE(publish().completed);
  EXPECT_EQ(log.texts(), (std::vector<std::string>{"Publish plan: 1 file(s) to send (1 new, 0 changed, 1 bytes), 0 "
                                                   "file(s) to delete.",
                                                   "*** Please visit the OPTIONS page for PUBLISHING OPTIONS and "
                                                   "enter your FILE COPY information before trying to upload."}));
  EXPECT_TRUE(log.lines[1].coloured && log.lines[1].colour == colours::kRed);

  // Below a plain file no folder can be made.
  log.lines.clear();
  testing::writeFile(program.file("plain"), "x");
  blog->options().FileCopyDestination = program.file("plain") + "/sub/";
  EXPECT_FALSE(publish().completed);
  EXPECT_EQ(log.texts().back(), "*** Unable to create destination directory.");

  // The test file cannot be written: a folder already holds its name.
  log.lines.clear();
  blog->options().FileCopyDestination = destination;
  ASSERT_TRUE(util::createDirectories(destination + "/~~~20240309140507.$$$").ok());
  EXPECT_FALSE(publish().completed);
  EXPECT_EQ(log.texts().back(), "*** Unable to write to destination directory.");
  EXPECT_TRUE(log.lines.back().colour == colours::kRed);
  EXPECT_EQ(rows(), before);
  ::rmdir((destination + "/~~~20240309140507.$$$").c_str());

  // A read-only folder (only meaningful without the rights to write anywhere).
  log.lines.clear();
  ::chmod(destination.c_str(), 0555);
  if (::access(destination.c_str(), W_OK) != 0) {
    EXPECT_FALSE(publish().completed);
    EXPECT_EQ(log.texts().back(), "*** Unable to write to destination directory.");
    EXPECT_EQ(rows(), before);
  }
  ::chmod(destination.c_str(), 0755);
}

TEST_F(FileCopyTest, AMissingSourceFailsItsCopyAndKeepsTheOlderPublishedCopy) {
  addPage("a.html", "new a", 17);
  addPage("b.html", "b");
  ASSERT_TRUE(util::createDirectories(destination).ok());
  testing::writeFile(destination + "/a.html", "published a");
  ::unlink((output + "a.html").c_str());
  const PublishOutcome out = publish();
  EXPECT_EQ(out.errors, 1);
  EXPECT_TRUE(hasLine("...a.html copy failed.", colours::kRed));
  EXPECT_TRUE(hasLine("File Copy complete with 1 error(s).", colours::kRed));
  EXPECT_EQ(rows().at("a.html"), (PageState{17, testing::crcOf("new a")}));
  EXPECT_EQ(testing::readFile(destination + "/a.html"), "published a");
  EXPECT_EQ(testing::readFile(destination + "/b.html"), "b");
}

TEST_F(FileCopyTest, PublishNextTenOverTwentyFivePages) {
  for (int i = 0; i < 25; ++i) addPage("p" + std::to_string(100 + i) + ".html", "page " + std::to_string(i));
  PublishOutcome out = publish(kPublishNextLimit);
  EXPECT_EQ(out.acted, 10);
  EXPECT_EQ(published().size(), 10u);
  EXPECT_EQ(published().back(), "p109.html");
  EXPECT_TRUE(hasPlainLine("15 record(s) skipped."));
  EXPECT_EQ(log.texts().back(), "File Copy complete.");
  out = publish(kPublishNextLimit);
  EXPECT_EQ(published().size(), 20u);
  out = publish(kPublishNextLimit);
  EXPECT_EQ(out.acted, 5);
  EXPECT_EQ(out.skipped, 0);
  EXPECT_EQ(published().size(), 25u);
}

TEST_F(FileCopyTest, NamesThatAreNotPlainFileNamesAreNeitherCopiedNorDeleted) {
  testing::writeFile(program.file("victim.html"), "keep me");
  blog->tblPages().insertRecord({"../../../victim.html", 3, 0, 3});
  blog->tblPages().insertRecord({"../../../copied.html", 0, 4, 4});
  testing::writeFile(output + "../copied.html", "x");
  const PublishOutcome out = publish();
  EXPECT_EQ(out.errors, 2);
  EXPECT_TRUE(hasLine("...../../../victim.html is not a plain file name; skipped.", colours::kRed));
  EXPECT_EQ(testing::readFile(program.file("victim.html")), "keep me");
  EXPECT_FALSE(util::fileExists(program.path() + "/dest/copied.html"));
  EXPECT_EQ(rows().size(), 2u);
}

TEST_F(FileCopyTest, APublishAfterAnUnfinishedGenerationRunDeletesNothing) {
  addPage("a.html", "new a");
  addOrphan("gone.html", 7);
  ASSERT_TRUE(util::createDirectories(destination).ok());
  testing::writeFile(destination + "/gone.html", "live page");
  blog->database().exec(
      "INSERT INTO tblOptions (OptionKey, OptionName, OptionValue, OptionInteger) "
      "VALUES (998, 'Last Generation Complete', '0', 0)");
  PublishOutcome out = publish();
  EXPECT_TRUE(hasLine("The last generation run did not finish: generate the pages again before publishing deletions.",
                      colours::kRed));
  EXPECT_EQ(testing::readFile(destination + "/gone.html"), "live page");
  EXPECT_EQ(rows().at("gone.html"), (PageState{7, 0}));
  EXPECT_EQ(testing::readFile(destination + "/a.html"), "new a");
  EXPECT_EQ(rows().at("a.html").existing, testing::crcOf("new a"));
  EXPECT_TRUE(out.deletionsWithheld);

  // Once a run completed, the deletion goes through.
  blog->database().exec("UPDATE tblOptions SET OptionInteger = 1, OptionValue = '1' WHERE OptionKey = 998");
  log.lines.clear();
  out = publish();
  EXPECT_FALSE(out.deletionsWithheld);
  EXPECT_FALSE(util::fileExists(destination + "/gone.html"));
  EXPECT_EQ(rows().count("gone.html"), 0u);
}

TEST_F(FileCopyTest, APageWhoseLocalCopyIsNotCompleteIsNotPublished) {
  addPage("a.html", "the page as recorded");
  addPage("b.html", "b");
  // The run recorded a.html but its file never became complete.
  blog->database().exec("UPDATE tblPages SET PageCRCLocal = 0 WHERE PageKey = 'a.html'");
  testing::writeFile(output + "a.html", "an older page");
  const PublishOutcome out = publish();
  EXPECT_TRUE(hasLine("...a.html skipped: its file in the output folder is not the one the last generation run "
                      "produced.",
                      colours::kRed));
  EXPECT_FALSE(util::fileExists(destination + "/a.html"));
  EXPECT_EQ(rows().at("a.html").existing, 0);
  EXPECT_EQ(testing::readFile(destination + "/b.html"), "b");
  EXPECT_EQ(out.incomplete, 1);
}

TEST_F(FileCopyTest, LeftoverTemporaryFilesInTheDestinationAreRemovedAndNothingElse) {
  addPage("a.html", "a");
  ASSERT_TRUE(util::createDirectories(destination).ok());
  const std::vector<std::string> mine = {".a.html.tmp0123abcd", ".old.html.tmp89abcdef"};
  const std::vector<std::string> others = {".htaccess", ".x.tmp", "a.html.tmp0123abcd", ".b.tmp0123abcz"};
  for (const auto& f : mine) testing::writeFile(destination + "/" + f, "half a page");
  for (const auto& f : others) testing::writeFile(destination + "/" + f, "the site's own");
  publish();
  for (const auto& f : mine) EXPECT_FALSE(util::fileExists(destination + "/" + f)) << f;
  for (const auto& f : others) EXPECT_EQ(testing::readFile(destination + "/" + f), "the site's own") << f;
  EXPECT_EQ(log.texts().back(), "File Copy complete.");
}

TEST_F(FileCopyTest, ALinkPlantedUnderTheTestFileNameMakesNoFileOutsideTheDestination) {
  addPage("a.html", "a");
  ASSERT_TRUE(util::createDirectories(destination).ok());
  const std::string outside = program.file("outside.txt");
  ASSERT_EQ(::symlink(outside.c_str(), (destination + "/~~~20240309140507.$$$").c_str()), 0);
  const PublishOutcome out = publish();
  EXPECT_FALSE(out.completed);
  EXPECT_FALSE(util::fileExists(outside));
  EXPECT_EQ(log.texts().back(), "*** Unable to write to destination directory.");
  EXPECT_EQ(rows().at("a.html").existing, 0);
}

TEST_F(FileCopyTest, AnOrphanDifferingOnlyInCaseFromALivePageIsNotDeletedAtTheDestination) {
  addPage("index.html", "home", 3);
  addOrphan("INDEX.html", 9);
  ASSERT_TRUE(util::createDirectories(destination).ok());
  testing::writeFile(destination + "/INDEX.html", "older article");
  const PublishOutcome out = publish();
  EXPECT_EQ(out.errors, 0);
  EXPECT_TRUE(util::fileExists(destination + "/INDEX.html"));
  EXPECT_EQ(testing::readFile(destination + "/index.html"), "home");
  EXPECT_EQ(rows().count("INDEX.html"), 0u);
}

TEST_F(FileCopyTest, AFailedTrackingCommitIsAnError) {
  addPage("a.html", "a");
  addPage("b.html", "b");
  // A reader takes the blog file once the first copy is made and keeps it.
  struct Reader {
    sqlite3* db = nullptr;
    ~Reader() {
      if (!db) return;
      sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
      sqlite3_close(db);
    }
  } reader;
  const std::string file = program.file("site.zdb");
  log.onLine = [&](const std::string& text) {
    if (text != "...Copying b.html" || reader.db) return;
    sqlite3_open_v2(file.c_str(), &reader.db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(reader.db, "BEGIN; SELECT count(*) FROM tblPages;", nullptr, nullptr, nullptr);
  };
  EXPECT_ANY_THROW(publish());
  EXPECT_FALSE(hasPlainLine("File Copy complete."));
  EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(),
                          [](const auto& l) { return l.coloured && l.colour == colours::kRed; }));
  EXPECT_EQ(blog->database().transactionDepth(), 0);
}

TEST_F(FileCopyTest, TheDispatchFollowsThePublishingLocation) {
  addPage("a.html", "a");
  blog->options().PublishingLocation = 0;
  blog->options().FTPSite = "";
  publish();
  EXPECT_EQ(log.texts().at(1), "*** Warning: Can not upload files yet - FTP information required.");
  log.lines.clear();
  blog->options().PublishingLocation = 1;
  publish();
  EXPECT_EQ(log.texts().back(), "File Copy complete.");
}

}  // namespace
}  // namespace tessary::publish
