// The entry editor: typing over the date and time, the reading rules, filling
// and reading back the record, the entry type and the page name, every toolbar
// button and its four dialogs answered by caption, the pickers, category mode,
// the window's place and fonts, and through the main window what "Add Entry"
// and "Edit Entry" leave in the blog file.
#include <QRegularExpression>
#include <QtTest>

#include "app/entry_form.h"
#include "app/get_cat.h"
#include "app/get_file.h"
#include "app/get_pict.h"
#include "app/mainform.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"
#include "store/entries.h"
#include "util/date_time.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

Q_DECLARE_METATYPE(tessary::app::OverwriteKind)

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The clock pinned at 15:45:00 on 31 January 2024 while a test runs.
struct PinnedClock {
  PinnedClock() {
    util::setClock([] { return util::encodeDateTime({2024, 1, 31, 15, 45, 0, 0}); });
  }
  ~PinnedClock() { util::setClock({}); }
};

store::BlogRec sampleRec() {
  store::BlogRec r;
  r.BlogKey = 42;
  r.BlogDateTime = util::encodeDateTime({2008, 3, 14, 9, 26, 53, 0});
  r.BlogTitle = "A title";
  r.BlogText = "First line\r\nSecond line";
  r.BlogCategory = 5;
  r.BlogCoolURL = "http://example.org/";
  r.BlogPageType = store::kArticlePage;
  r.BlogPageName = "article1";
  r.BlogTeaser = "Teaser";
  r.BlogKeywords = "one, two";
  r.BlogSidebar = "Side";
  r.BlogExtra1 = "Extra 1";
  r.BlogExtra2 = "Extra 2";
  r.BlogTitle1 = "Custom 1";
  r.BlogTitle2 = "Custom 2";
  r.BlogMetaDesc = "Description";
  r.BlogCategory2 = 6;
  r.BlogCategory3 = 99;
  return r;
}

EntryEditorSeams titles() {
  EntryEditorSeams s;
  s.categoryTitle = [](int32_t key) -> std::optional<std::string> {
    if (key == 5) return std::string("Five");
    if (key == 6) return std::string("Six");
    return std::nullopt;
  };
  return s;
}

// An editor shown on its own, filled with the record.
struct Editor {
  TBlogEntryForm form;
  explicit Editor(const store::BlogRec& rec = sampleRec(), EntryEditorSeams seams = titles(), int function = 1)
      : form(nullptr, std::move(seams)) {
    form.setMyBlogFunction(function);
    form.setMyBlogResult(0);
    form.setMyBlogRec(rec);
    form.show();
  }
};

// Puts the text into the entry field and selects [from, to).
void setEntryText(TBlogEntryForm& f, const QString& text, int from, int to) {
  f.textEdit()->setPlainText(text);
  QTextCursor c = f.textEdit()->textCursor();
  c.setPosition(from);
  c.setPosition(to, QTextCursor::KeepAnchor);
  f.textEdit()->setTextCursor(c);
}

QString entryText(TBlogEntryForm& f) { return qs(f.myBlogRec().BlogText); }

}  // namespace

class tst_entry_form : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void typingOverTheDateAndTime_data();
  void typingOverTheDateAndTime();
  void deleteBackspaceAndCutDoNothing();
  void readingTheFields_data();
  void readingTheFields();
  void typedDateReachesTheRecordOnSave();
  void fillsAndReadsBackEveryField();
  void unchangedTextsComeBackExactlyAndEditedLinesAsCrLf();
  void entryTypeEnablesAndFillsThePageName();
  void saveReplacesAShortStaticPageName();
  void toolbarButtonsReplaceTheSelection_data();
  void toolbarButtonsReplaceTheSelection();
  void toolbarIsInItsOrderWithItsHints();
  void fontTagDialog();
  void linkDialogTakesTheSelectionAsCaption();
  void imageDialogWithEmptyNameAndLettersInHSpace();
  void imageDialogAlignAndSpaces();
  void tableDialogOneByOne();
  void tableDialogStartValuesAndRanges();
  void cancelledDialogInsertsNothing();
  void wordWrapPairToggles();
  void categoryButtonsAndClear();
  void pictureAndFileInsertion();
  void pickersLeftUnsetChooseNothing();
  void categoryModeHidesTheEntryControls();
  void helpTopics();
  void keyboardSaveAndCancel();
  void cancelAsksBeforeThrowingAwayChanges();
  void linkButtonOpensLongerUrlsOnly();
  void placeAndFonts();
  void everyControlIsNamed();
  void addEntryThroughTheMainWindowReachesTheBlogFile();
  void editEntryKeepsTheKeyAndCancelChangesNothing();
  void theMainWindowHandsOverPlaceAndFontsAndKeepsThePlace();
  void anEntryWrittenInTheEditorIsGenerated();
  void categoryPictureAndFileFromThePickersAreGenerated();
  void screenshots();
};

// ---- Date and time ---------------------------------------------------------------------------

void tst_entry_form::typingOverTheDateAndTime_data() {
  QTest::addColumn<OverwriteKind>("kind");
  QTest::addColumn<QString>("start");
  QTest::addColumn<int>("caret");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("expected");
  const auto D = OverwriteKind::Date;
  const auto T = OverwriteKind::Time;
  QTest::newRow("7 first in the date gives 2") << D << "1999-05-05" << 0 << "7" << "2999-05-05";
  QTest::newRow("1 first in the date stays") << D << "2999-05-05" << 0 << "1" << "1999-05-05";
  QTest::newRow("4 as first month digit gives 0") << D << "1999-12-05" << 5 << "4" << "1999-02-05";
  QTest::newRow("letter in the year gives 0") << D << "1999-12-05" << 1 << "x" << "1099-12-05";
  QTest::newRow("separator stays a dash") << D << "1999-12-05" << 4 << "7" << "1999-12-05";
  QTest::newRow("first day digit 0 to 3") << D << "1999-12-05" << 8 << "9" << "1999-12-05";
  QTest::newRow("first day digit 3 kept") << D << "1999-12-05" << 8 << "3" << "1999-12-35";
  QTest::newRow("whole date typed over") << D << "1999-12-05" << 0 << "2024-02-29" << "2024-02-29";
  QTest::newRow("digits run over the dashes") << D << "1999-12-05" << 0 << "20240229" << "2024-02-05";
  QTest::newRow("nothing past the end") << D << "1999-12-05" << 10 << "55" << "1999-12-05";
  QTest::newRow("last character then dropped") << D << "1999-12-05" << 9 << "78" << "1999-12-07";
  QTest::newRow("7 first in the time gives 0") << T << "12:34:56" << 0 << "7" << "02:34:56";
  QTest::newRow("2 first in the time stays") << T << "12:34:56" << 0 << "2" << "22:34:56";
  QTest::newRow("minutes tens 0 to 5") << T << "12:34:56" << 3 << "9" << "12:04:56";
  QTest::newRow("seconds tens 5 kept") << T << "12:34:06" << 6 << "5" << "12:34:56";
  QTest::newRow("colon stays") << T << "12:34:56" << 2 << "5" << "12:34:56";
  QTest::newRow("letter in the units gives 0") << T << "12:34:56" << 7 << "q" << "12:34:50";
  QTest::newRow("time past the end") << T << "12:34:56" << 8 << "1" << "12:34:56";
  QTest::newRow("whole time") << T << "12:34:56" << 0 << "23:59:01" << "23:59:01";
}

