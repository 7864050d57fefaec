// The template preview, and the template commands of tessary-cli run as a user would.
#include "templates/preview.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "templates/package.h"
#include "util/files.h"

namespace tessary::templates {
namespace {

using testing::RecordingUI;
using testing::TempDir;

class PinnedRandom {
 public:
  PinnedRandom() : before_(SetRandomSource([] { return 7u; })) {}
  ~PinnedRandom() { SetRandomSource(before_); }

 private:
  RandomSource before_;
};

TEST(TemplatePreviewTest, UntitledPackageTwelvePagesIndexAndFiles) {
  TempDir dir;
  RecordingUI ui;
  TemplatePackage loaded;
  std::vector<std::string> lines = newPackageLines();
  SliceList t(10);
  t[0] = "1";
  t[1] = "<[%ISHOMEPAGE%][%ISARTICLEPAGE%]>";
  t[2] = "[%entry.title%];";
  t[4] = "[%entry.title.css%],";
  t[6] = "[%linkto.rss20.href%]";
  lines[1] = encodeTemplateRecord(t);
  lines.push_back(encodeFileRecord("style.css", bytesToHex("body{}")));
  lines.push_back(encodeFileRecord("../escape.css", bytesToHex("body{}")));

  const std::string index = BuildTemplatePreview(dir.path(), lines, "", ui, loaded);
  const std::string folder = dir.path() + "/HTML/TemplatePreview/";
  EXPECT_EQ(index, folder + "index.html");
  EXPECT_EQ(testing::readFile(folder + "untitled.tem"), joinPackageLines(lines));
  EXPECT_EQ(testing::readFile(folder + "style.css"), "body{}");
  EXPECT_FALSE(util::fileExists(dir.path() + "/HTML/escape.css"));
  EXPECT_EQ(testing::readFile(folder + "1article.html"), "<>var_entry_title;rss.xml");
  EXPECT_EQ(testing::readFile(folder + "2article.html"), "<TRUE>var_entry_title;rss.xml");
  const std::string listed = "<span class=\"entrytitle\">var_entry_title</span>,";
  EXPECT_EQ(testing::readFile(folder + "5entries.html"), "<TRUE>" + listed + listed + listed + "rss.xml");
  const std::string idx = testing::readFile(index);
  EXPECT_EQ(idx.rfind("<HTML><BODY><B>Preview of untitled.tem<P></B><A HREF=\"1article.html\">Default Template with "
                      "ARTICLE</A><P>",
                      0),
            0u);
  EXPECT_NE(idx.find("<A HREF=\"6entries.html\">Static Template with ENTRIES</A><P></BODY></HTML>"), std::string::npos);
  EXPECT_EQ(idx.find('\n'), std::string::npos);
  EXPECT_EQ(ui.status.front(), "Building Preview Pages");
  EXPECT_EQ(ui.status.back(), "Building Preview Pages - complete");
  EXPECT_FALSE(ui.statusOpen);
  EXPECT_EQ(loaded.lines(), lines) << "the preview loads the package copy";
}

TEST(TemplatePreviewTest, PlaceholderRecords) {
  const templateEntryVars e = previewEntryVars();
  EXPECT_EQ(e.EntryText.rfind("Var_entry_text var_entry_text", 0), 0u);
  EXPECT_EQ(e.EntryText.find("<p>Var_entry_text"), 14u + 8 * 15);
  EXPECT_EQ(e.EntrySidebar, "var_entry_BlogSidebar var_entry_BlogSidebar var_entry_BlogSidebar");
  const templateGlobalVars g = previewGlobalVars();
  EXPECT_EQ(g.NavbarRow, "<A HREF=\"#\" class=\"navbtn\">var_navbar_row</A> | <A HREF=\"#\" class=\"navbtn\">var_navbar_row</A>");
  EXPECT_EQ(g.MonthLinksColumn, "<A HREF=\"#\" class=\"menulink\">var_links_by_month_column</A><BR>"
                                "<A HREF=\"#\" class=\"menulink\">var_links_by_month_column</A>");
  EXPECT_EQ(g.CustomTag10, "var_BlogCustomTags10");
  EXPECT_EQ(g.GlobalSpare1, "");
  EXPECT_EQ(previewPageVars(4).PageKind, 4);
}

TEST(TemplatePreviewTest, FolderThatCannotBeCreated) {
  TempDir dir;
  testing::writeFile(dir.file("HTML"), "a file where the folder should be");
  RecordingUI ui;
  TemplatePackage loaded;
  try {
    BuildTemplatePreview(dir.path(), newPackageLines(), "p.tem", ui, loaded);
    FAIL() << "expected an error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create " + dir.path() + "/HTML/TemplatePreview/");
  }
  EXPECT_FALSE(ui.statusOpen);
}

std::string cli(const std::string& args, std::string* out = nullptr, const std::string& programFolder = "") {
  std::string command = testing::cliPath();
  if (!programFolder.empty()) command += " --program-folder '" + programFolder + "'";
  return std::to_string(testing::runCommand(command + " " + args + " 2>&1", out));
}

TEST(TemplateCliTest, CheckPrintsOkOrTheDamage) {
  TempDir dir;
  std::string out;
  EXPECT_EQ(cli("template-check '" + std::string(TESSARY_PROGRAM_DIR) + "/@default.tem'", &out), "0");
  EXPECT_EQ(out, "OK\n");
  std::vector<std::string> lines = newPackageLines();
  lines[5] = "x";
  testing::writeFile(dir.file("bad.tem"), joinPackageLines(lines));
  EXPECT_EQ(cli("template-check '" + dir.file("bad.tem") + "'", &out), "1");
  EXPECT_EQ(out, "Error. Template Package [" + dir.file("bad.tem") + "] is damaged at record 6 and can not be used. Sorry\n");
  EXPECT_EQ(cli("template-check", &out), "2");
}

TEST(TemplateCliTest, UnpackAndPackGiveTheDefaultPackageBack) {
  TempDir dir;
  std::string out;
  ASSERT_EQ(cli("template-unpack '" + std::string(TESSARY_PROGRAM_DIR) + "/@default.tem' '" + dir.file("src") + "'", &out), "0") << out;
  ASSERT_EQ(cli("template-pack '" + dir.file("src") + "' '" + dir.file("again.tem") + "'", &out), "0") << out;
  EXPECT_EQ(testing::readFile(dir.file("again.tem")), std::string(builtInTemplatePackageBytes()));
  // The sources in the repository are the same package.
  ASSERT_EQ(cli("template-pack '" + std::string(TESSARY_SOURCE_DIR) + "/resources/default-template' '" +
                    dir.file("repo.tem") + "'", &out), "0") << out;
  EXPECT_EQ(testing::readFile(dir.file("repo.tem")), std::string(builtInTemplatePackageBytes()));
}

TEST(TemplateCliTest, PreviewPrintsTheIndexPage) {
  TempDir dir;
  std::string out;
  ASSERT_EQ(cli("template-preview '" + std::string(TESSARY_PROGRAM_DIR) + "/@default.tem'", &out, dir.path()), "0");
  EXPECT_NE(out.find(dir.path() + "/HTML/TemplatePreview/index.html"), std::string::npos) << out;
  EXPECT_TRUE(util::fileExists(dir.path() + "/HTML/TemplatePreview/default.css"));
  EXPECT_TRUE(util::fileExists(dir.path() + "/HTML/TemplatePreview/@default.tem"));
}

}  // namespace
}  // namespace tessary::templates
