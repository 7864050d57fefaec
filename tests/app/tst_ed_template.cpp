// The template package editor: its captions, hints and names, the questions of
// New, Open, Save, reset, clear and closing answered by caption, the files it
// writes compared byte for byte, Insert, the embedded files, the preview through
// its browser seam, highlighting and Find, the place it opens at, and the round
// trip of every shipped package through Open and Save As.
#include <QDir>
#include <QDirIterator>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include "app/ed_template.h"
#include "app/mainform.h"
#include "app/pop_status.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "templates/package.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

namespace {

const QByteArray S(1, '\x01');

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}
QList<QByteArray> linesOf(const QString& path) {
  QList<QByteArray> lines = readAll(path).split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (QByteArray& l : lines) l.chop(1);  // the CR
  return lines;
}
// The ten lines of a new package.
QByteArray newPackageFile() {
  QByteArray out;
  for (char k = '0'; k <= '9'; ++k) out += QByteArray(1, k) + S + "\r\n";
  return out;
}

// A shown editor of its own program folder, its browser recorded.
struct Packager {
  ProgramFolder pf;
  QList<QUrl> opened;
  QStringList topics;
  std::unique_ptr<TTemplatePackagerForm> w;
  Packager() {
    TemplatePackagerSeams seams;
    seams.openUrl = [this](const QUrl& u) {
      opened << u;
      return true;
    };
    seams.help = [this](const QString& topic) { topics << topic; };
    w = std::make_unique<TTemplatePackagerForm>(nullptr, pf.path(), seams);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
  }
  void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
  void file(const QString& caption) { click(w->fileBarButton(caption)); }
  void type(int slice, const QString& text) {
    w->sliceTabs()->setCurrentIndex(slice - 1);
    QPlainTextEdit* box = w->sliceBox(slice);
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, text);
  }
};

// The colour a highlighter gave the character at `pos` of the first block.
QTextCharFormat formatAt(QPlainTextEdit* box, int pos) {
  const QTextBlock block = box->document()->firstBlock();
  for (const QTextLayout::FormatRange& r : block.layout()->formats())
    if (pos >= r.start && pos < r.start + r.length) return r.format;
  return {};
}

}  // namespace

class tst_ed_template : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void captionsHintsAndNames();
  void saveWritesOnlyWhenChangedAndSaveAsAlways();
  void clearAndResetThenSaveAndOpenAgain();
  void openOfDamagedPackagesGivesANewOne();
  void newAndOpenAskBeforeLosingChanges();
  void closingAsksOnlyAboutRealChanges();
  void insertPutsTheTagInFrontOfTheSelection();
  void filesAreAddedExtractedAndRemoved();
  void previewOpensTheIndexPage();
  void highlightingAndFind();
  void keyboardReachesTheCommands();
  void opensFromTheMainWindowWhereTheEntryEditorWas();
  void everyShippedPackageSurvivesOpenAndSaveAs();
};

