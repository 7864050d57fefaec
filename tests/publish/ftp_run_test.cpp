// The FTP publishing run against a real server (pyftpdlib on loopback) and,
// for what a real server will not do, against the scripted server.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "publish/ftp_blog.h"
#include "publish/ftpsend.h"
#include "publish/publish_plan.h"
#include "publish/publish_fixture.h"
#include "publish/pyftpd.h"
#include "publish/scripted_ftpd.h"
#include "publish/socket.h"
#include "util/text.h"

namespace tessary::publish {
namespace {

using testing::PageState;
using testing::PyFtpServer;
using testing::ScriptedFtpServer;

std::string serverScript() { return std::string(TESSARY_SOURCE_DIR) + "/tests/publish/ftp_server.py"; }

bool ipv6LoopbackAvailable() {
  Socket s;
  return s.listen("::1", "0");
}

class FtpRunTest : public testing::PublishFixture {
 protected:
  void SetUp() override {
    PublishFixture::SetUp();
    root = program.path() + "/server";
    ASSERT_TRUE(util::createDirectories(root).ok());
  }
  // Starts pyftpdlib on host and points the blog's options at it.
  void startServer(const std::string& host = "127.0.0.1", const std::string& tlsCert = "") {
    server = std::make_unique<PyFtpServer>(serverScript(), root, host, program.file("ftpd.log"), tlsCert);
    ASSERT_TRUE(server->running()) << server->error();
    aimAt(host, server->port());
    options().FTPUserid = PyFtpServer::kUser;
    options().FTPPassword = PyFtpServer::kPassword;
  }
  void aimAt(const std::string& host, const std::string& port) {
    options().FTPSite = host;
    options().FTPPort = port;
    options().FTPPassive = 1;
  }
  store::BlogOptionsRec& options() { return blog->options(); }
  PublishOutcome publish(int limit = kPublishAllLimit, int timeoutMs = 5000) {
    return PublishPages(*blog, output, log, limit, [timeoutMs](TFTPSend& s) { s.Timeout = timeoutMs; });
  }
  std::vector<std::string> serverFiles(const std::string& sub = "") { return util::listFiles(root + sub); }
  std::string serverFile(const std::string& name) { return testing::readFile(root + "/" + name); }

  std::string root;
  std::unique_ptr<PyFtpServer> server;
};

TEST_F(FtpRunTest, UploadsNewAndChangedPagesAndDeletesRemovedOnes) {
  startServer();
  options().FTPTargetDirectory = "www";
  ASSERT_TRUE(util::createDirectories(root + "/www").ok());
  testing::writeFile(root + "/www/b.html", "old b");
  testing::writeFile(root + "/www/d.html", "old d");
  addPage("a.html", "<p>new</p>");
  addPage("b.html", "<p>changed</p>", 1234);
  addPage("c.html", "<p>unchanged</p>", testing::crcOf("<p>unchanged</p>"));
  addOrphan("d.html", 99);
  addOrphan("e.html", 0);  // never reached the server: DELE fails, the row goes anyway
  addOrphan("f.html", 98);  // published, but no longer on the server: done, the row goes

  const PublishOutcome out = publish();
  EXPECT_TRUE(out.completed);
  EXPECT_EQ(out.errors, 0);
  EXPECT_EQ(out.acted, 5);
  const std::vector<std::string> head = {
      "Publish plan: 2 file(s) to send (1 new, 1 changed, 24 bytes), 3 file(s) to delete.",
      "Publishing using FTP",
      "Logging on to 127.0.0.1 port " + server->port() + " as user tess",
      "Initial directory is /",
      "Changing to Directory www",
      "Current directory is now /www",
      "...Uploading a.html",
      "...Uploading b.html",
      "...Deleting d.html",
      "...Deleting e.html",
      "...Deleting f.html",
      "...f.html was no longer on the server.",
  };
  const auto texts = log.texts();
  ASSERT_GT(texts.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + static_cast<long>(head.size())), head);
  EXPECT_EQ(std::vector<std::string>(texts.end() - 2, texts.end()),
            (std::vector<std::string>{"Logging out.", "Upload complete."}));
  EXPECT_TRUE(hasLine("Publishing using FTP", colours::kBlack));
  EXPECT_EQ(serverFiles("/www"), (std::vector<std::string>{"a.html", "b.html"}));
  EXPECT_EQ(serverFile("www/b.html"), "<p>changed</p>");
  EXPECT_EQ(rows(), (std::map<std::string, PageState>{
                        {"a.html", {testing::crcOf("<p>new</p>"), testing::crcOf("<p>new</p>")}},
                        {"b.html", {testing::crcOf("<p>changed</p>"), testing::crcOf("<p>changed</p>")}},
                        {"c.html", {testing::crcOf("<p>unchanged</p>"), testing::crcOf("<p>unchanged</p>")}},
                    }));
  EXPECT_TRUE(ui.questions.empty());

  // Only unchanged rows left: log on, check, log out, nothing sent.
  log.lines.clear();
  const PublishOutcome again = publish();
  EXPECT_EQ(again.acted, 0);
  EXPECT_EQ(log.texts().back(), "Upload complete.");
  EXPECT_FALSE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
    return t.find("skipped") != std::string::npos;
  }));
}