void tst_entry_form::typingOverTheDateAndTime() {
  QFETCH(OverwriteKind, kind);
  QFETCH(QString, start);
  QFETCH(int, caret);
  QFETCH(QString, typed);
  QFETCH(QString, expected);
  Editor e;
  OverwriteField* f = kind == OverwriteKind::Date ? e.form.dateEdit() : e.form.timeEdit();
  f->setText(start);
  f->setFocus();
  f->setCursorPosition(caret);
  QTest::keyClicks(f, typed);
  QCOMPARE(f->text(), expected);
}

void tst_entry_form::deleteBackspaceAndCutDoNothing() {
  Editor e;
  OverwriteField* f = e.form.dateEdit();
  QCOMPARE(f->text(), QString("2008-03-14"));
  f->setFocus();
  f->setCursorPosition(5);
  QTest::keyClick(f, Qt::Key_Backspace);
  QTest::keyClick(f, Qt::Key_Delete);
  f->selectAll();
  QTest::keyClick(f, Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(f, Qt::Key_Delete);
  QCOMPARE(f->text(), QString("2008-03-14"));
  // A selection is typed over from its start, one character.
  f->setSelection(5, 5);
  QTest::keyClicks(f, "1");
  QCOMPARE(f->text(), QString("2008-13-14"));
  // Undo takes a typed character back.
  QTest::keyClick(f, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(f->text(), QString("2008-03-14"));
  QCOMPARE(e.form.timeEdit()->text(), QString("09:26:53"));
}

void tst_entry_form::readingTheFields_data() {
  QTest::addColumn<QString>("date");
  QTest::addColumn<QString>("time");
  QTest::addColumn<QString>("expected");
  QTest::newRow("leap year") << "2008-02-31" << "10:00:00" << "2008-02-29 10:00:00";
  QTest::newRow("common year") << "2007-02-31" << "10:00:00" << "2007-02-28 10:00:00";
  QTest::newRow("april 31") << "2009-04-31" << "00:00:00" << "2009-04-30 00:00:00";
  QTest::newRow("year not a number") << "2x07-05-06" << "01:02:03" << "2000-05-06 01:02:03";
  QTest::newRow("year below 1899") << "1000-05-06" << "01:02:03" << "1899-05-06 01:02:03";
  QTest::newRow("month 13 and day 39") << "2001-13-39" << "01:02:03" << "2001-12-31 01:02:03";
  QTest::newRow("month and day zero") << "2001-00-00" << "01:02:03" << "2001-01-01 01:02:03";
  QTest::newRow("month not a number") << "2001-ab-15" << "01:02:03" << "2001-01-15 01:02:03";
  QTest::newRow("time held") << "2001-06-15" << "29:61:99" << "2001-06-15 23:59:59";
  QTest::newRow("time not numbers") << "2001-06-15" << "ab:cd:ef" << "2001-06-15 00:00:00";
}

void tst_entry_form::readingTheFields() {
  QFETCH(QString, date);
  QFETCH(QString, time);
  QFETCH(QString, expected);
  QCOMPARE(qs(util::formatDateTime("yyyy-mm-dd hh:nn:ss", readDateTimeFields(date, time))), expected);
}

void tst_entry_form::typedDateReachesTheRecordOnSave() {
  Editor e;
  OverwriteField* d = e.form.dateEdit();
  d->setFocus();
  d->setCursorPosition(0);
  QTest::keyClicks(d, "2008-02-31");
  OverwriteField* tm = e.form.timeEdit();
  tm->setFocus();
  tm->setCursorPosition(0);
  QTest::keyClicks(tm, "23:05");
  QTest::mouseClick(e.form.saveButton(), Qt::LeftButton);
  QCOMPARE(e.form.myBlogResult(), 1);
  QVERIFY(!e.form.isVisible());
  QCOMPARE(qs(util::formatDateTime("yyyy-mm-dd hh:nn:ss", e.form.myBlogRec().BlogDateTime)),
           QString("2008-02-29 23:05:53"));
}

// ---- The record -------------------------------------------------------------------------------

void tst_entry_form::fillsAndReadsBackEveryField() {
  Editor e;
  TBlogEntryForm& f = e.form;
  QCOMPARE(f.windowTitle(), QString("Blog Entry"));
  QCOMPARE(f.band()->title(), QString("Blog Entry"));
  QCOMPARE(f.pages()->count(), 5);
  const QStringList tabs = {"Basic Entry", "Meta Tags", "Side Bar", "Custom Fields 1", "Custom Fields 2"};
  for (int i = 0; i < 5; ++i) QCOMPARE(f.pages()->tabText(i), tabs[i]);
  QCOMPARE(f.pages()->currentIndex(), 0);
  QCOMPARE(f.titleEdit()->text(), QString("A title"));
  QCOMPARE(f.textEdit()->toPlainText(), QString("First line\nSecond line"));
  QCOMPARE(f.categoryLabel()->text(), QString("Five"));
  QCOMPARE(f.alternateButton(2)->text(), QString("Six"));
  QCOMPARE(f.alternateButton(3)->text(), QString("..."));  // 99 is not in the blog
  QCOMPARE(f.urlEdit()->text(), QString("http://example.org/"));
  QCOMPARE(f.pageNameEdit()->text(), QString("article1"));
  QVERIFY(f.pageNameEdit()->isEnabled());
  QCOMPARE(f.entryTypeList()->count(), 8);
  QCOMPARE(f.entryTypeList()->currentText(), QString("Article Page"));
  QCOMPARE(f.entryTypeList()->itemText(0), QString("Blog Entry"));
  QCOMPARE(f.keywordsEdit()->maxLength(), 250);
  QCOMPARE(f.metaDescEdit()->maxLength(), 250);
  QCOMPARE(f.customTitleEdit(2)->text(), QString("Custom 2"));
  QCOMPARE(f.customTextEdit(1)->toPlainText(), QString("Extra 1"));
  // Nothing touched: the record comes back as it went in.
  QCOMPARE(f.myBlogRec(), sampleRec());

  // Every field typed into reaches its column; the key stays.
  f.titleEdit()->clear();
  QTest::keyClicks(f.titleEdit(), "New title");
  QTest::keyClicks(f.keywordsEdit(), ", three");
  QTest::keyClicks(f.metaDescEdit(), "!");
  f.sidebarEdit()->moveCursor(QTextCursor::End);
  QTest::keyClicks(f.sidebarEdit(), " bar");
  f.customTitleEdit(1)->clear();
  QTest::keyClicks(f.customTitleEdit(1), "C1");
  f.customTextEdit(2)->clear();
  QTest::keyClicks(f.customTextEdit(2), "E2");
  f.teaserEdit()->clear();
  QTest::keyClicks(f.teaserEdit(), "T");
  f.urlEdit()->clear();
  QTest::keyClicks(f.urlEdit(), "u");
  const store::BlogRec r = f.myBlogRec();
  QCOMPARE(r.BlogKey, 42);
  QCOMPARE(r.BlogTitle, std::string("New title"));
  QCOMPARE(r.BlogKeywords, std::string("one, two, three"));
  QCOMPARE(r.BlogMetaDesc, std::string("Description!"));
  QCOMPARE(r.BlogSidebar, std::string("Side bar"));
  QCOMPARE(r.BlogTitle1, std::string("C1"));
  QCOMPARE(r.BlogExtra2, std::string("E2"));
  QCOMPARE(r.BlogTeaser, std::string("T"));
  QCOMPARE(r.BlogCoolURL, std::string("u"));
  QCOMPARE(r.BlogCategory3, 99);
}

void tst_entry_form::unchangedTextsComeBackExactlyAndEditedLinesAsCrLf() {
  store::BlogRec rec = sampleRec();
  rec.BlogText = "unix\nlines\rand\r\nmixed";
  rec.BlogKeywords = std::string(300, 'k');  // longer than the field takes
  Editor e(rec);
  QCOMPARE(e.form.myBlogRec().BlogText, rec.BlogText);
  QCOMPARE(e.form.myBlogRec().BlogKeywords, rec.BlogKeywords);
  e.form.textEdit()->moveCursor(QTextCursor::End);
  QTest::keyClick(e.form.textEdit(), Qt::Key_Return);
  QTest::keyClicks(e.form.textEdit(), "end");
  QCOMPARE(e.form.myBlogRec().BlogText, std::string("unix\r\nlines\r\nand\r\nmixed\r\nend"));
}

void tst_entry_form::entryTypeEnablesAndFillsThePageName() {
  PinnedClock clock;
  store::BlogRec rec = store::newBlogRec();
  Editor e(rec);
  QComboBox* type = e.form.entryTypeList();
  QCOMPARE(type->currentIndex(), 0);
  QVERIFY(!e.form.pageNameEdit()->isEnabled());
  type->setFocus();
  QTest::keyClick(type, Qt::Key_Down);  // "Article Page"
  QCOMPARE(type->currentText(), QString("Article Page"));
  QVERIFY(e.form.pageNameEdit()->isEnabled());
  QCOMPARE(e.form.pageNameEdit()->text(), QString("20240131154500"));
  // Each type with a page enables the name; the others disable it.
  const bool enabled[8] = {false, true, true, true, false, false, true, true};
  for (int i = 0; i < 8; ++i) {
    type->setCurrentIndex(i);
    QCOMPARE(e.form.pageNameEdit()->isEnabled(), enabled[i]);
  }
  type->setCurrentIndex(0);
  QVERIFY(!e.form.pageNameEdit()->isEnabled());
  QTest::mouseClick(e.form.saveButton(), Qt::LeftButton);
  QCOMPARE(e.form.myBlogResult(), 1);
  QCOMPARE(e.form.myBlogRec().BlogPageType, 0);
  QCOMPARE(e.form.myBlogRec().BlogPageName, std::string());
}

void tst_entry_form::saveReplacesAShortStaticPageName() {
  PinnedClock clock;
  store::BlogRec rec = sampleRec();
  rec.BlogPageType = store::kStaticPage;
  rec.BlogPageName = "x";
  Editor e(rec);
  QCOMPARE(e.form.pageNameEdit()->text(), QString("x"));
  QTest::mouseClick(e.form.saveButton(), Qt::LeftButton);
  QCOMPARE(e.form.myBlogRec().BlogPageName, std::string("20240131154500"));
  // Two characters are enough.
  rec.BlogPageName = "ab";
  Editor two(rec);
  QTest::mouseClick(two.form.saveButton(), Qt::LeftButton);
  QCOMPARE(two.form.myBlogRec().BlogPageName, std::string("ab"));
}

// ---- The toolbar ----------------------------------------------------------------------------------

void tst_entry_form::toolbarButtonsReplaceTheSelection_data() {
  QTest::addColumn<QString>("hint");
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<QString>("expected");
  // The text is "one two three"; [4, 7) is "two", [13, 13) the caret at the end.
  QTest::newRow("bold") << t::kHintBold << 4 << 7 << "one <B>two</B> three";
  QTest::newRow("bold at the caret") << t::kHintBold << 13 << 13 << "one two three<B></B>";
  QTest::newRow("italics") << t::kHintItalics << 4 << 7 << "one <I>two</I> three";
  QTest::newRow("underline") << t::kHintUnderline << 0 << 3 << "<U>one</U> two three";
  QTest::newRow("center") << t::kHintCenter << 4 << 7 << "one <CENTER>two</CENTER> three";
  QTest::newRow("paragraph") << t::kHintParagraph << 4 << 7 << "one <P>two three";
  QTest::newRow("line feed") << t::kHintLineFeed << 4 << 4 << "one <BR>two three";
  QTest::newRow("rule") << t::kHintRule << 7 << 4 << "one <HR>two three";
  QTest::newRow("numbered") << t::kHintNumbered << 4 << 7 << "one <OL><LI>two</OL> three";
  QTest::newRow("unnumbered") << t::kHintUnnumbered << 4 << 7 << "one <UL><LI>two</UL> three";
  QTest::newRow("list item") << t::kHintListItem << 4 << 7 << "one <LI>two three";
}

void tst_entry_form::toolbarButtonsReplaceTheSelection() {
  QFETCH(QString, hint);
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(QString, expected);
  Editor e;
  setEntryText(e.form, "one two three", from, to);
  QToolButton* b = e.form.toolButton(hint);
  QVERIFY(b);
  QTest::mouseClick(b, Qt::LeftButton);
  QCOMPARE(entryText(e.form), expected);
  // The text keeps the focus; undo takes the insertion back.
  QVERIFY(e.form.textEdit()->hasFocus() || !QApplication::focusWidget());
  e.form.textEdit()->undo();
  QCOMPARE(e.form.textEdit()->toPlainText(), QString("one two three"));
}

void tst_entry_form::toolbarIsInItsOrderWithItsHints() {
  Editor e;
  const QStringList hints = {t::kHintBold,     t::kHintItalics,    t::kHintUnderline, t::kHintCenter,
                             t::kHintParagraph, t::kHintLineFeed,  t::kHintRule,      t::kHintFont,
                             t::kHintLink,     t::kHintImage,      t::kHintTable,     t::kHintNumbered,
                             t::kHintUnnumbered, t::kHintListItem, t::kHintWrapOn,    t::kHintWrapOff,
                             t::kHintBlogPicture, t::kHintBlogFile};
  QCOMPARE(hints[5], QString("<BR> - Insert  Line Feed Tag"));
  QCOMPARE(hints[7], QString("<FONT FACE= SIZE=> - Insert  Font Tag"));
  e.form.resize(600, 400);
  QTest::qWait(20);
  QPoint last(-1, -1);
  for (const QString& h : hints) {
    QToolButton* b = e.form.toolButton(h);
    QVERIFY2(b, qPrintable(h));
    QCOMPARE(b->toolTip().left(h.size()), h);
    QCOMPARE(b->accessibleName(), h);
    QVERIFY(b->text().isEmpty());
    // In reading order, each one whole inside the window at its smallest size.
    const QPoint at = b->mapTo(&e.form, QPoint(0, 0));
    QVERIFY2(at.y() > last.y() || (at.y() == last.y() && at.x() > last.x()), qPrintable(h));
    last = at;
    QVERIFY2(at.x() + b->width() <= e.form.width(), qPrintable(h));
    QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(h));
  }
  // Ctrl+B in the text is the bold button.
  setEntryText(e.form, "word", 0, 4);
  e.form.activateWindow();
  e.form.textEdit()->setFocus();
  QVERIFY(QTest::qWaitForWindowActive(&e.form));
  QTest::keyClick(e.form.textEdit(), Qt::Key_B, Qt::ControlModifier);
  QCOMPARE(entryText(e.form), QString("<B>word</B>"));
}

void tst_entry_form::fontTagDialog() {
  Editor e;
  setEntryText(e.form, "one two three", 4, 7);
  ModalAnswerer a;
  QStringList seen;
  a.act([&](QWidget* w) {
    auto* d = as<TFontTagForm>(w);
    if (!d) return;
    seen << d->faceEdit()->text() << d->colourEdit()->text() << d->sizeEdit()->text();
    QTest::keyClicks(d->faceEdit(), "  Verdana ");
    QTest::keyClicks(d->sizeEdit(), "2");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
  });
  QTest::mouseClick(e.form.toolButton(t::kHintFont), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(0), QString("Insert Font Tag"));
  QCOMPARE(seen, QStringList({"", "", ""}));
  QCOMPARE(entryText(e.form), QString("one <FONT FACE=\"Verdana\" SIZE=\"2\">two</FONT> three"));
  QCOMPARE(fontTagText("", " ", "", "s"), QString("<FONT>s</FONT>"));
  QCOMPARE(fontTagText("A", "#fff", "3", ""), QString("<FONT FACE=\"A\" COLOR=\"#fff\" SIZE=\"3\"></FONT>"));
}

void tst_entry_form::linkDialogTakesTheSelectionAsCaption() {
  Editor e;
  setEntryText(e.form, "see here now", 4, 8);
  ModalAnswerer a;
  QString caption;
  bool checked = false;
  a.act([&](QWidget* w) {
    auto* d = as<THrefTagForm>(w);
    if (!d) return;
    caption = d->captionEdit()->text();
    checked = d->newWindowBox()->isChecked();
    QTest::keyClicks(d->urlEdit(), " http://a.example/ ");
    QTest::keyClicks(d->captionEdit(), " ");
    QTest::keyClick(d->urlEdit(), Qt::Key_Return);  // OK is the default button
  });
  QTest::mouseClick(e.form.toolButton(t::kHintLink), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(0), QString("Insert HREF Tag"));
  QCOMPARE(caption, QString("here"));
  QVERIFY(checked);
  QCOMPARE(entryText(e.form),
           QString("see <A HREF=\"http://a.example/\" class=\"entrylink\" TARGET=\"_blank\">here</A> now"));
  // Without the box: no target; the selection is not kept beyond the caption.
  setEntryText(e.form, "x", 0, 1);
  a.act([&](QWidget* w) {
    auto* d = as<THrefTagForm>(w);
    if (!d) return;
    d->newWindowBox()->setFocus();
    QTest::keyClick(d->newWindowBox(), Qt::Key_Space);
    d->captionEdit()->setText("other");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
  });
  QTest::mouseClick(e.form.toolButton(t::kHintLink), Qt::LeftButton);
  QCOMPARE(entryText(e.form), QString("<A HREF=\"\" class=\"entrylink\">other</A>"));
}

void tst_entry_form::imageDialogWithEmptyNameAndLettersInHSpace() {
  Editor e;
  setEntryText(e.form, "pic", 0, 3);
  ModalAnswerer a;
  QStringList start;
  a.act([&](QWidget* w) {
    auto* d = as<TImageTagForm>(w);
    if (!d) return;
    start << d->hspaceEdit()->text() << d->vspaceEdit()->text() << QString::number(d->align());
    d->hspaceEdit()->selectAll();
    QTest::keyClicks(d->hspaceEdit(), "abc");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
  });
  QTest::mouseClick(e.form.toolButton(t::kHintImage), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(0), QString("Insert Image Tag"));
  QCOMPARE(start, QStringList({"0", "0", "0"}));
  QCOMPARE(entryText(e.form), QString("<IMG SRC=\"\">pic"));
}

void tst_entry_form::imageDialogAlignAndSpaces() {
  Editor e;
  setEntryText(e.form, "", 0, 0);
  ModalAnswerer a;
  QStringList names;
  a.act([&](QWidget* w) {
    auto* d = as<TImageTagForm>(w);
    if (!d) return;
    for (int i = 0; i < 6; ++i) names << d->alignButton(i)->text();
    QTest::keyClicks(d->fileEdit(), " me.png ");
    QTest::keyClicks(d->altEdit(), "Me");
    QTest::mouseClick(d->alignButton(4), Qt::LeftButton);
    d->hspaceEdit()->setText("5");
    d->vspaceEdit()->setText("-2");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
  });
  QTest::mouseClick(e.form.toolButton(t::kHintImage), Qt::LeftButton);
  QCOMPARE(names, QStringList({"None", "Left", "Right", "Top", "Middle", "Bottom"}));
  QCOMPARE(entryText(e.form), QString("<IMG SRC=\"me.png\" ALT=\"Me\" ALIGN=\"MIDDLE\" HSPACE=\"5\" VSPACE=\"-2\">"));
}

void tst_entry_form::tableDialogOneByOne() {
  Editor e;
  setEntryText(e.form, "S", 0, 1);
  ModalAnswerer a;
  a.act([&](QWidget* w) {
    auto* d = as<TTableTagForm>(w);
    if (!d) return;
    for (QSpinBox* b : {d->rowsBox(), d->columnsBox()}) {
      b->setFocus();
      QTest::keyClick(b, Qt::Key_Down);
    }
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
  });
  QTest::mouseClick(e.form.toolButton(t::kHintTable), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(0), QString("Insert Table Tag"));
  QCOMPARE(entryText(e.form), QString("\r\n<TABLE CELLPADDING=\"4\" CELLSPACING=\"4\" BORDER=\"0\">\r\n<TR>\r\n<TD></TD>"
                                      "\r\n</TR>\r\n</TABLE>\r\nS"));
}

void tst_entry_form::tableDialogStartValuesAndRanges() {
  TTableTagForm d(nullptr, nullptr);
  struct Row {
    QSpinBox* box;
    int min, max, start;
  } rows[] = {{d.rowsBox(), 1, 20, 2},
              {d.columnsBox(), 1, 20, 2},
              {d.paddingBox(), 0, 12, 4},
              {d.spacingBox(), 0, 12, 4},
              {d.borderBox(), 0, 4, 0}};
  for (const Row& r : rows) {
    QCOMPARE(r.box->minimum(), r.min);
    QCOMPARE(r.box->maximum(), r.max);
    QCOMPARE(r.box->value(), r.start);
  }
  const QString two = d.tagText("");
  QCOMPARE(two.count("<TR>"), 2);
  QCOMPARE(two.count("<TD></TD>"), 4);
  QCOMPARE(tableTagText(1, 3, 0, 12, 4, "").count("\r\n"), 8);
}

void tst_entry_form::cancelledDialogInsertsNothing() {
  Editor e;
  setEntryText(e.form, "keep", 0, 4);
  QStringList helped;
  ModalAnswerer a;
  a.press("Cancel").press("Cancel").press("Cancel").press("Cancel");
  for (const char* h : {t::kHintFont, t::kHintLink, t::kHintImage, t::kHintTable})
    QTest::mouseClick(e.form.toolButton(h), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(a.titles, QStringList({"Insert Font Tag", "Insert HREF Tag", "Insert Image Tag", "Insert Table Tag"}));
  QCOMPARE(entryText(e.form), QString("keep"));
  // Each dialog's help button opens the toolbar's topic.
  TFontTagForm d(nullptr, nullptr);
  d.setHelpOpener([&](const QString& topic) { helped << topic; });
  QTest::mouseClick(d.helpButton(), Qt::LeftButton);
  QCOMPARE(helped, QStringList{"EntriesHTMLBar"});
}

void tst_entry_form::wordWrapPairToggles() {
  Editor e;
  QToolButton* on = e.form.toolButton(t::kHintWrapOn);
  QToolButton* off = e.form.toolButton(t::kHintWrapOff);
  QPlainTextEdit* text = e.form.textEdit();
  QVERIFY(e.form.wordWrap());
  QVERIFY(on->isChecked() && !off->isChecked());
  QCOMPARE(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QTest::mouseClick(on, Qt::LeftButton);  // either button toggles
  QVERIFY(!e.form.wordWrap());
  QVERIFY(!on->isChecked() && off->isChecked());
  QCOMPARE(text->lineWrapMode(), QPlainTextEdit::NoWrap);
  QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QTest::mouseClick(on, Qt::LeftButton);
  QVERIFY(e.form.wordWrap());
  QTest::mouseClick(off, Qt::LeftButton);
  QVERIFY(!e.form.wordWrap());
  QVERIFY(off->isChecked());
  QTest::mouseClick(off, Qt::LeftButton);
  QVERIFY(e.form.wordWrap());
  QVERIFY(on->isChecked() && !off->isChecked());
}

// ---- Pickers ------------------------------------------------------------------------------------------

void tst_entry_form::categoryButtonsAndClear() {
  EntryEditorSeams s = titles();
  std::deque<std::optional<CategoryChoice>> answers = {CategoryChoice{7, "Seven"}, std::nullopt,
                                                       CategoryChoice{8, "Eight"}, CategoryChoice{9, "Nine"}};
  int asked = 0;
  s.selectCategory = [&]() {
    ++asked;
    auto a = answers.front();
    answers.pop_front();
    return a;
  };
  Editor e(sampleRec(), s);
  QCOMPARE(e.form.categoryButton()->toolTip(), QString("Select a Category for this Entry"));
  QCOMPARE(e.form.alternateButton(2)->toolTip().right(37), QString("Click to select an alternate category"));
  QTest::mouseClick(e.form.categoryButton(), Qt::LeftButton);
  QCOMPARE(e.form.categoryLabel()->text(), QString("Seven"));
  QCOMPARE(e.form.workingCategory(1), 7);
  QTest::mouseClick(e.form.alternateButton(2), Qt::LeftButton);  // not chosen: stays
  QCOMPARE(e.form.alternateButton(2)->text(), QString("Six"));
  QCOMPARE(e.form.workingCategory(2), 6);
  QTest::mouseClick(e.form.alternateButton(2), Qt::LeftButton);
  QCOMPARE(e.form.alternateButton(2)->text(), QString("Eight"));
  QCOMPARE(e.form.alternateButton(2)->accessibleName(), QString("Eight"));
  QTest::mouseClick(e.form.alternateButton(3), Qt::LeftButton);
  QCOMPARE(e.form.alternateButton(3)->text(), QString("Nine"));
  QCOMPARE(asked, 4);
  store::BlogRec r = e.form.myBlogRec();
  QCOMPARE(r.BlogCategory, 7);
  QCOMPARE(r.BlogCategory2, 8);
  QCOMPARE(r.BlogCategory3, 9);
  QCOMPARE(e.form.clearCategoriesButton()->accessibleName(), QString("Clear all Categories from this Entry"));
  QTest::mouseClick(e.form.clearCategoriesButton(), Qt::LeftButton);
  QCOMPARE(e.form.categoryLabel()->text(), QString());
  QCOMPARE(e.form.alternateButton(2)->text(), QString("..."));
  QCOMPARE(e.form.alternateButton(3)->text(), QString("..."));
  QTest::mouseClick(e.form.saveButton(), Qt::LeftButton);
  r = e.form.myBlogRec();
  QCOMPARE(r.BlogCategory, -1);
  QCOMPARE(r.BlogCategory2, -1);
  QCOMPARE(r.BlogCategory3, -1);
}

void tst_entry_form::pictureAndFileInsertion() {
  EntryEditorSeams s = titles();
  std::deque<PictureChoice> pictures;
  PictureChoice p1;
  p1.name = "cat.jpg";
  p1.storedHeight = -1;
  p1.storedWidth = 640;
  pictures.push_back(p1);
  PictureChoice p2 = p1;
  p2.altText = "A cat";
  p2.align = 1;
  p2.height = 100;
  p2.width = -1;
  p2.hspace = 3;
  p2.storedHeight = 480;
  pictures.push_back(p2);
  s.insertPicture = [&]() -> std::optional<PictureChoice> {
    PictureChoice p = pictures.front();
    pictures.pop_front();
    return p;
  };
  std::deque<FileChoice> files = {{"setup.zip", ""}, {"setup.zip", "Download"}};
  s.insertFile = [&]() -> std::optional<FileChoice> {
    FileChoice f = files.front();
    files.pop_front();
    return f;
  };
  Editor e(sampleRec(), s);
  setEntryText(e.form, "[S]", 0, 3);
  QTest::mouseClick(e.form.toolButton(t::kHintBlogPicture), Qt::LeftButton);
  QCOMPARE(entryText(e.form), QString("<IMG SRC=\"cat.jpg\" WIDTH=640>[S]"));
  setEntryText(e.form, "", 0, 0);
  QTest::mouseClick(e.form.toolButton(t::kHintBlogPicture), Qt::LeftButton);
  QCOMPARE(entryText(e.form), QString("<IMG SRC=\"cat.jpg\" ALT=\"A cat\" ALIGN=LEFT HEIGHT=100 WIDTH=640 HSPACE=\"3\">"));
  setEntryText(e.form, "!", 0, 1);
  QTest::mouseClick(e.form.toolButton(t::kHintBlogFile), Qt::LeftButton);
  QCOMPARE(entryText(e.form), QString("<A HREF=\"setup.zip\" class=\"entrylink\">setup.zip</A>!"));
  setEntryText(e.form, "", 0, 0);
  QTest::mouseClick(e.form.toolButton(t::kHintBlogFile), Qt::LeftButton);
  QCOMPARE(entryText(e.form), QString("<A HREF=\"setup.zip\" class=\"entrylink\">Download</A>"));
  // All five alignments are written without quotes.
  PictureChoice p;
  p.name = "a";
  const char* words[] = {"LEFT", "RIGHT", "TOP", "MIDDLE", "BOTTOM"};
  for (int i = 1; i <= 5; ++i) {
    p.align = i;
    QCOMPARE(pictureTagText(p, ""), QStringLiteral("<IMG SRC=\"a\" ALIGN=%1>").arg(words[i - 1]));
  }
}

void tst_entry_form::pickersLeftUnsetChooseNothing() {
  Editor e(sampleRec(), {});
  QCOMPARE(e.form.categoryLabel()->text(), QString());  // no titles to look up
  setEntryText(e.form, "x", 0, 1);
  QTest::mouseClick(e.form.categoryButton(), Qt::LeftButton);
  QTest::mouseClick(e.form.toolButton(t::kHintBlogPicture), Qt::LeftButton);
  QTest::mouseClick(e.form.toolButton(t::kHintBlogFile), Qt::LeftButton);
  QCOMPARE(entryText(e.form), QString("x"));
  QCOMPARE(e.form.myBlogRec().BlogCategory, 5);
}

void tst_entry_form::categoryModeHidesTheEntryControls() {
  store::BlogRec rec;
  rec.BlogKey = 3;
  rec.BlogPageType = store::kArticlePage;
  rec.BlogTitle = "Travel";
  rec.BlogPageName = "c20240131154500";
  rec.BlogDateTime = util::encodeDate(2001, 1, 1);
  Editor e(rec, titles(), TBlogEntryForm::kCategoryMode);
  TBlogEntryForm& f = e.form;
  QCOMPARE(f.windowTitle(), QString("Category Entry"));
  QCOMPARE(f.band()->title(), QString("Category Entry"));
  for (QWidget* w : std::initializer_list<QWidget*>{f.dateEdit(), f.timeEdit(), f.categoryLabel(), f.categoryButton(),
                                                    f.clearCategoriesButton(), f.alternateButton(2), f.alternateButton(3),
                                                    f.urlEdit(), f.urlButton(), f.entryTypeList()}) {
    QVERIFY2(!w->isVisible(), qPrintable(w->accessibleName()));
    QVERIFY2(!w->isEnabled(), qPrintable(w->accessibleName()));
  }
  QVERIFY(f.pageNameEdit()->isEnabled());
  QVERIFY(f.titleEdit()->isVisible());
  QVERIFY(f.textEdit()->isVisible());
  QCOMPARE(f.titleEdit()->text(), QString("Travel"));
  QTest::keyClicks(f.titleEdit(), " notes");
  f.pageNameEdit()->clear();
  QTest::mouseClick(f.saveButton(), Qt::LeftButton);
  const store::BlogRec r = f.myBlogRec();
  QCOMPARE(f.myBlogResult(), 1);
  QCOMPARE(qs(r.BlogTitle), QString("Travel notes"));
  QCOMPARE(r.BlogPageType, 1);
  QCOMPARE(r.BlogKey, 3);
  QCOMPARE(r.BlogDateTime, rec.BlogDateTime);
  QCOMPARE(r.BlogPageName.size(), size_t(14));  // an empty name is replaced on Save
}

void tst_entry_form::helpTopics() {
  QStringList topics;
  EntryEditorSeams s = titles();
  s.help = [&](const QString& topic) { topics << topic; };
  Editor entry(sampleRec(), s);
  QTest::mouseClick(entry.form.helpButton(), Qt::LeftButton);
  Editor category(sampleRec(), s, TBlogEntryForm::kCategoryMode);
  QTest::mouseClick(category.form.helpButton(), Qt::LeftButton);
  QCOMPARE(topics, QStringList({"Entries", "EntriesCategoryList"}));
}

void tst_entry_form::keyboardSaveAndCancel() {
  {
    Editor e;
    QVERIFY(QTest::qWaitForWindowActive(&e.form));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.form.titleEdit()));
    QTest::keyClicks(e.form.titleEdit(), "!");
    QTest::keyClick(e.form.titleEdit(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(e.form.myBlogResult(), 1);
    QVERIFY(!e.form.isVisible());
    QCOMPARE(qs(e.form.myBlogRec().BlogTitle), QString("A title!"));
  }
  {
    Editor e;
    e.form.setMyBlogResult(1);
    QVERIFY(QTest::qWaitForWindowActive(&e.form));
    QTest::keyClick(e.form.titleEdit(), Qt::Key_Escape);
    QCOMPARE(e.form.myBlogResult(), 0);
    QVERIFY(!e.form.isVisible());
  }
  {
    Editor e;
    QTest::mouseClick(e.form.cancelButton(), Qt::LeftButton);
    QCOMPARE(e.form.myBlogResult(), 0);
  }
}

void tst_entry_form::cancelAsksBeforeThrowingAwayChanges() {
  Editor e;
  ModalAnswerer a;
  a.press("No").press("Yes");
  QTest::keyClicks(e.form.teaserEdit(), "x");
  QTest::keyClick(e.form.titleEdit(), Qt::Key_Escape);
  QVERIFY(e.form.isVisible());  // No: the editor stays with the text
  QCOMPARE(e.form.myBlogRec().BlogTeaser, std::string("xTeaser"));
  QTest::mouseClick(e.form.cancelButton(), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.texts, QStringList({"Discard the changes to this entry?", "Discard the changes to this entry?"}));
  QVERIFY(!e.form.isVisible());
  QCOMPARE(e.form.myBlogResult(), 0);
  // A change taken back asks nothing; a category chosen is a change.
  EntryEditorSeams s = titles();
  s.selectCategory = [] { return std::optional<CategoryChoice>(CategoryChoice{6, "Six"}); };
  Editor back(sampleRec(), s);
  QTest::keyClicks(back.form.titleEdit(), "!");
  QTest::keyClick(back.form.titleEdit(), Qt::Key_Backspace);
  QTest::mouseClick(back.form.cancelButton(), Qt::LeftButton);
  QVERIFY(!back.form.isVisible());
  a.press("No");
  back.form.show();
  QTest::mouseClick(back.form.categoryButton(), Qt::LeftButton);
  QTest::mouseClick(back.form.cancelButton(), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QVERIFY(back.form.isVisible());
}

void tst_entry_form::linkButtonOpensLongerUrlsOnly() {
  QStringList opened;
  EntryEditorSeams s = titles();
  s.openUrl = [&](const QString& url) { opened << url; };
  Editor e(sampleRec(), s);
  QTest::mouseClick(e.form.urlButton(), Qt::LeftButton);
  e.form.urlEdit()->setText("x");
  QTest::mouseClick(e.form.urlButton(), Qt::LeftButton);
  e.form.urlEdit()->setText("xy");
  QTest::mouseClick(e.form.urlButton(), Qt::LeftButton);
  QCOMPARE(opened, QStringList({"http://example.org/", "xy"}));
}

void tst_entry_form::placeAndFonts() {
  TBlogEntryForm f(nullptr);
  WindowPlace small{20, 30, 20, 20, false};
  f.applyPlace(small, QSize(1920, 1080));
  QCOMPARE(f.size(), QSize(600, 400));
  QCOMPARE(f.pos(), QPoint(30, 20));
  WindowPlace big{-5, 5000, 700, 900, false};
  f.applyPlace(big, QSize(1920, 1080));
  QCOMPARE(f.size(), QSize(900, 700));
  QCOMPARE(f.pos(), QPoint(30, 20));  // neither counts
  WindowPlace tooBig{10, 10, 2000, 800, false};
  f.applyPlace(tooBig, QSize(1920, 1080));
  QCOMPARE(f.size(), QSize(800, 700));
  const WindowPlace kept = f.keptPlace(WindowPlace{});
  QCOMPARE(kept.width, 800);
  QCOMPARE(kept.height, 700);
  QVERIFY(!kept.initMax);

  f.applyFonts("DejaVu Sans,1,-2147483640,13,1", "DejaVu Serif,1,-2147483640,15,0");
  QCOMPARE(f.font().pointSize(), 13);
  QVERIFY(f.font().bold());
  QCOMPARE(f.saveButton()->font().pointSize(), 13);
  for (QWidget* w : std::initializer_list<QWidget*>{f.titleEdit(), f.textEdit(), f.dateEdit(), f.timeEdit(), f.urlEdit(),
                                                    f.entryTypeList(), f.pageNameEdit()}) {
    QCOMPARE(w->font().pointSize(), 15);
    QCOMPARE(w->font().family(), QString("DejaVu Serif"));
  }
  QCOMPARE(f.keywordsEdit()->font().pointSize(), 13);
  // ",,,," changes nothing: the text stays in its fixed-pitch font.
  TBlogEntryForm plain(nullptr);
  const QFont before = plain.textEdit()->font();
  plain.applyFonts(",,,,", ",,,,");
  QCOMPARE(plain.textEdit()->font().family(), before.family());
}

void tst_entry_form::everyControlIsNamed() {
  Editor e;
  for (QWidget* w : e.form.findChildren<QWidget*>()) {
    const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                         qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w);
    if (!control || qobject_cast<QTabBar*>(w->parentWidget()) || qobject_cast<QComboBox*>(w->parentWidget())) continue;
    QVERIFY2(!w->accessibleName().isEmpty(), w->metaObject()->className());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      const QString caption = QString(b->text()).remove('&');
      if (!caption.isEmpty() && !caption.endsWith(QChar(0x2026))) QCOMPARE(b->accessibleName(), caption);
    }
  }
}

// ---- Through the main window ------------------------------------------------------------------------------

void tst_entry_form::addEntryThroughTheMainWindowReachesTheBlogFile() {
  PinnedClock clock;
  OpenBlog b;
  QVERIFY(b.w->blogOpen());
  const int before = b.w->entryModel()->rowCount();
  ModalAnswerer a;
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QCOMPARE(f->windowTitle(), QString("Blog Entry"));
    QCOMPARE(f->dateEdit()->text(), QString("2024-01-31"));
    QCOMPARE(f->timeEdit()->text(), QString("15:45:00"));
    QVERIFY(f->size().width() >= 600 && f->size().height() >= 400);
    QTest::keyClicks(f->titleEdit(), "Typed in the editor");
    f->dateEdit()->setCursorPosition(0);
    QTest::keyClicks(f->dateEdit(), "2007-02-31");
    f->textEdit()->setFocus();
    QTest::keyClicks(f->textEdit(), "Hello");
    QTest::mouseClick(f->toolButton(t::kHintBold), Qt::LeftButton);
    f->entryTypeList()->setCurrentIndex(store::kStaticPage);
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  });
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(b.w->entryModel()->rowCount(), before + 1);
  // The editor's place is kept for the next one and the file at exit.
  QVERIFY(b.w->settings().entry.width >= 600);
  QVERIFY(b.w->settings().entry.height >= 400);
  // Cancel adds nothing.
  a.press("Cancel");
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(b.w->entryModel()->rowCount(), before + 1);

  const auto rows = b.storedEntries();
  QCOMPARE(int(rows.size()), before + 1);
  const store::BlogRec& r = rows.rbegin()->second;
  QCOMPARE(r.BlogTitle, std::string("Typed in the editor"));
  QCOMPARE(r.BlogText, std::string("Hello<B></B>"));
  QCOMPARE(qs(util::formatDateTime("yyyy-mm-dd hh:nn:ss", r.BlogDateTime)), QString("2007-02-28 15:45:00"));
  QCOMPARE(r.BlogPageType, store::kStaticPage);
  QCOMPARE(r.BlogPageName, std::string("20240131154500"));
  QCOMPARE(r.BlogCategory, -1);
}

