// Custom Variables: the meta tags with their 250-character limit, the ten tags
// (five one-line, five multi-line), the boxes stretching with the window.
#include <QtTest>

#include "app/opt_var.h"
#include "opt_test_support.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;

class tst_opt_var : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void valuesAreShownAndReadBack_data();
  void valuesAreShownAndReadBack();
  void metaTagsHoldAtMost250Characters();
  void boxesStretchToTheWindowLess24();
  void otherOptionsPassThrough();
};

void tst_opt_var::valuesAreShownAndReadBack_data() {
  addValueColumns();
  QTest::newRow("keywords") << 601 << "a, b, c" << "a, b, c" << "a, b, c";
  QTest::newRow("description") << 602 << "About it" << "About it" << "About it";
  for (int n = 1; n <= 10; ++n)
    QTest::addRow("tag %d", n) << 610 + n << QString("Tag %1").arg(n) << QString("Tag %1").arg(n)
                               << QString("Tag %1").arg(n);
  QTest::newRow("tag 7, lines") << 617 << "<b>\nline\n</b>" << "<b>\nline\n</b>" << "<b>\nline\n</b>";
  // A stored text longer than the box allows comes back whole when not edited.
  const QString longText(300, 'k');
  QTest::newRow("long keywords kept") << 601 << longText << longText.left(250) << longText;
}

void tst_opt_var::valuesAreShownAndReadBack() {
  TOptVarForm d(nullptr);
  checkShownAndReadBack(d);
}

void tst_opt_var::metaTagsHoldAtMost250Characters() {
  TOptVarForm d(nullptr);
  d.show();
  d.setOptionsRec(defaultOptions());
  for (int key : {601, 602}) {
    auto* e = qobject_cast<QLineEdit*>(d.control(key));
    QCOMPARE(e->maxLength(), 250);
    QTest::keyClicks(e, QString(260, 'x'));
    QCOMPARE(valueText(d.OptionsRec(), key).size(), 250);
  }
  QVERIFY(qobject_cast<QLineEdit*>(d.control(615)));
  QVERIFY(qobject_cast<QPlainTextEdit*>(d.control(616)));
  QCOMPARE(d.windowTitle(), QString("OptCustomVariables"));
  QCOMPARE(d.band()->title(), QString("Custom Variables"));
}

void tst_opt_var::boxesStretchToTheWindowLess24() {
  TOptVarForm d(nullptr);
  d.show();
  QVERIFY(QTest::qWaitForWindowExposed(&d));
  for (int width : {600, 900}) {
    d.resize(width, 406);
    QApplication::processEvents();
    for (int key : d.ownedKeys()) {
      QWidget* c = d.control(key);
      QCOMPARE(c->geometry().right() + 1, d.fieldArea()->width() - 24);
    }
  }
}

void tst_opt_var::otherOptionsPassThrough() {
  TOptVarForm d(nullptr);
  checkPassThrough(d);
}

QTEST_MAIN(tst_opt_var)
#include "tst_opt_var.moc"
