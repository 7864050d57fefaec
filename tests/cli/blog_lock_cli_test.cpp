// tessary-cli against a blog another Tessary program (this test) has open:
// every command that opens it is refused at once with the in-use message, and
// the file is not touched; once the other program closes it, they work.
#include <gtest/gtest.h>

#include "store/blog_db.h"
#include "support/test_support.h"
#include "util/files.h"

namespace tessary::cli {
namespace {

class BlogLockCliTest : public ::testing::Test {
 protected:
  int run(const std::string& args, std::string* out = nullptr) {
    return testing::runCommand(testing::cliPath() + " --program-folder " + dir.path() + " " + args + " 2>&1", out);
  }
  testing::TempDir dir;
};

TEST_F(BlogLockCliTest, EveryCommandIsRefusedWhileAnotherProgramHasTheBlogOpen) {
  const std::string file = dir.file("b.zdb");
  ASSERT_EQ(run("new " + file), 0);
  testing::RecordingUI ui;
  store::BlogDb holder(dir.path(), ui);
  holder.OpenBlog(file);
  const std::string before = testing::readFile(file);
  const std::string message = "Blog file " + file + " is in use by another Tessary program.";
  for (const std::string command : {"info", "add-entry", "compact", "repair", "backup", "generate", "export"}) {
    std::string out;
    const std::string args = command == "add-entry" ? " --title T" : "";
    EXPECT_EQ(run(command + " " + file + args, &out), 1) << command << ": " << out;
    EXPECT_NE(out.find(message), std::string::npos) << command << ": " << out;
  }
  EXPECT_EQ(testing::readFile(file), before);
  EXPECT_FALSE(util::fileExists(dir.file("b.new")));
  holder.CloseBlog();
  std::string out;
  EXPECT_EQ(run("add-entry " + file + " --title T", &out), 0) << out;
  EXPECT_EQ(run("compact " + file, &out), 0) << out;
}

}  // namespace
}  // namespace tessary::cli
