// tessary-cli as a user runs it: exit statuses, where texts go, global options.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tessary::cli {
namespace {

class CliTest : public ::testing::Test {
 protected:
  // Runs the CLI with the temporary folder as program folder; stderr joins stdout.
  int run(const std::string& args, std::string* out = nullptr) {
    return testing::runCommand(testing::cliPath() + " --program-folder " + dir.path() + " " + args + " 2>&1", out);
  }
  testing::TempDir dir;
};

TEST_F(CliTest, NewInfoOptionsAndSetOption) {
  std::string out;
  ASSERT_EQ(run("new " + dir.file("b.zdb") + " --answers YNYNN", &out), 0) << out;
  EXPECT_NE(out.find("Question 5 of 5"), std::string::npos);
  ASSERT_EQ(run("info " + dir.file("b.zdb"), &out), 0);
  EXPECT_NE(out.find("version\t85\n"), std::string::npos);
  EXPECT_NE(out.find("tblBlog\t4\n"), std::string::npos);  // home, recent, links, welcome
  EXPECT_NE(out.find("tblOptions\t77\n"), std::string::npos);
  // Global options may also follow the command.
  ASSERT_EQ(testing::runCommand(testing::cliPath() + " set-option " + dir.file("b.zdb") +
                                " 103 9 --program-folder " + dir.path()),
            0);
  ASSERT_EQ(run("set-option " + dir.file("b.zdb") + " 105 'About this blog'"), 0);
  ASSERT_EQ(run("options " + dir.file("b.zdb"), &out), 0);
  EXPECT_NE(out.find("103\tIndex Entries\t9\n"), std::string::npos);
  EXPECT_NE(out.find("105\tAbout\tAbout this blog\n"), std::string::npos);
  EXPECT_NE(out.find("999\tInternal File Version\t85\n"), std::string::npos);
}

TEST_F(CliTest, ExitStatuses) {
  std::string out;
  EXPECT_EQ(run("--help", &out), 0);
  EXPECT_NE(out.find("set-option"), std::string::npos);
  EXPECT_EQ(run("no-such-command"), 2);
  EXPECT_EQ(run("info"), 2);                       // missing argument
  EXPECT_EQ(run("new x.zdb --answers YY"), 2);     // five letters needed
  EXPECT_EQ(run("info " + dir.file("none.zdb"), &out), 1);
  EXPECT_NE(out.find("none.zdb"), std::string::npos);
  ASSERT_EQ(run("new " + dir.file("b.zdb")), 0);
  EXPECT_EQ(run("new " + dir.file("b.zdb"), &out), 1);
  EXPECT_NE(out.find("Blog already Exists"), std::string::npos);
  EXPECT_EQ(run("set-option " + dir.file("b.zdb") + " 998 x"), 2);
  EXPECT_EQ(run("set-option " + dir.file("b.zdb") + " 103 many"), 2);
}

TEST_F(CliTest, DemoCreatesItsBlogOnce) {
  std::string out;
  ASSERT_EQ(run("demo", &out), 0) << out;
  EXPECT_NE(out.find("Created the demo blog"), std::string::npos);
  ASSERT_EQ(run("demo", &out), 0) << out;
  EXPECT_EQ(out.find("Created the demo blog"), std::string::npos);
}

}  // namespace
}  // namespace tessary::cli