void tst_entry_form::editEntryKeepsTheKeyAndCancelChangesNothing() {
  OpenBlog b;
  QTableView* g = b.w->entryGrid();
  QVERIFY(b.w->entryModel()->rowCount() > 0);
  g->setCurrentIndex(g->model()->index(0, 0));
  const int64_t key = b.w->blog().tblBlog().currentRowId();
  const store::BlogRec original = store::readBlogRec(b.w->blog().tblBlog());
  ModalAnswerer a;
  QString shownTitle;
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QTest::keyClicks(f->titleEdit(), " (cancelled)");
    QTest::mouseClick(f->cancelButton(), Qt::LeftButton);
  });
  a.press("Yes");  // discard what was typed
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    shownTitle = f->titleEdit()->text();
    f->pages()->setCurrentIndex(TBlogEntryForm::kPageMeta);
    QTest::keyClicks(f->keywordsEdit(), "edited");
    f->titleEdit()->selectAll();
    QTest::keyClicks(f->titleEdit(), "Edited title");
    QTest::keyClick(f, Qt::Key_S, Qt::ControlModifier);
  });
  QTest::mouseClick(b.w->button(t::kEditEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QCOMPARE(store::readBlogRec(b.w->blog().tblBlog()), original);
  QTest::mouseClick(b.w->button(t::kEditEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(shownTitle, qs(original.BlogTitle));
  const auto rows = b.storedEntries();
  QVERIFY(rows.count(int32_t(key)));
  const store::BlogRec& r = rows.at(int32_t(key));
  QCOMPARE(r.BlogTitle, std::string("Edited title"));
  QCOMPARE(r.BlogKeywords, original.BlogKeywords + "edited");
  QCOMPARE(r.BlogText, original.BlogText);
  QCOMPARE(r.BlogDateTime, util::encodeDateTime([&] {
             util::CivilTime c = util::decodeDateTime(original.BlogDateTime);
             c.millisecond = 0;
             return c;
           }()));
}

void tst_entry_form::theMainWindowHandsOverPlaceAndFontsAndKeepsThePlace() {
  OpenBlog b;
  b.w->settings().entry = WindowPlace{40, 50, 500, 700, false};
  b.w->settings().fontForm = ",,,13,0";
  b.w->settings().fontEntryText = "DejaVu Serif,1,-2147483640,15,1";
  ModalAnswerer a;
  QSize seen;
  QPoint at;
  int captionSize = 0, titleSize = 0;
  bool titleBold = false;
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    seen = f->size();
    at = f->pos();
    captionSize = f->saveButton()->font().pointSize();
    titleSize = f->titleEdit()->font().pointSize();
    titleBold = f->titleEdit()->font().bold();
    f->resize(820, 610);
    QTest::mouseClick(f->cancelButton(), Qt::LeftButton);
  });
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QVERIFY(f->isMaximized());
    QTest::mouseClick(f->cancelButton(), Qt::LeftButton);
  });
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QCOMPARE(seen, QSize(700, 500));
  QCOMPARE(at, QPoint(50, 40));
  QCOMPARE(captionSize, 13);
  QCOMPARE(titleSize, 15);
  QVERIFY(titleBold);
  // The place the window was left at is kept, also after Cancel.
  QCOMPARE(b.w->settings().entry.width, 820);
  QCOMPARE(b.w->settings().entry.height, 610);
  QVERIFY(!b.w->settings().entry.initMax);
  // Maximised: only InitMax changes.
  b.w->settings().entry.initMax = true;
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QVERIFY(b.w->settings().entry.initMax);
  QCOMPARE(b.w->settings().entry.width, 820);
  QCOMPARE(b.w->settings().entry.height, 610);
}

