#include "templates/package_editor.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "templates/preview.h"
#include "templates/tag_engine.h"
#include "util/files.h"

namespace tessary::templates {
namespace {

using store::Answer;
using testing::RecordingUI;
using testing::TempDir;

const std::string S(1, kFieldSeparator);

// An editor whose file dialogs answer from the fields below (empty: cancelled).
struct Fixture {
  RecordingUI ui;
  TempDir dir;
  std::string openPath, saveAsPath, addPath, extractPath;
  std::vector<std::string> offeredNames;
  PackageEditor editor{ui, dialogs()};

  PackageEditorDialogs dialogs() {
    auto answer = [](const std::string& p) { return p.empty() ? std::nullopt : std::optional<std::string>(p); };
    PackageEditorDialogs d;
    d.openPackage = [this, answer] { return answer(openPath); };
    d.savePackageAs = [this, answer](const std::string&) { return answer(saveAsPath); };
    d.addFile = [this, answer] { return answer(addPath); };
    d.extractFile = [this, answer](const std::string& name) {
      offeredNames.push_back(name);
      return answer(extractPath);
    };
    return d;
  }
  std::vector<std::string> linesOf(const std::string& path) {
    return splitPackageLines(testing::readFile(path));
  }
};

std::string templateRecord(char key, const std::vector<std::string>& slices) {
  std::string r(1, key);
  r += S;
  for (size_t s = 0; s < 9; ++s) r += (s < slices.size() ? slices[s] : "") + S;
  return r;
}

TEST(PackageEditorTest, NewPackageIsNotWrittenBySaveButSaveAsAlwaysWrites) {
  Fixture f;
  f.editor.start();
  EXPECT_EQ(f.editor.statusText(), "New Template Package");
  EXPECT_EQ(f.editor.currentTemplate(), 1);
  EXPECT_FALSE(f.editor.modified());
  f.saveAsPath = f.dir.file("new.tem");
  EXPECT_FALSE(f.editor.save());
  EXPECT_FALSE(util::fileExists(f.saveAsPath));
  EXPECT_TRUE(f.editor.saveAs());
  EXPECT_EQ(testing::readFile(f.saveAsPath), joinPackageLines(newPackageLines()));
  EXPECT_EQ(f.editor.statusText(), f.saveAsPath);
  // Named and unchanged: Save writes nothing; Save As writes again.
  util::removeFile(f.saveAsPath);
  EXPECT_FALSE(f.editor.save());
  EXPECT_FALSE(util::fileExists(f.saveAsPath));
  EXPECT_TRUE(f.editor.saveAs());
  EXPECT_TRUE(util::fileExists(f.saveAsPath));
  // A changed package without a name: Save asks where, as Save As does.
  f.ui.answers = {Answer::No};
  f.editor.newPackage();
  f.editor.sliceBoxes()[0] = "x";
  f.saveAsPath = f.dir.file("named.tem");
  EXPECT_TRUE(f.editor.save());
  EXPECT_EQ(f.linesOf(f.saveAsPath)[1], templateRecord('1', {"x"}));
  EXPECT_EQ(f.ui.questions.size(), 0u);  // the unchanged package was not asked about
  // A failed write leaves the package modified and its name unchanged.
  f.editor.sliceBoxes()[0] = "y";
  f.saveAsPath = f.dir.file("no-such-folder/p.tem");
  EXPECT_THROW(f.editor.saveAs(), std::runtime_error);
  EXPECT_TRUE(f.editor.modified());
  EXPECT_EQ(f.editor.fileName(), f.dir.file("named.tem"));
}

TEST(PackageEditorTest, EditsAreStoredAndCaseOnlyChangesDoNotCount) {
  Fixture f;
  f.editor.start();
  f.editor.sliceBoxes()[3] = "<B>x</B>\r\nline";
  f.saveAsPath = f.dir.file("p.tem");
  ASSERT_TRUE(f.editor.saveAs());
  EXPECT_EQ(f.linesOf(f.saveAsPath)[1], templateRecord('1', {"", "", "", "<B>x</B>\x03\x02line"}));
  f.editor.sliceBoxes()[3] = "<b>X</b>\r\nLINE";
  EXPECT_TRUE(f.editor.mayClose());  // nothing asked
  EXPECT_TRUE(f.ui.questions.empty());
  f.editor.descriptionBox() = "changed";
  f.ui.answers = {Answer::Cancel, Answer::No};
  EXPECT_FALSE(f.editor.mayClose());
  EXPECT_TRUE(f.editor.mayClose());
  EXPECT_EQ(f.ui.questions, (std::vector<std::string>(2, "Save Changes before closing Template Package?")));
  EXPECT_EQ(f.editor.lines()[0], "0" + S + "changed");
}

TEST(PackageEditorTest, CloseWithYesClosesOnlyWhenSaved) {
  Fixture f;
  f.editor.start();
  f.editor.sliceBoxes()[0] = "edited";
  f.ui.answers = {Answer::Yes, Answer::Yes};
  EXPECT_FALSE(f.editor.mayClose());  // Save As cancelled: stays open
  f.saveAsPath = f.dir.file("c.tem");
  EXPECT_TRUE(f.editor.mayClose());
  EXPECT_EQ(f.linesOf(f.saveAsPath)[1], templateRecord('1', {"edited"}));
}

TEST(PackageEditorTest, ClearAndResetWriteWhatTheGeneratorReadsBack) {
  Fixture f;
  f.editor.start();
  f.editor.sliceBoxes()[0] = std::string(60, 'h');
  f.editor.templateButton(2);
  f.editor.sliceBoxes()[1] = "home";
  // No and Cancel change nothing.
  f.ui.answers = {Answer::No, Answer::Cancel, Answer::Yes, Answer::Yes};
  EXPECT_FALSE(f.editor.clearTemplate(2));
  EXPECT_FALSE(f.editor.resetTemplate(3));
  EXPECT_TRUE(f.editor.clearTemplate(2));
  EXPECT_EQ(f.editor.currentTemplate(), 2);
  for (const auto& box : f.editor.sliceBoxes()) EXPECT_EQ(box, "");
  EXPECT_TRUE(f.editor.resetTemplate(3));
  EXPECT_EQ(f.editor.currentTemplate(), 3);
  EXPECT_EQ(f.editor.sliceBoxes()[0], std::string(60, 'h'));
  EXPECT_EQ(f.ui.questions,
            (std::vector<std::string>{"Clear Home Page template?", "Reset Archive Index template to Default template?",
                                      "Clear Home Page template?",
                                      "Reset Archive Index template to Default template?"}));
  f.saveAsPath = f.dir.file("r.tem");
  ASSERT_TRUE(f.editor.save());
  const auto lines = f.linesOf(f.saveAsPath);
  EXPECT_EQ(lines[2], "2" + std::string(10, kFieldSeparator));
  EXPECT_EQ(lines[3], "3" + lines[1].substr(1));
  // The generator's reading: the package is good, template 2 falls back.
  TemplatePackage loaded;
  ASSERT_TRUE(loaded.OpenTemplatePackage(f.saveAsPath, f.ui));
  EXPECT_EQ(loaded.ReadTemplateSlices(2)[0], "1");
  EXPECT_EQ(loaded.ReadTemplateSlices(3)[1], std::string(60, 'h'));
  // The wording of the other three templates.
  EXPECT_EQ(resetQuestion(4), "Reset Archive Entry template to Default template?");
  EXPECT_EQ(clearQuestion(4), "Clear Archive Entries template?");
  EXPECT_EQ(resetHint(6), "Reset Static template to Default template");
  EXPECT_EQ(clearHint(5), "Clear Article template");
  EXPECT_EQ(resetQuestion(1), "");
}

TEST(PackageEditorTest, OpenChecksTheFileAndKeepsKeyAndReservedSlices) {
  Fixture f;
  f.editor.start();
  // Nine lines: damaged, then a new empty package.
  std::vector<std::string> nine = newPackageLines();
  nine.pop_back();
  f.openPath = f.dir.file("nine.tem");
  testing::writeFile(f.openPath, joinPackageLines(nine));
  f.editor.open();
  EXPECT_EQ(f.ui.errors.back(), "Error. Template Package " + f.openPath + " is damaged and can not be edited. Sorry");
  EXPECT_EQ(f.editor.statusText(), "New Template Package");
  EXPECT_EQ(f.editor.lines(), newPackageLines());
  // A wrong key on record 3.
  std::vector<std::string> wrong = newPackageLines();
  wrong[2] = "1" + S;
  testing::writeFile(f.openPath, joinPackageLines(wrong));
  f.editor.open();
  EXPECT_EQ(f.ui.errors.back(),
            "Error. Template Package " + f.openPath + " is damaged at record 3 and can not be edited. Sorry");
  // A good package with reserved slices 7 to 9 and a file record.
  std::vector<std::string> good = newPackageLines();
  good[0] = "0" + S + "About\x03\x02it";
  good[1] = templateRecord('1', {"a", "b", "c", "d", "e", "f", "seven", "eight", "nine"});
  good.push_back(encodeFileRecord("x.css", "414243"));
  f.openPath = f.dir.file("good.tem");
  testing::writeFile(f.openPath, joinPackageLines(good));
  f.editor.open();
  EXPECT_EQ(f.editor.statusText(), f.openPath);
  EXPECT_EQ(f.editor.descriptionBox(), "About\r\nit");
  EXPECT_EQ(f.editor.sliceBoxes()[5], "f");
  ASSERT_EQ(f.editor.fileList().size(), 1u);
  EXPECT_EQ(f.editor.fileList()[0].name, "x.css");
  EXPECT_FALSE(f.editor.modified());
  f.editor.sliceBoxes()[0] = "A";
  f.saveAsPath = f.dir.file("copy.tem");
  ASSERT_TRUE(f.editor.saveAs());
  good[1] = templateRecord('1', {"A", "b", "c", "d", "e", "f", "seven", "eight", "nine"});
  EXPECT_EQ(testing::readFile(f.saveAsPath), joinPackageLines(good));
  // An unreadable file leaves everything as it was.
  f.openPath = f.dir.file("missing.tem");
  EXPECT_THROW(f.editor.open(), std::runtime_error);
  EXPECT_EQ(f.editor.fileName(), f.saveAsPath);
  EXPECT_EQ(f.editor.currentTemplate(), 1);
}

TEST(PackageEditorTest, NewAndOpenAskAboutChangesAndCancelKeepsTheTemplateCurrent) {
  Fixture f;
  f.editor.start();
  f.editor.sliceBoxes()[0] = "typed";
  f.ui.answers = {Answer::Cancel};
  f.editor.newPackage();
  EXPECT_EQ(f.ui.questions.back(), "Save Changes before closing current Template Package?");
  EXPECT_EQ(f.editor.currentTemplate(), 1);
  // What is typed after the cancelled question still reaches the package.
  f.editor.sliceBoxes()[0] = "typed later";
  f.editor.storeEdits();
  EXPECT_EQ(f.editor.lines()[1], templateRecord('1', {"typed later"}));
  // Open: No to the question, then a cancelled file dialog.
  f.ui.answers = {Answer::No};
  f.editor.open();
  EXPECT_EQ(f.editor.currentTemplate(), 1);
  EXPECT_TRUE(f.editor.modified());
  // New with No discards.
  f.ui.answers = {Answer::No};
  f.editor.newPackage();
  EXPECT_FALSE(f.editor.modified());
  EXPECT_EQ(f.editor.sliceBoxes()[0], "");
  EXPECT_EQ(f.ui.questions.size(), 3u);
}

TEST(PackageEditorTest, FilesAreAddedListedExtractedAndRemoved) {
  Fixture f;
  f.editor.start();
  const std::string bytes("GIF\0\xff\x01", 6);
  f.addPath = f.dir.file(" pic.gif");
  testing::writeFile(f.addPath, bytes);
  f.editor.addFile();
  f.editor.addFile();  // the same name twice is allowed
  ASSERT_EQ(f.editor.fileList().size(), 2u);
  EXPECT_EQ(f.editor.lines()[10], "A" + S + "pic.gif" + S + "474946" + "00FF01" + S);
  EXPECT_EQ(f.editor.fileList()[1].line, 11u);
  EXPECT_TRUE(f.editor.modified());
  f.extractPath = f.dir.file("out.gif");
  EXPECT_TRUE(f.editor.extractFile(1));
  EXPECT_EQ(testing::readFile(f.extractPath), bytes);
  EXPECT_EQ(f.offeredNames, (std::vector<std::string>{"pic.gif"}));
  // Invalid data is not written, and that is said; a record too short to extract is still listed.
  f.saveAsPath = f.dir.file("files.tem");
  ASSERT_TRUE(f.editor.saveAs());
  testing::writeFile(f.saveAsPath, testing::readFile(f.saveAsPath) + "A" + S + "bad.bin" + S + "4G4" + S + "\r\n" +
                                       "A" + S + "x\r\nB ignored\r\n");
  f.openPath = f.saveAsPath;
  f.editor.open();
  f.editor.removeFile(99);
  ASSERT_EQ(f.editor.fileList().size(), 4u);
  EXPECT_EQ(f.editor.fileList()[3].name, "x");
  f.extractPath = f.dir.file("bad.bin");
  EXPECT_FALSE(f.editor.extractFile(2));
  EXPECT_FALSE(util::fileExists(f.extractPath));
  EXPECT_FALSE(f.ui.errors.empty());
  EXPECT_TRUE(f.editor.extractFile(3));
  EXPECT_EQ(f.offeredNames.size(), 2u);
  f.editor.removeFile(0);
  EXPECT_EQ(f.editor.fileList().size(), 3u);
  EXPECT_EQ(f.editor.fileList()[0].line, 10u);
  // A file that cannot be read adds nothing.
  f.addPath = f.dir.file("none.gif");
  EXPECT_THROW(f.editor.addFile(), std::runtime_error);
  EXPECT_EQ(f.editor.fileList().size(), 3u);
}

TEST(PackageEditorTest, DescriptionAndFilesPagesLeaveNoTemplateCurrent) {
  Fixture f;
  f.editor.start();
  f.editor.sliceBoxes()[2] = "kept";
  f.editor.showDescriptionPage();
  EXPECT_EQ(f.editor.page(), PackageEditor::Page::kDescription);
  EXPECT_EQ(f.editor.currentTemplate(), PackageEditor::kNoTemplate);
  f.editor.sliceBoxes()[2] = "not stored";
  f.editor.storeEdits();
  EXPECT_EQ(f.editor.lines()[1], templateRecord('1', {"", "", "kept"}));
  f.editor.templateButton(6);
  EXPECT_EQ(f.editor.page(), PackageEditor::Page::kSlices);
  EXPECT_EQ(f.editor.labelledTemplate(), 6);
  EXPECT_STREQ(templateLabel(6), "Static Template");
}

TEST(PackageEditorTest, PreviewShowsUnsavedEditsWithoutWritingThePackage) {
  Fixture f;
  f.editor.start();
  f.editor.sliceBoxes()[0] = "<p>[%thispage.title%] unsaved</p>";
  const std::string index = f.editor.preview(f.dir.path());
  ASSERT_FALSE(index.empty());
  EXPECT_EQ(index, previewFolder(f.dir.path()) + "index.html");
  EXPECT_NE(testing::readFile(previewFolder(f.dir.path()) + "1article.html").find("unsaved"), std::string::npos);
  EXPECT_TRUE(util::fileExists(previewFolder(f.dir.path()) + "untitled.tem"));
}

TEST(InsertableItemsTest, OneHundredFourteenItemsWithEntryItemsOnlyWhereEntriesAre) {
  for (int s = 1; s <= 6; ++s) {
    const auto& items = insertableItems(s);
    ASSERT_EQ(items.size(), kInsertableItemCount) << s;
    EXPECT_EQ(items.front(), "--- COMMANDS ---");
    EXPECT_EQ(items.back(), "");
    const bool entries = s == kArticle || s == kEachEntry;
    int entryItems = 0, entryHeadings = 0;
    for (const auto& item : items) {
      if (item.find("entry.") == std::string::npos) continue;
      (insertionFor(item).empty() ? entryHeadings : entryItems) += 1;
    }
    EXPECT_EQ(entryItems, entries ? 21 : 0) << s;
    EXPECT_EQ(entryHeadings, entries ? 0 : 21) << s;
  }
  EXPECT_EQ(insertableItems(4)[5], "ISHOMEPAGE");
  EXPECT_EQ(insertableItems(1)[29], "--- ENTRY ITEMS ---");
  EXPECT_EQ(insertableItems(1)[31], "--- entry.title");
  EXPECT_EQ(insertionFor("--- COMMANDS ---"), "");
  EXPECT_EQ(insertionFor("-- LISTS OF ITEMS ---"), "");
  EXPECT_EQ(insertionFor("RANDOM"), "[%RANDOM%]");
  EXPECT_EQ(insertionFor("entry.title"), "[%entry.title%]");
}

TEST(InsertableItemsTest, EveryItemIsATagTheEngineKnows) {
  for (const auto& item : insertableItems(kArticle)) {
    const std::string tag = insertionFor(item);
    if (tag.empty()) continue;
    EXPECT_NE(classifyTag(tag.substr(2, tag.size() - 4)), TagKind::kUnknown) << item;
  }
  EXPECT_EQ(classifyTag("ifblank~~[%entry.title%]~~x"), TagKind::kCommand);
  EXPECT_EQ(classifyTag("IFNOTBLANK"), TagKind::kCommand);
  EXPECT_EQ(classifyTag("entry.attachfile"), TagKind::kVariable);
  EXPECT_EQ(classifyTag("category.title"), TagKind::kVariable);
  EXPECT_EQ(classifyTag("entry.titel"), TagKind::kUnknown);
  EXPECT_EQ(classifyTag("Entry.Title"), TagKind::kUnknown);  // names keep their case
  EXPECT_EQ(classifyTag("random"), TagKind::kUnknown);
}

}  // namespace
}  // namespace tessary::templates