TEST_F(FtpRunTest, AMissingTargetDirectoryIsMadeAndEntered) {
  startServer();
  options().FTPTargetDirectory = "site";
  addPage("a.html", "a");
  EXPECT_TRUE(publish().completed);
  EXPECT_EQ(log.texts(), (std::vector<std::string>{
                             "Publish plan: 1 file(s) to send (1 new, 0 changed, 1 bytes), 0 file(s) to delete.",
                             "Publishing using FTP",
                             "Logging on to 127.0.0.1 port " + server->port() + " as user tess",
                             "Initial directory is /",
                             "Changing to Directory site",
                             "Directory site does not exist.",
                             "Created Directory site",
                             "Changing to Directory site",
                             "Current directory is now /site",
                             "...Uploading a.html",
                             "Logging out.",
                             "Upload complete.",
                         }));
  EXPECT_EQ(serverFile("site/a.html"), "a");
}

struct Mode {
  const char* host;
  bool passive;
  const char* negotiation;  // the conversation line that opens a data connection
};

class FtpModeTest : public FtpRunTest, public ::testing::WithParamInterface<Mode> {};

TEST_P(FtpModeTest, PublishesInEveryModeAndFamily) {
  const Mode m = GetParam();
  if (std::string(m.host) == "::1" && !ipv6LoopbackAvailable()) GTEST_SKIP() << "no IPv6 loopback";
  startServer(m.host);
  options().FTPPassive = m.passive ? 1 : 0;
  options().ShowFTPConversation = 1;
  std::string big(300000, 'x');
  addPage("index.html", "<html>home</html>");
  addPage("big.css", big);
  addPage("empty.txt", "");
  // An empty file has checksum 0, which reads as "not produced": give it a row that needs sending.
  blog->tblPages().findKey(std::string("empty.txt"));
  blog->tblPages().edit();
  blog->tblPages().setInteger("PageCRCNew", 5);
  blog->tblPages().setInteger("PageCRCLocal", 5);
  blog->tblPages().post();
  const PublishOutcome out = publish();
  EXPECT_TRUE(out.completed);
  EXPECT_EQ(out.errors, 0) << ::testing::PrintToString(log.texts());
  EXPECT_EQ(serverFiles(), (std::vector<std::string>{"big.css", "empty.txt", "index.html"}));
  EXPECT_EQ(serverFile("big.css"), big);
  EXPECT_EQ(serverFile("empty.txt"), "");
  const auto texts = log.texts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
    return t.rfind(std::string("  FTP = ") + m.negotiation, 0) == 0;
  })) << m.negotiation;
  EXPECT_TRUE(hasLine("  FTP = PASS ********", colours::kBlue));
  EXPECT_TRUE(hasLine("  FTP = STOR index.html.tessary-upload", colours::kBlue));
  EXPECT_TRUE(hasLine("  FTP = RNTO index.html", colours::kBlue));
  for (const auto& t : texts) EXPECT_EQ(t.find(PyFtpServer::kPassword), std::string::npos) << t;
}

INSTANTIATE_TEST_SUITE_P(Loopback, FtpModeTest,
                         ::testing::Values(Mode{"127.0.0.1", true, "EPSV 1"}, Mode{"127.0.0.1", false, "EPRT |1|"},
                                           Mode{"::1", true, "EPSV 2"}, Mode{"::1", false, "EPRT |2|"}));

TEST_F(FtpRunTest, PublishNextTenWorksThroughTwentyFivePages) {
  startServer();
  for (int i = 0; i < 25; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "p%02d.html", i);
    addPage(name, "page " + std::to_string(i));
  }
  addPage("same.html", "same", testing::crcOf("same"));
  PublishOutcome out = publish(kPublishNextLimit);
  EXPECT_EQ(out.acted, 10);
  EXPECT_EQ(out.skipped, 15);
  EXPECT_EQ(serverFiles().size(), 10u);
  EXPECT_EQ(serverFiles().back(), "p09.html");
  EXPECT_TRUE(hasPlainLine("15 record(s) skipped."));
  EXPECT_EQ(log.texts().back(), "Upload complete.");

  log.lines.clear();
  out = publish(kPublishNextLimit);
  EXPECT_EQ(serverFiles().size(), 20u);
  EXPECT_EQ(serverFiles().back(), "p19.html");
  EXPECT_TRUE(hasPlainLine("5 record(s) skipped."));

  log.lines.clear();
  out = publish(kPublishNextLimit);
  EXPECT_EQ(out.acted, 5);
  EXPECT_EQ(serverFiles().size(), 25u);
  EXPECT_FALSE(hasPlainLine("0 record(s) skipped."));
  for (const auto& [name, state] : rows()) EXPECT_EQ(state.existing, state.crcNew) << name;
}

TEST_F(FtpRunTest, FailuresCountTowardTheLimitAndKeepTheirRows) {
  startServer();
  for (int i = 0; i < 12; ++i) {
    const std::string name = "m" + std::to_string(10 + i) + ".html";
    addPage(name, "x" + std::to_string(i));
    ::unlink((output + name).c_str());  // removed from the output folder by hand
  }
  const auto before = rows();
  const PublishOutcome out = publish(kPublishNextLimit);
  EXPECT_EQ(out.errors, 10);
  EXPECT_EQ(out.skipped, 2);
  EXPECT_TRUE(hasPlainLine("...m10.html upload failed."));
  EXPECT_TRUE(hasLine("Upload complete with 10 error(s).", colours::kRed));
  EXPECT_TRUE(hasPlainLine("2 record(s) skipped."));
  EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const auto& l) {
    return l.colour == colours::kRed && l.text.rfind("  FTP Data IP/Port     = ", 0) == 0;
  }));
  EXPECT_EQ(rows(), before);
  EXPECT_TRUE(serverFiles().empty());
}

