// Whole generation runs with small template packages of a test's own: what the
// package's files, the entry records and the stored files make of the pages.
#include <gtest/gtest.h>

#include <memory>

#include "generator/html_gen.h"
#include "support/test_support.h"
#include "templates/package.h"
#include "util/crc32.h"
#include "util/files.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

class TemplateRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blog_ = std::make_unique<store::BlogDb>(dir_.path(), ui_);
    ASSERT_TRUE(blog_->CreateBlog(dir_.file("site.zdb")));
    blog_->database().exec("DELETE FROM tblBlog");
    blog_->database().notifyDataChanged("tblBlog");
    out_ = dir_.path() + "/HTML/site/";
  }

  int32_t addEntry(int32_t type, util::DateTime when, const std::string& title, const std::string& pageName = "",
                   const std::string& text = "text", const std::string& teaser = "") {
    store::Table& t = blog_->tblBlog();
    t.insert();
    t.setDateTime("BlogDateTime", when);
    t.setInteger("BlogPageType", type);
    t.setString("BlogTitle", title);
    t.setString("BlogText", text);
    t.setString("BlogPageName", pageName);
    t.setString("BlogTeaser", teaser);
    t.setInteger("BlogCategory", -1);
    t.post();
    return t.asInteger("BlogKey");
  }
  void addFile(const std::string& name, const std::string& bytes) {
    store::Table& t = blog_->tblFiles();
    t.insert();
    t.setString("BlogFileName", name);
    t.setString("BlogFile", bytes);
    t.setInteger("BlogFileCRC", util::crcToStored(util::CalculateCRC32String(bytes)));
    t.post();
  }
  // Writes the package beside the program and makes it the blog's choice.
  void usePackage(const std::vector<std::string>& lines) {
    testing::writeFile(dir_.file("mine.tem"), templates::joinPackageLines(lines));
    blog_->options().TemplateFile = "mine.tem";
  }
  void run() {
    Generator gen(*blog_, log_);
    gen.GeneratePages();
  }
  std::string page(const std::string& name) { return testing::readFile(out_ + name); }

  TempDir dir_;
  RecordingUI ui_;
  RecordingLog log_;
  std::unique_ptr<store::BlogDb> blog_;
  std::string out_;
};

// A record padded past the length below which it stands for the Default Layout.
std::string record(const std::string& key, const std::vector<std::string>& slices) {
  templates::SliceList s(10);
  s[0] = key;
  for (size_t i = 0; i < slices.size() && i < 6; ++i) s[i + 1] = slices[i];
  s[9] = std::string(60, ' ');
  return templates::encodeTemplateRecord(s);
}

// An empty file is a valid embedded file: no message about it.
TEST_F(TemplateRunTest, AnEmptyEmbeddedFileIsNoExtractionError) {
  std::vector<std::string> lines = templates::newPackageLines();
  lines[1] = record("1", {"<html>", "", "", "", "", "</html>"});
  lines.push_back(templates::encodeFileRecord("empty.css", ""));
  lines.push_back(templates::encodeFileRecord("site.css", templates::bytesToHex("body{}")));
  usePackage(lines);
  run();
  EXPECT_TRUE(ui_.errors.empty()) << ui_.errors.front();
  EXPECT_TRUE(log_.contains("...Extracting Template File empty.css"));
  EXPECT_EQ(page("site.css"), "body{}");
  EXPECT_TRUE(log_.contains("Done!"));
}

// The article page shows the full text, and the current entry record keeps it:
// the slices that follow on the last archive page show that, not the teaser.
TEST_F(TemplateRunTest, AnArticlePageLeavesTheFullTextInTheCurrentEntryRecord) {
  std::vector<std::string> lines = templates::newPackageLines();
  lines[1] = record("1", {"<html>", "", "", "", "", "</html>"});
  lines[4] = record("4", {"<arch>", "", "", "[each [%entry.title%]]", "[after [%entry.text%]]", "[end [%entry.text%]]"});
  lines[5] = record("5", {"<art>", "[%entry.text%]", "", "", "", "</art>"});
  usePackage(lines);
  blog_->options().HTMLFormatting = 1;
  addEntry(store::kBlogEntry, util::encodeDate(2004, 1, 10), "older");
  addEntry(store::kArticlePage, util::encodeDate(2004, 1, 20), "Long read", "longread", "Full\r\ntext",
           "Just the teaser");
  run();
  EXPECT_EQ(page("longread.html"), "<art>Full<BR>text</art>");
  const std::string month = page("200401.html");
  EXPECT_NE(month.find("[each Long read][after Full<BR>text][end Full<BR>text]"), std::string::npos)
      << month;
}

// An extra file named like the home page in another case: the green line says
// that it takes the home page's place, and it does so only when that is true.
TEST_F(TemplateRunTest, TheOverwriteLineForAFileIsTrue) {
  addEntry(store::kBlogEntry, util::encodeDate(2004, 1, 10), "January");
  addFile("Index.html", "<html>the file</html>");
  run();
  EXPECT_TRUE(log_.contains("processing file Index.html"));
  const bool said = log_.contains("*** This page will overwrite the Blog Index Page ***");
  EXPECT_EQ(said, page("index.html") == "<html>the file</html>");
}

}  // namespace
}  // namespace tessary::generator
