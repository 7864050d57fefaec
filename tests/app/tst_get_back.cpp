// The backup dialog: the count shown and read back, the folder chooser's start
// and answer, Continue and Cancel, its frame, and "Backup Blog" and a double
// click on the backup options through the main window.
#include <QComboBox>
#include <QFileDialog>
#include <QtTest>

#include "app/get_back.h"
#include "app/mainform.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

class tst_get_back : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void countShownAndReadBack_data();
  void countShownAndReadBack();
  void continueAndCancel();
  void folderChooserStartsAtTheTypedFolder();
  void frameAndNames();
  void backupThroughTheMainWindow();
};

void tst_get_back::countShownAndReadBack_data() {
  QTest::addColumn<int>("stored");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<int>("readBack");
  QTest::newRow("one") << 1 << "1" << 1;
  QTest::newRow("five") << 5 << "5" << 5;
  QTest::newRow("the last item") << 25 << "25" << 25;
  QTest::newRow("above the list") << 30 << "25" << 25;
  QTest::newRow("zero selects nothing") << 0 << "" << 0;
  QTest::newRow("negative selects nothing") << -4 << "" << 0;
}

void tst_get_back::countShownAndReadBack() {
  QFETCH(int, stored);
  QFETCH(QString, shown);
  QFETCH(int, readBack);
  TGetBackupForm d(nullptr, "/tmp");
  d.setSettings({"/backups", stored});
  QCOMPARE(d.countList()->currentText(), shown);
  QCOMPARE(d.settings().backupsToKeep, readBack);
  QCOMPARE(d.settings().location, std::string("/backups"));
}

void tst_get_back::continueAndCancel() {
  ModalAnswerer a;
  TGetBackupForm d(nullptr, "/tmp");
  d.setSettings({"/a", 3});
  a.act([](QWidget* w) {
    auto* f = as<TGetBackupForm>(w);
    if (!f) return;
    f->locationEdit()->setText("/b");
    f->countList()->setCurrentIndex(9);
    QTest::mouseClick(f->continueButton(), Qt::LeftButton);
  });
  QCOMPARE(d.exec(), 1);
  QCOMPARE(d.settings().location, std::string("/b"));
  QCOMPARE(d.settings().backupsToKeep, 10);
  a.act([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  QCOMPARE(d.exec(), 0);
  QVERIFY(a.allAnswered());
}

void tst_get_back::folderChooserStartsAtTheTypedFolder() {
  ProgramFolder pf;
  QDir(pf.path()).mkpath("typed");
  QDir(pf.path()).mkpath("chosen");
  ModalAnswerer a;
  TGetBackupForm d(nullptr, pf.path());
  QStringList starts;
  auto look = [&starts](QFileDialog* fd) {
    if (fd->fileMode() == QFileDialog::Directory) starts << QDir(fd->directory()).canonicalPath();
  };
  // A typed folder that exists is where the chooser starts; else the program folder.
  d.setSettings({pf.file("typed").toStdString(), 5});
  a.chooseFile(pf.file("chosen"), look);
  QTest::mouseClick(d.chooseFolderButton(), Qt::LeftButton);
  QCOMPARE(QDir(d.locationEdit()->text()).canonicalPath(), QDir(pf.file("chosen")).canonicalPath());
  d.locationEdit()->setText(pf.file("no such folder"));
  a.act([&](QWidget* w) {
    if (auto* fd = qobject_cast<QFileDialog*>(w)) look(fd);
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
  });
  QTest::mouseClick(d.chooseFolderButton(), Qt::LeftButton);
  QCOMPARE(d.locationEdit()->text(), pf.file("no such folder"));  // Cancel keeps the text
  QVERIFY(a.allAnswered());
  QCOMPARE(starts, QStringList({QDir(pf.file("typed")).canonicalPath(), QDir(pf.path()).canonicalPath()}));
}

void tst_get_back::frameAndNames() {
  TGetBackupForm d(nullptr, "/tmp");
  d.show();
  QCOMPARE(d.windowTitle(), QString("Backup Blog"));
  QCOMPARE(d.band()->title(), QString("Backup"));
  QVERIFY(d.width() >= 473 && d.height() >= 132);
  QCOMPARE(d.minimumSize(), d.maximumSize());
  QCOMPARE(d.countList()->count(), 25);
  QCOMPARE(d.countList()->itemText(0), QString("1"));
  QCOMPARE(d.countList()->itemText(24), QString("25"));
  QCOMPARE(d.continueButton()->geometry().right(), d.band()->width() - 1 - 4);
  QCOMPARE(d.cancelButton()->geometry().right() + 5, d.continueButton()->geometry().left());
  QCOMPARE(d.helpButton()->geometry().right() + 5, d.cancelButton()->geometry().left());
  QCOMPARE(d.locationEdit()->accessibleName(), QString("Backup Location"));
  QCOMPARE(d.countList()->accessibleName(), QString("Number of Backups to keep"));
  QVERIFY(!d.chooseFolderButton()->accessibleName().isEmpty());
  QString topic;
  d.setHelpOpener([&](const QString& s) { topic = s; });
  QTest::mouseClick(d.helpButton(), Qt::LeftButton);
  QCOMPARE(topic, QString("BlogsBackup"));
}

void tst_get_back::backupThroughTheMainWindow() {
  OpenBlog b;
  const QString folder = b.pf.file("backups/deep");
  ModalAnswerer a;
  a.act([&](QWidget* w) {
    auto* f = as<TGetBackupForm>(w);
    if (!f) return;
    f->locationEdit()->setText(folder);
    f->countList()->setCurrentIndex(2);
    QTest::mouseClick(f->continueButton(), Qt::LeftButton);
  });
  a.press("OK");  // "File backup was successfully."
  b.w->showPage(TtheMainForm::kPageBlogs);
  QTest::mouseClick(b.w->button(t::kBackupBlog, TtheMainForm::kPageBlogs), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QVERIFY(QFile::exists(folder + "/blog.~1"));
  QCOMPARE(QString::fromStdString(b.w->blog().options().BackupLocation), folder);
  QCOMPARE(b.w->blog().options().BackupsToKeep, 3);

  // A double click on an option row from 190 to 199 runs the backup; Cancel there changes nothing.
  b.w->showPage(TtheMainForm::kPageOptions);
  QTableView* g = b.w->optionGrid();
  int row = -1;
  for (int r = 0; r < b.w->optionModel()->rowCount() && row < 0; ++r)
    if (b.w->optionModel()->optionKeyAt(r) == 191) row = r;
  QVERIFY(row >= 0);
  int shownCount = -1;
  QString shownFolder;
  a.act([&](QWidget* w) {
    auto* f = as<TGetBackupForm>(w);
    if (!f) return;
    shownFolder = f->locationEdit()->text();
    shownCount = f->countList()->currentIndex() + 1;
    QTest::mouseClick(f->cancelButton(), Qt::LeftButton);
  });
  g->scrollTo(b.w->optionModel()->index(row, 0));
  const QPoint at = g->visualRect(b.w->optionModel()->index(row, 0)).center();
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(shownFolder, folder);
  QCOMPARE(shownCount, 3);
  QVERIFY(!QFile::exists(folder + "/blog.~2"));
}

QTEST_MAIN(tst_get_back)
#include "tst_get_back.moc"
