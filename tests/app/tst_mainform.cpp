// The main window: its states, the commands as a person uses them (clicks,
// keys, the file dialogs and message boxes answered by caption), the grids over
// the tables, and what reached the blog file.
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include "app/app_paths.h"
#include "app/mainform.h"
#include "app/pop_status.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"
#include "store/entries.h"
#include "util/date_time.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

namespace {

// The main window with its later windows replaced by recorders.
class Form : public TtheMainForm {
 public:
  using TtheMainForm::TtheMainForm;
  QStringList seams;
  std::function<bool(store::BlogRec&)> editor;
  bool runBackupDialog(store::BackupSettings&) override {
    seams << "backup";
    return false;
  }
  bool runBasicOptions(store::BlogOptionsRec& r) override {
    seams << "basic";
    r.BlogTitle = "Changed in the dialog";
    return true;
  }
  bool runAdvancedOptions(store::BlogOptionsRec&) override {
    seams << "advanced";
    return false;
  }
  bool runEntryEditor(store::BlogRec& r, bool) override {
    seams << "editor";
    return editor ? editor(r) : false;
  }
  void showHelp(const QString& topic) override { seams << "help " + topic; }
};

// Adds entries to a closed blog file: n plain entries, then the given categories.
void addEntries(const QString& pf, const QString& file, int n, std::vector<int32_t> categories = {}) {
  QuietUi ui;
  store::BlogDb blog(pf.toStdString(), ui);
  blog.OpenBlog(file.toStdString());
  store::Table& tb = blog.tblBlog();
  store::Transaction all(blog.database());  // one commit, not one per row
  auto add = [&](const std::string& title, int32_t cat, int i, int year) {
    store::BlogRec r;
    r.BlogTitle = title;
    r.BlogText = "Text of " + title;
    r.BlogCategory = cat;
    r.BlogDateTime = util::encodeDate(year, 1, 1) + i;
    tb.insert();
    store::writeBlogRec(tb, r);
    tb.post();
  };
  for (int i = 0; i < n; ++i) add("Entry " + std::to_string(i), -1, i, 2020);
  // Dated after the sample entries, so they come first in the grid.
  int k = 0;
  for (int32_t c : categories) add("With category " + std::to_string(c), c, k++, 2090);
  all.commit();
  blog.CloseBlog();
}

QString cellText(QTableView* v, int row, int col) { return v->model()->index(row, col).data().toString(); }

struct Fixture {
  ProgramFolder pf;
  QString file = pf.file("blog.zdb");
  std::unique_ptr<Form> w;
  explicit Fixture(bool open = true) {
    createSampleBlog(pf.path(), file);
    ensureDefaultTemplate(pf.path());
    w = std::make_unique<Form>(pf.path());
    w->loadSessionSettings();
    w->show();
    if (open) w->openBlogFile(file);
  }
};

}  // namespace

class tst_mainform : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void startsWithNoBlogOnTheFirstPage();
  void openBlogThroughItsFileDialogEntersTheBlogOpenState();
  void sideBarCloseAsksFirst();
  void entryGridFollowsTheTableOrderAndDrawsTypesAndCategories();
  void selectingARowMakesItTheTablesCurrentRow();
  void removeEntryActsOnTheSelectedRowAndTheGridFollows();
  void optionGridDoubleClickOpensTheDialogOfTheRange();
  void optionDialogSaveReplacesTheOptionsInTheFile();
  void generateEnablesPublishingAndFillsTheLog();
  void noCommandStartsWhileOneRuns();
  void aBlogThatCannotBeOpenedIsAnErrorBoxAndNothingChanges();
  void repairRefusesAFileThatIsNotABlogFile();
  void repairRunsOnAnUpperCaseExtension();
  void compactionShowsItsProgressInTheStatusPopup();
  void everyControlHasAnAccessibleName();
  void pagesAreReachedByKeyboard();
  void exitWritesTheSessionAndClosesTheBlog();
  void aLaterStartOpensItsBlogOnlyWhenNoneIsOpen();
};

