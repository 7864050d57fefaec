// Shared by the export tests: a blog file made through the store, and the
// reading of a workbook by an independent reader (xlrd, run by /usr/bin/python3).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>
#include <sstream>

#include "store/blog_db.h"
#include "support/test_support.h"
#include "util/text.h"

namespace tessary::testing {

struct EntryValues {
  std::string title;
  std::string text;
  util::DateTime when = 45000.5;
  int category = -1;
  int category2 = -1;
  int category3 = -1;
  std::string coolUrl;
  int type = 0;
};

inline EntryValues entry(std::string title, std::string text = "", util::DateTime when = 45000.5, int category = -1,
                         int category2 = -1, int category3 = -1, std::string coolUrl = "", int type = 0) {
  EntryValues v;
  v.title = std::move(title);
  v.text = std::move(text);
  v.when = when;
  v.category = category;
  v.category2 = category2;
  v.category3 = category3;
  v.coolUrl = std::move(coolUrl);
  v.type = type;
  return v;
}

// Records the status popup's window titles as well.
class ExportRecordingUI : public RecordingUI {
 public:
  void statusSetCaption(const std::string& caption) override { captions.push_back(caption); }
  std::vector<std::string> captions;
};

// A blog file in a temporary folder that holds no entry until a test adds some.
class BlogFileTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Opens the blog file for writing; closed again by the caller's CloseBlog().
  void open(store::BlogDb& db);
  int addEntry(const EntryValues& v);
  int addCategory(const std::string& title, const std::string& name);

  TempDir dir_;
  ExportRecordingUI ui_;
  std::string blogFile_;
};

struct XlsCell {
  std::string kind;    // text, number, date
  std::string format;  // the number format
  int align = 0;       // 0 general, 1 left, 2 centre, 3 right
  bool bold = false;
  std::string font;
  std::string value;   // dates as "YYYY-MM-DD HH:MM:SS", numbers as Python writes floats
};

struct XlsSheet {
  std::string name;
  int rows = 0;
  int columns = 0;
  std::map<std::pair<int, int>, XlsCell> cells;
  std::map<int, int> widths;  // 1/256 of a character

  // The cell or an empty one (kind "").
  XlsCell at(int row, int column) const;
};

// Reads the workbook with xlrd; fails the test (and returns nothing) when xlrd refuses it.
std::vector<XlsSheet> readXls(const std::string& file);

// True when xmllint accepts the file as well-formed.
bool xmllintAccepts(const std::string& file, std::string* messages = nullptr);

// ---- definitions


inline void BlogFileTest::SetUp() {
  blogFile_ = dir_.file("blog.zdb");
  store::BlogDb db(dir_.path(), ui_);
  ASSERT_TRUE(db.CreateBlog(blogFile_));
  db.database().exec("DELETE FROM tblBlog");
  db.CloseBlog();
}

inline void BlogFileTest::open(store::BlogDb& db) { db.OpenBlog(blogFile_); }

inline int BlogFileTest::addEntry(const EntryValues& v) {
  store::BlogDb db(dir_.path(), ui_);
  open(db);
  store::Table& t = db.tblBlog();
  t.insert();
  t.setDateTime("BlogDateTime", v.when);
  t.setString("BlogTitle", v.title);
  t.setString("BlogText", v.text);
  t.setInteger("BlogCategory", v.category);
  t.setInteger("BlogCategory2", v.category2);
  t.setInteger("BlogCategory3", v.category3);
  t.setString("BlogCoolURL", v.coolUrl);
  t.setInteger("BlogPageType", v.type);
  t.post();
  const int key = static_cast<int>(t.currentRowId());
  db.CloseBlog();
  return key;
}

inline int BlogFileTest::addCategory(const std::string& title, const std::string& name) {
  store::BlogDb db(dir_.path(), ui_);
  open(db);
  store::Table& t = db.tblCategory();
  t.insert();
  t.setString("CategoryTitle", title);
  t.setString("CategoryName", name);
  t.post();
  const int key = static_cast<int>(t.currentRowId());
  db.CloseBlog();
  return key;
}

inline XlsCell XlsSheet::at(int row, int column) const {
  const auto it = cells.find({row, column});
  return it == cells.end() ? XlsCell{} : it->second;
}

namespace detail {

inline std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      const char c = s[++i];
      out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace detail

inline std::vector<XlsSheet> readXls(const std::string& file) {
  std::string output;
  const int rc = runCommand("/usr/bin/python3 '" TESSARY_TEST_DATA_DIR "/export/read_xls.py' '" + file + "' 2>&1",
                            &output);
  EXPECT_EQ(rc, 0) << "xlrd refused " << file << ":\n" << output;
  std::vector<XlsSheet> sheets;
  if (rc != 0) return sheets;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = util::split(line, '\t');
    if (f[0] == "sheet" && f.size() == 4) {
      XlsSheet s;
      s.name = detail::unescape(f[1]);
      s.rows = std::stoi(f[2]);
      s.columns = std::stoi(f[3]);
      sheets.push_back(std::move(s));
    } else if (f[0] == "width" && f.size() == 4) {
      sheets.at(std::stoul(f[1])).widths[std::stoi(f[2])] = std::stoi(f[3]);
    } else if (f[0] == "cell" && f.size() == 10) {
      XlsCell c;
      c.kind = f[4];
      c.format = detail::unescape(f[5]);
      c.align = std::stoi(f[6]);
      c.bold = f[7] == "1";
      c.font = detail::unescape(f[8]);
      c.value = detail::unescape(f[9]);
      sheets.at(std::stoul(f[1])).cells[{std::stoi(f[2]), std::stoi(f[3])}] = c;
    } else {
      ADD_FAILURE() << "unexpected line from read_xls.py: " << line;
    }
  }
  return sheets;
}

inline bool xmllintAccepts(const std::string& file, std::string* messages) {
  return runCommand("xmllint --noout '" + file + "' 2>&1", messages) == 0;
}

}  // namespace tessary::testing
