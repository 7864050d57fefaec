// The file picker: its frame and geometry, the link text, results on an empty
// table and after the add button, and the link the entry editor writes from it.
#include <QHeaderView>
#include <QFileDialog>
#include <QtTest>

#include "app/entry_form.h"
#include "app/get_file.h"
#include "app/mainform.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"
#include "store/media.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

namespace {

QString writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  return path;
}

std::function<void(QWidget*)> inPicker(const std::function<void(TGetFileForm*)>& action) {
  return [action](QWidget* w) {
    if (auto* p = as<TGetFileForm>(w)) action(p);
  };
}

// Adds a file in the editor through the picker; returns the text the editor then holds.
QString insertThroughTheEditor(OpenBlog& b, const QString& linkText) {
  QString text;
  ModalAnswerer a;
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    f->textEdit()->setFocus();
    QTest::mouseClick(f->toolButton(t::kHintBlogFile), Qt::LeftButton);
    text = QString::fromStdString(f->myBlogRec().BlogText);
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  });
  a.act(inPicker([linkText](TGetFileForm* p) {
    QTest::keyClicks(p->linkTextEdit(), linkText);
    QTest::mouseClick(p->insertButton(), Qt::LeftButton);
  }));
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  if (!a.allAnswered() || a.unexpected) return "not answered";
  return text;
}

}  // namespace

class tst_get_file : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void frameAndGeometry();
  void emptyTableThenTheAddButton();
  void theEditorWritesTheLink();
};

void tst_get_file::frameAndGeometry() {
  OpenBlog b;
  TGetFileForm p(b.w.get(), b.w->blog());
  p.show();
  QCOMPARE(p.windowTitle(), QString("Insert a File"));
  QCOMPARE(p.band()->title(), QString("Insert File"));
  QVERIFY(p.width() >= 622 && p.height() >= 279);
  QCOMPARE(p.minimumSize(), p.maximumSize());
  const char* columns[] = {"File Name", "Date Added", "File Size"};
  const int widths[] = {300, 150};
  for (int i = 0; i < 3; ++i)
    QCOMPARE(p.model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), QString(columns[i]));
  for (int i = 0; i < 2; ++i) QCOMPARE(p.grid()->horizontalHeader()->sectionSize(i), widths[i]);
  QCOMPARE(p.grid()->width(), p.width() - 48);
  QCOMPARE(p.width() - p.addButton()->mapTo(&p, QPoint(0, 0)).x(), 40);
  QCOMPARE(p.linkTextEdit()->width(), p.width() - 8);
  QCOMPARE(p.linkTextEdit()->accessibleName(), QString("Link Text"));
  QCOMPARE(p.addButton()->accessibleName(), QString(t::kAddFileHint));
  QVERIFY(p.insertButton()->isDefault());
  QString topic;
  p.setHelpOpener([&](const QString& s) { topic = s; });
  QTest::mouseClick(p.bandButton(t::kHelp), Qt::LeftButton);
  QCOMPARE(topic, QString("ExtraFiles"));
}

void tst_get_file::emptyTableThenTheAddButton() {
  OpenBlog b;
  ModalAnswerer a;
  TGetFileForm p(b.w.get(), b.w->blog());
  a.act(inPicker([](TGetFileForm* w) { QTest::mouseClick(w->insertButton(), Qt::LeftButton); }));
  QCOMPARE(p.exec(), 0);
  QVERIFY(!p.choice());
  const QString file = writeFile(b.pf.file("notes.zip"), "PK\x03\x04 not really");
  int rows = -1;
  a.act(inPicker([&](TGetFileForm* w) {
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    rows = w->model()->rowCount();
    QTest::keyClicks(w->linkTextEdit(), "My notes");
    QTest::mouseClick(w->insertButton(), Qt::LeftButton);
  }));
  QString start, filter;
  a.chooseFile(file, [&](QFileDialog* d) {
    start = QDir(d->directory()).canonicalPath();
    filter = d->nameFilters().value(0);
  });
  QCOMPARE(p.exec(), 1);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(start, QDir(b.pf.path()).canonicalPath());
  QVERIFY(filter.startsWith("All Files"));
  QCOMPARE(rows, 1);
  QCOMPARE(p.choice()->name, std::string("notes.zip"));
  QCOMPARE(p.choice()->linkText, std::string("My notes"));
  // Cancel gives 0 and leaves the row where it was.
  a.press(t::kCancel);
  QCOMPARE(p.exec(), 0);
  QCOMPARE(b.w->blog().tblFiles().asString("BlogFileName"), std::string("notes.zip"));
}

void tst_get_file::theEditorWritesTheLink() {
  OpenBlog b;
  store::AddBlogFile(b.w->blog(), writeFile(b.pf.file("guide.pdf"), "%PDF-1.4").toStdString());
  QCOMPARE(insertThroughTheEditor(b, "The guide"),
           QString("<A HREF=\"guide.pdf\" class=\"entrylink\">The guide</A>"));
  // An empty link text links the file's name.
  QCOMPARE(insertThroughTheEditor(b, ""), QString("<A HREF=\"guide.pdf\" class=\"entrylink\">guide.pdf</A>"));
}

QTEST_MAIN(tst_get_file)
#include "tst_get_file.moc"
