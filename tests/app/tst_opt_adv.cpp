// Advanced Options: every option shown and read back by the rules of its
// control (a check box shows checked only for exactly 1), its sections in
// order, and the options it does not own passed through.
#include <QtTest>

#include "app/opt_adv.h"
#include "opt_test_support.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;

class tst_opt_adv : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void valuesAreShownAndReadBack_data();
  void valuesAreShownAndReadBack();
  void sectionsAndListsInOrder();
  void otherOptionsPassThrough();
};

void tst_opt_adv::valuesAreShownAndReadBack_data() {
  addValueColumns();
  QTest::newRow("own html") << 201 << "0" << "I will enter my own HTML code." << "0";
  QTest::newRow("formatted") << 201 << "1" << "Tessary will try to format each entry." << "1";
  QTest::newRow("markdown") << 201 << "2" << "Markdown (CommonMark)" << "2";
  QTest::newRow("htm") << 202 << "1" << ".htm" << "1";
  QTest::newRow("extension 2") << 202 << "2" << "<none>" << "2";
  for (int key : {268, 276}) {
    QTest::addRow("style %d numbered", key) << key << "3" << "Numbered List <OL>" << "3";
    QTest::addRow("style %d line", key) << key << "0" << "Line <BR>" << "0";
  }
  for (int key : {245, 249, 256, 265, 266, 267, 274, 275}) {
    QTest::addRow("check %d on", key) << key << "1" << "checked" << "1";
    QTest::addRow("check %d off", key) << key << "0" << "unchecked" << "0";
    QTest::addRow("check %d stored 2", key) << key << "2" << "unchecked" << "0";
    QTest::addRow("check %d stored -1", key) << key << "-1" << "unchecked" << "0";
  }
  for (int key : {203, 241, 242, 246, 247, 248, 251, 252, 253, 254, 255, 261, 262, 264, 271, 272, 273, 263, 214, 291,
                  290})
    QTest::addRow("text %d", key) << key << QString("Text of %1").arg(key) << QString("Text of %1").arg(key)
                                  << QString("Text of %1").arg(key);
}

void tst_opt_adv::valuesAreShownAndReadBack() {
  TOptAdvForm d(nullptr);
  checkShownAndReadBack(d);
}

void tst_opt_adv::sectionsAndListsInOrder() {
  TOptAdvForm d(nullptr);
  QStringList bold;
  auto* grid = qobject_cast<QGridLayout*>(d.fieldArea()->layout());
  for (int i = 0; i < grid->count(); ++i)
    if (auto* l = qobject_cast<QLabel*>(grid->itemAt(i)->widget()); l && l->font().bold()) bold << l->text();
  QCOMPARE(bold, (QStringList{"Formatting of Entries", "Page Name Extension", "Home Page Name",
                              "Recent Entries Page Name", "Archive Index Page Name", "Article Index Page Name",
                              "Category Index Page Name", "Article URL's", "Cool URL's", "Parent Site ( Optional )"}));
  auto* style = qobject_cast<QComboBox*>(d.control(276));
  QStringList items;
  for (int i = 0; i < style->count(); ++i) items << style->itemText(i);
  QCOMPARE(items, (QStringList{"Line <BR>", "Paragraph <P>", "Unnumber List <UL>", "Numbered List <OL>"}));
  for (int key : {245, 249, 256, 265, 266, 267, 274, 275})
    QVERIFY(!qobject_cast<QCheckBox*>(d.control(key))->text().isEmpty());
  QCOMPARE(qobject_cast<QCheckBox*>(d.control(256))->text(),
           QString("Include Default Description for Meta Tag on Archive Pages"));
}

void tst_opt_adv::otherOptionsPassThrough() {
  TOptAdvForm d(nullptr);
  checkPassThrough(d);
}

QTEST_MAIN(tst_opt_adv)
#include "tst_opt_adv.moc"
