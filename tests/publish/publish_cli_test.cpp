// tessary-cli publish: the dispatch, the page limit, --yes for the directory
// question, and the exit status.
#include <gtest/gtest.h>

#include "publish/publish_fixture.h"
#include "publish/pyftpd.h"

namespace tessary::publish {
namespace {

using testing::PyFtpServer;

class PublishCliTest : public testing::PublishFixture {
 protected:
  // Saves the options, closes the blog and runs the command; returns the exit status.
  int run(const std::string& args, std::string* out = nullptr) {
    if (blog->isOpen()) {
      blog->SaveOptions();
      blog->CloseBlog();
    }
    std::string text;
    const int rc = testing::runCommand(testing::cliPath() + " --program-folder " + program.path() + " " + args +
                                           " 2>&1",
                                       &text);
    if (out) *out = text;
    return rc;
  }
  void reopen() { blog->OpenBlog(program.file("site.zdb")); }
};

TEST_F(PublishCliTest, CopiesWithTheLimitAndReportsTheOutcome) {
  addPage("a.html", "a");
  addPage("b.html", "b");
  blog->options().PublishingLocation = 1;
  blog->options().FileCopyDestination = program.path() + "/dest";
  std::string out;
  EXPECT_EQ(run("publish " + program.file("site.zdb") + " --limit 1", &out), 0) << out;
  EXPECT_NE(out.find("...Copying a.html"), std::string::npos) << out;
  EXPECT_NE(out.find("1 record(s) skipped."), std::string::npos) << out;
  EXPECT_EQ(util::listFiles(program.path() + "/dest"), (std::vector<std::string>{"a.html"}));
  EXPECT_EQ(run("publish " + program.file("site.zdb"), &out), 0) << out;
  EXPECT_EQ(util::listFiles(program.path() + "/dest"), (std::vector<std::string>{"a.html", "b.html"}));

  // A failed copy makes the exit status 1.
  reopen();
  addPage("c.html", "c");
  ::unlink((output + "c.html").c_str());
  EXPECT_EQ(run("publish " + program.file("site.zdb"), &out), 1) << out;
  EXPECT_NE(out.find("File Copy complete with 1 error(s)."), std::string::npos) << out;
}

TEST_F(PublishCliTest, WrongUsageAndNothingGenerated) {
  EXPECT_EQ(run("publish " + program.file("site.zdb") + " --limit 0"), 2);
  EXPECT_EQ(run("publish " + program.file("site.zdb") + " --limit ten"), 2);
  EXPECT_EQ(run("publish"), 2);
  ::rmdir(output.c_str());
  std::string out;
  EXPECT_EQ(run("publish " + program.file("site.zdb"), &out), 1);
  EXPECT_NE(out.find("Generate the pages first"), std::string::npos) << out;
}

TEST_F(PublishCliTest, TheDirectoryQuestionIsAnsweredByYes) {
  const std::string root = program.path() + "/server";
  ASSERT_TRUE(util::createDirectories(root).ok());
  PyFtpServer server(std::string(TESSARY_SOURCE_DIR) + "/tests/publish/ftp_server.py", root, "127.0.0.1",
                     program.file("ftpd.log"));
  ASSERT_TRUE(server.running()) << server.error();
  store::BlogOptionsRec& o = blog->options();
  o.FTPSite = "127.0.0.1";
  o.FTPPort = server.port();
  o.FTPUserid = PyFtpServer::kUser;
  o.FTPPassword = PyFtpServer::kPassword;
  o.FTPPassive = 1;
  o.FTPTargetDirectory = "./www";  // ends in /www, which is not "./www" once slashes are gone
  ASSERT_TRUE(util::createDirectories(root + "/www").ok());
  addPage("a.html", "a");
  std::string out;
  EXPECT_EQ(run("publish " + program.file("site.zdb"), &out), 1) << out;
  EXPECT_NE(out.find("Proceed with upload?"), std::string::npos) << out;
  EXPECT_TRUE(util::listFiles(root + "/www").empty());
  EXPECT_EQ(run("--yes publish " + program.file("site.zdb"), &out), 0) << out;
  EXPECT_EQ(util::listFiles(root + "/www"), (std::vector<std::string>{"a.html"}));
}

TEST_F(PublishCliTest, AMassDeletionNeedsYes) {
  const std::string dest = program.path() + "/dest";
  ASSERT_TRUE(util::createDirectories(dest).ok());
  for (int i = 0; i < 60; ++i) {
    testing::writeFile(dest + "/old" + std::to_string(i) + ".html", "old");
    addOrphan("old" + std::to_string(i) + ".html", 10 + i);
  }
  blog->options().PublishingLocation = 1;
  blog->options().FileCopyDestination = dest;
  std::string out;
  EXPECT_EQ(run("publish " + program.file("site.zdb"), &out), 1) << out;
  EXPECT_NE(out.find("This publish will delete 60 of the 60 files on the server. Continue?\n-> No"),
            std::string::npos) << out;
  EXPECT_EQ(util::listFiles(dest).size(), 60u);
  EXPECT_EQ(run("publish " + program.file("site.zdb") + " --yes", &out), 0) << out;
  EXPECT_TRUE(util::listFiles(dest).empty());
}

}  // namespace
}  // namespace tessary::publish

namespace tessary::publish {
namespace {

TEST(DemoPublishTest, TheDemoSiteIsCopiedAndASecondDemoCopiesNothing) {
  testing::TempDir dir;
  std::string out;
  const std::string cmd = testing::cliPath() + " --program-folder " + dir.path() + " demo --publish-to " +
                          dir.path() + "/pub 2>&1";
  ASSERT_EQ(testing::runCommand(cmd, &out), 0) << out;
  EXPECT_EQ(util::listFiles(dir.path() + "/pub"), util::listFiles(dir.path() + "/HTML/demo"));
  EXPECT_NE(out.find("...Copying index.html"), std::string::npos) << out;
  ASSERT_EQ(testing::runCommand(cmd, &out), 0) << out;
  EXPECT_EQ(out.find("...Copying"), std::string::npos) << out;
  EXPECT_NE(out.find("File Copy complete."), std::string::npos) << out;
}

}  // namespace
}  // namespace tessary::publish