TEST_F(FtpRunTest, NamesThatAreNotPlainFileNamesAreNeverSent) {
  startServer();
  addPage("ok.html", "fine");
  blog->tblPages().insertRecord({"../escape.html", 0, 77, 77});
  blog->tblPages().insertRecord({"sub/gone.html", 55, 0, 55});
  const PublishOutcome out = publish();
  EXPECT_EQ(out.errors, 2);
  EXPECT_TRUE(hasLine("...../escape.html is not a plain file name; skipped.", colours::kRed));
  EXPECT_TRUE(hasLine("...sub/gone.html is not a plain file name; skipped.", colours::kRed));
  EXPECT_EQ(serverFiles(), (std::vector<std::string>{"ok.html"}));
  EXPECT_EQ(rows().at("../escape.html"), (PageState{0, 77}));
  EXPECT_EQ(rows().at("sub/gone.html"), (PageState{55, 0}));
}

TEST_F(FtpRunTest, AWrongPasswordFailsTheLogonAndChangesNothing) {
  startServer();
  options().FTPPassword = "wrong";
  addPage("a.html", "a");
  const auto before = rows();
  const PublishOutcome out = publish();
  EXPECT_FALSE(out.completed);
  EXPECT_TRUE(hasLine("Logon failed", colours::kRed));
  EXPECT_TRUE(hasLine("  FTP  = 530 Authentication failed.", colours::kRed));
  EXPECT_EQ(rows(), before);
  EXPECT_EQ(log.texts().back().rfind("  FTP Data IP/Port     = ", 0), 0u);
}

TEST_F(FtpRunTest, MissingSettingsAndUnreachableServers) {
  addPage("a.html", "a");
  options().FTPSite = "ab";
  PublishOutcome out = publish();
  EXPECT_FALSE(out.completed);
  EXPECT_EQ(log.texts(),
            (std::vector<std::string>{"Publish plan: 1 file(s) to send (1 new, 0 changed, 1 bytes), 0 file(s) to "
                                      "delete.",
                                      "*** Warning: Can not upload files yet - FTP information required.",
                                      "*** Please visit the OPTIONS page for PUBLISHING OPTIONS and enter your FTP "
                                      "information before trying to upload."}));
  EXPECT_TRUE(log.lines[1].coloured && log.lines[2].coloured);

  // An empty port means 21, in the options too; nothing listens there on loopback here.
  log.lines.clear();
  options().FTPSite = "127.0.0.1";
  options().FTPPort = "";
  options().FTPUserid = "";
  out = publish();
  EXPECT_EQ(options().FTPPort, "21");
  EXPECT_TRUE(hasPlainLine("Logging on to 127.0.0.1 port 21 as user "));
  EXPECT_TRUE(hasLine("Logon failed", colours::kRed));

  // A server that never answers: the logon fails after the time-out.
  log.lines.clear();
  ScriptedFtpServer silent;
  silent.greet("");
  silent.start();
  aimAt("127.0.0.1", silent.port());
  out = PublishFTP(*blog, output, log, kPublishAllLimit, [](TFTPSend& s) { s.Timeout = 300; });
  EXPECT_FALSE(out.completed);
  EXPECT_TRUE(hasLine("Logon failed", colours::kRed));
  EXPECT_EQ(rows().at("a.html").existing, 0);
}

TEST_F(FtpRunTest, TheDirectoryCheckAsksWhenTheServerIsElsewhere) {
  struct Case {
    std::string target;
    std::vector<std::string> pwd;  // PWD replies in turn
    bool asks;
  };
  const std::vector<Case> cases = {
      {"www", {"257 \"/home/tess\"\r\n", "257 \"/home/tess/WWW\" is current\r\n"}, false},
      {"/www/", {"257 \"/\"\r\n", "257 \"/www\"\r\n"}, false},
      {"/home/tess/www", {"257 \"/home/tess\"\r\n", "257 \"/home/tess/www\"\r\n"}, true},
      {"", {"257 \"/home/tess\"\r\n"}, false},
  };
  addPage("a.html", "a");
  for (const Case& c : cases) {
    for (store::Answer answer : {store::Answer::Cancel, store::Answer::Ok}) {
      if (!c.asks && answer == store::Answer::Ok) continue;
      ScriptedFtpServer server;
      server.onEach("PWD", c.pwd);
      server.start();
      aimAt("127.0.0.1", server.port());
      options().FTPTargetDirectory = c.target;
      ui.questions.clear();
      ui.answers = {answer};
      log.lines.clear();
      publish(kPublishAllLimit, 3000);
      server.join();
      EXPECT_EQ(ui.questions.size(), c.asks ? 1u : 0u) << c.target;
      const bool uploaded = (server.stored().count("a.html") > 0);
      EXPECT_EQ(uploaded, !c.asks || answer == store::Answer::Ok) << c.target;
      EXPECT_TRUE(server.received("QUIT"));
      if (c.asks) {
        EXPECT_EQ(ui.questions[0],
                  "Current directory is now /home/tess/www\n\nand not /home/tess/www\n\nso target directory may be "
                  "wrong...\n\nProceed with upload?");
      }
      if (c.asks && answer == store::Answer::Cancel) {
        EXPECT_EQ(log.texts().back(), "Current directory is now /home/tess/www");
      }
      if (uploaded) {
        // Back to "new" for the next case.
        blog->tblPages().findKey(std::string("a.html"));
        blog->tblPages().edit();
        blog->tblPages().setInteger("PageCRCExisting", 0);
        blog->tblPages().post();
      }
    }
  }
}

