// The template chooser over temporary program folders holding good, damaged,
// hidden and oddly named packages: the scan and its status popup, the sorted
// list, descriptions, selection by name, Save and Cancel, "Add New Templates"
// with its refusals, and the preview picture.
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QTextBlock>
#include <QImage>
#include <QtTest>

#include "app/opt_template.h"
#include "app_test_support.h"
#include "opt_test_support.h"
#include "templates/package.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;

namespace {

// Records the status popup's texts.
class StatusUi : public QuietUi {
 public:
  QStringList status;
  void statusShow(const std::string& s) override { status << "show " + QString::fromStdString(s); }
  void statusSetMessage(const std::string& s) override { status << QString::fromStdString(s); }
  void statusClose() override { status << "close"; }
};

// A package of ten lines with this description (its line breaks encoded) and
// extra lines after them.
QByteArray package(const std::string& description, const std::vector<std::string>& extra = {}) {
  std::vector<std::string> lines = templates::newPackageLines();
  lines[0] = templates::encodeDescription(description);
  for (const auto& l : extra) lines.push_back(l);
  return QByteArray::fromStdString(templates::joinPackageLines(lines));
}

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList listed(const TOptTemplateForm& c) {
  QStringList out;
  for (int i = 0; i < c.templateList()->count(); ++i) out << c.templateList()->itemText(i);
  return out;
}

// A program folder with the usual mix.
struct Folder {
  ProgramFolder pf;
  Folder() {
    write(pf.file("b.tem"), package("Package B"));
    write(pf.file("A.tem"), package("First line\r\nSecond line"));
    write(pf.file("damaged.tem"), "0\x01" "Damaged one\r\n1\x01\r\n2\x01\r\n");
    write(pf.file("upper.TEM"), package("Upper"));
    write(pf.file(".hidden.tem"), package("Hidden"));
    write(pf.file("readme.txt"), package("Not a package name"));
    QDir(pf.path()).mkdir("folder.tem");
  }
};

}  // namespace

class tst_opt_template : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void scanListsRegularVisiblePackagesSorted();
  void selectionByNameShowsTheDescription();
  void noMatchOrAnEmptyFolderSelectsNothing();
  void saveAndCancel();
  void addCopiesAPackageUnderItsTemName();
  void addRefusesFilesInTheFolderAndDamagedOnes();
  void descriptionsAreKeptForTheFirst499();
  void previewPictureOfAPackage();
};

void tst_opt_template::scanListsRegularVisiblePackagesSorted() {
  Folder f;
  StatusUi ui;
  TOptTemplateForm c(nullptr, f.pf.path(), &ui);
  QCOMPARE(listed(c), (QStringList{"A.tem", "b.tem", "damaged.tem", "upper.TEM"}));
  QCOMPARE(c.windowTitle(), QString("Template Options"));
  QVERIFY(c.minimumSize().width() >= 520 && c.minimumSize().height() >= 360);
  QCOMPARE(ui.status.first(), QString("show Looking for Templates..."));
  QCOMPARE(ui.status.mid(ui.status.size() - 2), (QStringList{"Complete...", "close"}));
  QStringList found = ui.status.mid(1, ui.status.size() - 3);
  found.sort();
  QCOMPARE(found, (QStringList{"Found A.tem", "Found b.tem", "Found damaged.tem", "Found upper.TEM"}));
  // The damaged package's description comes from its first line alone.
  c.templateList()->setCurrentIndex(2);
  QCOMPARE(c.description()->toPlainText(), QString("Damaged one"));
}

void tst_opt_template::selectionByNameShowsTheDescription() {
  Folder f;
  TOptTemplateForm c(nullptr, f.pf.path(), nullptr);
  store::BlogOptionsRec rec = defaultOptions();
  rec.TemplateFile = "a.TEM";
  c.setOptionsRec(rec);
  QCOMPARE(c.currentTemplate()->text(), QString("a.TEM"));
  QVERIFY(c.currentTemplate()->isReadOnly());
  QCOMPARE(c.templateList()->currentText(), QString("A.tem"));
  // A description of two lines shows as two lines.
  QCOMPARE(c.description()->document()->blockCount(), 2);
  QCOMPARE(c.description()->document()->findBlockByNumber(1).text(), QString("Second line"));
  c.templateList()->setCurrentIndex(1);
  QCOMPARE(c.description()->toPlainText(), QString("Package B"));
}

