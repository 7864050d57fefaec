// The blog option dialogs together, and Basic Options: the common frame of all
// of them, which dialog owns which option, the values of Basic Options shown
// and read back, and the dialogs opened from the main window and from the
// questions of a new blog, with what reached the blog file.
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>
#include <map>
#include <memory>

#include "app/app_paths.h"
#include "app/mainform.h"
#include "app/opt_adv.h"
#include "app/opt_basic.h"
#include "app/opt_ftp.h"
#include "app/opt_rss.h"
#include "app/opt_template.h"
#include "app/opt_var.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "opt_test_support.h"
#include "store/blog_db.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

namespace {

std::unique_ptr<BlogOptionsDialog> makeDialog(const QString& name, QWidget* owner = nullptr) {
  if (name == "basic") return std::make_unique<TOptBasicForm>(owner);
  if (name == "advanced") return std::make_unique<TOptAdvForm>(owner);
  if (name == "rss") return std::make_unique<TOptRssForm>(owner);
  if (name == "ftp") return std::make_unique<TOptFtpForm>(owner);
  return std::make_unique<TOptVarForm>(owner);
}

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class tst_opt_basic : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void everyDialogHasTheCommonFrame_data();
  void everyDialogHasTheCommonFrame();
  void everyOptionIsOwnedByExactlyOneDialog();
  void basicValuesAreShownAndReadBack_data();
  void basicValuesAreShownAndReadBack();
  void basicListsHoldTheirItems();
  void basicPassesOtherOptionsThrough();
  void editingTakesWhatWasTyped();
  void mainWindowSavesOnSaveAndLeavesTheFileOnCancel_data();
  void mainWindowSavesOnSaveAndLeavesTheFileOnCancel();
  void newBlogQuestionsFourAndFiveOpenTheDialogs();
};

void tst_opt_basic::everyDialogHasTheCommonFrame_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("topic");
  QTest::addColumn<QSize>("open");
  QTest::addColumn<QSize>("smallest");
  QTest::newRow("basic") << "basic" << "Basic Options" << "OptionsBasic" << QSize(667, 452) << QSize(520, 360);
  QTest::newRow("advanced") << "advanced" << "Advanced Options" << "OptionsAdvanced" << QSize(631, 455)
                            << QSize(520, 432);
  QTest::newRow("rss") << "rss" << "RSS Options" << "OptionsRSS" << QSize(667, 440) << QSize(520, 360);
  QTest::newRow("ftp") << "ftp" << "FTP Options" << "OptionsFTP" << QSize(667, 428) << QSize(520, 360);
  QTest::newRow("variables") << "variables" << "OptCustomVariables" << "OptionsCustomVariables" << QSize(600, 406)
                             << QSize(0, 0);
}

void tst_opt_basic::everyDialogHasTheCommonFrame() {
  QFETCH(QString, name);
  QWidget owner;
  owner.setGeometry(100, 80, 1200, 900);
  owner.show();
  std::unique_ptr<BlogOptionsDialog> d = makeDialog(name, &owner);
  QString helped;
  d->setHelpOpener([&](const QString& topic) { helped = topic; });
  d->setOptionsRec(defaultOptions());
  QTEST(d->windowTitle(), "title");
  QTEST(d->size(), "open");
  QFETCH(QSize, smallest);
  if (smallest.isEmpty()) QCOMPARE(d->minimumSize(), QSize(0, 0));
  else QCOMPARE(d->minimumSize(), smallest);
  d->show();
  QVERIFY(QTest::qWaitForWindowExposed(d.get()));
  QVERIFY((d->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 2);
  // Save, Cancel and Help from the right, 4 pixels apart, on every size.
  for (QSize s : {QSize(1000, 700), QSize(520, 360), d->size()}) {
    d->resize(s);
    QApplication::processEvents();
    QCOMPARE(d->saveButton()->geometry().right(), d->band()->width() - 1 - 4);
    QCOMPARE(d->cancelButton()->geometry().right(), d->saveButton()->geometry().left() - 1 - 4);
    QCOMPARE(d->helpButton()->geometry().right(), d->cancelButton()->geometry().left() - 1 - 4);
  }
  d->helpButton()->click();
  QTEST(helped, "topic");
  // Scrolled away, closed and opened again: back at the top-left corner.
  d->resize(520, 360);
  auto* scroll = d->findChild<QScrollArea*>();
  QApplication::processEvents();
  scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
  d->hide();
  d->show();
  QCOMPARE(scroll->verticalScrollBar()->value(), 0);
  QCOMPARE(scroll->horizontalScrollBar()->value(), 0);
  // Every control can be reached and named.
  for (int key : d->ownedKeys()) {
    QWidget* c = d->control(key);
    QVERIFY(c);
    QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(QString::number(key)));
  }
  d->hide();
  ModalAnswerer a;
  a.press("Cancel").press("Save");
  QCOMPARE(d->exec(), 0);
  QCOMPARE(d->OptionsResult(), 0);
  d->exec();
  QCOMPARE(d->OptionsResult(), 1);
  QVERIFY(a.allAnswered());
}

