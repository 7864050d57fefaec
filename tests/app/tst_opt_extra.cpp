// The program options: the four settings handed in and taken back, the
// background list kept in range, Change through the font dialog, Reset to the
// main window's first font, and the main window applying the result.
#include <QFontDialog>
#include <QMenu>
#include <QtTest>

#include "app/mainform.h"
#include "app/opt_extra.h"
#include "app/texts.h"
#include "app_test_support.h"

using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

class tst_opt_extra : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void opensWithItsTitleSizeAndCaptions();
  void backgroundIsShownAndReadInRange_data();
  void backgroundIsShownAndReadInRange();
  void cancelReturnsZeroAndSaveOne();
  void resetThenSaveGivesTheInitialFont();
  void changeTakesTheChosenFont();
  void mainWindowAppliesTheResult();
};

void tst_opt_extra::opensWithItsTitleSizeAndCaptions() {
  TProgramOptionsForm d(nullptr, "DejaVu Sans,1,-2147483640,10,0");
  QCOMPARE(d.windowTitle(), QString("Tessary Options"));
  QCOMPARE(d.size(), QSize(667, 360));
  QCOMPARE(d.minimumSize(), QSize(520, 360));
  QCOMPARE(d.backgroundList()->count(), 3);
  QCOMPARE(d.backgroundList()->itemText(2), QString("Brown"));
  QCOMPARE(d.sample(0)->text(), QString("Sample Captions and Buttons - 1234567890 ABC abc"));
  QCOMPARE(d.sample(1)->text(), QString("Sample List - 1234567890 ABC abc"));
  QCOMPARE(d.sample(2)->text(), QString("Sample Entry Text Area - 1234567890  ABC abc"));
  d.show();
  // Save, Cancel and Help from the right, 4 pixels apart, also after a resize.
  for (QSize s : {QSize(667, 360), QSize(900, 500)}) {
    d.resize(s);
    QApplication::processEvents();
    const int right = d.band()->width();
    QCOMPARE(d.saveButton()->geometry().right(), right - 1 - 4);
    QCOMPARE(d.cancelButton()->geometry().right(), d.saveButton()->geometry().left() - 1 - 4);
    QCOMPARE(d.helpButton()->geometry().right(), d.cancelButton()->geometry().left() - 1 - 4);
  }
}

void tst_opt_extra::backgroundIsShownAndReadInRange_data() {
  QTest::addColumn<int>("given");
  QTest::addColumn<int>("shown");
  QTest::newRow("grey") << 0 << 0;
  QTest::newRow("brown") << 2 << 2;
  QTest::newRow("above") << 7 << 2;
  QTest::newRow("below") << -3 << 0;
}

void tst_opt_extra::backgroundIsShownAndReadInRange() {
  QFETCH(int, given);
  TProgramOptionsForm d(nullptr, ",,,,");
  d.setOptionsBack(given);
  QTEST(d.backgroundList()->currentIndex(), "shown");
  QTEST(d.OptionsBack(), "shown");
}

void tst_opt_extra::cancelReturnsZeroAndSaveOne() {
  TProgramOptionsForm d(nullptr, ",,,,");
  ModalAnswerer a;
  a.press("Cancel");
  QCOMPARE(d.exec(), 0);
  QCOMPARE(d.OptionsResult(), 0);
  a.press("Save");
  d.exec();
  QCOMPARE(d.OptionsResult(), 1);
  QVERIFY(a.allAnswered());
}

