// A blog in a temporary program folder with tblPages rows and output files made
// by the test, for the publishing runs.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "store/blog_db.h"
#include "support/test_support.h"
#include "util/crc32.h"
#include "util/files.h"

namespace tessary::testing {

struct PageState {
  int32_t existing = 0;
  int32_t crcNew = 0;
  friend bool operator==(const PageState&, const PageState&) = default;
};

inline int32_t crcOf(const std::string& content) { return util::crcToStored(util::CalculateCRC32String(content)); }

class PublishFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    blog = std::make_unique<store::BlogDb>(program.path(), ui);
    ASSERT_TRUE(blog->CreateBlog(program.file("site.zdb")));
    ui.questions.clear();
    output = program.path() + "/HTML/site/";
    ASSERT_TRUE(util::createDirectories(output).ok());
  }
  void TearDown() override {
    if (blog && blog->isOpen()) blog->CloseBlog();
  }

  // A page the last generation run produced: its file in the output folder and
  // its row, published with the checksum `existing` (0: never).
  void addPage(const std::string& name, const std::string& content, int32_t existing = 0) {
    writeFile(output + name, content);
    blog->tblPages().insertRecord({name, existing, crcOf(content), crcOf(content)});
  }
  // A page the last run no longer produced: a row with PageCRCNew 0 and no local file.
  void addOrphan(const std::string& name, int32_t existing) {
    blog->tblPages().insertRecord({name, existing, 0, existing});
  }
  std::map<std::string, PageState> rows() {
    std::map<std::string, PageState> all;
    store::Table& t = blog->tblPages();
    for (t.first(); !t.eof(); t.next())
      all[t.asString("PageKey")] = {t.asInteger("PageCRCExisting"), t.asInteger("PageCRCNew")};
    return all;
  }
  // Lines of the log from the first one equal to `from`.
  std::vector<std::string> linesFrom(const std::string& from) const {
    std::vector<std::string> out;
    bool on = false;
    for (const auto& l : log.lines) {
      on = on || l.text == from;
      if (on) out.push_back(l.text);
    }
    return out;
  }
  bool hasLine(const std::string& text, Colour colour) const {
    for (const auto& l : log.lines)
      if (l.text == text && l.coloured && l.colour == colour) return true;
    return false;
  }
  bool hasPlainLine(const std::string& text) const {
    for (const auto& l : log.lines)
      if (l.text == text && !l.coloured) return true;
    return false;
  }

  TempDir program;
  RecordingUI ui;
  RecordingLog log;
  std::unique_ptr<store::BlogDb> blog;
  std::string output;
};

}  // namespace tessary::testing
