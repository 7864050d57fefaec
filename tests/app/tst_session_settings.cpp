// The session settings file and font strings: defaults, the rules that ignore
// window places outside the desktop, values kept as given, and font strings
// applied field by field.
#include <QSettings>
#include <QtTest>

#include "app/font_string.h"
#include "app/mainform.h"
#include "app/session_settings.h"
#include "app_test_support.h"

using namespace tessary::app;
using namespace tessary::apptest;

class tst_session_settings : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void missingFileGivesTheDefaults();
  void placesOutsideTheDesktopAreIgnored();
  void backgroundOutsideTheSchemesShowsGreyAndIsWrittenBack();
  void maximisedExitKeepsThePreviousPlace();
  void fontStringFieldsApplyOnlyWhenPresent_data();
  void fontStringFieldsApplyOnlyWhenPresent();
  void fontStringRoundTrips();
  void firstStartTakesTheDesignedPlaceLaterStartsTheSavedOne();
};

void tst_session_settings::missingFileGivesTheDefaults() {
  ProgramFolder pf;
  const SessionSettings s = readSessionSettings(settingsFilePath(pf.path()));
  QCOMPARE(s.form.top, 20);
  QCOMPARE(s.form.left, 20);
  QCOMPARE(s.form.height, 440);
  QCOMPARE(s.form.width, 600);
  QCOMPARE(s.form.initMax, false);
  QCOMPARE(s.back, 0);
  QCOMPARE(s.fontForm, QString(",,,,"));
  QCOMPARE(s.fontLists, QString(",,,,"));
  QCOMPARE(s.fontEntryText, QString(",,,,"));
  QCOMPARE(s.entry.height, 20);
  QCOMPARE(s.entry.width, 20);
}

void tst_session_settings::placesOutsideTheDesktopAreIgnored() {
  const QRect designed(100, 50, 800, 600);
  const QSize desktop(1366, 768);
  WindowPlace p;
  p.top = -5;
  p.left = 30;
  p.height = 500;
  p.width = 1366;  // equal to the desktop's width: ignored
  const QRect r = placeWindow(p, designed, desktop);
  QCOMPARE(r.top(), 50);
  QCOMPARE(r.left(), 30);
  QCOMPARE(r.height(), 500);
  QCOMPARE(r.width(), 800);
  p = WindowPlace{767, 1365, 767, 1365, false};
  QCOMPARE(placeWindow(p, designed, desktop), QRect(1365, 767, 1365, 767));
  p = WindowPlace{768, 1366, 768, 0, false};
  const QRect edge = placeWindow(p, designed, desktop);
  QCOMPARE(edge.top(), 50);
  QCOMPARE(edge.left(), 100);
  QCOMPARE(edge.height(), 600);
  QCOMPARE(edge.width(), 0);
}

void tst_session_settings::backgroundOutsideTheSchemesShowsGreyAndIsWrittenBack() {
  ProgramFolder pf;
  {
    QSettings s(settingsFilePath(pf.path()), QSettings::IniFormat);
    s.setValue("Options/Back", 7);
  }
  {
    TtheMainForm w(pf.path());
    w.loadSessionSettings();
    QCOMPARE(w.topPanel()->scheme(), 7);
    QCOMPARE(backgroundTile(7).toImage(), backgroundTile(0).toImage());
    QVERIFY(backgroundTile(1).toImage() != backgroundTile(0).toImage());
    w.show();
    w.close();
  }
  QSettings s(settingsFilePath(pf.path()), QSettings::IniFormat);
  QCOMPARE(s.value("Options/Back").toInt(), 7);
}