void tst_opt_basic::everyOptionIsOwnedByExactlyOneDialog() {
  // Who owns an option, by its number; the dialogs must own exactly theirs.
  auto ownerByRange = [](int key) -> QString {
    if (key >= 101 && key <= 189) return "basic";
    if (key >= 190 && key <= 199) return "backup";
    if (key >= 201 && key <= 299) return "advanced";
    if (key >= 301 && key <= 399) return "template";
    if (key >= 401 && key <= 499) return "rss";
    if (key >= 501 && key <= 599) return "ftp";
    if (key >= 601 && key <= 699) return "variables";
    return "none";
  };
  std::map<int, QStringList> owners;
  for (const char* name : {"basic", "advanced", "rss", "ftp", "variables"})
    for (int key : makeDialog(name)->ownedKeys()) owners[key] << name;
  // The template chooser edits 301 only, the backup dialog 190 and 191.
  ProgramFolder pf;
  TOptTemplateForm chooser(nullptr, pf.path(), nullptr);
  store::BlogOptionsRec in = distinctOptions();
  chooser.setOptionsRec(in);
  QVERIFY(chooser.OptionsRec() == in);
  owners[301] << "template";
  owners[190] << "backup";
  owners[191] << "backup";
  QCOMPARE(store::optionDefs().size(), size_t(76));
  for (const store::OptionDef& d : store::optionDefs()) {
    QCOMPARE(owners[d.key], QStringList{ownerByRange(d.key)});
    owners.erase(d.key);
  }
  QVERIFY(owners.empty());
}

void tst_opt_basic::basicValuesAreShownAndReadBack_data() {
  addValueColumns();
  QTest::newRow("title") << 101 << "My Blog" << "My Blog" << "My Blog";
  QTest::newRow("url") << 102 << "http://example.org/b/" << "http://example.org/b/" << "http://example.org/b/";
  QTest::newRow("new blog shows 6") << 103 << "5" << "6" << "5";
  QTest::newRow("one entry") << 103 << "0" << "1" << "0";
  QTest::newRow("25 entries") << 103 << "24" << "25" << "24";
  QTest::newRow("index past the list") << 103 << "25" << "<none>" << "25";
  QTest::newRow("negative index") << 103 << "-1" << "<none>" << "-1";
  QTest::newRow("daily") << 104 << "2" << "Create Daily Pages" << "2";
  QTest::newRow("archive 3") << 104 << "3" << "<none>" << "3";
  QTest::newRow("ignore categories") << 114 << "3" << "Ignore all Categories" << "3";
  QTest::newRow("articles only") << 114 << "1" << "Create Category Pages for Articles only" << "1";
  QTest::newRow("date format 7") << 106 << "7" << "DD-MM-YYYY hh:mm am/pm (12 hours)" << "7";
  QTest::newRow("site language") << 107 << "de-CH" << "de-CH" << "de-CH";
  QTest::newRow("about, two lines") << 105 << "Line one\nLine two" << "Line one\nLine two" << "Line one\nLine two";
  // Not edited, a text comes back exactly, whatever the box made of it.
  QTest::newRow("about with CR LF") << 105 << "a\r\nb" << "a\nb" << "a\r\nb";
  QTest::newRow("title with a line break") << 101 << "a\nb" << "a\nb" << "a\nb";
}

void tst_opt_basic::basicValuesAreShownAndReadBack() {
  TOptBasicForm d(nullptr);
  checkShownAndReadBack(d);
}