void tst_mainform::startsWithNoBlogOnTheFirstPage() {
  Fixture f(false);
  Form& w = *f.w;
  QCOMPARE(w.windowTitle(), QString("Tessary 2008 Build 1"));
  QCOMPARE(w.currentPage(), 0);
  for (const char* c : {t::kOpenBlog, t::kStartNewBlog, t::kRepairBlog, t::kExportBlog, t::kTessaryOptions,
                        t::kTemplateEditor, t::kCheckForUpdates})
    QVERIFY2(w.button(c, 0)->isEnabled(), c);
  for (const char* c : {t::kCloseBlog, t::kBackupBlog, t::kCompactBlog}) QVERIFY2(!w.button(c, 0)->isEnabled(), c);
  for (const char* c : {t::kBlogEntries, t::kBlogPictures, t::kExtraFiles, t::kOptions, t::kPublish, t::kCloseBlog})
    QVERIFY2(!w.button(c, -1)->isEnabled(), c);
  QVERIFY(w.button(t::kAllMyBlogs, -1)->isEnabled());
  w.showPage(TtheMainForm::kPageEntries);
  QCOMPARE(w.currentPage(), 0);
}

void tst_mainform::openBlogThroughItsFileDialogEntersTheBlogOpenState() {
  Fixture f(false);
  Form& w = *f.w;
  ModalAnswerer a;
  a.chooseFile(f.file);
  QTest::mouseClick(w.button(t::kOpenBlog, 0), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(0), QString(t::kOpenCaption));
  QVERIFY(w.blogOpen());
  QCOMPARE(w.currentPage(), 1);
  for (const char* c : {t::kOpenBlog, t::kStartNewBlog, t::kRepairBlog, t::kExportBlog})
    QVERIFY2(!w.button(c, 0)->isEnabled(), c);
  for (const char* c : {t::kCloseBlog, t::kBackupBlog, t::kCompactBlog}) QVERIFY2(w.button(c, 0)->isEnabled(), c);
  for (const char* c : {t::kPreviewPages, t::kPublishToWeb, t::kPublishNext10, t::kMarkAllAsNew, t::kMarkAllAsPublished})
    QVERIFY2(!w.button(c, 5)->isEnabled(), c);
  QVERIFY(w.button(t::kGeneratePages, 5)->isEnabled());
  QCOMPARE(w.entryModel()->rowCount(), w.blog().tblBlog().recordCount());
}

void tst_mainform::sideBarCloseAsksFirst() {
  Fixture f;
  Form& w = *f.w;
  ModalAnswerer a;
  a.press("No");
  QTest::mouseClick(w.button(t::kCloseBlog, -1), Qt::LeftButton);
  QCOMPARE(a.texts.value(0), QString("Close Blog?"));
  QVERIFY(w.blogOpen());
  a.press("Yes");
  QTest::mouseClick(w.button(t::kCloseBlog, -1), Qt::LeftButton);
  QVERIFY(!w.blogOpen());
  QCOMPARE(w.currentPage(), 0);
  QCOMPARE(w.entryModel()->rowCount(), 0);
}