void tst_opt_extra::resetThenSaveGivesTheInitialFont() {
  const QString initial = "DejaVu Sans,1,-2147483640,9,0";
  TProgramOptionsForm d(nullptr, initial);
  d.setOptionsFontForm("DejaVu Serif,1,255,15,1");
  d.setOptionsFontLists(",,,,");
  d.setOptionFontEntryText("DejaVu Sans Mono,1,-2147483640,12,0");
  QCOMPARE(d.sample(0)->font().pointSize(), 15);
  QVERIFY(d.sample(0)->font().bold());
  ModalAnswerer a;
  a.act([](QWidget* w) {
    auto* f = qobject_cast<TProgramOptionsForm*>(w);
    QVERIFY(f);
    f->resetButton(0)->click();
    f->resetButton(2)->click();
    clickButton(w, "Save");
  });
  d.exec();
  QCOMPARE(d.OptionsResult(), 1);
  QCOMPARE(d.OptionsFontForm(), initial);
  QCOMPARE(d.OptionFontEntryText(), initial);
  QCOMPARE(d.OptionsFontLists(), QString(",,,,"));
  QCOMPARE(d.sample(0)->font().pointSize(), 9);
  QVERIFY(!d.sample(0)->font().bold());
}

void tst_opt_extra::changeTakesTheChosenFont() {
  TProgramOptionsForm d(nullptr, ",,,,");
  d.setOptionsFontLists(",,,,");
  d.show();
  ModalAnswerer a;
  a.act([](QWidget* w) {
    auto* fd = qobject_cast<QFontDialog*>(w);
    QVERIFY(fd);
    QFont f("DejaVu Serif", 17);
    f.setItalic(true);
    fd->setCurrentFont(f);
    fd->accept();
  });
  QTest::mouseClick(d.changeButton(1), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QVERIFY(d.OptionsFontLists().startsWith("DejaVu Serif,1,-2147483640,17,2"));
  QCOMPARE(d.sample(1)->font().pointSize(), 17);
}

void tst_opt_extra::mainWindowAppliesTheResult() {
  ProgramFolder pf;
  TtheMainForm w(pf.path());
  w.loadSessionSettings();
  w.show();
  const int sizeBefore = w.font().pointSize();
  ModalAnswerer a;
  a.act([](QWidget* dlg) {
    auto* f = qobject_cast<TProgramOptionsForm*>(dlg);
    QVERIFY(f);
    f->backgroundList()->setCurrentIndex(1);
    f->setOptionsFontLists(",,,21,");
    f->setOptionFontEntryText("DejaVu Sans Mono,1,-2147483640,12,0");
    clickButton(dlg, "Save");
  });
  QTest::mouseClick(w.button(t::kTessaryOptions, 0), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(w.settings().back, 1);
  QCOMPARE(w.topPanel()->scheme(), 1);
  QCOMPARE(w.settings().fontLists, QString(",,,21,"));
  QCOMPARE(w.entryGrid()->font().pointSize(), 21);
  QCOMPARE(w.progressLog()->font().pointSize(), 21);
  QCOMPARE(w.font().pointSize(), sizeBefore);
  QCOMPARE(w.settings().fontEntryText, QString("DejaVu Sans Mono,1,-2147483640,12,0"));
  // Cancel changes nothing.
  a.press("Cancel");
  QTest::mouseClick(w.button(t::kTessaryOptions, 0), Qt::LeftButton);
  QCOMPARE(w.settings().back, 1);
  // The font command of the pop-up menu for the entry list.
  a.act([](QWidget* dlg) {
    auto* fd = qobject_cast<QFontDialog*>(dlg);
    QVERIFY(fd);
    fd->setCurrentFont(QFont("DejaVu Sans", 13));
    fd->accept();
  });
  for (QAction* m : w.popupMenu()->actions())
    if (m->menu() && m->text() == t::kChangeDisplayFonts)
      for (QAction* f : m->menu()->actions())
        if (f->text() == t::kBlogEntryList) f->trigger();
  QVERIFY(a.allAnswered());
  QCOMPARE(w.fileGrid()->font().pointSize(), 13);
  QVERIFY(w.settings().fontLists.startsWith("DejaVu Sans,1,"));
}

QTEST_MAIN(tst_opt_extra)
#include "tst_opt_extra.moc"
