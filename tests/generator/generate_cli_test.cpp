// The generator's commands of tessary-cli, and runs that fail part-way (a full
// disk simulated by a file size limit in the child process).
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "store/blog_db.h"
#include "support/test_support.h"
#include "util/crc32.h"
#include "util/files.h"

namespace tessary::generator {
namespace {

using testing::TempDir;

class GenerateCliTest : public ::testing::Test {
 protected:
  int cli(const std::string& args, std::string* out = nullptr, const std::string& limits = "") {
    std::string cmd = "cd " + dir_.path() + " && " + limits + "exec " + testing::cliPath() + " --program-folder " +
                      dir_.path() + " " + args + " 2>&1";
    return testing::runCommand("sh -c '" + cmd + "'", out);
  }
  std::string blog() const { return dir_.file("b.zdb"); }
  std::string out() const { return dir_.path() + "/HTML/b/"; }

  // PageKey -> {existing, new, local}, from the pages command.
  std::map<std::string, std::vector<long>> pages() {
    std::string text;
    EXPECT_EQ(cli("pages " + blog(), &text), 0) << text;
    std::map<std::string, std::vector<long>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string key, a, b, c;
      std::getline(fields, key, '\t');
      std::getline(fields, a, '\t');
      std::getline(fields, b, '\t');
      std::getline(fields, c, '\t');
      rows[key] = {std::stol(a), std::stol(b), std::stol(c)};
    }
    return rows;
  }

  // Every produced row has its file, with the content the row records.
  void expectConsistent() {
    for (const auto& [key, crcs] : pages()) {
      if (crcs[1] == 0) continue;
      EXPECT_EQ(crcs[2], crcs[1]) << key;
      EXPECT_EQ(static_cast<long>(util::crcToStored(util::CalculateCRC32File(out() + key))), crcs[1]) << key;
    }
  }

  TempDir dir_;
};

TEST_F(GenerateCliTest, GeneratePagesPreviewAndMarkCommands) {
  std::string text;
  ASSERT_EQ(cli("new " + blog(), &text), 0) << text;
  EXPECT_EQ(cli("preview-path " + blog(), &text), 1);
  EXPECT_EQ(text, "Error: Index File is missing. Preview failed.\n\n" + out() + "index.html\n");

  ASSERT_EQ(cli("generate " + blog(), &text), 0) << text;
  EXPECT_NE(text.find("\nDone!\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Generating HTML\nOutput Location is " + out() + "\n"), std::string::npos);
  EXPECT_EQ(text.find("\033["), std::string::npos);  // no colour codes off a terminal
  EXPECT_EQ(cli("preview-path " + blog(), &text), 0);
  EXPECT_EQ(text, out() + "index.html\n");

  auto rows = pages();
  ASSERT_TRUE(rows.count("default.css"));
  EXPECT_EQ(rows["default.css"][0], 0);
  expectConsistent();

  EXPECT_EQ(cli("mark-all-published " + blog(), &text), 1);  // answered No
  EXPECT_EQ(pages()["default.css"][0], 0);
  ASSERT_EQ(cli("--yes mark-all-published " + blog(), &text), 0) << text;
  rows = pages();
  EXPECT_EQ(rows["default.css"][0], rows["default.css"][1]);
  ASSERT_EQ(cli("--yes mark-all-new " + blog(), &text), 0) << text;
  EXPECT_EQ(pages()["default.css"][0], 0);
  EXPECT_EQ(cli("generate", &text), 2);
}

TEST_F(GenerateCliTest, FullDiskStopsTheRunAndTheNextRunRepairs) {
  {
    testing::RecordingUI ui;
    store::BlogDb db(dir_.path(), ui);
    ASSERT_TRUE(db.CreateBlog(blog()));
    store::Table& t = db.tblBlog();
    t.insert();
    t.setDateTime("BlogDateTime", util::encodeDate(2004, 1, 10));
    t.setInteger("BlogPageType", 0);
    t.setString("BlogTitle", "A long entry");
    std::string big;
    while (big.size() < 3'000'000) big += "A long line of text that fills the page. ";
    t.setString("BlogText", big);  // compresses to a few kilobytes in the blog file
    t.post();
    db.CloseBlog();
  }
  std::string text;
  // 2 MB: the blog file and the template files fit, the month page does not.
  const std::string limit = "ulimit -f 4096; trap \"\" XFSZ; ";
  EXPECT_EQ(cli("generate " + blog(), &text, limit), 1) << text;
  EXPECT_NE(text.find("Error: Cannot write " + out() + "200401.html"), std::string::npos) << text;
  EXPECT_EQ(text.find("Done!"), std::string::npos);
  // The blog file is sound and what was stored stays stored.
  auto rows = pages();
  ASSERT_TRUE(rows.count("200401.html"));
  EXPECT_NE(rows["200401.html"][2], rows["200401.html"][1]);  // no local checksum for the missing file
  EXPECT_FALSE(util::fileExists(out() + "200401.html"));
  EXPECT_TRUE(util::listFiles(out()).size() >= 5u);
  for (const std::string& f : util::listFiles(out())) EXPECT_NE(f[0], '.') << "temporary file left: " << f;

  ASSERT_EQ(cli("generate " + blog(), &text), 0) << text;
  expectConsistent();
  EXPECT_TRUE(util::fileExists(out() + "200401.html"));
  EXPECT_TRUE(util::fileExists(out() + "index.html"));
}

}  // namespace
}  // namespace tessary::generator
