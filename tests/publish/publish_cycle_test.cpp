// Whole publishing cycles over a generated site: generate and publish; change
// and remove entries, generate and publish again; a third publish sends
// nothing; "Publish Next 10" over many changed pages. By FTP to pyftpdlib and
// by file copy, the published folder must end equal to the output folder.
#include <gtest/gtest.h>

#include <set>

#include "generator/html_gen.h"
#include "publish/ftp_blog.h"
#include "publish/ftpsend.h"
#include "publish/publish_fixture.h"
#include "publish/pyftpd.h"

namespace tessary::publish {
namespace {

using testing::PyFtpServer;

struct Sent {
  std::set<std::string> sent, deleted;
};

class PublishCycleTest : public testing::PublishFixture, public ::testing::WithParamInterface<bool> {
 protected:
  bool byFtp() const { return GetParam(); }

  void SetUp() override {
    PublishFixture::SetUp();
    blog->database().exec("DELETE FROM tblBlog");
    blog->database().notifyDataChanged("tblBlog");
    published = program.path() + "/published";
    ASSERT_TRUE(util::createDirectories(published).ok());
    store::BlogOptionsRec& o = blog->options();
    if (byFtp()) {
      server = std::make_unique<PyFtpServer>(std::string(TESSARY_SOURCE_DIR) + "/tests/publish/ftp_server.py",
                                             published, "127.0.0.1", program.file("ftpd.log"));
      ASSERT_TRUE(server->running()) << server->error();
      o.FTPSite = "127.0.0.1";
      o.FTPPort = server->port();
      o.FTPUserid = PyFtpServer::kUser;
      o.FTPPassword = PyFtpServer::kPassword;
      o.FTPPassive = 1;
    } else {
      o.PublishingLocation = 1;
      o.FileCopyDestination = published;
    }
  }

  int32_t addArticle(int n, const std::string& text) {
    store::Table& t = blog->tblBlog();
    t.insert();
    t.setDateTime("BlogDateTime", util::encodeDate(2002 + n / 12, 1 + n % 12, 1 + n % 27) + 0.5);  // a month each
    t.setInteger("BlogPageType", n % 3 == 0 ? store::kBlogEntry : store::kArticlePage);
    t.setString("BlogTitle", "Entry " + std::to_string(n));
    t.setString("BlogText", text);
    t.setString("BlogPageName", "entry" + std::to_string(n));
    t.setInteger("BlogCategory", -1);
    t.post();
    return t.asInteger("BlogKey");
  }
  bool gotoEntry(int32_t key) {
    store::Table& t = blog->tblBlog();
    for (t.first(); !t.eof(); t.next())
      if (t.asInteger("BlogKey") == key) return true;
    return false;
  }
  void setText(int32_t key, const std::string& text) {
    ASSERT_TRUE(gotoEntry(key));
    blog->tblBlog().edit();
    blog->tblBlog().setString("BlogText", text);
    blog->tblBlog().post();
  }
  void removeEntry(int32_t key) {
    ASSERT_TRUE(gotoEntry(key));
    blog->tblBlog().deleteRow();
  }

  void generate() {
    generator::Generator gen(*blog, log);
    gen.GeneratePages();
    ASSERT_EQ(gen.outputFolder(), output);
  }
  // What the rows say needs sending and deleting.
  Sent due() {
    Sent d;
    for (const auto& [name, s] : rows()) {
      if (s.crcNew == 0) d.deleted.insert(name);
      else if (s.crcNew != s.existing) d.sent.insert(name);
    }
    return d;
  }
  Sent publish(int limit = kPublishAllLimit) {
    log.lines.clear();
    const PublishOutcome out =
        PublishPages(*blog, output, log, limit, [](TFTPSend& s) { s.Timeout = 10000; });
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.errors, 0) << ::testing::PrintToString(log.texts());
    Sent s;
    const std::string send = byFtp() ? "...Uploading " : "...Copying ";
    for (const auto& t : log.texts()) {
      if (t.rfind(send, 0) == 0) s.sent.insert(t.substr(send.size()));
      if (t.rfind("...Deleting ", 0) == 0) s.deleted.insert(t.substr(12));
    }
    return s;
  }
  // The published folder holds exactly the output folder's tracked files, byte for byte.
  void expectMirror() {
    std::vector<std::string> tracked;
    for (const auto& [name, s] : rows())
      if (s.crcNew != 0) tracked.push_back(name);
    EXPECT_EQ(util::listFiles(published), tracked);
    for (const auto& name : tracked)
      EXPECT_EQ(testing::readFile(published + "/" + name), testing::readFile(output + name)) << name;
  }

  std::string published;
  std::unique_ptr<PyFtpServer> server;
};

TEST_P(PublishCycleTest, OnlyWhatChangedIsSentAndWhatWentIsDeleted) {
  std::vector<int32_t> keys;
  for (int i = 0; i < 6; ++i) keys.push_back(addArticle(i, "First text of entry " + std::to_string(i)));
  generate();
  const Sent first = due();
  ASSERT_GT(first.sent.size(), 6u);
  EXPECT_EQ(publish().sent, first.sent);
  expectMirror();

  setText(keys[2], "A new text for entry 2");
  removeEntry(keys[4]);
  generate();
  const Sent second = due();
  EXPECT_FALSE(second.sent.empty());
  EXPECT_FALSE(second.deleted.empty());
  EXPECT_LT(second.sent.size(), first.sent.size());  // not everything again
  const Sent done = publish();
  EXPECT_EQ(done.sent, second.sent);
  EXPECT_EQ(done.deleted, second.deleted);
  expectMirror();
  for (const auto& name : second.deleted) EXPECT_FALSE(util::fileExists(published + "/" + name)) << name;

  const Sent third = publish();
  EXPECT_TRUE(third.sent.empty());
  EXPECT_TRUE(third.deleted.empty());
  EXPECT_EQ(log.texts().back(), byFtp() ? "Upload complete." : "File Copy complete.");
}

TEST_P(PublishCycleTest, PublishNextTenWorksThroughEveryChangedPage) {
  for (int i = 0; i < 30; ++i) addArticle(i, "Text " + std::to_string(i));
  generate();
  const size_t changed = due().sent.size();
  ASSERT_GE(changed, 25u);
  size_t left = changed;
  for (int run = 0; run < 10 && left > 0; ++run) {
    const Sent s = publish(kPublishNextLimit);
    EXPECT_EQ(s.sent.size(), std::min<size_t>(left, 10));
    left -= s.sent.size();
    if (left > 0) {
      EXPECT_TRUE(hasPlainLine(std::to_string(left) + " record(s) skipped.")) << left;
    } else {
      for (const auto& t : log.texts()) EXPECT_EQ(t.find("skipped"), std::string::npos) << t;
    }
    EXPECT_EQ(due().sent.size(), left);
  }
  EXPECT_EQ(left, 0u);
  expectMirror();
}

INSTANTIATE_TEST_SUITE_P(FtpAndFileCopy, PublishCycleTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& i) { return i.param ? "Ftp" : "FileCopy"; });

}  // namespace
}  // namespace tessary::publish