void tst_ed_template::captionsHintsAndNames() {
  Packager p;
  TTemplatePackagerForm* w = p.w.get();
  QCOMPARE(w->windowTitle(), QString("Template Packager"));
  QVERIFY(w->bandButton("Help") && w->bandButton("Close"));
  for (const char* c : {"New", "Open", "Save", "Save As...", "Preview"}) QVERIFY2(w->fileBarButton(c), c);
  const char* const buttons[] = {"Default Layout",  "Home Page",     "Archive Index",
                                 "Archive Entries", "Article Pages", "Static Pages"};
  for (int k = 1; k <= 6; ++k) QCOMPARE(w->templateButton(k)->text(), QString(buttons[k - 1]));
  const char* const resets[] = {"Home Page", "Archive Index", "Archive Entry", "Article", "Static"};
  const char* const clears[] = {"Home Page", "Archive Index", "Archive Entries", "Article", "Static"};
  for (int k = 2; k <= 6; ++k) {
    const QString reset = QString("Reset %1 template to Default template").arg(resets[k - 2]);
    const QString clear = QString("Clear %1 template").arg(clears[k - 2]);
    QCOMPARE(w->resetButton(k)->toolTip(), reset);
    QCOMPARE(w->resetButton(k)->accessibleName(), reset);
    QCOMPARE(w->clearButton(k)->toolTip(), clear);
    QCOMPARE(w->clearButton(k)->accessibleName(), clear);
  }
  QCOMPARE(w->descriptionButton()->text(), QString("Description"));
  QCOMPARE(w->filesButton()->text(), QString("Images and Files"));
  const char* const tabs[] = {"Start of Page", "Article", "Before Entries", "Each Entry", "After Entries", "End of Page"};
  for (int s = 1; s <= 6; ++s) {
    QCOMPARE(w->sliceTabs()->tabText(s - 1), QString(tabs[s - 1]));
    QCOMPARE(w->itemList(s)->count(), 114);
    QCOMPARE(w->itemList(s)->currentText(), QString("--- COMMANDS ---"));
    QCOMPARE(w->insertButton(s)->text(), QString("Insert"));
  }
  QCOMPARE(w->itemList(1)->itemText(31), QString("--- entry.title"));
  QCOMPARE(w->itemList(4)->itemText(31), QString("entry.title"));
  QCOMPARE(w->templateLabel()->text(), QString("Default Template"));
  QCOMPARE(w->statusLine()->text(), QString("New Template Package"));
  QCOMPARE(w->pages()->currentIndex(), 0);
  bool headings[2] = {false, false};
  for (QLabel* l : w->findChildren<QLabel*>()) {
    headings[0] |= l->text() == "Enter a Description for your Template Package";
    headings[1] |= l->text() == "Add Images and Extra Files to the Template Package";
  }
  QVERIFY(headings[0] && headings[1]);
  QCOMPARE(w->addFileButton()->text(), QString("Add File"));
  QCOMPARE(w->extractFileButton()->text(), QString("Extract File"));
  QCOMPARE(w->removeFileButton()->text(), QString("Remove File"));
  // Every control has a name: its caption, or its hint where it has none.
  for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
    if (b->parentWidget() && qobject_cast<QTabBar*>(b->parentWidget())) continue;  // the tab bar's scrollers
    if (!b->isVisibleTo(w) && !b->text().isEmpty() && b->accessibleName().isEmpty()) QFAIL(qPrintable(b->text()));
    if (!b->text().isEmpty()) QCOMPARE(b->accessibleName(), b->text());
  }
  for (int s = 1; s <= 6; ++s) QCOMPARE(w->sliceBox(s)->accessibleName(), QString(tabs[s - 1]));
  // The pages, and Help's topic.
  p.click(w->descriptionButton());
  QCOMPARE(w->pages()->currentIndex(), 1);
  p.click(w->filesButton());
  QCOMPARE(w->pages()->currentIndex(), 2);
  p.click(w->templateButton(5));
  QCOMPARE(w->pages()->currentIndex(), 0);
  QCOMPARE(w->templateLabel()->text(), QString("Article Template"));
  p.click(w->bandButton("Help"));
  QCOMPARE(p.topics, QStringList{"PackageTemplates"});
}

void tst_ed_template::saveWritesOnlyWhenChangedAndSaveAsAlways() {
  Packager p;
  ModalAnswerer a;
  const QString path = p.pf.file("new.tem");
  // Save of a new, unchanged package writes nothing and asks nothing.
  p.file("Save");
  QCOMPARE(a.unexpected, 0);
  // Save As writes it.
  a.chooseFile(path);
  p.file("Save As...");
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(readAll(path), newPackageFile());
  QCOMPARE(p.w->statusLine()->text(), path);
  // Named and unchanged: Save writes nothing.
  QVERIFY(QFile::remove(path));
  p.file("Save");
  QVERIFY(!QFile::exists(path));
  // Save As always writes, here with a description and a slice.
  p.click(p.w->descriptionButton());
  QTest::keyClicks(p.w->descriptionBox(), "My package");
  p.click(p.w->templateButton(1));
  p.type(2, "<p>x</p>");
  QTest::keyClick(p.w->sliceBox(2), Qt::Key_Return);
  QTest::keyClicks(p.w->sliceBox(2), "y");
  const QString other = p.pf.file("other.tem");
  a.chooseFile(other);
  p.file("Save As...");
  QTRY_VERIFY(a.allAnswered());
  const QList<QByteArray> lines = linesOf(other);
  QCOMPARE(lines.size(), 10);
  QCOMPARE(lines[0], "0" + S + "My package");
  QCOMPARE(lines[1], "1" + S + S + "<p>x</p>\x03\x02y" + S.repeated(8));
  QCOMPARE(p.w->statusLine()->text(), other);
  QCOMPARE(a.unexpected, 0);
}