void tst_opt_template::noMatchOrAnEmptyFolderSelectsNothing() {
  Folder f;
  store::BlogOptionsRec rec = defaultOptions();
  rec.TemplateFile = "gone.tem";
  TOptTemplateForm c(nullptr, f.pf.path(), nullptr);
  c.setOptionsRec(rec);
  QCOMPARE(c.templateList()->currentIndex(), -1);
  QVERIFY(c.description()->toPlainText().isEmpty());
  // Save with nothing selected keeps the present value.
  QCOMPARE(c.OptionsRec().TemplateFile, std::string("gone.tem"));
  ProgramFolder empty;
  TOptTemplateForm e(nullptr, empty.path(), nullptr);
  e.setOptionsRec(rec);
  QCOMPARE(e.templateList()->count(), 0);
  QCOMPARE(e.currentTemplate()->text(), QString("gone.tem"));
  QVERIFY(e.OptionsRec() == rec);
}

void tst_opt_template::saveAndCancel() {
  Folder f;
  TOptTemplateForm c(nullptr, f.pf.path(), nullptr);
  const store::BlogOptionsRec rec = distinctOptions();
  c.setOptionsRec(rec);
  QString helped;
  c.setHelpOpener([&](const QString& topic) { helped = topic; });
  ModalAnswerer a;
  a.act([](QWidget* w) {
    auto* d = qobject_cast<TOptTemplateForm*>(w);
    d->templateList()->setCurrentIndex(d->templateList()->findText("upper.TEM"));
    clickButton(w, "Help");
    clickButton(w, "Cancel");
  });
  c.exec();
  QCOMPARE(c.OptionsResult(), 0);
  QCOMPARE(helped, QString("OptionsTemplate"));
  a.press("Save");
  c.exec();
  QCOMPARE(c.OptionsResult(), 1);
  store::BlogOptionsRec expected = rec;
  expected.TemplateFile = "upper.TEM";
  QVERIFY(c.OptionsRec() == expected);
}

void tst_opt_template::addCopiesAPackageUnderItsTemName() {
  Folder f;
  QTemporaryDir elsewhere;
  // Written with LF line ends: the copy has CR LF.
  write(elsewhere.filePath("Cool.txt"), package("Cool one").replace("\r\n", "\n"));
  write(elsewhere.filePath("b.tem"), package("Replacement B"));
  TOptTemplateForm c(nullptr, f.pf.path(), nullptr);
  store::BlogOptionsRec rec = defaultOptions();
  rec.TemplateFile = "b.tem";
  c.setOptionsRec(rec);
  c.show();
  ModalAnswerer a;
  a.act([](QWidget* w) {
    auto* fd = qobject_cast<QFileDialog*>(w);
    QVERIFY(fd);
    QCOMPARE(fd->nameFilters(), (QStringList{"Tessary Templates (*.tem)", "All Files (*)"}));
    fd->reject();
  });
  a.chooseFile(elsewhere.filePath("Cool.txt")).chooseFile(elsewhere.filePath("b.tem"));
  c.addButton()->click();
  QCOMPARE(listed(c).size(), 4);
  c.addButton()->click();
  QCOMPARE(listed(c), (QStringList{"A.tem", "b.tem", "Cool.tem", "damaged.tem", "upper.TEM"}));
  QCOMPARE(read(f.pf.file("Cool.tem")), package("Cool one"));
  // The new item is not selected; the one selected stays.
  QCOMPARE(c.templateList()->currentText(), QString("b.tem"));
  c.templateList()->setCurrentIndex(2);
  QCOMPARE(c.description()->toPlainText(), QString("Cool one"));
  // A name that is there: the file is replaced and the name listed twice.
  c.addButton()->click();
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(listed(c), (QStringList{"A.tem", "b.tem", "b.tem", "Cool.tem", "damaged.tem", "upper.TEM"}));
  QCOMPARE(read(f.pf.file("b.tem")), package("Replacement B"));
  c.templateList()->setCurrentIndex(2);
  QCOMPARE(c.description()->toPlainText(), QString("Replacement B"));
}

