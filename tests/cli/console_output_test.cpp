// What tessary-cli prints for a person at a terminal: the help, the version,
// set-option's labels, the default template package it provides, the hints
// after messages worded for the desktop windows, and the terminal output
// (colours, the progress line) against output that is not a terminal.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_support.h"
#include "util/files.h"

namespace tessary::cli {
namespace {

class ConsoleOutputTest : public ::testing::Test {
 protected:
  // stderr joins stdout; not a terminal.
  int run(const std::string& args, std::string* out = nullptr) {
    return testing::runCommand(testing::cliPath() + " --program-folder " + dir.path() + " " + args + " 2>&1", out);
  }
  // On a pseudo-terminal (script(1)), with the environment settings in `env`.
  int onTerminal(const std::string& env, const std::string& args, std::string* out) {
    return testing::runCommand("env " + env + " script -qec '" + testing::cliPath() + " --program-folder " +
                                   dir.path() + " " + args + "' /dev/null < /dev/null",
                               out);
  }
  static bool has(const std::string& out, const std::string& what) { return out.find(what) != std::string::npos; }

  testing::TempDir dir;
  std::string blog = dir.file("b.zdb");
};

TEST_F(ConsoleOutputTest, HelpVersionAndHelpAnywhere) {
  std::string out;
  ASSERT_EQ(run("--version", &out), 0);
  EXPECT_EQ(out.rfind("tessary-cli ", 0), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "one line, not the help";
  ASSERT_EQ(run("help", &out), 0);
  EXPECT_TRUE(has(out, "\n  set-option         Set one option")) << out;
  EXPECT_TRUE(has(out, "\n  help               Show the overview"));
  // One command's help, however it is asked for.
  for (const std::string line : {"help publish", "-h publish", "publish --help", "publish my.zdb --help",
                                 "--yes publish my.zdb --limit 3 -h", "help publish --help"}) {
    ASSERT_EQ(run(line, &out), 0) << line << "\n" << out;
    EXPECT_EQ(out.rfind("Usage: tessary-cli publish BLOG.zdb", 0), 0u) << line << "\n" << out;
  }
  EXPECT_EQ(run("help no-such-word", &out), 2);
  EXPECT_TRUE(has(out, "no command or help topic named \"no-such-word\""));
  EXPECT_EQ(run("", &out), 2);  // no command: the overview, as wrong usage
  EXPECT_TRUE(has(out, "Commands:"));
}

TEST_F(ConsoleOutputTest, SetOptionTakesTheLabelsOptionsPrints) {
  std::string out;
  ASSERT_EQ(run("new " + blog + " --answers YNNNN", &out), 0) << out;
  EXPECT_TRUE(has(out, "Created " + blog +
                           " with 3 entries:\n  entry 3: Blog Entry \"Welcome to Tessary\"\n  entry 2: "
                           "Recent Entries Page\n  entry 1: Home Page\n"))
      << out;
  EXPECT_TRUE(has(out, "remove-entry " + blog + " 3\n")) << "the sample entry speaks of a button";
  ASSERT_EQ(run("set-option " + blog + " 511 'publish using file copy'", &out), 0) << out;
  ASSERT_EQ(run("set-option " + blog + " 245 Yes", &out), 0) << out;
  ASSERT_EQ(run("set-option " + blog + " 506 ' On '", &out), 0) << out;
  ASSERT_EQ(run("set-option " + blog + " 104 2", &out), 0) << out;  // numbers still do
  ASSERT_EQ(run("options " + blog, &out), 0);
  EXPECT_TRUE(has(out, "\tPublish using File Copy\n")) << out;
  EXPECT_TRUE(has(out, "\tCreate Daily Pages\n"));
  EXPECT_TRUE(has(out, "506\tFTP Passive Transfer Mode\tOn\n")) << out;
  EXPECT_EQ(run("set-option " + blog + " 511 'Publish by carrier pigeon'", &out), 2);
  EXPECT_TRUE(has(out, "0 \"Publish using FTP\", 1 \"Publish using File Copy\"")) << out;
  EXPECT_EQ(run("set-option " + blog + " 103 Yes", &out), 2) << "103 is a count: no labels";
}

TEST_F(ConsoleOutputTest, ProgramFolderGetsTheDefaultTemplateOnce) {
  std::string out;
  ASSERT_EQ(run("new " + blog), 0);
  ASSERT_EQ(run("generate " + blog, &out), 0) << out;
  EXPECT_TRUE(has(out, "Wrote the built-in template package to " + dir.file("@default.tem"))) << out;
  EXPECT_FALSE(has(out, "Error")) << out;
  EXPECT_TRUE(util::fileExists(dir.file("@default.tem")));
  ASSERT_EQ(run("generate " + blog, &out), 0) << out;
  EXPECT_FALSE(has(out, "Wrote the built-in")) << out;
  EXPECT_FALSE(has(out, "Error")) << out;
  // Every page of the second run differs from its never-published copy: the run says why.
  EXPECT_TRUE(has(out, "never published); a file is reported as changed until it is published")) << out;
  // A package the user changed is never overwritten.
  testing::writeFile(dir.file("@default.tem"), "mine");
  ASSERT_EQ(run("generate " + blog, &out), 0) << out;
  EXPECT_EQ(testing::readFile(dir.file("@default.tem")), "mine");
}

TEST_F(ConsoleOutputTest, HintsAfterMessagesWordedForTheWindows) {
  std::string out;
  ASSERT_EQ(run("new " + blog), 0);
  ASSERT_EQ(run("generate " + blog, &out), 0);
  EXPECT_TRUE(has(out,
                  "BLOG URL. For example http://www.example.com/blog/\nHint for the command line: set option "
                  "102 (Blog Url): tessary-cli set-option " +
                      blog + " 102 "))
      << out;
  EXPECT_TRUE(has(out, "set-option " + blog + " 404 "));
  ASSERT_EQ(run("set-option " + blog + " 511 1"), 0);
  EXPECT_EQ(run("publish " + blog, &out), 1);
  EXPECT_TRUE(has(out, "FILE COPY information before trying to upload.\nHint for the command line: set option 512"))
      << out;
  // A destination that cannot be made: the hint says which folder stands in the way.
  testing::writeFile(dir.file("plain"), "x");
  ASSERT_EQ(run("set-option " + blog + " 512 " + dir.file("plain/site")), 0);
  EXPECT_EQ(run("--yes publish " + blog, &out), 1);
  EXPECT_TRUE(has(out, "*** Unable to create destination directory.\nHint for the command line: ")) << out;
  EXPECT_TRUE(has(out, "set-option " + blog + " 512 FOLDER")) << out;
}

TEST_F(ConsoleOutputTest, TerminalGetsColoursAndOneProgressLine) {
  std::string out;
  ASSERT_EQ(run("new " + blog), 0);
  ASSERT_EQ(onTerminal("TERM=xterm NO_COLOR=", "generate " + blog, &out), 0) << out;
  EXPECT_TRUE(has(out, "\033[31m*** Warning: RSS feed files")) << out;
  EXPECT_FALSE(has(out, "\033[38;2")) << "no true-colour sequences";
  EXPECT_TRUE(has(out, "\r\033[K")) << "the progress line is rewritten in place";
  EXPECT_FALSE(has(out, "...building page index.html\r\n")) << "no scrolling per-file lines";
  EXPECT_TRUE(has(out, "Done!")) << out;

  ASSERT_EQ(onTerminal("TERM=xterm", "--verbose generate " + blog, &out), 0) << out;
  EXPECT_TRUE(has(out, "...building page index.html\r\n")) << out;

  for (const std::string env : {"TERM=xterm NO_COLOR=1", "TERM=dumb"}) {
    ASSERT_EQ(onTerminal(env, "generate " + blog, &out), 0) << out;
    EXPECT_FALSE(has(out, "\033[3")) << env << "\n" << out;
    EXPECT_TRUE(has(out, "*** Warning: RSS feed files")) << env;
  }

  // Not a terminal: every line, no escape sequence at all.
  ASSERT_EQ(run("generate " + blog, &out), 0);
  EXPECT_FALSE(has(out, "\033")) << out;
  EXPECT_TRUE(has(out, "...building page index.html\n"));
}

}  // namespace
}  // namespace tessary::cli
