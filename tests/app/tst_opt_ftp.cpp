// The publishing dialog: the values shown and read back (the location list,
// the two check boxes with their own rules, the masked password kept exactly),
// "Set Destination" and where its folder chooser starts, and "Test Connection"
// against a real FTP server on loopback, with the window live meanwhile.
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "../publish/pyftpd.h"
#include "app/opt_ftp.h"
#include "app_test_support.h"
#include "opt_test_support.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;

class tst_opt_ftp : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void valuesAreShownAndReadBack_data();
  void valuesAreShownAndReadBack();
  void passwordIsMaskedAndKeptExactly();
  void setDestinationStartsWhereTheRuleSays();
  void testConnectionUsesTheValuesInTheDialog();
  void otherOptionsPassThrough();
};

void tst_opt_ftp::valuesAreShownAndReadBack_data() {
  addValueColumns();
  QTest::newRow("ftp") << 511 << "0" << "Publish using FTP" << "0";
  QTest::newRow("file copy") << 511 << "1" << "Publish using File Copy" << "1";
  QTest::newRow("location 2") << 511 << "2" << "Publish using FTP" << "0";
  QTest::newRow("location -1") << 511 << "-1" << "Publish using FTP" << "0";
  QTest::newRow("host") << 501 << "ftp.example.org" << "ftp.example.org" << "ftp.example.org";
  QTest::newRow("port") << 502 << "2121" << "2121" << "2121";
  QTest::newRow("directory") << 503 << "/www/blog" << "/www/blog" << "/www/blog";
  QTest::newRow("user") << 504 << "me" << "me" << "me";
  QTest::newRow("passive on") << 506 << "1" << "checked" << "1";
  QTest::newRow("passive 2") << 506 << "2" << "checked" << "1";
  QTest::newRow("passive off") << 506 << "0" << "unchecked" << "0";
  QTest::newRow("passive -1") << 506 << "-1" << "unchecked" << "0";
  QTest::newRow("conversation on") << 507 << "1" << "checked" << "1";
  QTest::newRow("conversation -1") << 507 << "-1" << "checked" << "1";
  QTest::newRow("conversation off") << 507 << "0" << "unchecked" << "0";
  QTest::newRow("destination") << 512 << "/srv/www" << "/srv/www" << "/srv/www";
  QTest::newRow("plain ftp") << 508 << "0" << "Plain FTP" << "0";
  QTest::newRow("tls required") << 508 << "2" << "TLS required" << "2";
  QTest::newRow("fingerprint") << 509 << "AB:CD" << "AB:CD" << "AB:CD";
  QTest::newRow("time-out") << 510 << "45" << "45" << "45";
}

void tst_opt_ftp::valuesAreShownAndReadBack() {
  TOptFtpForm d(nullptr);
  checkShownAndReadBack(d);
}

void tst_opt_ftp::passwordIsMaskedAndKeptExactly() {
  TOptFtpForm d(nullptr);
  store::BlogOptionsRec in = defaultOptions();
  in.FTPPassword = " p\xC3\xA4ss wo\trd \n";
  d.setOptionsRec(in);
  auto* box = qobject_cast<QLineEdit*>(d.control(505));
  QCOMPARE(box->echoMode(), QLineEdit::Password);
  QCOMPARE(d.OptionsRec().FTPPassword, in.FTPPassword);
  box->setText("new secret");
  QCOMPARE(d.OptionsRec().FTPPassword, std::string("new secret"));
}

