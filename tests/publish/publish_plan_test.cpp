// The publish plan: the order of a run and its totals, worked out without any
// connection; and tessary-cli publish --dry-run, which prints it and changes
// nothing.
#include "publish/publish_plan.h"

#include <gtest/gtest.h>

#include "publish/ftp_blog.h"
#include "publish/publish_fixture.h"
#include "publish/socket.h"

namespace tessary::publish {
namespace {

class PublishPlanTest : public testing::PublishFixture {
 protected:
  std::vector<std::string> order(const PublishPlan& plan) {
    std::vector<std::string> names;
    for (const PlannedFile& f : plan.steps)
      names.push_back((f.step == PlanStep::Send ? "send " : f.step == PlanStep::Delete ? "delete " : "forget ") + f.name);
    return names;
  }
};

TEST_F(PublishPlanTest, SupportFilesThenPagesThenIndexesAndDeletionsLast) {
  blog->database().exec("INSERT INTO tblPictures (BlogPictureName) VALUES ('Photo.JPG')");
  blog->database().exec("INSERT INTO tblFiles (BlogFileName) VALUES ('notes.html')");
  blog->database().exec("INSERT INTO tblCategory (CategoryTitle, CategoryName) VALUES ('News', ' news ')");
  blog->options().PageNamePrefix = "b-";
  blog->options().ArchiveIndexPageName = "";  // the generator used the default, "archive"
  for (const char* name : {"b-index.html", "b-200401.html", "b-about.html", "b-news.html", "b-rss.xml",
                           "b-index.rss", "style.css", "Photo.JPG", "notes.html", "b-archive.html",
                           "b-articles.html", "b-recent.html", "b-category.html", "a-logo.gif"})
    addPage(name, std::string("content of ") + name);
  addPage("b-same.html", "same", testing::crcOf("same"));
  addOrphan("a-old.html", 9);
  addOrphan("B-ABOUT.HTML", 8);  // the live b-about.html where case does not count

  const PublishPlan plan = PlanPublish(*blog, output);
  EXPECT_EQ(order(plan), (std::vector<std::string>{
                             "send Photo.JPG", "send a-logo.gif", "send notes.html", "send style.css",
                             "send b-200401.html", "send b-about.html",
                             "send b-archive.html", "send b-articles.html", "send b-category.html",
                             "send b-index.html", "send b-index.rss", "send b-news.html", "send b-recent.html",
                             "send b-rss.xml",
                             "forget B-ABOUT.HTML", "delete a-old.html"}));
  EXPECT_EQ(plan.sendCount, 14);
  EXPECT_EQ(plan.newCount, 14);
  EXPECT_EQ(plan.deleteCount, 1);
  EXPECT_EQ(plan.publishedCount, 3);
  int64_t bytes = 0;
  for (const PlannedFile& f : plan.steps) bytes += f.bytes;
  EXPECT_EQ(plan.sendBytes, bytes);
  EXPECT_EQ(planTotals(plan), "14 file(s) to send (14 new, 0 changed, " + std::to_string(bytes) +
                                  " bytes), 1 file(s) to delete");
}

TEST_F(PublishPlanTest, PublishNextTenTakesTheFirstTenOfThePlan) {
  addPage("z-page.html", "page");
  for (int i = 0; i < 12; ++i) addPage("pic" + std::to_string(i + 10) + ".gif", "gif" + std::to_string(i));
  blog->options().PublishingLocation = 1;
  blog->options().FileCopyDestination = program.path() + "/dest";
  PublishPages(*blog, output, log, kPublishNextLimit);
  EXPECT_EQ(util::listFiles(program.path() + "/dest").size(), 10u);
  EXPECT_FALSE(util::fileExists(program.path() + "/dest/z-page.html"));
  EXPECT_EQ(log.texts().front(), "Publish plan: 13 file(s) to send (13 new, 0 changed, 54 bytes), 0 file(s) to delete.");
}

TEST_F(PublishPlanTest, ADryRunPrintsThePlanAndTouchesNothing) {
  addPage("a.html", "aaa");
  addPage("b.html", "same", testing::crcOf("same"));
  addOrphan("old.html", 4);
  const auto before = rows();
  Socket listener;  // stands for the server: nobody may connect
  ASSERT_TRUE(listener.listen("127.0.0.1", "0"));
  blog->options().FTPSite = "127.0.0.1";
  blog->options().FTPPort = listener.localPort();
  blog->SaveOptions();
  blog->CloseBlog();
  std::string out;
  const std::string cmd = testing::cliPath() + " --program-folder " + program.path() + " publish " +
                          program.file("site.zdb") + " --dry-run 2>&1";
  EXPECT_EQ(testing::runCommand(cmd, &out), 0) << out;
  EXPECT_EQ(out, "send a.html\ndelete old.html\n1 file(s) to send (1 new, 0 changed, 3 bytes), 1 file(s) to delete\n");
  EXPECT_FALSE(listener.accept(0).isOpen());

  // By file copy: no destination folder is made.
  blog->OpenBlog(program.file("site.zdb"));
  blog->options().PublishingLocation = 1;
  blog->options().FileCopyDestination = program.path() + "/dest";
  blog->SaveOptions();
  blog->CloseBlog();
  EXPECT_EQ(testing::runCommand(cmd, &out), 0) << out;
  EXPECT_FALSE(util::directoryExists(program.path() + "/dest"));
  blog->OpenBlog(program.file("site.zdb"));
  EXPECT_EQ(rows(), before);
}

}  // namespace
}  // namespace tessary::publish
