// The export dialog: its state as it opens, several exports from one opening
// (the same name each time), the folder that cannot be made, and a blog file
// that cannot be read shown as an error while the dialog stays usable.
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include "app/exportdb2_form.h"
#include "app/gui_ui.h"
#include "app_test_support.h"
#include "store/blog_db.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;

class tst_exportdb2_form : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void opensWithTheSpreadsheetTypeATimeNameAndTheProgramFolder();
  void twoXmlExportsFromOneOpeningWriteOneFile();
  void aFolderThatCannotBeMadeIsToldAndNothingIsWritten();
  void aBlogFileThatCannotBeReadIsAnErrorAndTheDialogStays();
};

void tst_exportdb2_form::opensWithTheSpreadsheetTypeATimeNameAndTheProgramFolder() {
  ProgramFolder pf;
  const QString blog = pf.file("blog.zdb");
  createSampleBlog(pf.path(), blog);
  GuiUserInterface ui;
  store::BlogDb db(pf.path().toStdString(), ui);
  TExportBlogForm1 d(nullptr, db, ui, blog, pf.path());
  QCOMPARE(d.windowTitle(), QString("Export Blog As..."));
  QCOMPARE(d.fileTypeList()->currentText(), QString("Excel Spreadsheet - (Entries, Categories, Options)"));
  QCOMPARE(d.fileTypeList()->itemText(1), QString("XML Document - (Entries Only)"));
  QVERIFY(QRegularExpression("^\\d{14}$").match(d.fileNameEdit()->text()).hasMatch());
  QCOMPARE(d.folderEdit()->text(), pf.path());
  QCOMPARE(QString::fromStdString(d.state().blogFile), blog);
}

void tst_exportdb2_form::twoXmlExportsFromOneOpeningWriteOneFile() {
  ProgramFolder pf;
  const QString blog = pf.file("blog.zdb");
  createSampleBlog(pf.path(), blog);
  GuiUserInterface ui;
  store::BlogDb db(pf.path().toStdString(), ui);
  TExportBlogForm1 d(nullptr, db, ui, blog, pf.path());
  d.show();
  d.fileTypeList()->setCurrentIndex(1);
  d.folderEdit()->setText(pf.file("exports/new"));
  QTest::mouseClick(d.exportButton(), Qt::LeftButton);
  const QString written = d.lastWritten();
  QCOMPARE(written, pf.file("exports/new/" + d.fileNameEdit()->text() + ".xml"));
  QFile f(written);
  QVERIFY(f.open(QIODevice::ReadOnly));
  const QByteArray first = f.readAll();
  QVERIFY(first.startsWith("<TessaryFile>\r\n"));
  f.close();
  QVERIFY(QFile::remove(written));
  QTest::mouseClick(d.exportButton(), Qt::LeftButton);
  QCOMPARE(d.lastWritten(), written);
  QVERIFY(QFile::exists(written));
  QVERIFY(!db.isOpen());
  // The spreadsheet from the same opening.
  d.fileTypeList()->setCurrentIndex(0);
  QTest::mouseClick(d.exportButton(), Qt::LeftButton);
  QVERIFY(d.lastWritten().endsWith(".xls"));
  QVERIFY(QFile(d.lastWritten()).size() > 512);
  QVERIFY(d.isVisible());
  QVERIFY(d.exportButton()->isEnabled());
}

void tst_exportdb2_form::aFolderThatCannotBeMadeIsToldAndNothingIsWritten() {
  ProgramFolder pf;
  const QString blog = pf.file("blog.zdb");
  createSampleBlog(pf.path(), blog);
  QFile plain(pf.file("plainfile"));
  QVERIFY(plain.open(QIODevice::WriteOnly));
  plain.close();
  GuiUserInterface ui;
  store::BlogDb db(pf.path().toStdString(), ui);
  TExportBlogForm1 d(nullptr, db, ui, blog, pf.path());
  d.show();
  d.folderEdit()->setText(pf.file("plainfile/sub"));
  ModalAnswerer a;
  a.press("OK");
  QTest::mouseClick(d.exportButton(), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QVERIFY2(a.texts.value(0).startsWith("File export cancelled. Unable to create directory: "), qPrintable(a.texts.value(0)));
  QVERIFY(d.lastWritten().isEmpty());
}

void tst_exportdb2_form::aBlogFileThatCannotBeReadIsAnErrorAndTheDialogStays() {
  ProgramFolder pf;
  const QString blog = pf.file("broken.zdb");
  QFile f(blog);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write("not a database");
  f.close();
  GuiUserInterface ui;
  store::BlogDb db(pf.path().toStdString(), ui);
  TExportBlogForm1 d(nullptr, db, ui, blog, pf.path());
  d.show();
  d.fileTypeList()->setCurrentIndex(1);
  ModalAnswerer a;
  a.press("OK");
  QTest::mouseClick(d.exportButton(), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(0), QString("Error"));
  QVERIFY2(a.texts.value(0).contains("broken.zdb"), qPrintable(a.texts.value(0)));
  QVERIFY(d.isVisible());
  QVERIFY(d.exportButton()->isEnabled());
  QVERIFY(!db.isOpen());
}

QTEST_MAIN(tst_exportdb2_form)
#include "tst_exportdb2_form.moc"