void tst_ed_template::clearAndResetThenSaveAndOpenAgain() {
  Packager p;
  ModalAnswerer a;
  p.type(1, "<html><head><title>[%thispage.title%]</title></head><body>");
  p.click(p.w->templateButton(2));
  p.type(1, "home only");
  a.press("No").press("Yes");
  p.click(p.w->clearButton(2));
  QCOMPARE(p.w->sliceBox(1)->toPlainText(), QString("home only"));
  p.click(p.w->clearButton(2));
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(a.texts, QStringList({"Clear Home Page template?", "Clear Home Page template?"}));
  for (int s = 1; s <= 6; ++s) QVERIFY(p.w->sliceBox(s)->toPlainText().isEmpty());
  a.press("Cancel").press("Yes");
  p.click(p.w->resetButton(3));
  p.click(p.w->resetButton(3));
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(a.texts.last(), QString("Reset Archive Index template to Default template?"));
  QCOMPARE(p.w->templateLabel()->text(), QString("Section Index Template"));
  QVERIFY(p.w->sliceBox(1)->toPlainText().startsWith("<html>"));
  const QString path = p.pf.file("cleared.tem");
  a.chooseFile(path);
  p.file("Save");
  QTRY_VERIFY(a.allAnswered());
  const QList<QByteArray> lines = linesOf(path);
  QCOMPARE(lines[2], "2" + S.repeated(10));
  QCOMPARE(lines[3], "3" + lines[1].mid(1));
  QVERIFY(lines[1].contains("[%thispage.title%]"));
  // It opens again without a message.
  a.chooseFile(path);
  p.file("Open");
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(a.texts.size(), 4);
  QCOMPARE(p.w->statusLine()->text(), path);
  QVERIFY(p.w->sliceBox(1)->toPlainText().startsWith("<html>"));
  QCOMPARE(p.w->templateLabel()->text(), QString("Default Template"));
}

void tst_ed_template::openOfDamagedPackagesGivesANewOne() {
  Packager p;
  ModalAnswerer a;
  const QString nine = p.pf.file("nine.tem");
  QByteArray bytes;
  for (char k = '0'; k <= '8'; ++k) bytes += QByteArray(1, k) + S + "\r\n";
  writeAll(nine, bytes);
  const QString wrong = p.pf.file("wrong.tem");
  writeAll(wrong, bytes + "8" + S + "\r\n");
  a.chooseFile(nine).press("OK").chooseFile(wrong).press("OK");
  p.file("Open");
  p.file("Open");
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(a.texts, QStringList({"Error. Template Package " + nine + " is damaged and can not be edited. Sorry",
                                 "Error. Template Package " + wrong +
                                     " is damaged at record 10 and can not be edited. Sorry"}));
  QCOMPARE(p.w->statusLine()->text(), QString("New Template Package"));
  QCOMPARE(p.w->editor().lines(), templates::newPackageLines());
}

void tst_ed_template::newAndOpenAskBeforeLosingChanges() {
  Packager p;
  ModalAnswerer a;
  p.type(3, "before");
  a.press("Cancel");
  p.file("New");
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(a.texts.last(), QString("Save Changes before closing current Template Package?"));
  QCOMPARE(p.w->sliceBox(3)->toPlainText(), QString("before"));
  // Yes saves (here through Save As) before the new package.
  const QString path = p.pf.file("kept.tem");
  a.press("Yes").chooseFile(path);
  p.file("New");
  QTRY_VERIFY(a.allAnswered());
  QVERIFY(linesOf(path)[1].contains("before"));
  QVERIFY(p.w->sliceBox(3)->toPlainText().isEmpty());
  QCOMPARE(p.w->statusLine()->text(), QString("New Template Package"));
  // Unchanged: Open asks nothing.
  a.cancelFile();
  p.file("Open");
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(a.texts.size(), 2);
  QCOMPARE(a.unexpected, 0);
}