TEST_F(FtpRunTest, ADirectoryThatCannotBeMadeEndsTheRun) {
  ScriptedFtpServer server;
  server.on("CWD", "550 No such directory\r\n");
  server.on("MKD", "550 Permission denied\r\n");
  server.start();
  aimAt("127.0.0.1", server.port());
  options().FTPTargetDirectory = "www";
  addPage("a.html", "a");
  const PublishOutcome out = publish();
  server.join();
  EXPECT_FALSE(out.completed);
  EXPECT_TRUE(hasLine("Error creating Directory www", colours::kRed));
  EXPECT_TRUE(hasLine("Giving up!", colours::kRed));
  EXPECT_TRUE(hasLine("  FTP  = 550 Permission denied", colours::kRed));
  EXPECT_TRUE(server.received("QUIT"));
  EXPECT_FALSE((server.stored().count("a.html") > 0));
  EXPECT_EQ(rows().at("a.html").existing, 0);
}

TEST_F(FtpRunTest, ARunBrokenOffMidWayKeepsWhatWasSentAndTheNextRunSendsOnlyTheRest) {
  addPage("a.html", "a");
  addPage("b.html", "b");
  addPage("c.html", "c");
  addPage("d.html", "d");
  addOrphan("gone.html", 7);
  {
    // The connection drops as the third file starts.
    ScriptedFtpServer server;
    server.onEach("STOR", {"150 Go\r\n", "150 Go\r\n", "<close>"});
    server.start();
    aimAt("127.0.0.1", server.port());
    const PublishOutcome out = publish(kPublishAllLimit, 2000);
    server.join();
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.errors, 1);
    EXPECT_EQ(out.skipped, 2);  // d.html and the deletion
    EXPECT_TRUE(hasPlainLine("...c.html upload failed."));
    EXPECT_TRUE(hasLine("The connection to the server is lost: 2 file(s) left for the next run.", colours::kRed));
    EXPECT_FALSE(server.received("DELE gone.html"));
    EXPECT_EQ(server.stored(), (std::map<std::string, std::string>{{"a.html", "a"}, {"b.html", "b"}}));
  }
  EXPECT_EQ(rows().at("a.html").existing, testing::crcOf("a"));
  EXPECT_EQ(rows().at("b.html").existing, testing::crcOf("b"));
  EXPECT_EQ(rows().at("c.html").existing, 0);
  EXPECT_EQ(rows().at("d.html").existing, 0);

  log.lines.clear();
  ScriptedFtpServer again;
  again.start();
  aimAt("127.0.0.1", again.port());
  const PublishOutcome out = publish(kPublishAllLimit, 2000);
  again.join();
  EXPECT_EQ(out.errors, 0);
  EXPECT_EQ(linesFrom("...Uploading c.html"),
            (std::vector<std::string>{"...Uploading c.html", "...Uploading d.html", "...Deleting gone.html",
                                      "Logging out.", "Upload complete."}));
  EXPECT_EQ(again.stored(), (std::map<std::string, std::string>{{"c.html", "c"}, {"d.html", "d"}}));
  EXPECT_EQ(rows().size(), 4u);
  for (const auto& [name, state] : rows()) EXPECT_EQ(state.existing, state.crcNew) << name;
}

TEST_F(FtpRunTest, ADeleteTheServerRefusesIsAnErrorAndKeepsTheRow) {
  ScriptedFtpServer server;
  server.on("DELE d.html", "550 Permission denied.\r\n");
  server.start();
  aimAt("127.0.0.1", server.port());
  addOrphan("d.html", 99);
  const PublishOutcome out = publish(kPublishAllLimit, 2000);
  server.join();
  EXPECT_EQ(out.errors, 1);
  EXPECT_TRUE(hasPlainLine("...d.html not deleted."));
  EXPECT_EQ(rows().at("d.html"), (PageState{99, 0}));
}

TEST_F(FtpRunTest, EachDeleteIsStoredBeforeTheNextCommand) {
  ScriptedFtpServer server;
  server.start();
  aimAt("127.0.0.1", server.port());
  addOrphan("a.html", 11);
  addOrphan("b.html", 12);
  addPage("c.html", "c");
  // What another reader of the blog file sees when each command goes out.
  std::vector<std::string> seen;
  const std::string file = program.file("site.zdb");
  auto committedKeys = [file] {
    std::string keys;
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT PageKey FROM tblPages ORDER BY PageKey", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) keys += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) + " ";
    sqlite3_finalize(st);
    sqlite3_close(db);
    return keys;
  };
  const PublishOutcome out = PublishPages(*blog, output, log, kPublishAllLimit, [&](TFTPSend& s) {
    s.Timeout = 2000;
    s.OnStatus = [&](TFTPSend&, bool response, const std::string& value) {
      if (!response && (value == "DELE b.html" || value.rfind("EPSV", 0) == 0))
        seen.push_back(value + ": " + committedKeys());
    };
  });
  server.join();
  EXPECT_EQ(out.errors, 0);
  // Deletions come after the uploads.
  EXPECT_EQ(seen, (std::vector<std::string>{"EPSV 1: a.html b.html c.html ", "DELE b.html: b.html c.html "}));
}

