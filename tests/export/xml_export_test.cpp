#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "export/exportdb2.h"
#include "export/xml_export.h"
#include "util/files.h"

namespace tessary::testing {
namespace {

using export_::BlogExporter;
using export_::ExportDialogState;
using export_::ExportFileType;

class XmlExportTest : public BlogFileTest {
 protected:
  ExportDialogState state(ExportFileType type = ExportFileType::Xml) {
    ExportDialogState s;
    s.blogFile = blogFile_;
    s.fileType = type;
    s.exportFileName = "export";
    s.exportFolder = dir_.file("out");
    return s;
  }
  std::optional<std::string> run(const ExportDialogState& s) {
    store::BlogDb db(dir_.path(), ui_);
    BlogExporter exporter(db, ui_);
    exporter.setPause({});
    auto result = exporter.exportButton(s);
    EXPECT_FALSE(db.isOpen());
    return result;
  }
};

TEST_F(XmlExportTest, BlogWithoutEntriesGivesTheTwoRootLines) {
  const auto file = run(state());
  ASSERT_TRUE(file);
  EXPECT_EQ(*file, dir_.file("out/export.xml"));
  EXPECT_EQ(readFile(*file), "<TessaryFile>\r\n</TessaryFile>\r\n");
  EXPECT_TRUE(xmllintAccepts(*file));
  EXPECT_EQ(ui_.captions, (std::vector<std::string>{"Exporting Blog as XML"}));
  EXPECT_EQ(ui_.status, (std::vector<std::string>{"", "Complete..."}));
  EXPECT_FALSE(ui_.statusOpen);
}

TEST_F(XmlExportTest, EntriesNewestFirstWithEscapedFieldsAndCategoryTitles) {
  const int news = addCategory("News & <Views>", "news");
  const int gone = addCategory("Removed", "removed");
  {
    store::BlogDb db(dir_.path(), ui_);
    open(db);
    ASSERT_TRUE(db.tblCategory().findKey(store::FieldValue(gone)));
    db.tblCategory().deleteRow();
    db.CloseBlog();
  }
  const int older = addEntry(entry("Tom & Jerry's <Show> \"live\"", "a\r\nb\nc", util::encodeDateTime({2023, 3, 4, 14, 5, 9}),
                              news, gone, -1, "http://x/?a=1&b=2", 1));
  const int newer = addEntry(entry("Caf\xC3\xA9 \xE2\x82\xAC", "", util::encodeDateTime({2024, 12, 31, 0, 0, 0}), -1, news, 0));

  const auto file = run(state());
  ASSERT_TRUE(file);
  const std::string text = readFile(*file);
  std::string messages;
  EXPECT_TRUE(xmllintAccepts(*file, &messages)) << messages;

  const std::string first =
      "<TessaryFile>\r\n\t<BlogEntry>\r\n\t\t<BlogKey>" + std::to_string(newer) +
      "</BlogKey>\r\n\t\t<BlogDateTime>2024/12/31 00:00:00</BlogDateTime>\r\n"
      "\t\t<BlogTitle>Caf\xC3\xA9 \xE2\x82\xAC</BlogTitle>\r\n\t\t<BlogText></BlogText>\r\n"
      "\t\t<BlogCategory></BlogCategory>\r\n\t\t<BlogCategory2>News &amp; &lt;Views&gt;</BlogCategory2>\r\n"
      "\t\t<BlogCategory3></BlogCategory3>\r\n";
  EXPECT_EQ(text.substr(0, first.size()), first);
  const std::string second =
      "\t<BlogEntry>\r\n\t\t<BlogKey>" + std::to_string(older) +
      "</BlogKey>\r\n\t\t<BlogDateTime>2023/03/04 14:05:09</BlogDateTime>\r\n"
      "\t\t<BlogTitle>Tom &amp; Jerry&apos;s &lt;Show&gt; &quot;live&quot;</BlogTitle>\r\n"
      "\t\t<BlogText>abc</BlogText>\r\n"
      "\t\t<BlogCategory>News &amp; &lt;Views&gt;</BlogCategory>\r\n\t\t<BlogCategory2></BlogCategory2>\r\n"
      "\t\t<BlogCategory3></BlogCategory3>\r\n\t\t<BlogCoolURL>http://x/?a=1&amp;b=2</BlogCoolURL>\r\n"
      "\t\t<BlogPageType>1</BlogPageType>\r\n\t\t<BlogPageName></BlogPageName>\r\n"
      "\t\t<BlogTeaser></BlogTeaser>\r\n\t\t<BlogKeywords></BlogKeywords>\r\n\t\t<BlogSidebar></BlogSidebar>\r\n"
      "\t\t<BlogExtra1></BlogExtra1>\r\n\t\t<BlogExtra2></BlogExtra2>\r\n\t\t<BlogTitle1></BlogTitle1>\r\n"
      "\t\t<BlogTitle2></BlogTitle2>\r\n\t\t<BlogMetaDesc></BlogMetaDesc>\r\n\t</BlogEntry>\r\n</TessaryFile>\r\n";
  ASSERT_GE(text.size(), second.size());
  EXPECT_EQ(text.substr(text.size() - second.size()), second);
  EXPECT_EQ(ui_.status, (std::vector<std::string>{"", "Exporting Record  1", "Exporting Record  2", "Complete..."}));
}

TEST_F(XmlExportTest, TextsThatAreNotCleanUtf8StillGiveWellFormedXml) {
  // A Windows-1252 byte from an older file, a control character, a lone continuation byte.
  addEntry(entry("Ren\xE9 \x80 \x01\x0B tab\there \xA9", "x\x85y"));
  const auto file = run(state());
  ASSERT_TRUE(file);
  std::string messages;
  EXPECT_TRUE(xmllintAccepts(*file, &messages)) << messages;
  const std::string text = readFile(*file);
  EXPECT_NE(text.find("<BlogTitle>Ren\xC3\xA9 \xE2\x82\xAC  tab\there \xC2\xA9</BlogTitle>"), std::string::npos);
  EXPECT_NE(text.find("<BlogText>x\xE2\x80\xA6y</BlogText>"), std::string::npos);
}

TEST_F(XmlExportTest, OlderFileWithoutAlternateCategoriesGivesEmptyElements) {
  const int cat = addCategory("Kept", "kept");
  addEntry(entry("old", "", 45000, cat, cat, cat));
  {
    store::BlogDb db(dir_.path(), ui_);
    open(db);
    db.CloseBlog();
    store::Database raw;
    raw.open(blogFile_);
    raw.exec("ALTER TABLE tblBlog DROP COLUMN BlogCategory3");
    raw.exec("ALTER TABLE tblBlog DROP COLUMN BlogCategory2");
    raw.close();
  }
  const auto file = run(state());
  ASSERT_TRUE(file);
  const std::string text = readFile(*file);
  EXPECT_NE(text.find("<BlogCategory>Kept</BlogCategory>\r\n\t\t<BlogCategory2></BlogCategory2>\r\n"
                      "\t\t<BlogCategory3></BlogCategory3>"),
            std::string::npos);
  // The export does not upgrade the file.
  store::Database raw;
  raw.open(blogFile_, store::Database::Mode::ReadOnly);
  EXPECT_EQ(raw.columnsOf("tblBlog").size(), 16u);
}

TEST_F(XmlExportTest, FileThatIsNotABlogRaisesAndLeavesNothingOpen) {
  writeFile(dir_.file("junk.zdb"), std::string(5000, 'x'));
  ExportDialogState s = state();
  s.blogFile = dir_.file("junk.zdb");
  store::BlogDb db(dir_.path(), ui_);
  BlogExporter exporter(db, ui_);
  exporter.setPause({});
  EXPECT_THROW(exporter.exportButton(s), store::StoreError);
  EXPECT_FALSE(db.isOpen());
  EXPECT_FALSE(ui_.statusOpen);
  EXPECT_FALSE(util::fileExists(dir_.file("out/export.xml")));

  // A missing column other than the alternate categories stops the export too.
  {
    store::Database raw;
    raw.open(blogFile_);
    raw.exec("ALTER TABLE tblBlog DROP COLUMN BlogMetaDesc");
    raw.close();
  }
  addEntry(entry("x"));
  EXPECT_THROW(exporter.exportButton(state()), store::StoreError);
  EXPECT_FALSE(db.isOpen());
  EXPECT_FALSE(ui_.statusOpen);
}

TEST_F(XmlExportTest, FolderThatCannotBeCreatedCancelsTheExport) {
  writeFile(dir_.file("plain"), "a file where a folder should go");
  for (ExportFileType type : {ExportFileType::Xml, ExportFileType::Excel}) {
    ui_.messages.clear();
    ExportDialogState s = state(type);
    s.exportFolder = dir_.file("plain/sub");
    EXPECT_FALSE(run(s));
    EXPECT_EQ(ui_.messages,
              std::vector<std::string>{"File export cancelled. Unable to create directory: " + dir_.file("plain/sub/")});
    EXPECT_TRUE(ui_.status.empty());
  }
}

TEST_F(XmlExportTest, MissingFoldersAreCreatedAndASecondExportReplacesTheFirst) {
  ExportDialogState s = state();
  s.exportFolder = dir_.file("a/b/c");
  ASSERT_TRUE(run(s));
  addEntry(entry("second"));
  const auto file = run(s);
  ASSERT_TRUE(file);
  EXPECT_NE(readFile(*file).find("<BlogTitle>second</BlogTitle>"), std::string::npos);
  EXPECT_EQ(util::listFiles(dir_.file("a/b/c")), std::vector<std::string>{"export.xml"});
}

TEST_F(XmlExportTest, FailedWriteIsReportedWithTheFileNameAndNeverAsComplete) {
  for (ExportFileType type : {ExportFileType::Xml, ExportFileType::Excel}) {
    ui_.errors.clear();
    ui_.status.clear();
    const std::string target = dir_.file(type == ExportFileType::Xml ? "out/export.xml" : "out/export.xls");
    ASSERT_TRUE(util::createDirectories(target).ok());  // a folder where the file should go
    EXPECT_FALSE(run(state(type)));
    ASSERT_EQ(ui_.errors.size(), 1u);
    EXPECT_NE(ui_.errors[0].find(target), std::string::npos) << ui_.errors[0];
    EXPECT_TRUE(std::find(ui_.status.begin(), ui_.status.end(), "Complete...") == ui_.status.end());
    EXPECT_FALSE(ui_.statusOpen);
  }
}

TEST_F(XmlExportTest, ExportNameMustBeABareFileName) {
  for (const char* name : {"../escape", "", "a/b"}) {
    ui_.errors.clear();
    ExportDialogState s = state();
    s.exportFileName = name;
    EXPECT_FALSE(run(s)) << name;
    EXPECT_EQ(ui_.errors.size(), 1u) << name;
  }
  EXPECT_FALSE(util::fileExists(dir_.file("escape.xml")));
}

TEST(ExportDialogTest, OpensWithTheSpreadsheetTypeTheProgramFolderAndTheTimeAsName) {
  util::setClock([] { return util::encodeDateTime({2024, 1, 2, 3, 4, 5, 600}); });
  const ExportDialogState s = export_::initialExportState("/b/blog.zdb", "/prog");
  util::setClock({});
  EXPECT_EQ(s.blogFile, "/b/blog.zdb");
  EXPECT_EQ(s.fileType, ExportFileType::Excel);
  EXPECT_EQ(s.exportFileName, "20240102030405");
  EXPECT_EQ(s.exportFolder, "/prog");
}

}  // namespace
}  // namespace tessary::testing