void tst_ed_template::closingAsksOnlyAboutRealChanges() {
  {
    Packager p;
    ModalAnswerer a;
    const QString path = p.pf.file("case.tem");
    p.type(1, "<B>bold</B>");
    a.chooseFile(path);
    p.file("Save As...");
    QTRY_VERIFY(a.allAnswered());
    // Only the case changes: closing asks nothing.
    QPlainTextEdit* box = p.w->sliceBox(1);
    box->selectAll();
    QTest::keyClicks(box, "<b>bold</b>");
    p.click(p.w->bandButton("Close"));
    QVERIFY(!p.w->isVisible());
    QCOMPARE(a.texts.size(), 0);
  }
  Packager p;
  ModalAnswerer a;
  p.type(6, "edited");
  a.press("Cancel").press("No");
  p.click(p.w->bandButton("Close"));
  QTRY_VERIFY(a.texts.size() == 1);
  QVERIFY(p.w->isVisible());
  QTest::keyClick(p.w.get(), Qt::Key_Escape);
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(a.texts, QStringList(2, "Save Changes before closing Template Package?"));
  QVERIFY(!p.w->isVisible());
  // Yes with a cancelled Save As stays open.
  Packager q;
  q.type(2, "x");
  a.press("Yes").cancelFile();
  q.w->close();
  QTRY_VERIFY(a.allAnswered());
  QVERIFY(q.w->isVisible());
  QCOMPARE(a.unexpected, 0);
}

void tst_ed_template::insertPutsTheTagInFrontOfTheSelection() {
  Packager p;
  TTemplatePackagerForm* w = p.w.get();
  // A heading inserts nothing; RANDOM its tag at the caret.
  p.type(1, "ab");
  p.click(w->insertButton(1));
  QCOMPARE(w->sliceBox(1)->toPlainText(), QString("ab"));
  w->itemList(1)->setCurrentText("RANDOM");
  p.click(w->insertButton(1));
  QCOMPARE(w->sliceBox(1)->toPlainText(), QString("ab[%RANDOM%]"));
  // An entry item is a heading in "Start of Page", a tag in "Each Entry".
  w->itemList(1)->setCurrentText("--- entry.title");
  p.click(w->insertButton(1));
  QCOMPARE(w->sliceBox(1)->toPlainText(), QString("ab[%RANDOM%]"));
  p.type(4, "Title");
  w->sliceBox(4)->selectAll();
  w->itemList(4)->setCurrentText("entry.title");
  p.click(w->insertButton(4));
  QCOMPARE(w->sliceBox(4)->toPlainText(), QString("[%entry.title%]Title"));
  // The two-dash heading and the empty last item insert nothing either.
  w->itemList(4)->setCurrentText("-- LISTS OF ITEMS ---");
  p.click(w->insertButton(4));
  w->itemList(4)->setCurrentIndex(113);
  p.click(w->insertButton(4));
  QCOMPARE(w->sliceBox(4)->toPlainText(), QString("[%entry.title%]Title"));
}