TEST_F(FtpRunTest, APageWhoseLocalCopyIsNotCompleteIsNotUploaded) {
  ScriptedFtpServer server;
  server.start();
  aimAt("127.0.0.1", server.port());
  addPage("a.html", "as recorded");
  addPage("b.html", "b");
  blog->database().exec("UPDATE tblPages SET PageCRCLocal = 5 WHERE PageKey = 'a.html'");
  const PublishOutcome out = publish(kPublishAllLimit, 2000);
  server.join();
  EXPECT_TRUE(hasLine("...a.html skipped: its file in the output folder is not the one the last generation run "
                      "produced.",
                      colours::kRed));
  EXPECT_FALSE((server.stored().count("a.html") > 0));
  EXPECT_TRUE((server.stored().count("b.html") > 0));
  EXPECT_EQ(rows().at("a.html").existing, 0);
  EXPECT_EQ(out.incomplete, 1);
}

TEST_F(FtpRunTest, APassiveReplyNamingAnotherAddressIsLoggedAndIgnored) {
  ScriptedFtpServer server;
  server.on("EPSV 1", "500 No\r\n");
  server.on("PASV", "227 Entering Passive Mode (127,0,0,2,{pasvport})\r\n");
  server.start();
  aimAt("127.0.0.1", server.port());
  addPage("a.html", "a");
  const PublishOutcome out = publish(kPublishAllLimit, 2000);
  server.join();
  EXPECT_EQ(out.errors, 0);
  EXPECT_EQ(server.stored().at("a.html"), "a");
  EXPECT_TRUE(hasPlainLine("The server's passive reply named 127.0.0.2; connecting to 127.0.0.1 instead."));
}

TEST_F(FtpRunTest, AFileThatCannotBeReadEndsTheRunWithAnError) {
  ScriptedFtpServer server;
  server.start();
  aimAt("127.0.0.1", server.port());
  addPage("a.html", "a");
  addPage("b.html", "b");
  ::chmod((output + "b.html").c_str(), 0);
  if (::access((output + "b.html").c_str(), R_OK) == 0) GTEST_SKIP() << "running with rights to read any file";
  EXPECT_THROW(publish(), std::system_error);
  EXPECT_EQ(rows().at("a.html").existing, testing::crcOf("a"));
  EXPECT_FALSE(hasPlainLine("Logging out."));
}

// The client alone against the real server: PASV and PORT, and resume support.
TEST_F(FtpRunTest, TheClientUsesOldCommandsWhenForcedAndDetectsResume) {
  startServer();
  for (bool passive : {true, false}) {
    TFTPSend ftp;
    std::vector<std::string> sent;
    ftp.OnStatus = [&](TFTPSend&, bool response, const std::string& v) {
      if (!response) sent.push_back(v.substr(0, 4));
    };
    ftp.TargetPort = server->port();
    ftp.UserName = PyFtpServer::kUser;
    ftp.Password = PyFtpServer::kPassword;
    ftp.Timeout = 5000;
    ftp.PassiveMode = passive;
    ftp.ForceOldPort = true;
    ASSERT_TRUE(ftp.LogOn());
    EXPECT_TRUE(ftp.CanResume());
    ftp.DataStream = passive ? "passive" : "active";
    EXPECT_TRUE(ftp.UploadFile(passive ? "p.txt" : "a.txt", false));
    EXPECT_EQ(ftp.CurrentDirectory(), "/");
    EXPECT_TRUE(ftp.MakeDirectory("d"));
    EXPECT_TRUE(ftp.ChangeDirectory("d"));
    EXPECT_TRUE(ftp.ParentDirectory());
    EXPECT_FALSE(ftp.RemoveFile("nothing.txt"));
    EXPECT_TRUE(ftp.LogOff());
    EXPECT_NE(std::find(sent.begin(), sent.end(), passive ? "PASV" : "PORT"), sent.end());
    EXPECT_EQ(std::find(sent.begin(), sent.end(), passive ? "EPSV" : "EPRT"), sent.end());
    ::rmdir((root + "/d").c_str());
  }
  EXPECT_EQ(testing::readFile(root + "/p.txt"), "passive");
  EXPECT_EQ(testing::readFile(root + "/a.txt"), "active");
}

}  // namespace
}  // namespace tessary::publish

