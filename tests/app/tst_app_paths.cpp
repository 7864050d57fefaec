// The program folder: the executable's folder when it is writable, otherwise
// (and for an installed program) the per-user folder, which gets the default
// template package.
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

QTEST_MAIN(tst_app_paths)
#include "tst_app_paths.moc"
