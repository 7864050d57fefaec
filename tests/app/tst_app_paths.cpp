// The program folder: the executable's folder when it is writable, otherwise
// (and for an installed program) the per-user folder, which gets the default
// template package and the template packages installed with the program.
#include <QFile>
#include <QtTest>
#include <unistd.h>

#include "app/app_paths.h"
#include "app/session_settings.h"
#include "app_test_support.h"

using namespace tessary::app;
using namespace tessary::apptest;

class tst_app_paths : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void writableExecutableFolderIsTheProgramFolder();
  void readOnlyOrInstalledFolderFallsBackToTheUserFolder();
  void theUserFolderGetsTheDefaultTemplateOnce();
  void theUserFolderGetsTheShippedTemplatesItLacks();
};

void tst_app_paths::writableExecutableFolderIsTheProgramFolder() {
  ProgramFolder exe, user;
  QCOMPARE(chooseProgramFolder(exe.path(), user.file("data")), exe.path());
  QCOMPARE(settingsFilePath(exe.path()), exe.file("tessary.ini"));
}

void tst_app_paths::readOnlyOrInstalledFolderFallsBackToTheUserFolder() {
  ProgramFolder exe, user;
  const QString data = user.file("Tessary/Tessary");
  QCOMPARE(chooseProgramFolder("/usr/bin", data), data);
  QVERIFY(QDir(data).exists());
  QCOMPARE(chooseProgramFolder(exe.file("missing"), data), data);
  if (getuid() != 0) {  // root writes anywhere
    QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::ExeOwner);
    QCOMPARE(chooseProgramFolder(exe.path(), data), data);
    QFile::setPermissions(exe.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
}

void tst_app_paths::theUserFolderGetsTheDefaultTemplateOnce() {
  ProgramFolder user;
  QVERIFY(ensureDefaultTemplate(user.path()));
  QFile tem(user.file("@default.tem"));
  QVERIFY(tem.size() > 1000);
  // A package the user changed is left as it is.
  QVERIFY(tem.open(QIODevice::WriteOnly));
  tem.write("mine");
  tem.close();
  QVERIFY(ensureDefaultTemplate(user.path()));
  QCOMPARE(QFile(user.file("@default.tem")).size(), qint64(4));
}

void tst_app_paths::theUserFolderGetsTheShippedTemplatesItLacks() {
  ProgramFolder prefix, user;
  QCOMPARE(shippedTemplateFolder(prefix.file("bin")), prefix.file("share/tessary/templates"));
  // Nothing shipped (a build tree, a portable copy): nothing to do.
  QVERIFY(ensureShippedTemplates(user.path(), prefix.file("share/tessary/templates")));
  QVERIFY(QDir().mkpath(prefix.file("share/tessary/templates")));
  auto write = [](const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  write(prefix.file("share/tessary/templates/Reading.tem"), "shipped reading");
  write(prefix.file("share/tessary/templates/Minimal.tem"), "shipped minimal");
  write(prefix.file("share/tessary/templates/notes.txt"), "not a package");
  write(user.file("Minimal.tem"), "mine");
  QVERIFY(ensureShippedTemplates(user.path(), shippedTemplateFolder(prefix.file("bin"))));
  QCOMPARE(QFile(user.file("Reading.tem")).size(), qint64(15));
  QCOMPARE(QFile(user.file("Minimal.tem")).size(), qint64(4));  // the user's own is kept
  QVERIFY(!QFile::exists(user.file("notes.txt")));
}

QTEST_MAIN(tst_app_paths)
#include "tst_app_paths.moc"