void tst_mainform::entryGridFollowsTheTableOrderAndDrawsTypesAndCategories() {
  ProgramFolder pf;
  const QString file = pf.file("blog.zdb");
  createSampleBlog(pf.path(), file);
  addEntries(pf.path(), file, 3, {5, -1});
  ensureDefaultTemplate(pf.path());
  Form w(pf.path());
  w.show();
  w.openBlogFile(file);
  store::Table& tb = w.blog().tblBlog();
  QCOMPARE(w.entryModel()->rowCount(), tb.recordCount());
  int row = 0;
  const int64_t keep = tb.currentRowId();
  for (tb.first(); !tb.eof(); tb.next(), ++row) {
    QCOMPARE(cellText(w.entryGrid(), row, 1), QString::fromStdString(tb.asString("BlogTitle")));
    QCOMPARE(cellText(w.entryGrid(), row, 0), QString::fromStdString(tb.asString("BlogDateTime")));
  }
  tb.gotoBookmark(keep);
  // Newest first: the two entries with categories were added last with the latest dates.
  QCOMPARE(cellText(w.entryGrid(), 0, 1), QString("With category -1"));
  QCOMPARE(cellText(w.entryGrid(), 0, 3), QString());
  QCOMPARE(cellText(w.entryGrid(), 1, 3), QString("??? 5 ???"));
  QCOMPARE(w.entryModel()->index(1, 3).data(kFillRole).value<QColor>(), QColor(0, 255, 0));
  QVERIFY(!w.entryModel()->index(0, 3).data(kFillRole).isValid());
  // The sample home page is type 4.
  bool home = false;
  for (int r = 0; r < w.entryModel()->rowCount(); ++r) {
    if (cellText(w.entryGrid(), r, 2) == "Home Page") {
      home = true;
      QCOMPARE(w.entryModel()->index(r, 2).data(kFillRole).value<QColor>(), QColor(221, 160, 221));
    }
  }
  QVERIFY(home);
  const int last = w.entryModel()->rowCount() - 1;
  QCOMPARE(cellText(w.entryGrid(), last, 1), QString("Entry 0"));
  QCOMPARE(cellText(w.entryGrid(), last, 2), QString());  // a blog entry: blank
  QCOMPARE(EntryGridModel::typeShortName(6), QString("Redirect"));
  QCOMPARE(EntryGridModel::typeColour(1), QColor(255, 255, 0));
  QCOMPARE(w.entryGrid()->columnWidth(0), 150);
  QCOMPARE(w.entryGrid()->columnWidth(1), 250);
  QCOMPARE(w.entryModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Date + Time"));
  // A category that exists shows its title.
  w.blog().tblCategory().insert();
  w.blog().tblCategory().setString("CategoryTitle", "Travel");
  w.blog().tblCategory().post();
  const int32_t key = w.blog().tblCategory().asInteger("CategoryKey");
  QVERIFY(w.entryModel()->stale());
  w.entryModel()->reload();
  QCOMPARE(cellText(w.entryGrid(), 1, 3), key == 5 ? QString("Travel") : QString("??? 5 ???"));
}

void tst_mainform::selectingARowMakesItTheTablesCurrentRow() {
  ProgramFolder pf;
  const QString file = pf.file("blog.zdb");
  createSampleBlog(pf.path(), file);
  addEntries(pf.path(), file, 5);
  ensureDefaultTemplate(pf.path());
  Form w(pf.path());
  w.show();
  w.openBlogFile(file);
  w.showPage(TtheMainForm::kPageEntries);
  QTableView* g = w.entryGrid();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  const QRect r = g->visualRect(g->model()->index(3, 1));
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
  QCOMPARE(w.blog().tblBlog().currentRowId(), w.entryModel()->rowIdAt(3));
  g->setFocus();
  QTest::keyClick(g, Qt::Key_Down);
  QCOMPARE(w.blog().tblBlog().currentRowId(), w.entryModel()->rowIdAt(4));
}

void tst_mainform::removeEntryActsOnTheSelectedRowAndTheGridFollows() {
  ProgramFolder pf;
  const QString file = pf.file("blog.zdb");
  createSampleBlog(pf.path(), file);
  addEntries(pf.path(), file, 4);
  ensureDefaultTemplate(pf.path());
  Form w(pf.path());
  w.show();
  w.openBlogFile(file);
  QTableView* g = w.entryGrid();
  const int before = w.entryModel()->rowCount();
  int pick = 0;
  while (cellText(g, pick, 1) != "Entry 2") ++pick;
  g->setCurrentIndex(g->model()->index(pick, 0));
  const QString title = cellText(g, pick, 1);
  ModalAnswerer a;
  a.press("Cancel").press("OK");
  QTest::mouseClick(w.button(t::kRemoveEntry, 1), Qt::LeftButton);
  QCOMPARE(w.entryModel()->rowCount(), before);
  QTest::mouseClick(w.button(t::kRemoveEntry, 1), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QVERIFY(a.texts.value(0).contains(title));
  QCOMPARE(w.entryModel()->rowCount(), before - 1);
  for (int r = 0; r < w.entryModel()->rowCount(); ++r) QVERIFY(cellText(g, r, 1) != title);
  // The grid's selection is the table's current row again.
  QCOMPARE(w.entryModel()->rowIdAt(g->currentIndex().row()), w.blog().tblBlog().currentRowId());
  // The entry editor is reached by a double click.
  const QRect cell = g->visualRect(g->model()->index(0, 1));
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
  QVERIFY(w.seams.contains("editor"));
}

void tst_mainform::optionGridDoubleClickOpensTheDialogOfTheRange() {
  Fixture f;
  Form& w = *f.w;
  w.showPage(TtheMainForm::kPageOptions);
  QTableView* g = w.optionGrid();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  auto rowOfKey = [&](int key) {
    for (int r = 0; r < w.optionModel()->rowCount(); ++r)
      if (w.optionModel()->optionKeyAt(r) == key) return r;
    return -1;
  };
  auto doubleClick = [&](int key) {
    const int row = rowOfKey(key);
    QVERIFY(row >= 0);
    g->scrollTo(g->model()->index(row, 0));
    const QRect r = g->visualRect(g->model()->index(row, 0));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
  };
  doubleClick(999);
  QVERIFY(w.seams.isEmpty());
  doubleClick(190);
  QCOMPARE(w.seams, QStringList{"backup"});
  doubleClick(214);
  QCOMPARE(w.seams.last(), QString("advanced"));
  // The group colours and the grey of the version row.
  const int r999 = rowOfKey(999);
  QCOMPARE(w.optionModel()->index(r999, 1).data(kTextColourRole).value<QColor>(), QColor(128, 128, 128));
  QCOMPARE(w.optionModel()->index(rowOfKey(101), 0).data(kFillRole).value<QColor>(), QColor(192, 220, 192));
  QCOMPARE(w.optionModel()->index(rowOfKey(401), 0).data(kFillRole).value<QColor>(), QColor(166, 202, 240));
  QVERIFY(!w.optionModel()->index(r999, 0).data(kFillRole).isValid());
}

void tst_mainform::optionDialogSaveReplacesTheOptionsInTheFile() {
  Fixture f;
  Form& w = *f.w;
  QTest::mouseClick(w.button(t::kBasicOptions, 4), Qt::LeftButton);
  QCOMPARE(w.seams, QStringList{"basic"});
  QCOMPARE(QString::fromStdString(w.blog().options().BlogTitle), QString("Changed in the dialog"));
  bool shown = false;
  for (int r = 0; r < w.optionModel()->rowCount(); ++r)
    if (w.optionModel()->optionKeyAt(r) == 101)
      shown = w.optionModel()->index(r, 1).data().toString() == "Changed in the dialog";
  QVERIFY(shown);
  w.close();
  QuietUi ui;
  store::BlogDb again(f.pf.path().toStdString(), ui);
  again.OpenBlog(f.file.toStdString());
  QCOMPARE(again.options().BlogTitle, std::string("Changed in the dialog"));
}

void tst_mainform::generateEnablesPublishingAndFillsTheLog() {
  Fixture f;
  Form& w = *f.w;
  w.showPage(TtheMainForm::kPagePublish);
  QTest::mouseClick(w.button(t::kGeneratePages, 5), Qt::LeftButton);
  QVERIFY(w.generated());
  for (const char* c : {t::kPreviewPages, t::kPublishToWeb, t::kPublishNext10, t::kMarkAllAsNew, t::kMarkAllAsPublished})
    QVERIFY2(w.button(c, 5)->isEnabled(), c);
  const QStringList lines = w.progressLog()->lines();
  QVERIFY(lines.size() > 5);
  QVERIFY(QFile::exists(f.pf.file("HTML/blog/index.html")));
  // Closing the blog disables them again.
  QTest::mouseClick(w.button(t::kCloseBlog, 0), Qt::LeftButton);
  w.openBlogFile(f.file);
  QVERIFY(!w.button(t::kPublishToWeb, 5)->isEnabled());
}

void tst_mainform::noCommandStartsWhileOneRuns() {
  ProgramFolder pf;
  const QString file = pf.file("blog.zdb");
  createSampleBlog(pf.path(), file);
  // Enough entries that the run lasts many times the 40 ms between event
  // rounds (3,000 once did; the generator got faster).
  addEntries(pf.path(), file, 15000);
  ensureDefaultTemplate(pf.path());
  Form w(pf.path());
  w.show();
  w.openBlogFile(file);
  w.showPage(TtheMainForm::kPagePublish);
  // Look at the window while the run goes on: every command is disabled and
  // a click on one starts nothing; events keep running.
  int looks = 0;
  bool allDisabled = true;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, &w, [&] {
    if (!w.busy()) return;
    ++looks;
    for (const char* c : {t::kGeneratePages, t::kPublishToWeb, t::kMarkAllAsNew})
      allDisabled = allDisabled && !w.button(c, 5)->isEnabled();
    allDisabled = allDisabled && !w.button(t::kAllMyBlogs, -1)->isEnabled();
    QTest::mouseClick(w.button(t::kGeneratePages, 5), Qt::LeftButton);
    w.close();  // refused until the run ends
  });
  probe.start(5);
  QSignalSpy finished(&w, &TtheMainForm::commandFinished);
  QTest::mouseClick(w.button(t::kGeneratePages, 5), Qt::LeftButton);
  probe.stop();
  QVERIFY2(looks > 0, "the window ran no events during the run");
  QVERIFY(allDisabled);
  QCOMPARE(finished.count(), 1);
  QVERIFY(w.generated());
  // The exit asked for during the run happens once it has ended.
  QVERIFY(!w.isVisible());
  QVERIFY(!w.blogOpen());
  // A refused start says why.
  ModalAnswerer a;
  a.press("OK");
  bool inner = false;
  w.runCommand("Outer", [&] { inner = w.runCommand("Inner", [] {}); });
  QVERIFY(!inner);
  QCOMPARE(a.texts.value(0), QString("Please wait until \"Outer\" has finished."));
}

void tst_mainform::aBlogThatCannotBeOpenedIsAnErrorBoxAndNothingChanges() {
  ProgramFolder pf;
  const QString bad = pf.file("damaged.zdb");
  {
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is not a blog file at all");
  }
  Form w(pf.path());
  w.show();
  ModalAnswerer a;
  a.chooseFile(bad).press("OK");
  QTest::mouseClick(w.button(t::kOpenBlog, 0), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(1), QString("Error"));
  QVERIFY2(a.texts.value(0).contains("damaged.zdb"), qPrintable(a.texts.value(0)));
  QVERIFY(!w.blogOpen());
  QCOMPARE(w.currentPage(), 0);
  QVERIFY(w.button(t::kOpenBlog, 0)->isEnabled());
}

void tst_mainform::repairRefusesAFileThatIsNotABlogFile() {
  ProgramFolder pf;
  const QString bak = pf.file("blog.bak");
  createSampleBlog(pf.path(), bak);
  Form w(pf.path());
  w.show();
  ModalAnswerer a;
  a.chooseFile(bak).press("OK");
  QTest::mouseClick(w.button(t::kRepairBlog, 0), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.titles.value(0), QString(t::kRepairCaption));
  QCOMPARE(a.texts.value(0), QString("File selected is not a version 2 Tessary file."));
}

void tst_mainform::repairRunsOnAnUpperCaseExtension() {
  ProgramFolder pf;
  const QString file = pf.file("blog.ZDB");
  createSampleBlog(pf.path(), file);
  Form w(pf.path());
  w.show();
  ModalAnswerer a;
  a.chooseFile(file).press("OK");
  QTest::mouseClick(w.button(t::kRepairBlog, 0), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.texts.value(0), QString("All data repaired successfully."));
  QVERIFY(QFile::exists(pf.file("blog.old")));
  QVERIFY(!w.blogOpen());
}

void tst_mainform::compactionShowsItsProgressInTheStatusPopup() {
  ProgramFolder pf;
  const QString file = pf.file("blog.zdb");
  createSampleBlog(pf.path(), file);
  addEntries(pf.path(), file, 200);
  ensureDefaultTemplate(pf.path());
  Form w(pf.path());
  w.show();
  w.openBlogFile(file);
  QStringList seen;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, &w, [&] {
    if (TStatusForm* s = TStatusForm::current()) {
      if (seen.isEmpty() || seen.last() != s->statusMessage()) seen << s->statusMessage();
      QCOMPARE(s->windowTitle(), QString("Status"));
      QVERIFY(s->windowFlags() & Qt::WindowStaysOnTopHint);
    }
  });
  probe.start(1);
  ModalAnswerer a;
  a.press("OK");
  QTest::mouseClick(w.button(t::kCompactBlog, 1), Qt::LeftButton);
  probe.stop();
  QVERIFY(a.allAnswered());
  QCOMPARE(a.texts.value(0), QString("File compress was successfully."));
  QVERIFY(!seen.isEmpty());
  for (const QString& s : seen) QVERIFY2(s.startsWith("Compacting Blog File "), qPrintable(s));
  QVERIFY(TStatusForm::current() == nullptr);
  QVERIFY(w.blogOpen());
  QCOMPARE(w.entryModel()->rowCount(), w.blog().tblBlog().recordCount());
}