void tst_opt_template::addRefusesFilesInTheFolderAndDamagedOnes() {
  Folder f;
  QTemporaryDir elsewhere;
  const QString few = elsewhere.filePath("few.tem");
  const QString wrongKey = elsewhere.filePath("wrongkey.tem");
  write(few, "0\x01" "Few\r\n1\x01\r\n");
  QByteArray bad = package("Bad");
  bad.replace("\r\n3\x01", "\r\nX\x01");
  write(wrongKey, bad);
  TOptTemplateForm c(nullptr, f.pf.path(), nullptr);
  c.setOptionsRec(defaultOptions());
  c.show();
  const QStringList before = listed(c);
  ModalAnswerer a;
  // Inside the templates folder, listed or not (and named with another case).
  a.chooseFile(f.pf.file("readme.txt")).press("OK");
  a.chooseFile(f.pf.file("b.tem")).press("OK");
  a.chooseFile(few).press("OK");
  a.chooseFile(wrongKey).press("OK");
  for (int i = 0; i < 4; ++i) c.addButton()->click();
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  const QString inFolder =
      "You have selected a template that is already in the Tessary Directory. Please choose again.";
  QCOMPARE(a.texts, (QStringList{inFolder, inFolder,
                                 "Error. Template Package " + few + " is damaged and can not be used. Sorry",
                                 "Error. Template Package " + wrongKey +
                                     " is damaged at record 4 and can not be used. Sorry"}));
  QCOMPARE(listed(c), before);
  QVERIFY(!QFile::exists(f.pf.file("few.tem")));
  QVERIFY(!QFile::exists(f.pf.file("wrongkey.tem")));
  QVERIFY(!QFile::exists(f.pf.file("readme.tem")));
}

void tst_opt_template::descriptionsAreKeptForTheFirst499() {
  ProgramFolder pf;
  for (int i = 0; i < 501; ++i) write(pf.file(QString("p%1.tem").arg(i, 3, 10, QChar('0'))), "0\x01" "D\r\n");
  TOptTemplateForm c(nullptr, pf.path(), nullptr);
  QCOMPARE(c.templateList()->count(), 501);
  int described = 0;
  for (int i = 0; i < 501; ++i) described += c.catalog().descriptionAt(i).empty() ? 0 : 1;
  // Numbers from 500 on keep none, and position 501 shows none whatever its number.
  QVERIFY(described == 499 || described == 498);
  QVERIFY(c.catalog().descriptionAt(500).empty());
}

void tst_opt_template::previewPictureOfAPackage() {
  ProgramFolder pf;
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  const std::string record = templates::encodeFileRecord("Preview.PNG", templates::bytesToHex(png.toStdString()));
  write(pf.file("pictured.tem"), package("With a picture", {record}));
  write(pf.file("plain.tem"), package("Without"));
  TOptTemplateForm c(nullptr, pf.path(), nullptr);
  store::BlogOptionsRec rec = defaultOptions();
  rec.TemplateFile = "pictured.tem";
  c.setOptionsRec(rec);
  QVERIFY(!c.preview()->isHidden());
  QVERIFY(!c.preview()->pixmap().isNull());
  c.templateList()->setCurrentIndex(c.templateList()->findText("plain.tem"));
  QVERIFY(c.preview()->isHidden());
  // The default package is shown with the program's own picture of it.
  write(pf.file("@default.tem"), package("The default"));
  TOptTemplateForm d(nullptr, pf.path(), nullptr);
  rec.TemplateFile = "@default.tem";
  d.setOptionsRec(rec);
  QVERIFY(!d.preview()->isHidden());
  QVERIFY(!d.preview()->pixmap().isNull());
}

QTEST_MAIN(tst_opt_template)
#include "tst_opt_template.moc"
