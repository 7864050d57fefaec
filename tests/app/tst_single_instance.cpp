// One copy per user: a second start hands its blog file to the first and ends;
// a first copy that was killed does not block the next start.
#include <QProcess>
#include <QtTest>
#include <csignal>

#include "app/single_instance.h"

using namespace tessary::app;

namespace {

QString uniqueName() {
  return QStringLiteral("tessary-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate());
}

// The same test program started as another copy of the program.
QProcess* startCopy(const QString& role, const QString& name, const QString& file) {
  auto* p = new QProcess;
  p->setProgram(QCoreApplication::applicationFilePath());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TESSARY_TEST_ROLE", role);
  env.insert("TESSARY_TEST_NAME", name);
  env.insert("TESSARY_TEST_FILE", file);
  p->setProcessEnvironment(env);
  p->start();
  return p;
}

}  // namespace

class tst_single_instance : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void aSecondStartHandsOverItsFileAndEnds();
  void aKilledFirstCopyDoesNotBlockTheNextStart();
};

void tst_single_instance::aSecondStartHandsOverItsFileAndEnds() {
  const QString name = uniqueName();
  SingleInstance first(name);
  QStringList received;
  first.onActivate = [&](const QString& f) { received << f; };
  QVERIFY(first.claim({}));
  std::unique_ptr<QProcess> second(startCopy("second", name, "/tmp/some blog.zdb"));
  QTRY_VERIFY_WITH_TIMEOUT(second->state() == QProcess::NotRunning, 10000);
  QCOMPARE(second->exitCode(), 0);  // it ended as a second copy
  QTRY_COMPARE_WITH_TIMEOUT(received, QStringList{"/tmp/some blog.zdb"}, 5000);
  // A start without a file only brings the first copy to the front.
  second.reset(startCopy("second", name, ""));
  QTRY_VERIFY_WITH_TIMEOUT(second->state() == QProcess::NotRunning, 10000);
  QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, 5000);
  QCOMPARE(received.last(), QString());
}

void tst_single_instance::aKilledFirstCopyDoesNotBlockTheNextStart() {
  const QString name = uniqueName();
  std::unique_ptr<QProcess> first(startCopy("first", name, ""));
  QVERIFY(first->waitForReadyRead(10000));
  QCOMPARE(first->readAllStandardOutput().trimmed(), QByteArray("listening"));
  ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
  QVERIFY(first->waitForFinished(10000));
  SingleInstance next(name);
  QElapsedTimer t;
  t.start();
  QVERIFY(next.claim({}));  // the first copy now
  QVERIFY(t.elapsed() < 8000);
  // And it really is: a later start hands over to it.
  bool handed = false;
  next.onActivate = [&](const QString&) { handed = true; };
  std::unique_ptr<QProcess> later(startCopy("second", name, "x.zdb"));
  QTRY_VERIFY_WITH_TIMEOUT(later->state() == QProcess::NotRunning, 10000);
  QCOMPARE(later->exitCode(), 0);
  QTRY_VERIFY_WITH_TIMEOUT(handed, 5000);
}

// The copies: "second" exits 0 when it handed over (1 when it became the first);
// "first" claims, says so, and waits to be killed.
int main(int argc, char** argv) {
  const QByteArray role = qgetenv("TESSARY_TEST_ROLE");
  if (!role.isEmpty()) {
    QCoreApplication app(argc, argv);
    SingleInstance guard(qEnvironmentVariable("TESSARY_TEST_NAME"));
    const bool firstCopy = guard.claim(qEnvironmentVariable("TESSARY_TEST_FILE"));
    if (role == "second") return firstCopy ? 1 : 0;
    std::printf("listening\n");
    std::fflush(stdout);
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
  }
  QCoreApplication app(argc, argv);
  tst_single_instance t;
  return QTest::qExec(&t, argc, argv);
}

#include "tst_single_instance.moc"