void tst_mainform::everyControlHasAnAccessibleName() {
  Fixture f;
  Form& w = *f.w;
  for (QAbstractButton* b : w.findChildren<QAbstractButton*>()) {
    if (qobject_cast<QTableView*>(b->parentWidget())) continue;  // the grids' corner buttons
    const QString caption = QString(b->text()).remove('&');
    QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(caption));
    if (!caption.isEmpty()) QCOMPARE(b->accessibleName(), caption);
  }
  for (QTableView* g : {w.entryGrid(), w.pictureGrid(), w.fileGrid(), w.optionGrid()})
    QVERIFY(!g->accessibleName().isEmpty());
  QCOMPARE(w.informationPicture()->accessibleName(), QString("Click here to see Program Information"));
  QCOMPARE(w.progressLog()->accessibleName(), QString("Progress Log"));
}

void tst_mainform::pagesAreReachedByKeyboard() {
  Fixture f;
  Form& w = *f.w;
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  w.activateWindow();
  QTest::keyClick(&w, Qt::Key_3, Qt::ControlModifier);
  QCOMPARE(w.currentPage(), 2);
  QTest::keyClick(&w, Qt::Key_6, Qt::ControlModifier);
  QCOMPARE(w.currentPage(), 5);
  QPushButton* gen = w.button(t::kGeneratePages, 5);
  gen->setFocus();
  QTest::keyClick(gen, Qt::Key_Space);
  QVERIFY(w.generated());
  QTest::keyClick(&w, Qt::Key_F1);
  QCOMPARE(w.seams.last(), QString("help Welcome"));
}

