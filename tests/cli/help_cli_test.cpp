// "tessary-cli help": the program's help topics as plain text in a terminal,
// and the usage of a command.
#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.h"

namespace tessary::cli {
namespace {

int help(const std::string& args, std::string* out) {
  return testing::runCommand(testing::cliPath() + " help " + args + " 2>&1", out);
}

size_t codePoints(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

TEST(HelpCliTest, PrintsATopicAsWrappedPlainText) {
  std::string out;
  ASSERT_EQ(help("OptionsFTP", &out), 0) << out;
  EXPECT_EQ(out.rfind("FTP Options\n===========\n\n", 0), 0u) << out;
  EXPECT_NE(out.find("\"FTP Host\" (option 501 \"FTP Site\")"), std::string::npos) << out;
  EXPECT_NE(out.find("  - "), std::string::npos);
  EXPECT_EQ(out.find('<'), std::string::npos) << "no markup is left";
  EXPECT_EQ(out.find("&quot;"), std::string::npos);
  std::istringstream lines(out);
  for (std::string l; std::getline(lines, l);) EXPECT_LE(codePoints(l), 78u) << l;
  // Letter case does not matter in a terminal; examples keep their markup, indented.
  ASSERT_EQ(help("packagefunctionsslice", &out), 0);
  EXPECT_NE(out.find("\n    [%IFNOTBLANK~~[%ISHOMEPAGE%]~~<p>Welcome to my blog!</p>%]\n"), std::string::npos) << out;
  EXPECT_NE(out.find("**[**%"), std::string::npos);
}

TEST(HelpCliTest, ListsCommandsAndEveryTopic) {
  std::string out;
  ASSERT_EQ(help("", &out), 0);
  EXPECT_NE(out.find("\n  generate "), std::string::npos) << out;
  const size_t topics = out.find("Help topics");
  ASSERT_NE(topics, std::string::npos);
  std::istringstream lines(out.substr(topics));
  std::string l;
  std::getline(lines, l);
  int n = 0;
  for (; std::getline(lines, l);) {
    std::istringstream words(l);
    std::string name;
    words >> name;
    std::string text;
    ASSERT_EQ(help(name, &text), 0) << name;
    EXPECT_GT(text.size(), 100u) << name;
    ++n;
  }
  EXPECT_EQ(n, 93);
  EXPECT_NE(out.find("\nWelcomeFull"), std::string::npos);
  EXPECT_NE(out.find("\n      OptionsFTP"), std::string::npos) << "level 3 is indented by six";
}

TEST(HelpCliTest, ACommandNameShowsItsUsageAndAnUnknownWordIsRefused) {
  std::string out;
  ASSERT_EQ(help("generate", &out), 0);
  EXPECT_EQ(out.rfind("Usage: tessary-cli generate", 0), 0u) << out;
  EXPECT_EQ(help("NoSuchTopic", &out), 2);
  EXPECT_NE(out.find("no command or help topic named \"NoSuchTopic\""), std::string::npos) << out;
}

}  // namespace
}  // namespace tessary::cli
