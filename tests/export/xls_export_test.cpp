#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "export/exportdb2.h"
#include "util/files.h"

namespace tessary::testing {
namespace {

using export_::BlogExporter;
using export_::ExportDialogState;
using export_::ExportFileType;

const std::vector<std::string> kBlogColumns = {
    "BlogKey",      "BlogDateTime", "BlogTitle",   "BlogText",   "BlogCategory", "BlogCoolURL",
    "BlogPageType", "BlogPageName", "BlogKeywords", "BlogTeaser", "BlogSidebar",  "BlogExtra1",
    "BlogExtra2",   "BlogTitle1",   "BlogTitle2",  "BlogMetaDesc", "BlogCategory2", "BlogCategory3"};

class XlsExportTest : public BlogFileTest {
 protected:
  std::optional<std::string> run(const std::function<void(export_::Dataset2Excel&)>& configure = {}) {
    ExportDialogState s;
    s.blogFile = blogFile_;
    s.fileType = ExportFileType::Excel;
    s.exportFileName = "sheet";
    s.exportFolder = dir_.path();
    store::BlogDb db(dir_.path(), ui_);
    BlogExporter exporter(db, ui_);
    exporter.setPause({});
    if (configure) configure(exporter.exporter());
    auto result = exporter.exportButton(s);
    EXPECT_FALSE(db.isOpen());
    return result;
  }
};

TEST_F(XlsExportTest, ThreeWorksheetsWithHeadersTypedCellsFormatsAndWidths) {
  const int cat = addCategory("R\xC3\xA9sum\xC3\xA9s", "resumes");
  const int midnight = addEntry(entry("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80", "line 1\nline 2",
                                      util::encodeDateTime({2024, 5, 6, 0, 0, 0}), cat, -1, -1, "", 2));
  const int afternoon = addEntry(entry("later", "", util::encodeDateTime({2024, 5, 6, 14, 5, 0})));

  const auto file = run();
  ASSERT_TRUE(file);
  EXPECT_EQ(*file, dir_.file("sheet.xls"));
  // The popup's title names the export; its message follows the steps.
  EXPECT_EQ(ui_.captions, (std::vector<std::string>{"Exporting Blog as XLS"}));
  EXPECT_EQ(ui_.status, (std::vector<std::string>{"", "Exporting Blog Entries", "Exporting Blog Categories",
                                                  "Exporting Blog Options", "Writing " + *file, "Complete..."}));
  const std::vector<XlsSheet> book = readXls(*file);
  ASSERT_EQ(book.size(), 3u);
  EXPECT_EQ(book[0].name, "Blog Entries");
  EXPECT_EQ(book[1].name, "Blog Categories");
  EXPECT_EQ(book[2].name, "Blog Options");

  const XlsSheet& entries = book[0];
  EXPECT_EQ(entries.rows, 3);
  for (size_t c = 0; c < kBlogColumns.size(); ++c) {
    const XlsCell h = entries.at(0, static_cast<int>(c));
    EXPECT_EQ(h.value, kBlogColumns[c]);
    EXPECT_TRUE(h.bold);
    EXPECT_EQ(h.font, "Arial");
  }
  // Newest first: the afternoon entry, then the midnight one.
  EXPECT_EQ(entries.at(1, 0).kind, "number");
  EXPECT_EQ(entries.at(1, 0).value, std::to_string(afternoon) + ".0");
  EXPECT_EQ(entries.at(1, 0).align, 3);
  EXPECT_EQ(entries.at(1, 1).kind, "date");
  EXPECT_EQ(entries.at(1, 1).value, "2024-05-06 14:05:00");
  EXPECT_EQ(entries.at(1, 1).format, "yyyy/mm/dd hh:mm:ss");
  EXPECT_EQ(entries.at(1, 1).align, 1);
  EXPECT_EQ(entries.at(2, 0).value, std::to_string(midnight) + ".0");
  EXPECT_EQ(entries.at(2, 1).kind, "date");
  EXPECT_EQ(entries.at(2, 1).value, "2024-05-06 00:00:00");
  EXPECT_EQ(entries.at(2, 1).format, "yyyy/mm/dd");
  EXPECT_EQ(entries.at(2, 2).value, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(entries.at(2, 2).kind, "text");
  EXPECT_EQ(entries.at(2, 2).align, 1);
  EXPECT_FALSE(entries.at(2, 2).bold);
  EXPECT_EQ(entries.at(2, 3).value, "line 1\nline 2");
  EXPECT_EQ(entries.at(2, 4).value, std::to_string(cat) + ".0");
  EXPECT_EQ(entries.at(2, 6).value, "2.0");
  EXPECT_EQ(entries.at(2, 16).value, "-1.0");
  // Widths: declared sizes of strings, default widths of the other types.
  EXPECT_EQ(entries.widths.at(0), 11 * 256);
  EXPECT_EQ(entries.widths.at(1), 18 * 256);
  EXPECT_EQ(entries.widths.at(2), 250 * 256);
  EXPECT_EQ(entries.widths.at(3), 10 * 256);
  EXPECT_EQ(entries.widths.at(7), 120 * 256);

  const XlsSheet& categories = book[1];
  EXPECT_EQ(categories.rows, 2);
  EXPECT_EQ(categories.at(0, 1).value, "CategoryTitle");
  EXPECT_EQ(categories.at(1, 1).value, "R\xC3\xA9sum\xC3\xA9s");

  const XlsSheet& options = book[2];
  EXPECT_EQ(options.at(0, 0).value, "OptionKey");
  EXPECT_EQ(options.at(1, 0).value, "101.0");
  EXPECT_EQ(options.at(1, 1).value, "Blog Title");
  const int last = options.rows - 1;
  EXPECT_EQ(options.at(last, 0).value, "999.0");
  EXPECT_EQ(options.at(last, 1).value, "Internal File Version");
  EXPECT_EQ(options.at(last, 3).value, "85.0");
}

// Workbooks get shared: the FTP password is not written out in clear.
TEST_F(XlsExportTest, FtpPasswordIsMaskedInTheOptionsSheet) {
  {
    store::BlogDb db(dir_.path(), ui_);
    open(db);
    db.options().FTPPassword = "s3cret!";
    db.options().FTPUserid = "anna";
    db.SaveOptions();
    db.CloseBlog();
  }
  const auto file = run();
  ASSERT_TRUE(file);
  const std::vector<XlsSheet> book = readXls(*file);
  ASSERT_EQ(book.size(), 3u);
  const XlsSheet& options = book[2];
  bool sawPassword = false, sawUser = false;
  for (int r = 1; r < options.rows; ++r) {
    for (int c = 0; c < options.columns; ++c) {
      const std::string value = options.at(r, c).value;
      EXPECT_EQ(value.find("s3cret"), std::string::npos) << "row " << r << " column " << c;
      if (value == "anna") sawUser = true;
    }
    if (options.at(r, 0).value == "505.0") {
      sawPassword = true;
      EXPECT_EQ(options.at(r, 4).value, "********") << "OptionMemo holds the password";
    }
  }
  EXPECT_TRUE(sawPassword);
  EXPECT_TRUE(sawUser) << "other options are written as they are";
}

TEST_F(XlsExportTest, BlogWithoutEntriesHasOnlyTheHeaderRow) {
  const auto file = run();
  ASSERT_TRUE(file);
  const std::vector<XlsSheet> book = readXls(*file);
  ASSERT_EQ(book.size(), 3u);
  EXPECT_EQ(book[0].rows, 1);
  EXPECT_EQ(book[0].columns, 18);
  EXPECT_EQ(book[1].rows, 1);
  EXPECT_EQ(book[1].columns, 12);
}

TEST_F(XlsExportTest, TextLongerThanACellHoldsIsCutAndTheFileStaysValid) {
  std::string text;
  while (text.size() < 100000) text += "abc\xC3\xA9\xE2\x82\xAC ";  // 8 characters, some beyond 8 bits
  text.resize(100000 - 100000 % 12);
  addEntry(entry("long", text));
  addEntry(entry("long ascii", std::string(100000, 'z')));
  const auto file = run();
  ASSERT_TRUE(file);
  const std::vector<XlsSheet> book = readXls(*file);
  ASSERT_EQ(book.size(), 3u);
  const std::string ascii = book[0].at(1, 3).value;
  EXPECT_EQ(ascii, std::string(32767, 'z'));
  const std::string mixed = book[0].at(2, 3).value;
  EXPECT_EQ(util::charCount(mixed), 32767u);
  EXPECT_EQ(mixed, util::leftChars(text, 32767));
}

TEST_F(XlsExportTest, TableLongerThanOneWorksheetGoesOnInFurtherWorksheets) {
  for (int i = 0; i < 5; ++i) addEntry(entry("entry " + std::to_string(i), "", 45000 + i));
  const auto file = run([](export_::Dataset2Excel& e) { e.RowsPerSheet = 2; });
  ASSERT_TRUE(file);
  const std::vector<XlsSheet> book = readXls(*file);
  std::vector<std::string> names;
  for (const XlsSheet& s : book) names.push_back(s.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Blog Entries", "Blog Entries (2)", "Blog Entries (3)", "Blog Categories",
                                             "Blog Options", "Blog Options (2)", "Blog Options (3)",
                                             "Blog Options (4)", "Blog Options (5)", "Blog Options (6)",
                                             "Blog Options (7)", "Blog Options (8)", "Blog Options (9)",
                                             "Blog Options (10)", "Blog Options (11)", "Blog Options (12)",
                                             "Blog Options (13)", "Blog Options (14)", "Blog Options (15)",
                                             "Blog Options (16)", "Blog Options (17)", "Blog Options (18)",
                                             "Blog Options (19)", "Blog Options (20)", "Blog Options (21)",
                                             "Blog Options (22)", "Blog Options (23)", "Blog Options (24)",
                                             "Blog Options (25)", "Blog Options (26)", "Blog Options (27)",
                                             "Blog Options (28)", "Blog Options (29)", "Blog Options (30)",
                                             "Blog Options (31)", "Blog Options (32)", "Blog Options (33)",
                                             "Blog Options (34)", "Blog Options (35)", "Blog Options (36)",
                                             "Blog Options (37)", "Blog Options (38)", "Blog Options (39)"}));
  EXPECT_EQ(book[0].rows, 3);
  EXPECT_EQ(book[2].rows, 2);
  for (int s = 0; s < 3; ++s) EXPECT_EQ(book[static_cast<size_t>(s)].at(0, 0).value, "BlogKey");
  EXPECT_EQ(book[0].at(1, 2).value, "entry 4");
  EXPECT_EQ(book[2].at(1, 2).value, "entry 0");
  EXPECT_EQ(book.back().at(1, 0).value, "999.0");
}

TEST_F(XlsExportTest, OlderFileExportsTheColumnsItHas) {
  addEntry(entry("old"));
  {
    store::Database raw;
    raw.open(blogFile_);
    raw.exec("ALTER TABLE tblBlog DROP COLUMN BlogCategory3");
    raw.exec("ALTER TABLE tblBlog DROP COLUMN BlogCategory2");
    raw.close();
  }
  const auto file = run();
  ASSERT_TRUE(file);
  const std::vector<XlsSheet> book = readXls(*file);
  ASSERT_EQ(book.size(), 3u);
  EXPECT_EQ(book[0].columns, 16);
  EXPECT_EQ(book[0].at(0, 15).value, "BlogMetaDesc");
  EXPECT_EQ(book[0].at(1, 2).value, "old");
}

TEST(ExportCliTest, ExportsBothTypesAndReportsFailures) {
  TempDir dir;
  std::string out;
  ASSERT_EQ(runCommand(cliPath() + " --program-folder '" + dir.path() + "' new '" + dir.file("b.zdb") +
                           "' --answers YYYNN 2>/dev/null",
                       &out),
            0);
  ASSERT_EQ(runCommand(cliPath() + " --program-folder '" + dir.path() + "' export '" + dir.file("b.zdb") +
                           "' --type xml --dir '" + dir.file("x/y") + "' --name doc 2>/dev/null",
                       &out),
            0);
  EXPECT_EQ(out, dir.file("x/y/doc.xml") + "\n");
  EXPECT_TRUE(xmllintAccepts(dir.file("x/y/doc.xml")));
  // The console has no popup title: the caption is the popup's first line.
  std::string err;
  ASSERT_EQ(runCommand(cliPath() + " --program-folder '" + dir.path() + "' export '" + dir.file("b.zdb") +
                           "' --type xml --dir '" + dir.file("x/y") + "' --name doc2 2>&1 >/dev/null",
                       &err),
            0);
  EXPECT_EQ(err.rfind("Exporting Blog as XML\n", 0), 0u) << err;

  // Defaults: the spreadsheet, in the program folder, named by the time.
  ASSERT_EQ(runCommand(cliPath() + " --program-folder '" + dir.path() + "' export '" + dir.file("b.zdb") +
                           "' 2>/dev/null",
                       &out),
            0);
  ASSERT_EQ(out.size(), dir.path().size() + 1 + 14 + 4 + 1) << out;
  EXPECT_TRUE(util::endsWith(out, ".xls\n"));
  const std::vector<XlsSheet> book = readXls(out.substr(0, out.size() - 1));
  ASSERT_EQ(book.size(), 3u);
  EXPECT_GT(book[0].rows, 1);

  writeFile(dir.file("junk.zdb"), "not a blog");
  EXPECT_EQ(runCommand(cliPath() + " export '" + dir.file("junk.zdb") + "' --dir '" + dir.path() + "' 2>&1", &out), 1);
  EXPECT_NE(out.find("junk.zdb"), std::string::npos) << out;
  EXPECT_EQ(runCommand(cliPath() + " export '" + dir.file("b.zdb") + "' --type csv 2>&1", &out), 2);
}

}  // namespace
}  // namespace tessary::testing