void tst_entry_form::anEntryWrittenInTheEditorIsGenerated() {
  OpenBlog b;
  ModalAnswerer a;
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QTest::keyClicks(f->titleEdit(), "Road test");
    f->textEdit()->setFocus();
    QTest::keyClicks(f->textEdit(), "plain words");
    QTextCursor c = f->textEdit()->textCursor();
    c.setPosition(0);
    c.setPosition(5, QTextCursor::KeepAnchor);
    f->textEdit()->setTextCursor(c);
    QTest::mouseClick(f->toolButton(t::kHintBold), Qt::LeftButton);
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  });
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  b.w->showPage(TtheMainForm::kPagePublish);
  QTest::mouseClick(b.w->button(t::kGeneratePages, TtheMainForm::kPagePublish), Qt::LeftButton);
  QVERIFY(b.w->generated());
  // Some page of the site holds the entry with its tag.
  bool found = false;
  QDirIterator it(b.pf.path(), {"*.htm", "*.html"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext() && !found) {
    QFile page(it.next());
    if (page.open(QIODevice::ReadOnly)) found = page.readAll().contains("<B>plain</B> words");
  }
  QVERIFY(found);
}

// The whole road: a new category, a picture and a file added through the
// pickers' add buttons and inserted into a new entry, saved, generated; the
// entry's page in the output folder holds both tags and the category's title.
void tst_entry_form::categoryPictureAndFileFromThePickersAreGenerated() {
  OpenBlog b;
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(Qt::darkGreen);
  const QString picture = b.pf.file("harbour.png");
  QVERIFY(img.save(picture, "PNG"));
  const QString extra = b.pf.file("map.pdf");
  {
    QFile f(extra);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("%PDF-1.4 a map");
  }
  ModalAnswerer a;
  a.act([&](QWidget* w) {  // the entry editor
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QTest::keyClicks(f->titleEdit(), "Harbour walk");
    f->entryTypeList()->setCurrentIndex(store::kArticlePage);
    QTest::mouseClick(f->categoryButton(), Qt::LeftButton);
    f->textEdit()->setFocus();
    QTest::keyClicks(f->textEdit(), "See ");
    QTest::mouseClick(f->toolButton(t::kHintBlogPicture), Qt::LeftButton);
    QTest::keyClicks(f->textEdit(), " and ");
    QTest::mouseClick(f->toolButton(t::kHintBlogFile), Qt::LeftButton);
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  });
  a.act([](QWidget* w) {  // the category picker, with a new category
    auto* p = as<TGetCategoryForm>(w);
    if (!p) return;
    QTest::mouseClick(p->addButton(), Qt::LeftButton);
    QTest::mouseClick(p->selectButton(), Qt::LeftButton);
  });
  a.act([](QWidget* w) {  // the category editor
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    f->titleEdit()->selectAll();
    QTest::keyClicks(f->titleEdit(), "Coast");
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  });
  a.act([](QWidget* w) {  // the picture picker, with a new picture
    auto* p = as<TGetPictureForm>(w);
    if (!p) return;
    QTest::mouseClick(p->addButton(), Qt::LeftButton);
    p->altTextEdit()->setText("The harbour");
    QTest::mouseClick(p->insertButton(), Qt::LeftButton);
  });
  a.chooseFile(picture);
  a.act([](QWidget* w) {  // the file picker, with a new file
    auto* p = as<TGetFileForm>(w);
    if (!p) return;
    QTest::mouseClick(p->addButton(), Qt::LeftButton);
    p->linkTextEdit()->setText("the map");
    QTest::mouseClick(p->insertButton(), Qt::LeftButton);
  });
  a.chooseFile(extra);
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);

  b.w->showPage(TtheMainForm::kPagePublish);
  QTest::mouseClick(b.w->button(t::kGeneratePages, TtheMainForm::kPagePublish), Qt::LeftButton);
  QVERIFY(b.w->generated());
  const QByteArray img_tag = "See <IMG SRC=\"harbour.png\" ALT=\"The harbour\" HEIGHT=30 WIDTH=40>";
  const QByteArray link = " and <A HREF=\"map.pdf\" class=\"entrylink\">the map</A>";
  QString page;
  bool category = false;
  QDirIterator it(b.pf.path(), {"*.htm", "*.html"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString name = it.next();
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QByteArray html = f.readAll();
    if (html.contains(img_tag + link) && html.contains("Harbour walk")) {
      page = name;
      category = html.contains("Coast");
      break;
    }
  }
  QVERIFY2(!page.isEmpty(), "no generated page holds the entry's tags");
  QVERIFY(category);
  // The picture and the file are written beside the page that links them.
  const QString folder = QFileInfo(page).absolutePath();
  QVERIFY(folder != QDir(b.pf.path()).absolutePath());
  QVERIFY(QFile::exists(folder + "/harbour.png"));
  QVERIFY(QFile::exists(folder + "/map.pdf"));
}

