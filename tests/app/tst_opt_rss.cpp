// RSS Options: the values shown and read back, "Items to Include" with its
// 50/75/100 items and the "25" for any other number, and pass-through.
#include <QtTest>

#include "app/opt_rss.h"
#include "opt_test_support.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;

class tst_opt_rss : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void valuesAreShownAndReadBack_data();
  void valuesAreShownAndReadBack();
  void choosingAnItemStoresItsNumber();
  void otherOptionsPassThrough();
};

void tst_opt_rss::valuesAreShownAndReadBack_data() {
  addValueColumns();
  QTest::newRow("rss 2.0 name") << 402 << "feed.xml" << "feed.xml" << "feed.xml";
  QTest::newRow("rss 0.91 name") << 401 << "old.rss" << "old.rss" << "old.rss";
  QTest::newRow("suppressed") << 412 << "1" << "checked" << "1";
  QTest::newRow("created") << 412 << "0" << "unchecked" << "0";
  QTest::newRow("suppress stored 2") << 412 << "2" << "unchecked" << "0";
  QTest::newRow("channel title") << 403 << "Channel" << "Channel" << "Channel";
  QTest::newRow("channel link") << 404 << "http://x/" << "http://x/" << "http://x/";
  QTest::newRow("full entry") << 410 << "0" << "Show Full Entry (including HTML formatting)" << "0";
  QTest::newRow("first lines") << 410 << "1" << "Show First Few Lines Only (no HTML formatting)" << "1";
  QTest::newRow("item text 5") << 410 << "5" << "<none>" << "5";
  QTest::newRow("items 1") << 411 << "1" << "1" << "1";
  QTest::newRow("items 10") << 411 << "10" << "10" << "10";
  QTest::newRow("items 25") << 411 << "25" << "25" << "25";
  QTest::newRow("items 50") << 411 << "50" << "50" << "50";
  QTest::newRow("items 75") << 411 << "75" << "75" << "75";
  QTest::newRow("items 100") << 411 << "100" << "100" << "100";
  QTest::newRow("items 30") << 411 << "30" << "25" << "25";
  QTest::newRow("items 0") << 411 << "0" << "25" << "25";
  QTest::newRow("items -5") << 411 << "-5" << "25" << "25";
  QTest::newRow("items 101") << 411 << "101" << "25" << "25";
  QTest::newRow("description") << 409 << "One\nTwo" << "One\nTwo" << "One\nTwo";
}

void tst_opt_rss::valuesAreShownAndReadBack() {
  TOptRssForm d(nullptr);
  checkShownAndReadBack(d);
}

void tst_opt_rss::choosingAnItemStoresItsNumber() {
  TOptRssForm d(nullptr);
  d.setOptionsRec(defaultOptions());
  auto* items = qobject_cast<QComboBox*>(d.control(411));
  QCOMPARE(items->count(), 28);
  QCOMPARE(items->itemText(25), QString("50"));
  QCOMPARE(items->itemText(27), QString("100"));
  items->setCurrentIndex(items->findText("75"));
  QCOMPARE(d.OptionsRec().RSSItemEntries, 75);
  items->setCurrentIndex(items->findText("7"));
  QCOMPARE(d.OptionsRec().RSSItemEntries, 7);
  QCOMPARE(qobject_cast<QCheckBox*>(d.control(412))->text(), QString("Suppress RSS 0.91 Feed"));
}

void tst_opt_rss::otherOptionsPassThrough() {
  TOptRssForm d(nullptr);
  checkPassThrough(d);
}

QTEST_MAIN(tst_opt_rss)
#include "tst_opt_rss.moc"