void tst_ed_template::filesAreAddedExtractedAndRemoved() {
  Packager p;
  ModalAnswerer a;
  const QByteArray gif("GIF89a\x01\x00\x01\x00\x00\xff\x00", 13);
  const QString source = p.pf.file("pic.gif");
  writeAll(source, gif);
  p.click(p.w->filesButton());
  a.chooseFile(source).chooseFile(source);
  p.click(p.w->addFileButton());
  p.click(p.w->addFileButton());
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(p.w->fileList()->count(), 2);
  QCOMPARE(p.w->fileList()->item(0)->text(), QString("pic.gif"));
  QCOMPARE(QByteArray::fromStdString(p.w->editor().lines()[10]), "A" + S + "pic.gif" + S + gif.toHex().toUpper() + S);
  // Extract offers the file's own name.
  const QString out = p.pf.file("out.gif");
  QString offered;
  a.chooseFile(out, [&](QFileDialog* d) { offered = d->selectedFiles().value(0); });
  p.w->fileList()->setCurrentRow(1);
  p.click(p.w->extractFileButton());
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(readAll(out), gif);
  QVERIFY2(offered.endsWith("/pic.gif"), qPrintable(offered));
  // Nothing selected: nothing asked. Remove takes the selected line.
  p.w->fileList()->setCurrentRow(-1);
  p.click(p.w->extractFileButton());
  p.w->fileList()->setCurrentRow(0);
  p.click(p.w->removeFileButton());
  QCOMPARE(p.w->fileList()->count(), 1);
  QCOMPARE(p.w->editor().lines().size(), size_t(11));
  QCOMPARE(a.texts.size(), 0);
  QCOMPARE(a.unexpected, 0);
}

void tst_ed_template::previewOpensTheIndexPage() {
  Packager p;
  p.type(1, "<p>[%thispage.title%] unsaved edit</p>");
  p.file("Preview");
  QCOMPARE(p.opened.size(), 1);
  const QString index = p.opened[0].toLocalFile();
  QCOMPARE(index, QDir(p.pf.path()).filePath("HTML/TemplatePreview/index.html"));
  QVERIFY(readAll(index).contains("Preview of untitled.tem"));
  QVERIFY(readAll(QDir(p.pf.path()).filePath("HTML/TemplatePreview/1article.html")).contains("unsaved edit"));
  QVERIFY(TStatusForm::current() == nullptr);
  // The edit is stored in the package, which is still not saved.
  QVERIFY(p.w->editor().modified());
  // A folder that cannot be made: the error names it.
  Packager q;
  writeAll(QDir(q.pf.path()).filePath("HTML"), "a file, not a folder");
  ModalAnswerer a;
  a.press("OK");
  q.file("Preview");
  QTRY_VERIFY(a.allAnswered());
  QVERIFY2(a.texts.value(0).contains("HTML"), qPrintable(a.texts.value(0)));
  QVERIFY(q.opened.isEmpty());
  QVERIFY(TStatusForm::current() == nullptr);
}

void tst_ed_template::highlightingAndFind() {
  Packager p;
  TTemplatePackagerForm* w = p.w.get();
  QPlainTextEdit* box = w->sliceBox(1);
  const QString text = "<b class=\"x\">[%entry.title%] [%entry.titel%] [%ifblank~~[%ISHOMEPAGE%]~~y%]</b> text";
  box->setPlainText(text);
  TemplateHighlighter* h = w->highlighter(1);
  QCOMPARE(formatAt(box, 1).foreground(), h->format(TemplateHighlighter::kHtml).foreground());
  QCOMPARE(formatAt(box, int(text.indexOf("entry.title"))).foreground(),
           h->format(TemplateHighlighter::kVariable).foreground());
  QCOMPARE(formatAt(box, int(text.indexOf("entry.titel"))).underlineStyle(), QTextCharFormat::WaveUnderline);
  QCOMPARE(formatAt(box, int(text.indexOf("ifblank"))).foreground(),
           h->format(TemplateHighlighter::kCommand).foreground());
  QCOMPARE(formatAt(box, int(text.indexOf("ISHOMEPAGE"))).foreground(),
           h->format(TemplateHighlighter::kVariable).foreground());
  QVERIFY(formatAt(box, int(text.indexOf(" text")) + 2).foreground() !=
          h->format(TemplateHighlighter::kHtml).foreground());
  // Ctrl+F goes to the find field; Return finds the next match, from the top again at the end.
  QTest::keyClick(w, Qt::Key_F, Qt::ControlModifier);
  QVERIFY(w->findField()->hasFocus());
  QTest::keyClicks(w->findField(), "entry");
  QTest::keyClick(w->findField(), Qt::Key_Return);
  QCOMPARE(box->textCursor().selectedText(), QString("entry"));
  const int first = box->textCursor().selectionStart();
  QTest::keyClick(w->findField(), Qt::Key_Return);
  QVERIFY(box->textCursor().selectionStart() > first);
  QTest::keyClick(w->findField(), Qt::Key_Return);
  QCOMPARE(box->textCursor().selectionStart(), first);
  w->findField()->setText("absent");
  QTest::keyClick(w->findField(), Qt::Key_Return);
  bool notFound = false;
  for (QLabel* l : w->findChildren<QLabel*>()) notFound |= l->text() == "Not found";
  QVERIFY(notFound);
}