void tst_mainform::exitWritesTheSessionAndClosesTheBlog() {
  Fixture f;
  Form& w = *f.w;
  w.setBackground(2);
  QTest::mouseClick(w.button(t::kExit, -1), Qt::LeftButton);
  QVERIFY(!w.isVisible());
  QVERIFY(!w.blogOpen());
  QSettings s(settingsFilePath(f.pf.path()), QSettings::IniFormat);
  QCOMPARE(s.value("Options/Back").toInt(), 2);
  QCOMPARE(s.value("Form/InitMax").toBool(), false);
  QVERIFY(s.contains("Form/Width"));
  QCOMPARE(s.value("Options/optionFontForm").toString(), QString(",,,,"));
}

void tst_mainform::aLaterStartOpensItsBlogOnlyWhenNoneIsOpen() {
  Fixture f(false);
  Form& w = *f.w;
  const QString other = f.pf.file("other.zdb");
  createSampleBlog(f.pf.path(), other);
  w.activateFromOtherStart(f.file);
  QVERIFY(w.blogOpen());
  QCOMPARE(QString::fromStdString(w.blog().fileName()), f.file);
  w.activateFromOtherStart(other);
  QCOMPARE(QString::fromStdString(w.blog().fileName()), f.file);
  w.activateFromOtherStart({});
  QVERIFY(w.blogOpen());
}

QTEST_MAIN(tst_mainform)
#include "tst_mainform.moc"
