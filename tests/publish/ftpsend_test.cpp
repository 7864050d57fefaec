// The FTP client against the scripted server: replies a real server will not
// give, hostile and broken servers, and what goes on the wire.
#include "publish/ftpsend.h"

#include <gtest/gtest.h>

#include <chrono>

#include "publish/scripted_ftpd.h"
#include "support/test_support.h"
#include "util/text.h"

namespace tessary::publish {
namespace {

using testing::ScriptedFtpServer;
using testing::TempDir;

bool ipv6LoopbackAvailable() {
  Socket s;
  return s.listen("::1", "0");
}

class TFTPSendTest : public ::testing::Test {
 protected:
  // A session aimed at the server with a short time-out, recording every status event.
  void aim(TFTPSend& ftp, const ScriptedFtpServer& server, int timeoutMs = 3000) {
    ftp.TargetHost = server.host();
    ftp.TargetPort = server.port();
    ftp.Timeout = timeoutMs;
    ftp.UserName = "tess";
    ftp.Password = "secret";
    ftp.OnStatus = [this](TFTPSend&, bool response, const std::string& value) {
      events.push_back((response ? "< " : "> ") + value);
    };
  }
  std::vector<std::string> events;
  TempDir dir;
};

TEST_F(TFTPSendTest, LogOnSendsTheSequenceAndTestsResume) {
  ScriptedFtpServer server;
  server.greet("120 Wait a moment\r\n220 Ready\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_TRUE(ftp.CanResume());
  EXPECT_TRUE(ftp.LogOff());
  server.join();
  EXPECT_EQ(server.commands(), (std::vector<std::string>{"USER tess", "PASS secret", "TYPE I", "STRU F", "MODE S",
                                                         "REST 0", "REST 1", "REST 0", "QUIT"}));
  EXPECT_EQ(events.front(), "< 120 Wait a moment");
  EXPECT_EQ(events[1], "< 220 Ready");
  EXPECT_EQ(events[2], "> USER tess");
}

TEST_F(TFTPSendTest, LogonSequenceOutcomes) {
  struct Case {
    const char* greeting;
    std::map<std::string, std::string> replies;
    bool loggedOn;
    std::vector<std::string> sentBeforeSetup;
  };
  const std::vector<Case> cases = {
      {"421 Too many users\r\n", {}, false, {}},
      {"220 Ready\r\n", {{"USER", "230 No password needed\r\n"}}, true, {"USER tess"}},
      {"220 Ready\r\n", {{"PASS", "530 Login incorrect\r\n"}}, false, {"USER tess", "PASS secret"}},
      {"220 Ready\r\n",
       {{"PASS", "332 Need account\r\n"}, {"ACCT", "332 Still need account\r\n"}},
       false,
       {"USER tess", "PASS secret", "ACCT acc"}},
      {"220 Ready\r\n",
       {{"PASS", "332 Need account\r\n"}, {"ACCT", "230 Account ok\r\n"}},
       true,
       {"USER tess", "PASS secret", "ACCT acc"}},
      {"220 Ready\r\n", {{"USER", "500 What\r\n"}}, false, {"USER tess"}},
  };
  for (const Case& c : cases) {
    ScriptedFtpServer server;
    server.greet(c.greeting);
    for (const auto& [k, v] : c.replies) server.on(k, v);
    server.start();
    TFTPSend ftp;
    aim(ftp, server);
    ftp.Account = "acc";
    EXPECT_EQ(ftp.LogOn(), c.loggedOn) << c.greeting;
    ftp.LogOff();
    server.join();
    std::vector<std::string> got = server.commands();
    got.resize(std::min(got.size(), c.sentBeforeSetup.size() + (c.loggedOn ? 1 : 0)));
    std::vector<std::string> want = c.sentBeforeSetup;
    if (c.loggedOn) want.push_back("TYPE I");
    EXPECT_EQ(got, want) << c.greeting;
  }
}

TEST_F(TFTPSendTest, RepliesAreReadToTheirFinalLineWhateverTheLineEnds) {
  ScriptedFtpServer server;
  server.on("NOOP", "230-Welcome\r\nHello\r\n230 OK\r\n");
  server.on("STAT", "211-Status\rone\n\rtwo\n211 End\r\n");
  server.on("HELP", "214\r\n214 Three characters alone give no code\r\n");
  server.on("SYST", "junk before\r\n215 UNIX\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_EQ(ftp.SendCommand("NOOP"), 230);
  EXPECT_EQ(ftp.ResultString(), "230 OK");
  EXPECT_EQ(ftp.FullResult(), (std::vector<std::string>{"230-Welcome", "Hello", "230 OK"}));
  EXPECT_EQ(ftp.SendCommand("STAT"), 211);
  EXPECT_EQ(ftp.FullResult(), (std::vector<std::string>{"211-Status", "one", "two", "211 End"}));
  EXPECT_EQ(ftp.SendCommand("HELP"), 214);
  EXPECT_EQ(ftp.FullResult().size(), 2u);
  EXPECT_EQ(ftp.SendCommand("SYST"), 215);
  EXPECT_EQ(ftp.FullResult().front(), "junk before");
  ftp.LogOff();
}

TEST_F(TFTPSendTest, AThreeCharacterLineWaitsForACodedLineOrTheTimeOut) {
  ScriptedFtpServer server;
  server.on("NOOP", "220\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server, 300);
  ASSERT_TRUE(ftp.LogOn());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ftp.SendCommand("NOOP"), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // The failure details say what happened instead of showing an empty line.
  ASSERT_EQ(ftp.FullResult().size(), 2u);
  EXPECT_EQ(ftp.FullResult()[0], "220");
  EXPECT_EQ(ftp.FullResult()[1].rfind("timed out after 0.", 0), 0u) << ftp.FullResult()[1];
  EXPECT_TRUE(util::endsWith(ftp.FullResult()[1], " s waiting for the reply to NOOP")) << ftp.FullResult()[1];
  EXPECT_EQ(ftp.ResultString(), "");
  // The conversation is over: a further command is not sent.
  EXPECT_TRUE(ftp.ControlLost());
  EXPECT_EQ(ftp.SendCommand("NOOP"), 0);
  EXPECT_EQ(server.commands().back(), "NOOP");
}

TEST_F(TFTPSendTest, ALongWaitIsToldWhileItLasts) {
  ScriptedFtpServer server;
  server.on("NOOP", "<silent>");
  server.start();
  TFTPSend ftp;
  aim(ftp, server, 700);
  ftp.NoticeAfter = 200;
  std::vector<std::string> notices;
  ftp.OnNotice = [&](const std::string& line) { notices.push_back(line); };
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(ftp.SendCommand("NOOP"), 0);
  ASSERT_GE(notices.size(), 2u);
  EXPECT_EQ(notices[0], "Still waiting for the reply to NOOP after 0.2 s.");
  EXPECT_EQ(notices[1], "Still waiting for the reply to NOOP after 0.4 s.");
}

TEST_F(TFTPSendTest, CurrentDirectoryReadsTheQuotedPath) {
  ScriptedFtpServer server;
  server.on("PWD", "257 \"/home/tess/www\" is current directory\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_EQ(ftp.CurrentDirectory(), "/home/tess/www");
  server.on("PWD", "257 /plain/path\r\n");
  EXPECT_EQ(ftp.CurrentDirectory(), "257 /plain/path");
  server.on("PWD", "257 \"/unterminated \r\n");
  EXPECT_EQ(ftp.CurrentDirectory(), "/unterminated");
  server.on("PWD", "550 No directory\r\n");
  EXPECT_EQ(ftp.CurrentDirectory(), "");
  ftp.LogOff();
}

// Uploads one file of the given content; returns the session's result.
bool uploadOnce(TFTPSend& ftp, const std::string& path, const std::string& content) {
  testing::writeFile(path, content);
  ftp.DirectFile = true;
  ftp.DirectFileName = path;
  return ftp.UploadFile("page.html", false);
}

TEST_F(TFTPSendTest, PassiveFallsBackToPasvWithOrWithoutParentheses) {
  for (const char* pasv : {"227 Entering Passive Mode ({pasv})\r\n", "227 Entering Passive Mode {pasv}\r\n"}) {
    ScriptedFtpServer server;
    server.on("EPSV 1", "500 EPSV not understood\r\n");
    server.on("PASV", pasv);
    server.start();
    TFTPSend ftp;
    aim(ftp, server);
    ASSERT_TRUE(ftp.LogOn());
    EXPECT_TRUE(uploadOnce(ftp, dir.file("a.html"), "<p>hello</p>")) << pasv;
    EXPECT_EQ(ftp.DataIP(), "127.0.0.1");
    ftp.LogOff();
    server.join();
    const auto cmds = server.commands();
    // TYPE I stays set from the logon, and a transfer from the start needs no REST.
    const std::vector<std::string> tail(cmds.end() - 4, cmds.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"EPSV 1", "PASV", "STOR page.html", "QUIT"}));
    EXPECT_EQ(server.stored().at("page.html"), "<p>hello</p>");
  }
}

TEST_F(TFTPSendTest, PassiveReplyNumbersGiveAddressAndPort) {
  // Port 5001 on loopback is closed: the numbers are taken, the connection refused.
  ScriptedFtpServer server;
  server.on("EPSV 1", "500 No\r\n");
  server.on("PASV", "227 Entering Passive Mode (127,0,0,1,19,137)\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_FALSE(uploadOnce(ftp, dir.file("a.html"), "x"));
  EXPECT_EQ(ftp.DataIP(), "127.0.0.1");
  EXPECT_EQ(ftp.DataPort(), "5001");
  EXPECT_FALSE(server.received("STOR page.html"));
}

TEST_F(TFTPSendTest, APassiveReplyNamingAnotherAddressConnectsToTheServerItself) {
  // The data listener is on 127.0.0.1 only: a connection to 127.0.0.2 is refused.
  ScriptedFtpServer server;
  server.on("EPSV 1", "500 No\r\n");
  server.on("PASV", "227 Entering Passive Mode (127,0,0,2,{pasvport})\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_TRUE(uploadOnce(ftp, dir.file("a.html"), "<p>here</p>"));
  EXPECT_EQ(ftp.DataIP(), "127.0.0.1");
  ftp.LogOff();
  server.join();
  EXPECT_EQ(server.stored().at("page.html"), "<p>here</p>");
}

TEST_F(TFTPSendTest, ExtendedPassiveOverIPv6HasNoFallback) {
  if (!ipv6LoopbackAvailable()) GTEST_SKIP() << "no IPv6 loopback on this machine";
  ScriptedFtpServer server(true);
  server.on("EPSV 2", "500 EPSV not understood\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_FALSE(uploadOnce(ftp, dir.file("a.html"), "x"));
  ftp.LogOff();
  server.join();
  EXPECT_TRUE(server.received("EPSV 2"));
  EXPECT_FALSE(server.received("PASV"));
  EXPECT_FALSE(server.received("STOR page.html"));
}

TEST_F(TFTPSendTest, NoRestWhenTheServerRefusedIt) {
  ScriptedFtpServer server;
  server.on("REST 0", "502 REST not implemented\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  EXPECT_FALSE(ftp.CanResume());
  EXPECT_TRUE(uploadOnce(ftp, dir.file("empty.html"), ""));
  ftp.LogOff();
  server.join();
  const auto cmds = server.commands();
  EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "REST 0"), 1);
  EXPECT_FALSE(server.received("REST 1"));
  const std::vector<std::string> tail(cmds.end() - 3, cmds.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"EPSV 1", "STOR page.html", "QUIT"}));
  EXPECT_EQ(server.stored().at("page.html"), "");
}

TEST_F(TFTPSendTest, ActiveModeUsesEprtThenPortAndDeliversEveryByte) {
  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
  for (bool oldPort : {false, true}) {
    ScriptedFtpServer server;
    server.start();
    TFTPSend ftp;
    aim(ftp, server);
    ftp.PassiveMode = false;
    ftp.ForceOldPort = oldPort;
    ASSERT_TRUE(ftp.LogOn());
    EXPECT_TRUE(uploadOnce(ftp, dir.file("big.bin"), big));
    EXPECT_EQ(ftp.DataIP(), "127.0.0.1");
    ftp.LogOff();
    server.join();
    EXPECT_EQ(server.stored().at("page.html"), big);
    const auto cmds = server.commands();
    const int port = std::stoi(ftp.DataPort());
    const std::string eprt = "EPRT |1|127.0.0.1|" + ftp.DataPort() + "|";
    const std::string portCmd = "PORT 127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256);
    EXPECT_EQ(server.received(eprt), !oldPort);
    EXPECT_EQ(server.received(portCmd), oldPort);
  }
}

TEST_F(TFTPSendTest, AMissingLocalFileSendsNothing) {
  ScriptedFtpServer server;
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  const size_t before = server.commands().size();
  ftp.DirectFile = true;
  ftp.DirectFileName = dir.file("missing.html");
  EXPECT_FALSE(ftp.UploadFile("missing.html", false));
  ftp.SendCommand("NOOP");
  EXPECT_EQ(server.commands().size(), before + 1);
  ftp.LogOff();
}

TEST_F(TFTPSendTest, MemoryStreamUploadsAndResumeAsksForTheSize) {
  ScriptedFtpServer server;
  server.on("SIZE page.html", "213 4\r\n");
  server.start();
  TFTPSend ftp;
  aim(ftp, server);
  ASSERT_TRUE(ftp.LogOn());
  ftp.DataStream = "0123456789";
  EXPECT_TRUE(ftp.UploadFile("page.html", true));
  ftp.LogOff();
  server.join();
  EXPECT_TRUE(server.received("REST 4"));
  EXPECT_EQ(server.stored().at("page.html"), "456789");
}

// Servers that misbehave: each ends in a failure within the time-out.
TEST_F(TFTPSendTest, BrokenServersFailWithinTheTimeOut) {
  struct Case {
    const char* what;
    const char* key;
    std::string reply;
    bool atLogOn;
  };
  const std::vector<Case> cases = {
      {"silent after the greeting", "USER", "<silent>", true},
      {"garbage instead of replies", "USER", "garbage\r\nmore garbage\r\n", true},
      {"closes the control connection", "USER", "<close>", true},
      {"a line without end", "USER", "331 " + std::string(70 * 1024, 'x'), true},
      {"a line over 64 KiB", "USER", "331 " + std::string(70 * 1024, 'x') + "\r\n", true},
      {"a reply that never ends", "USER", [] {
         std::string r;
         for (int i = 0; i < 1100; ++i) r += "331-more\r\n";
         return r;
       }(), true},
      {"refuses the data connection", "EPSV", "229 Entering Extended Passive Mode (|||1|)\r\n", false},
      {"closes mid-transfer", "STOR-DATA", "<close>", false},
      {"no reply after the data", "STOR-END", "<silent>", false},
      {"rejects the upload", "STOR", "553 Not allowed\r\n", false},
  };
  for (const Case& c : cases) {
    ScriptedFtpServer server;
    server.on(c.key, c.reply);
    server.start();
    TFTPSend ftp;
    aim(ftp, server, 400);
    const auto start = std::chrono::steady_clock::now();
    const bool loggedOn = ftp.LogOn();
    EXPECT_EQ(loggedOn, !c.atLogOn) << c.what;
    if (loggedOn) {
      EXPECT_FALSE(uploadOnce(ftp, dir.file("a.html"), std::string(200000, 'a'))) << c.what;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.what;
    EXPECT_LE(ftp.FullResult().size(), static_cast<size_t>(TFTPSend::kMaxReplyLines + 1)) << c.what;
  }
}

TEST_F(TFTPSendTest, ConnectionFailuresAreReportedNotRaised) {
  TFTPSend ftp;
  ftp.Timeout = 2000;
  ftp.TargetHost = "127.0.0.1";
  Socket probe;
  ASSERT_TRUE(probe.listen("127.0.0.1", "0"));
  ftp.TargetPort = probe.localPort();
  probe.close();  // nobody listens there now
  EXPECT_FALSE(ftp.LogOn());
  ASSERT_EQ(ftp.FullResult().size(), 1u);
  EXPECT_NE(ftp.FullResult()[0].find("cannot connect"), std::string::npos);
  ftp.TargetHost = "no..such..host";
  EXPECT_FALSE(ftp.LogOn());
  EXPECT_NE(ftp.ResultString().find("no..such..host"), std::string::npos);
  EXPECT_EQ(ftp.ResultCode(), 0);
  EXPECT_FALSE(ftp.LogOff());
}

TEST(SocketTest, LineEndsAndServicePorts) {
  Socket listener;
  ASSERT_TRUE(listener.listen("127.0.0.1", "0"));
  Socket client;
  ASSERT_TRUE(client.connect("localhost", listener.localPort(), "0.0.0.0", 2000));
  EXPECT_FALSE(client.isIPv6());
  Socket server = listener.accept(2000);
  ASSERT_TRUE(server.isOpen());
  ASSERT_TRUE(server.sendBytes("a\r\nb\nc\rd\n\re", 1000));
  EXPECT_EQ(client.recvLine(1000, 100), "a");
  EXPECT_EQ(client.recvLine(1000, 100), "b");
  EXPECT_EQ(client.recvLine(1000, 100), "c");
  EXPECT_EQ(client.recvLine(1000, 100), "d");
  EXPECT_EQ(client.recvLine(200, 100), "");
  EXPECT_EQ(client.lastError(), Socket::kTimedOut);
  server.sendBytes("\n", 1000);
  EXPECT_EQ(client.recvLine(1000, 100), "e");
  server.close();
  EXPECT_EQ(client.recvLine(1000, 100), "");
  EXPECT_EQ(client.lastError(), Socket::kClosedByPeer);

  Socket noAccept;
  ASSERT_TRUE(noAccept.listen("127.0.0.1", "0"));
  EXPECT_FALSE(noAccept.accept(100).isOpen());
  EXPECT_EQ(noAccept.lastError(), Socket::kTimedOut);
  Socket ftpData;
  EXPECT_FALSE(ftpData.connect("127.0.0.1", "no-such-service", "0.0.0.0", 1000));
  EXPECT_EQ(ftpData.lastError(), Socket::kNotResolved);
}

}  // namespace
}  // namespace tessary::publish