void tst_opt_basic::basicListsHoldTheirItems() {
  TOptBasicForm d(nullptr);
  auto items = [&](int key) {
    QStringList out;
    auto* c = qobject_cast<QComboBox*>(d.control(key));
    for (int i = 0; c && i < c->count(); ++i) out << c->itemText(i);
    return out;
  };
  QCOMPARE(items(103).size(), 25);
  QCOMPARE(items(103).first(), QString("1"));
  QCOMPARE(items(103).last(), QString("25"));
  QCOMPARE(items(104), (QStringList{"Create Monthly Pages", "Create Weekly Pages (Monday to Sunday)",
                                    "Create Daily Pages"}));
  QCOMPARE(items(114), (QStringList{"Create Category Pages for Entries and Articles",
                                    "Create Category Pages for Articles only",
                                    "Create Category Pages for Entries only", "Ignore all Categories"}));
  QCOMPARE(items(106), (QStringList{"Month day, year hh:mm (24 hours)", "Month day, year hh:mm am/pm (12 hours)",
                                    "Month day, year", "YYYY-MM-DD HH:MM (24 hours)", "YYYY-MM-DD", "DD-MM-YYYY",
                                    "DD-MM-YYYY HH:MM (24 hours)", "DD-MM-YYYY hh:mm am/pm (12 hours)"}));
  QStringList labels;
  for (QLabel* l : d.fieldArea()->findChildren<QLabel*>()) labels << l->text();
  for (const char* l : {"Blog Title", "Blog URL", "Entries to show on Blog Index", "(1 to 25 entries)",
                        "Archive by Date", "Archive by Category", "Entry Date Format", "About my Blog"})
    QVERIFY2(labels.contains(l), l);
  QVERIFY(std::any_of(labels.begin(), labels.end(), [](const QString& s) { return s.contains("http://"); }));
}

void tst_opt_basic::basicPassesOtherOptionsThrough() {
  TOptBasicForm d(nullptr);
  checkPassThrough(d);
}

void tst_opt_basic::editingTakesWhatWasTyped() {
  TOptBasicForm d(nullptr);
  d.show();
  d.setOptionsRec(defaultOptions());
  auto* title = qobject_cast<QLineEdit*>(d.control(101));
  title->selectAll();
  QTest::keyClicks(title, "Typed Title");
  auto* entries = qobject_cast<QComboBox*>(d.control(103));
  entries->setCurrentIndex(entries->findText("12"));
  auto* about = qobject_cast<QPlainTextEdit*>(d.control(105));
  about->setFocus();
  QTest::keyClicks(about, "first");
  QTest::keyClick(about, Qt::Key_Return);
  QTest::keyClicks(about, "second");
  const store::BlogOptionsRec out = d.OptionsRec();
  QCOMPARE(out.BlogTitle, std::string("Typed Title"));
  QCOMPARE(out.IndexEntries, 11);
  QCOMPARE(out.About, std::string("first\nsecond"));
}

void tst_opt_basic::mainWindowSavesOnSaveAndLeavesTheFileOnCancel_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<int>("gridKey");
  QTest::newRow("basic") << QString(t::kBasicOptions) << 101;
  QTest::newRow("advanced") << QString(t::kAdvancedOptions) << 241;
  QTest::newRow("template") << QString(t::kChooseTemplate) << 301;
  QTest::newRow("rss") << QString(t::kRssOptions) << 411;
  QTest::newRow("publishing") << QString(t::kPublishingOptions) << 505;
  QTest::newRow("variables") << QString(t::kCustomVariables) << 611;
}