void tst_session_settings::maximisedExitKeepsThePreviousPlace() {
  ProgramFolder pf;
  {
    QSettings s(settingsFilePath(pf.path()), QSettings::IniFormat);
    s.setValue("Form/Top", 33);
    s.setValue("Form/Left", 44);
    s.setValue("Form/Height", 455);
    s.setValue("Form/Width", 655);
    s.setValue("Options/optionFontForm", "DejaVu Serif,1,-2147483640,13,0");
  }
  SessionSettings s = readSessionSettings(settingsFilePath(pf.path()));
  QCOMPARE(s.fontForm, QString("DejaVu Serif,1,-2147483640,13,0"));
  s.form = WindowPlace{1, 2, 3, 4, true};
  QVERIFY(writeSessionSettings(settingsFilePath(pf.path()), s, false));
  QSettings back(settingsFilePath(pf.path()), QSettings::IniFormat);
  QCOMPARE(back.value("Form/Top").toInt(), 33);
  QCOMPARE(back.value("Form/Left").toInt(), 44);
  QCOMPARE(back.value("Form/Height").toInt(), 455);
  QCOMPARE(back.value("Form/Width").toInt(), 655);
  QCOMPARE(back.value("Form/InitMax").toBool(), true);
  QCOMPARE(readSessionSettings(settingsFilePath(pf.path())).fontForm, QString("DejaVu Serif,1,-2147483640,13,0"));
}

void tst_session_settings::fontStringFieldsApplyOnlyWhenPresent_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("family");
  QTest::addColumn<int>("size");
  QTest::addColumn<bool>("bold");
  QTest::addColumn<int>("colour");
  QTest::newRow("nothing") << ",,,," << "Base" << 10 << false << int(kSystemTextColour);
  QTest::newRow("no comma") << "Other" << "Base" << 10 << false << int(kSystemTextColour);
  QTest::newRow("face and size only") << "Other,,,14," << "Other" << 14 << false << int(kSystemTextColour);
  QTest::newRow("two commas: face and charset") << "Other,0,255" << "Other" << 10 << false << int(kSystemTextColour);
  QTest::newRow("style after the fourth comma") << ",,,,1" << "Base" << 10 << true << int(kSystemTextColour);
  QTest::newRow("not a number keeps the value") << " , x,abc,1x2,z" << "Base" << 10 << false << int(kSystemTextColour);
  QTest::newRow("colour") << ",,255,," << "Base" << 10 << false << 255;
  QTest::newRow("blanks around fields") << "  Other  ,, , 12 , 1 " << "Other" << 12 << true << int(kSystemTextColour);
}

void tst_session_settings::fontStringFieldsApplyOnlyWhenPresent() {
  QFETCH(QString, text);
  DisplayFont f;
  f.font = QFont("Base", 10);
  applyFontString(f, text);
  QTEST(f.font.family(), "family");
  QTEST(f.font.pointSize(), "size");
  QTEST(f.font.bold(), "bold");
  QTEST(int(f.colour), "colour");
}

void tst_session_settings::fontStringRoundTrips() {
  DisplayFont f;
  f.font = QFont("DejaVu Sans", 11);
  f.font.setItalic(true);
  f.font.setUnderline(true);
  const QString s = fontString(f);
  QCOMPARE(s, QString("DejaVu Sans,1,-2147483640,11,6"));
  DisplayFont g;
  g.font = QFont("Base", 8);
  applyFontString(g, s);
  QCOMPARE(fontString(g), s);
  QVERIFY(sameFontString("dejavu sans,1,-2147483640,11,6", s));
}

void tst_session_settings::firstStartTakesTheDesignedPlaceLaterStartsTheSavedOne() {
  ProgramFolder pf;
  {
    TtheMainForm w(pf.path());
    w.loadSessionSettings();
    QVERIFY(w.width() > 600);
    w.show();
    w.close();
  }
  {
    // A file without the window keys gives the defaults.
    QSettings s(settingsFilePath(pf.path()), QSettings::IniFormat);
    s.remove("Form");
  }
  TtheMainForm w(pf.path());
  w.loadSessionSettings();
  QCOMPARE(w.geometry().size(), QSize(600, 440));
}

QTEST_MAIN(tst_session_settings)
#include "tst_session_settings.moc"