void tst_opt_ftp::setDestinationStartsWhereTheRuleSays() {
  QTemporaryDir program, chosen;
  TOptFtpForm d(nullptr, program.path());
  d.show();
  store::BlogOptionsRec in = defaultOptions();
  for (const QString& shown : {QString(), QString("x"), chosen.path()}) {
    in.FileCopyDestination = shown.toStdString();
    d.setOptionsRec(in);
    QString started;
    ModalAnswerer a;
    a.act([&](QWidget* w) {
      auto* fd = qobject_cast<QFileDialog*>(w);
      QVERIFY(fd);
      started = fd->directory().absolutePath();
      fd->setDirectory(chosen.path());
      if (auto* edit = fd->findChild<QLineEdit*>("fileNameEdit")) edit->clear();
      QMetaObject::invokeMethod(fd, "accept", Qt::DirectConnection);
    });
    d.setDestinationButton()->click();
    QVERIFY(a.allAnswered());
    QCOMPARE(started, shown.size() < 2 ? QDir(program.path()).absolutePath() : chosen.path());
    QCOMPARE(d.destinationLabel()->text(), chosen.path());
    QCOMPARE(d.OptionsRec().FileCopyDestination, chosen.path().toStdString());
  }
  // A cancelled chooser keeps the folder shown.
  ModalAnswerer a;
  a.cancelFile();
  d.setDestinationButton()->click();
  QCOMPARE(d.destinationLabel()->text(), chosen.path());
}

void tst_opt_ftp::testConnectionUsesTheValuesInTheDialog() {
  QTemporaryDir root, logDir;
  QVERIFY(QDir(root.path()).mkdir("blog"));
  const std::string script = QT_TESTCASE_SOURCEDIR "/../publish/ftp_server.py";
  tessary::testing::PyFtpServer server(script, root.path().toStdString(), "127.0.0.1",
                                       logDir.filePath("ftpd.log").toStdString());
  QVERIFY2(server.running(), server.error().c_str());
  TOptFtpForm d(nullptr);
  d.setTestTimeout(5000);
  d.show();
  store::BlogOptionsRec in = defaultOptions();
  in.FTPSite = "127.0.0.1";
  in.FTPPort = server.port();
  in.FTPUserid = tessary::testing::PyFtpServer::kUser;
  in.FTPPassword = "wrong";
  in.FTPPassive = 1;
  in.FTPTargetDirectory = "blog";
  d.setOptionsRec(in);
  auto run = [&]() -> bool {
    QSignalSpy finished(&d, &TOptFtpForm::testFinished);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    d.testButton()->click();
    // The window goes on handling events while the test runs.
    if (!finished.wait(20000)) return false;
    return ticks > 0 && !d.testRunning() && d.testButton()->isEnabled();
  };
  QVERIFY(run());
  QVERIFY2(d.testOutcome()->text().contains("could not log on to 127.0.0.1"), qPrintable(d.testOutcome()->text()));
  QVERIFY2(d.testOutcome()->text().contains("530"), qPrintable(d.testOutcome()->text()));
  // The values typed in and not yet saved are the ones tried.
  qobject_cast<QLineEdit*>(d.control(505))->setText(tessary::testing::PyFtpServer::kPassword);
  QVERIFY(run());
  QVERIFY2(d.testOutcome()->text().startsWith("Connection test passed"), qPrintable(d.testOutcome()->text()));
  QVERIFY(d.testOutcome()->text().contains("/blog"));
  qobject_cast<QLineEdit*>(d.control(503))->setText("missing");
  QVERIFY(run());
  QVERIFY2(d.testOutcome()->text().contains("could not change to \"missing\""), qPrintable(d.testOutcome()->text()));
  QVERIFY(d.testOutcome()->text().contains("550"));
  // Nothing of it changed what the dialog hands back for the password box's neighbours.
  QCOMPARE(d.OptionsRec().FTPPort, server.port());
  QVERIFY(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries) == QStringList{"blog"});
  // Nobody listening: a failure, not a hang.
  server.stop();
  QVERIFY(run());
  QVERIFY(d.testOutcome()->text().contains("could not log on"));
}

void tst_opt_ftp::otherOptionsPassThrough() {
  TOptFtpForm d(nullptr);
  checkPassThrough(d);
}

QTEST_MAIN(tst_opt_ftp)
#include "tst_opt_ftp.moc"