namespace tessary::publish {
namespace {

// The commands of the conversation, as the blue lines show them.
std::vector<std::string> sentCommands(const testing::RecordingLog& log) {
  std::vector<std::string> sent;
  for (const auto& l : log.lines)
    if (l.colour == colours::kBlue && l.text.rfind("  FTP = ", 0) == 0 && !std::isdigit(static_cast<unsigned char>(l.text[8])))
      sent.push_back(l.text.substr(8));
  return sent;
}

class SafeUploadTest : public FtpRunTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SafeUploadTest, EachFileGoesUpUnderATemporaryNameAndIsRenamedIntoPlace) {
  const std::string host = GetParam();
  if (host == "::1" && !ipv6LoopbackAvailable()) GTEST_SKIP() << "no IPv6 loopback";
  startServer(host);
  options().ShowFTPConversation = 1;
  testing::writeFile(root + "/b.html", "old b");
  addPage("a.html", "<p>a</p>");
  addPage("b.html", "<p>new b</p>", 1);
  const PublishOutcome out = publish();
  EXPECT_EQ(out.errors, 0) << ::testing::PrintToString(log.texts());
  const std::string family = host == "::1" ? "2" : "1";
  const std::vector<std::string> sent = sentCommands(log);
  const auto first = std::find(sent.begin(), sent.end(), "EPSV " + family);
  ASSERT_NE(first, sent.end());
  ASSERT_GE(sent.end() - first, 5);
  EXPECT_EQ(std::vector<std::string>(first, first + 5),
            (std::vector<std::string>{"EPSV " + family, "STOR a.html.tessary-upload", "SIZE a.html.tessary-upload",
                                      "RNFR a.html.tessary-upload", "RNTO a.html"}));
  EXPECT_NE(std::find(sent.begin(), sent.end(), "RNTO b.html"), sent.end());
  // Nothing is left under a temporary name, and the old page was replaced whole.
  EXPECT_EQ(serverFiles(), (std::vector<std::string>{"a.html", "b.html"}));
  EXPECT_EQ(serverFile("b.html"), "<p>new b</p>");
}

INSTANTIATE_TEST_SUITE_P(Loopback, SafeUploadTest, ::testing::Values("127.0.0.1", "::1"));

TEST_F(FtpRunTest, AMassDeletionIsAskedFirstAndNoDeletesNothing) {
  startServer();
  for (int i = 0; i < 60; ++i) {
    const std::string name = "old" + std::to_string(i) + ".html";
    testing::writeFile(root + "/" + name, "old");
    addOrphan(name, 100 + i);
  }
  for (int i = 0; i < 10; ++i) addPage("p" + std::to_string(i) + ".html", "same", testing::crcOf("same"));
  addPage("new.html", "new");
  ui.answers = {store::Answer::No};
  PublishOutcome out = publish();
  EXPECT_EQ(ui.questions, (std::vector<std::string>{"This publish will delete 60 of the 70 files on the server. Continue?"}));
  EXPECT_EQ(out.acted, 1);
  EXPECT_EQ(out.skipped, 60);
  EXPECT_TRUE(hasLine("Nothing will be deleted: the deletion of 60 file(s) was not confirmed.", colours::kRed));
  EXPECT_EQ(serverFiles().size(), 61u);  // the 60 old files and the new one
  EXPECT_EQ(rows().size(), 71u);

  log.lines.clear();
  ui.questions.clear();
  ui.answers = {store::Answer::Yes};
  out = publish();
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(out.acted, 60);
  EXPECT_EQ(out.errors, 0);
  EXPECT_EQ(serverFiles(), (std::vector<std::string>{"new.html"}));
  EXPECT_EQ(rows().size(), 11u);
}

TEST_F(FtpRunTest, AFewDeletionsOrAQuarterOfTheSiteAreNotAsked) {
  for (int i = 0; i < 60; ++i) addOrphan("old" + std::to_string(i) + ".html", 100 + i);
  PublishPlan plan = PlanPublish(*blog, output);
  EXPECT_TRUE(isMassDeletion(publishedDeletionsWithin(plan, kPublishAllLimit), plan.publishedCount));
  // "Publish Next 10" reaches only ten deletions.
  EXPECT_EQ(publishedDeletionsWithin(plan, kPublishNextLimit), 10);
  EXPECT_FALSE(isMassDeletion(publishedDeletionsWithin(plan, kPublishNextLimit), plan.publishedCount));
  // 60 deletions of 300 published files are no more than a quarter.
  for (int i = 0; i < 240; ++i) blog->tblPages().insertRecord({"k" + std::to_string(i) + ".html", 5, 5, 5});
  plan = PlanPublish(*blog, output);
  EXPECT_EQ(plan.publishedCount, 300);
  EXPECT_FALSE(isMassDeletion(publishedDeletionsWithin(plan, kPublishAllLimit), plan.publishedCount));
  EXPECT_FALSE(isMassDeletion(50, 60));
}

TEST_F(FtpRunTest, ARenameTheServerRefusesFallsBackToDirectStores) {
  ScriptedFtpServer server;
  server.on("RNTO", "553 Renaming not allowed\r\n");
  server.start();
  aimAt("127.0.0.1", server.port());
  addPage("a.html", "a");
  addPage("b.html", "b");
  const PublishOutcome out = publish(kPublishAllLimit, 2000);
  server.join();
  EXPECT_EQ(out.errors, 0);
  EXPECT_TRUE(hasLine("The server refused to rename a.html.tessary-upload to a.html (553 Renaming not allowed): "
                      "files are stored directly under their names for the rest of this run.",
                      colours::kRed));
  EXPECT_EQ(server.stored(), (std::map<std::string, std::string>{{"a.html", "a"}, {"b.html", "b"}}));
  EXPECT_TRUE(server.received("DELE a.html.tessary-upload"));
  EXPECT_TRUE(server.received("STOR b.html"));
  EXPECT_FALSE(server.received("STOR b.html.tessary-upload"));
  EXPECT_EQ(rows().at("b.html").existing, testing::crcOf("b"));
}

TEST_F(FtpRunTest, AnUploadTheServerCutShortIsAFailure) {
  ScriptedFtpServer server;
  server.on("STOR-DATA", "<keep 100>");  // and replies 226 all the same
  server.start();
  aimAt("127.0.0.1", server.port());
  addPage("a.html", std::string(1000, 'a'));
  addOrphan("gone.html", 5);
  const PublishOutcome out = publish(kPublishAllLimit, 2000);
  server.join();
  EXPECT_EQ(out.errors, 1);
  EXPECT_TRUE(hasPlainLine("...a.html: the server holds 100 of its 1000 bytes."));
  EXPECT_TRUE(hasPlainLine("...a.html upload failed."));
  EXPECT_EQ(rows().at("a.html").existing, 0);
  // Nothing truncated stays on the server, and no deletion follows a failed upload.
  EXPECT_TRUE(server.stored().empty());
  EXPECT_FALSE(server.received("DELE gone.html"));
  EXPECT_TRUE(hasLine("Deletions wait until every upload has succeeded: 1 file(s) not deleted.", colours::kRed));
}

// A server that sends its text a piece at a time, as slowly as asked.
class DripServer {
 public:
  DripServer(std::vector<std::string> pieces, int intervalMs) {
    listener_.listen("127.0.0.1", "0");
    thread_ = std::thread([this, pieces = std::move(pieces), intervalMs] {
      Socket peer = listener_.accept(5000);
      for (const std::string& p : pieces) {
        if (stop_ || !peer.isOpen() || !peer.sendBytes(p, 1000)) break;
        for (int waited = 0; waited < intervalMs && !stop_; waited += 10)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
  }
  ~DripServer() {
    stop_ = true;
    thread_.join();
  }
  std::string port() const { return listener_.localPort(); }

 private:
  Socket listener_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(FtpRunTest, SlowAndSilentServersAreBoundedAndSayWhatHappened) {
  auto timed = [&](const std::string& port) {
    aimAt("127.0.0.1", port);
    log.lines.clear();
    const auto start = std::chrono::steady_clock::now();
    publish(kPublishAllLimit, 500);
    return std::chrono::steady_clock::now() - start;
  };
  addPage("a.html", "a");
  {
    // A byte at a time: each wait is short, the whole reply is not.
    DripServer drip(std::vector<std::string>(100, "2"), 100);
    EXPECT_LT(timed(drip.port()), std::chrono::seconds(3));
    EXPECT_TRUE(hasLine("  FTP  = timed out after 0.5 s waiting for the greeting", colours::kRed));
  }
  {
    // A preliminary reply again and again: the whole logon is bounded.
    DripServer drip(std::vector<std::string>(100, "120 Wait\r\n"), 100);
    EXPECT_LT(timed(drip.port()), std::chrono::seconds(3));
    EXPECT_TRUE(hasLine("Logon failed", colours::kRed));
  }
  // Silent after EPSV: one time-out ends the run, not one a file.
  for (int i = 0; i < 12; ++i) addPage("m" + std::to_string(i) + ".html", "m");
  ScriptedFtpServer silent;
  silent.on("EPSV 1", "<silent>");
  silent.start();
  EXPECT_LT(timed(silent.port()), std::chrono::seconds(4));
  silent.join();
  EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const auto& l) {
    return l.text.rfind("  FTP  = timed out after 0.", 0) == 0 && util::endsWith(l.text, "waiting for the reply to EPSV 1");
  })) << ::testing::PrintToString(log.texts());
  EXPECT_TRUE(hasLine("The connection to the server is lost: 12 file(s) left for the next run.", colours::kRed));
  EXPECT_EQ(silent.commands().back(), "EPSV 1");
}

}  // namespace
}  // namespace tessary::publish