// Not a check: with TESSARY_SHOTS naming a folder, draws every page of the
// editor (at its smallest and at a roomy size) and each tag dialog into PNG
// files there, for a person to look at.
void tst_entry_form::screenshots() {
  const QString dir = qEnvironmentVariable("TESSARY_SHOTS");
  if (dir.isEmpty()) QSKIP("TESSARY_SHOTS not set");
  QDir().mkpath(dir);
  auto save = [&](QWidget* w, const QString& name) {
    QTest::qWait(80);
    w->repaint();
    QVERIFY(w->grab().save(dir + "/" + name + ".png"));
  };
  store::BlogRec rec = sampleRec();
  rec.BlogText = "<P>A day out by the sea. We took the early train and walked from the station along the cliffs.\r\n"
                 "<BR>The weather held all day.\r\n<IMG SRC=\"sea.jpg\" ALT=\"The sea\" ALIGN=LEFT HEIGHT=240 WIDTH=320>";
  rec.BlogTeaser = "A day out by the sea.";
  EntryEditorSeams seams = titles();
  Editor e(rec, seams);
  e.form.applyFonts(",,,,", ",,,,");
  const char* names[] = {"basic", "meta", "sidebar", "custom1", "custom2"};
  for (QSize size : {QSize(600, 400), QSize(1000, 700)}) {
    e.form.resize(size);
    for (int i = 0; i < 5; ++i) {
      e.form.pages()->setCurrentIndex(i);
      save(&e.form, QStringLiteral("editor-%1x%2-%3").arg(size.width()).arg(size.height()).arg(names[i]));
    }
  }
  e.form.pages()->setCurrentIndex(0);
  Editor c(rec, seams, TBlogEntryForm::kCategoryMode);
  save(&c.form, "editor-category");
  TFontTagForm font(&e.form, &e.form);
  THrefTagForm link(&e.form, &e.form, "caption");
  TImageTagForm image(&e.form, &e.form);
  TTableTagForm table(&e.form, &e.form);
  const std::pair<QDialog*, const char*> dialogs[] = {
      {&font, "dialog-font"}, {&link, "dialog-link"}, {&image, "dialog-image"}, {&table, "dialog-table"}};
  for (const auto& [d, name] : dialogs) {
    d->show();
    save(d, name);
    d->hide();
  }
}

QTEST_MAIN(tst_entry_form)
#include "tst_entry_form.moc"