void tst_ed_template::keyboardReachesTheCommands() {
  Packager p;
  ModalAnswerer a;
  QTest::keyClick(p.w.get(), Qt::Key_3, Qt::ControlModifier);
  QCOMPARE(p.w->templateLabel()->text(), QString("Section Index Template"));
  p.type(1, "k");
  const QString path = p.pf.file("keys.tem");
  a.chooseFile(path);
  QTest::keyClick(p.w->sliceBox(1), Qt::Key_S, Qt::ControlModifier);
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(linesOf(path)[3], "3" + S + "k" + S.repeated(9));
  p.w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(p.w.get()));
  QTest::keyClick(p.w->sliceBox(1), Qt::Key_F1);
  QCOMPARE(p.topics, QStringList{"PackageTemplates"});
  QTest::keyClick(p.w->sliceBox(1), Qt::Key_Escape);
  QVERIFY(!p.w->isVisible());
}

void tst_ed_template::opensFromTheMainWindowWhereTheEntryEditorWas() {
  ProgramFolder pf;
  TtheMainForm main(pf.path());
  main.show();
  main.settings().entry = WindowPlace{40, 30, 300, 700, false};
  ModalAnswerer a;
  QRect geometry;
  QString status;
  a.act([&](QWidget* w) {
    auto* f = as<TTemplatePackagerForm>(w);
    if (!f) return;
    geometry = f->geometry();
    status = f->statusLine()->text();
    f->close();
  });
  QTest::mouseClick(main.button(t::kTemplateEditor, TtheMainForm::kPageBlogs), Qt::LeftButton);
  QTRY_VERIFY(a.allAnswered());
  QCOMPARE(status, QString("New Template Package"));
  QCOMPARE(geometry.width(), 700);
  QCOMPARE(geometry.height(), 400);  // at least 400 high
  QCOMPARE(a.unexpected, 0);
}

void tst_ed_template::everyShippedPackageSurvivesOpenAndSaveAs() {
  QStringList packages;
  for (const QString& folder : {QStringLiteral(TESSARY_APP_BIN_DIR), QStringLiteral(TESSARY_SOURCE_DIR "/tests")}) {
    QDirIterator it(folder, {"*.tem"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) packages << it.next();
  }
  QVERIFY2(packages.size() >= 5, qPrintable(packages.join(", ")));
  int good = 0;
  for (const QString& path : packages) {
    std::vector<std::string> lines;
    const bool ok = templates::readPackageFile(path.toStdString(), lines, templates::CheckWording::kEditor).ok();
    Packager p;
    ModalAnswerer a;
    const QString copy = p.pf.file("copy.tem");
    a.chooseFile(path);
    if (!ok) a.press("OK");
    p.file("Open");
    QTRY_VERIFY(a.allAnswered());
    if (!ok) {
      QVERIFY2(a.texts.value(0).contains("can not be edited"), qPrintable(path));
      continue;
    }
    ++good;
    QVERIFY2(!p.w->editor().modified(), qPrintable(path));
    // Every template shown once, the description and the files page too.
    for (int k = 1; k <= 6; ++k) p.click(p.w->templateButton(k));
    p.click(p.w->descriptionButton());
    p.click(p.w->filesButton());
    a.chooseFile(copy);
    p.file("Save As...");
    QTRY_VERIFY(a.allAnswered());
    QVERIFY2(readAll(copy) == readAll(path), qPrintable(path));
    // Closing asks nothing.
    p.click(p.w->bandButton("Close"));
    QVERIFY2(!p.w->isVisible(), qPrintable(path));
    QCOMPARE(a.texts.size(), 0);
  }
  QVERIFY(good >= 4);
}

QTEST_MAIN(tst_ed_template)
#include "tst_ed_template.moc"