void tst_opt_basic::mainWindowSavesOnSaveAndLeavesTheFileOnCancel() {
  QFETCH(QString, button);
  QFETCH(int, gridKey);
  ProgramFolder pf;
  const QString file = pf.file("blog.zdb");
  createSampleBlog(pf.path(), file);
  ensureDefaultTemplate(pf.path());
  TtheMainForm w(pf.path());
  w.loadSessionSettings();
  w.show();
  w.openBlogFile(file);
  w.showPage(TtheMainForm::kPageOptions);
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  const QByteArray before = fileBytes(file);
  QVERIFY(!before.isEmpty());
  // Cancel and closing the window leave the file as it was, byte for byte.
  ModalAnswerer a;
  a.act([](QWidget* dlg) {
    for (QLineEdit* e : dlg->findChildren<QLineEdit*>()) e->setText("changed");
    clickButton(dlg, "Cancel");
  });
  a.act([](QWidget* dlg) { dlg->close(); });
  QTest::mouseClick(w.button(button, TtheMainForm::kPageOptions), Qt::LeftButton);
  QTest::mouseClick(w.button(button, TtheMainForm::kPageOptions), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(fileBytes(file), before);

  // Save: the dialog of the grid row's range opens by a double click, its
  // values reach the file and the grid at once.
  a.act([&](QWidget* dlg) {
    QCOMPARE(dlg->windowTitle().isEmpty(), false);
    if (auto* chooser = qobject_cast<TOptTemplateForm*>(dlg)) {
      chooser->templateList()->setCurrentIndex(chooser->templateList()->findText("@default.tem"));
    } else {
      auto* d = qobject_cast<BlogOptionsDialog*>(dlg);
      QVERIFY(d);
      QWidget* c = d->control(gridKey);
      if (auto* e = qobject_cast<QLineEdit*>(c)) e->setText("Saved text");
      else if (auto* p = qobject_cast<QPlainTextEdit*>(c)) p->setPlainText("Saved text");
      else if (auto* l = qobject_cast<QComboBox*>(c)) l->setCurrentIndex(l->findText("75"));
    }
    clickButton(dlg, "Save");
  });
  QTableView* g = w.optionGrid();
  int row = -1;
  for (int r = 0; r < w.optionModel()->rowCount(); ++r)
    if (w.optionModel()->optionKeyAt(r) == gridKey) row = r;
  QVERIFY(row >= 0);
  g->scrollTo(g->model()->index(row, 0));
  const QRect cell = g->visualRect(g->model()->index(row, 0));
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell.center());
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  const QString expected = gridKey == 301 ? "@default.tem" : gridKey == 411 ? "75" : gridKey == 505 ? "(entered)"
                                                                                                   : "Saved text";
  for (int r = 0; r < w.optionModel()->rowCount(); ++r)
    if (w.optionModel()->optionKeyAt(r) == gridKey) QCOMPARE(w.optionModel()->index(r, 1).data().toString(), expected);
  w.close();
  QuietUi ui;
  store::BlogDb again(pf.path().toStdString(), ui);
  again.OpenBlog(file.toStdString());
  const store::BlogOptionsRec& o = again.options();
  QCOMPARE(valueText(o, gridKey), gridKey == 301 ? "@default.tem" : gridKey == 411 ? "75" : "Saved text");
}

void tst_opt_basic::newBlogQuestionsFourAndFiveOpenTheDialogs() {
  ProgramFolder pf;
  ensureDefaultTemplate(pf.path());
  QFile other(pf.file("other.tem"));
  QVERIFY(other.open(QIODevice::WriteOnly));
  other.write(QByteArray("0\x01Other\r\n1\x01\r\n2\x01\r\n3\x01\r\n4\x01\r\n5\x01\r\n6\x01\r\n7\x01\r\n8\x01\r\n9\x01\r\n"));
  other.close();
  TtheMainForm w(pf.path());
  w.loadSessionSettings();
  w.show();
  ModalAnswerer a;
  a.chooseFile(pf.file("new.zdb")).press("No").press("No").press("No").press("Yes");
  a.act([](QWidget* dlg) {
    auto* d = qobject_cast<TOptBasicForm*>(dlg);
    QVERIFY(d);
    QCOMPARE(shownText(d->control(103)), QString("6"));
    qobject_cast<QLineEdit*>(d->control(101))->setText("Asked at the start");
    clickButton(dlg, "Save");
  });
  a.press("Yes");
  a.act([](QWidget* dlg) {
    auto* c = qobject_cast<TOptTemplateForm*>(dlg);
    QVERIFY(c);
    QCOMPARE(c->templateList()->currentText(), QString("@default.tem"));
    c->templateList()->setCurrentIndex(c->templateList()->findText("other.tem"));
    clickButton(dlg, "Save");
  });
  QTest::mouseClick(w.button(t::kStartNewBlog, TtheMainForm::kPageBlogs), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  w.close();
  QuietUi ui;
  store::BlogDb again(pf.path().toStdString(), ui);
  again.OpenBlog(pf.file("new.zdb").toStdString());
  QCOMPARE(again.options().BlogTitle, std::string("Asked at the start"));
  QCOMPARE(again.options().TemplateFile, std::string("other.tem"));
  QCOMPARE(again.options().IndexEntries, 5);
  QCOMPARE(again.options().ShowRecentOnHome, 0);
}

QTEST_MAIN(tst_opt_basic)
#include "tst_opt_basic.moc"
