// The manual page and the bash completion that are installed with tessary-cli:
// they name every command the program has, and the completion completes.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/test_support.h"

namespace tessary::cli {
namespace {

// The command names, from the overview of "tessary-cli help".
std::vector<std::string> commandNames() {
  std::string out;
  EXPECT_EQ(testing::runCommand(testing::cliPath() + " help", &out), 0);
  std::vector<std::string> names;
  std::istringstream in(out.substr(out.find("\nCommands:\n") + 11));
  for (std::string line; std::getline(in, line) && !line.empty();)
    if (line.rfind("  ", 0) == 0 && line[2] != ' ') names.push_back(line.substr(2, line.find(' ', 2) - 2));
  return names;
}

const std::string kCompletion = std::string(TESSARY_SOURCE_DIR) + "/resources/completion/tessary-cli.bash";

TEST(CliDocsTest, ManPageAndCompletionNameEveryCommand) {
  const std::vector<std::string> names = commandNames();
  ASSERT_GT(names.size(), 30u);
  const std::string man = testing::readFile(std::string(TESSARY_SOURCE_DIR) + "/docs/tessary-cli.1");
  const std::string completion = testing::readFile(kCompletion);
  for (const std::string& name : names) {
    std::string roff;  // the name as the page writes it, its hyphens escaped
    for (const char c : name) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(man.find(roff), std::string::npos) << name << " is missing from the manual page";
    EXPECT_TRUE(std::regex_search(completion, std::regex("[\\s\"]" + name + "[\\s\"]")))
        << name << " is missing from the completion";
  }
}

TEST(CliDocsTest, CompletionCompletesCommandsOptionsAndBlogFiles) {
  testing::TempDir dir;
  testing::writeFile(dir.file("my.zdb"), "");
  testing::writeFile(dir.file("my.txt"), "");
  const std::string script = dir.file("complete.sh");
  testing::writeFile(script, "source " + kCompletion +
                                 "\n"
                                 "c() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(( $# - 1 )); _tessary_cli; "
                                 "echo \"${COMPREPLY[*]}\"; }\n"
                                 "c tessary-cli gen\n"
                                 "c tessary-cli --yes set-\n"
                                 "c " +
                                 testing::cliPath() +
                                 " publish x.zdb --li\n"
                                 "c tessary-cli generate my\n"
                                 "c tessary-cli help template-p\n");
  std::string out;
  ASSERT_EQ(testing::runCommand("cd " + dir.path() + " && bash " + script, &out), 0) << out;
  EXPECT_EQ(out, "generate\nset-option\n--limit\nmy.zdb\ntemplate-pack template-preview\n");
}

}  // namespace
}  // namespace tessary::cli