namespace tessary::publish {
namespace {

class FtpsTest : public FtpRunTest {
 protected:
  void SetUp() override {
    FtpRunTest::SetUp();
    if (std::system("command -v openssl >/dev/null") != 0) GTEST_SKIP() << "no openssl to make certificates";
    const std::string d = program.path();
    ASSERT_EQ(sh("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=TestCA "
                 "-keyout " + d + "/ca.key -out " + d + "/ca.pem"), 0);
  }
  int sh(const std::string& command) { return testing::runCommand(command + " >/dev/null 2>&1"); }
  // A server certificate (with its key, in one PEM file) for the names of
  // subjectAltName, self-signed or signed by the test's CA.
  std::string certificate(const std::string& name, const std::string& altNames, bool byCa) {
    const std::string d = program.path() + "/" + name;
    testing::writeFile(d + ".ext", "subjectAltName=" + altNames + "\n");
    int rc;
    if (byCa) {
      rc = sh("openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj /CN=" + name +
              " -keyout " + d + ".key -out " + d + ".csr") ||
           sh("openssl x509 -req -days 2 -in " + d + ".csr -CA " + program.path() + "/ca.pem -CAkey " + program.path() +
              "/ca.key -CAcreateserial -extfile " + d + ".ext -out " + d + ".crt");
    } else {
      rc = sh("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=" + name +
              " -addext subjectAltName=" + altNames + " -keyout " + d + ".key -out " + d +
              ".crt");
    }
    EXPECT_EQ(rc, 0);
    testing::writeFile(d + ".pem", testing::readFile(d + ".crt") + testing::readFile(d + ".key"));
    return d + ".pem";
  }
  // The SHA-256 fingerprint as openssl prints it: AB:CD:...
  std::string fingerprintOf(const std::string& pem) {
    std::string out;
    testing::runCommand("openssl x509 -noout -fingerprint -sha256 -in " + pem, &out);
    const size_t eq = out.find('=');
    return eq == std::string::npos ? std::string() : util::trim(out.substr(eq + 1));
  }
  PublishOutcome publishWith(const std::string& trustFile = "") {
    return PublishPages(*blog, output, log, kPublishAllLimit, [trustFile](TFTPSend& s) {
      s.Timeout = 5000;
      s.ExtraTrustFile = trustFile;
    });
  }
  std::vector<std::string> conversation() {
    std::vector<std::string> out;
    for (const auto& l : log.lines)
      if (l.colour == colours::kBlue) out.push_back(l.text);
    return out;
  }
  bool said(const std::string& line) {
    const auto c = conversation();
    return std::find(c.begin(), c.end(), "  FTP = " + line) != c.end();
  }
};

TEST_F(FtpsTest, TlsRequiredAgainstAServerWithoutTlsSendsNoPassword) {
  ScriptedFtpServer server;  // AUTH TLS is an unknown command there
  server.start();
  aimAt("127.0.0.1", server.port());
  options().FTPUserid = "tess";
  options().FTPPassword = "secret";
  options().FTPSecurity = 2;
  addPage("a.html", "a");
  EXPECT_FALSE(publish(kPublishAllLimit, 2000).completed);
  server.join();
  EXPECT_EQ(server.commands(), (std::vector<std::string>{"AUTH TLS"}));
  EXPECT_TRUE(hasLine("Logon failed", colours::kRed));
  EXPECT_TRUE(hasLine("  FTP  = The server does not offer TLS, which this blog requires: the logon stops here.",
                      colours::kRed));

  // When TLS is only wanted, the run goes on in plain FTP and says so.
  log.lines.clear();
  ScriptedFtpServer plain;
  plain.start();
  aimAt("127.0.0.1", plain.port());
  options().FTPSecurity = 1;
  EXPECT_EQ(publish(kPublishAllLimit, 2000).errors, 0);
  plain.join();
  EXPECT_TRUE(hasPlainLine("The server does not offer TLS: logging on in plain FTP."));
  EXPECT_EQ(plain.stored().at("a.html"), "a");
}

TEST_F(FtpsTest, ASelfSignedCertificateIsRefusedThenTrustedByItsFingerprint) {
  const std::string pem = certificate("self", "DNS:localhost,IP:127.0.0.1", false);
  startServer("127.0.0.1", pem);
  options().FTPSecurity = 2;
  options().ShowFTPConversation = 1;
  addPage("a.html", "<p>secret page</p>");
  PublishOutcome out = publishWith();
  EXPECT_FALSE(out.completed);
  const std::string fingerprint = fingerprintOf(pem);
  ASSERT_EQ(fingerprint.size(), 95u) << fingerprint;
  EXPECT_TRUE(hasLine("The server's certificate was refused. Its SHA-256 fingerprint is " + fingerprint +
                          "; once you have checked it, enter it as FTP Certificate Fingerprint to trust this "
                          "certificate for this blog.",
                      colours::kRed))
      << ::testing::PrintToString(log.texts());
  EXPECT_FALSE(said("USER tess"));
  EXPECT_EQ(rows().at("a.html").existing, 0);

  log.lines.clear();
  options().FTPCertificateFingerprint = util::lowerAscii(util::replaceAll(fingerprint, ":", ""));
  out = publishWith();
  EXPECT_TRUE(out.completed);
  EXPECT_EQ(out.errors, 0) << ::testing::PrintToString(log.texts());
  EXPECT_TRUE(said("AUTH TLS") && said("PBSZ 0") && said("PROT P"));
  EXPECT_EQ(serverFile("a.html"), "<p>secret page</p>");
  // The server saw the data connections protected (it refuses any other).
  EXPECT_NE(testing::readFile(program.file("ftpd.log")).find("PROT P"), std::string::npos);
  EXPECT_EQ(rows().at("a.html").existing, testing::crcOf("<p>secret page</p>"));
}

TEST_F(FtpsTest, ACertificateForAnotherHostIsRefusedAndOneForThisHostIsTrusted) {
  addPage("a.html", "a");
  options().FTPSecurity = 2;
  startServer("127.0.0.1", certificate("other", "DNS:other.example", true));
  EXPECT_FALSE(publishWith(program.path() + "/ca.pem").completed);
  EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const auto& l) {
    return l.text.rfind("The server's certificate was refused.", 0) == 0;
  }));
  server.reset();

  log.lines.clear();
  startServer("127.0.0.1", certificate("this", "IP:127.0.0.1", true));
  const PublishOutcome out = publishWith(program.path() + "/ca.pem");
  EXPECT_EQ(out.errors, 0) << ::testing::PrintToString(log.texts());
  EXPECT_TRUE(out.completed);
  EXPECT_EQ(serverFile("a.html"), "a");
}

}  // namespace
}  // namespace tessary::publish
