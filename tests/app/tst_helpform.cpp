// The help viewer: the contents and their parsing, selection by name, the
// drawing of the list, the window's keys and its one-at-a-time rule, printing,
// F1 in the dialogs, the search, and the truth of the topics themselves (every
// caption a topic names in bold is one the program has).
#include <QDirIterator>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "app/dialog_frame.h"
#include "app/help_texts.h"
#include "app/helpform.h"
#include "app/mainform.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "templates/tag_engine.h"

using namespace tessary::app;
using namespace tessary::apptest;

namespace {

// The topics the program's "Help" buttons ask for.
const char* const kAskedTopics[] = {
    "Welcome",          "Entries",        "EntriesCategoryList", "EntriesHTMLBar",         "EntriesAddCategory",
    "Pictures",         "ExtraFiles",     "OptionsBasic",        "OptionsAdvanced",        "OptionsCustomVariables",
    "OptionsTemplate",  "OptionsRSS",     "OptionsFTP",          "BlogsProgramOptions",    "BlogsExport",
    "BlogsBackup",      "PackageTemplates"};

QString pane(TTheHelpForm* f) { return f->textPane()->toPlainText(); }

// Every string literal of the program's sources (the help itself excluded).
QSet<QString> programStrings() {
  QSet<QString> strings;
  static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
  QDirIterator it(QStringLiteral(TESSARY_SOURCE_DIR "/src"), {"*.h", "*.cpp"}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    // The help's own files do not count: they name the captions, not have them.
    if (path.contains("/help_texts.h") || path.contains("/help_topics.") || path.contains("/help_gen/")) continue;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(f.readAll());
    for (auto m = literal.globalMatch(text); m.hasNext();) {
      QString s = m.next().captured(1);
      s.replace(QLatin1String("\\\""), QLatin1String("\""));
      s.replace(QLatin1String("\\\\"), QLatin1String("\\"));
      strings.insert(s);
      strings.insert(s.trimmed());
    }
  }
  return strings;
}

QString decodeEntities(QString s) {
  s.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#39;", "'").replace("&amp;", "&");
  return s;
}

// The colour of a pixel of the list as drawn.
QColor pixel(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

// The leftmost dark pixel of a line's text band (rows 4 to 17 of the line), or -1.
int leftmostDark(const QImage& img, int top, int from) {
  for (int x = from; x < img.width(); ++x)
    for (int y = top + 4; y < top + 18; ++y)
      if (img.pixelColor(x, y).lightness() < 80) return x;
  return -1;
}

int darkPixels(const QImage& img, int top, int from) {
  int n = 0;
  for (int x = from; x < img.width(); ++x)
    for (int y = top + 4; y < top + 18; ++y)
      if (img.pixelColor(x, y).lightness() < 80) ++n;
  return n;
}

}  // namespace

class tst_helpform : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void contentsAreParsedByBrackets();
  void selectionByNameTakesTheLastExactMatch();
  void programContentsHaveEveryTopic();
  void askedTopicsSelectTheirLines();
  void missingTopicShowsTopicUnavailable();
  void listLinesAreDrawnByLevel();
  void windowKeysAndOneWindowAtATime();
  void helpIsUsableFromAModalDialog();
  void f1PressesTheHelpButtonOfADialog();
  void searchFindsTopicsByTheirWords();
  void printsTheTopicToPdf();
  void topicsNameOnlyCaptionsTheProgramHas();
  void topicLinksLeadToTopics();
  void templateTopicsDocumentEveryTagOfTheEngine();
  void cleanup() {
    if (TTheHelpForm::current()) delete TTheHelpForm::current();
  }
};

void tst_helpform::contentsAreParsedByBrackets() {
  const auto items = parseHelpContents("//full\n[0 Welcome|WelcomeFull]//2006\n[1 No topic here]\r\n"
                                       "remark [2 Split|at|first] trailing [3 Unclosed|Tail");
  QCOMPARE(items.size(), size_t(4));
  QCOMPARE(items[0].itemText, QString("0 Welcome"));
  QCOMPARE(items[0].topic, QString("WelcomeFull"));
  QCOMPARE(items[0].level(), 0);
  QCOMPARE(items[0].shownText(), QString(" Welcome"));
  QCOMPARE(items[1].itemText, QString("1 No topic here"));
  QVERIFY(items[1].topic.isEmpty());
  QCOMPARE(items[2].topic, QString("at|first"));
  QCOMPARE(items[3].topic, QString("Tail"));
  for (const auto& i : items) QVERIFY(!i.itemText.contains("2006") && !i.topic.contains("2006"));

  QByteArray many;
  for (int i = 0; i < 200; ++i) many += "[2 T" + QByteArray::number(i) + "|N" + QByteArray::number(i) + "]";
  QCOMPARE(parseHelpContents(many).size(), size_t(kHelpMaxEntries));
  // A long title shows at most 99 characters.
  QCOMPARE(parseHelpContents("[2 " + QByteArray(300, 'x') + "|L]")[0].shownText().size(), 99);
}

void tst_helpform::selectionByNameTakesTheLastExactMatch() {
  const auto items = parseHelpContents("[0 A|One][1 B|Two][2 C|One][3 D|two]");
  QCOMPARE(helpTopicIndex(items, "One"), 2);
  QCOMPARE(helpTopicIndex(items, "two"), 3);
  QCOMPARE(helpTopicIndex(items, "TWO"), 0);
  QCOMPARE(helpTopicIndex(items, "Nowhere"), 0);
  QCOMPARE(helpTopicIndex(items, ""), 0);
  // Only the first 150 entries are searched.
  QByteArray many;
  for (int i = 0; i < 151; ++i) many += "[2 T|" + QByteArray(i == 150 ? "Last" : "Other") + "]";
  QCOMPARE(helpTopicIndex(parseHelpContents(many), "Last"), 0);
}

void tst_helpform::programContentsHaveEveryTopic() {
  const auto& items = helpContents();
  QCOMPARE(items.size(), size_t(93));
  QCOMPARE(items.front().itemText, QString("0 Welcome"));
  QCOMPARE(items.front().topic, QString("WelcomeFull"));
  QSet<QString> names;
  for (const auto& item : items) {
    QVERIFY2(item.level() >= 0, qPrintable(item.itemText));
    QVERIFY2(!item.topic.isEmpty(), qPrintable(item.itemText));
    const auto doc = helpTopicDocument(item.topic);
    QVERIFY2(doc && doc->size() > 200, qPrintable(item.topic + " has no real text"));
    QVERIFY2(!doc->contains("To be written"), qPrintable(item.topic));
    names.insert(item.topic);
  }
  QCOMPARE(names.size(), 93);
  // The titles the program promises.
  const QList<QPair<QString, QString>> telling = {
      {"2 Tessary Options", "BlogsProgramOptions"}, {"1 Blog Entries", "Entries"},
      {"2 HTML Bar", "EntriesHTMLBar"},             {"3 Regular Entries", "EntriesRegularPages"},
      {"2 Publishing Options", "OptionsPublishing"}, {"2 Publish next 10", "PublishToWeb10"},
      {"0 About Tessary", "AboutTessary"},          {"0 Templates", "PackageTemplates"},
      {"3 Home Page", "PackageMainIndexTemplate"},  {"1 All my Blogs", "BlogsAllMy"}};
  for (const auto& [title, topic] : telling) QCOMPARE(items[size_t(helpTopicIndex(items, topic))].itemText, title);
}

void tst_helpform::askedTopicsSelectTheirLines() {
  for (const char* topic : kAskedTopics) {
    TTheHelpForm* f = showHelpTopic(nullptr, topic);
    const int row = f->selectedLine();
    if (QString(topic) == "Welcome") QCOMPARE(row, 0);
    else QCOMPARE(helpContents()[size_t(row)].topic, QString(topic));
    QVERIFY(!pane(f).isEmpty());
    QVERIFY2(pane(f) != help_texts::kTopicUnavailable, topic);
  }
  // Also every topic name the windows' sources keep as a kTopic... constant.
  static const QRegularExpression topicConst(QStringLiteral("kTopic\\w*\\s*=\\s*\"([^\"]+)\""));
  int constants = 0;
  QDirIterator it(QStringLiteral(TESSARY_SOURCE_DIR "/src/app"), {"*.h", "*.cpp"}, QDir::Files);
  while (it.hasNext()) {
    const QString path = it.next();
    if (path.endsWith("/help_texts.h")) continue;  // the viewer's own texts, no topic names
    QFile source(path);
    QVERIFY(source.open(QIODevice::ReadOnly));
    for (auto m = topicConst.globalMatch(QString::fromUtf8(source.readAll())); m.hasNext(); ++constants) {
      const QString name = m.next().captured(1);
      if (name != "Welcome") QVERIFY2(helpTopicIndex(helpContents(), name) > 0, qPrintable(name));
    }
  }
  QVERIFY(constants >= 5);

  TTheHelpForm* f = showHelpTopic(nullptr, "OptionsFTP");
  QCOMPARE(f->contentsList()->currentItem()->text(), QString(" FTP Options"));
  QCOMPARE(helpContents()[size_t(f->selectedLine())].level(), 3);
  QVERIFY(pane(f).contains("FTP Host"));
  for (const char* other : {"Welcome", "optionsftp", "NoSuchTopic"}) {
    f = showHelpTopic(nullptr, other);
    QCOMPARE(f->selectedLine(), 0);
    QCOMPARE(f->shownTopic(), QString("WelcomeFull"));
  }
}

void tst_helpform::missingTopicShowsTopicUnavailable() {
  TTheHelpForm* f = showHelpTopic(nullptr, "OptionsRSS");
  auto* missing = new QListWidgetItem(" Missing", f->contentsList());
  missing->setData(Qt::UserRole, QString("NoSuchTopicAnywhere"));
  missing->setData(Qt::UserRole + 1, 2);
  auto* unnamed = new QListWidgetItem(" Unnamed", f->contentsList());
  unnamed->setData(Qt::UserRole, QString());
  unnamed->setData(Qt::UserRole + 1, 2);
  QVERIFY(QTest::qWaitForWindowExposed(f));
  f->contentsList()->scrollToItem(missing);
  QTest::mouseClick(f->contentsList()->viewport(), Qt::LeftButton, {},
                    f->contentsList()->visualItemRect(missing).center());
  QCOMPARE(pane(f), QString("Topic Unavailable"));
  f->contentsList()->setCurrentItem(f->contentsList()->item(0));
  QVERIFY(pane(f) != QString("Topic Unavailable"));
  f->contentsList()->setCurrentItem(unnamed);
  QCOMPARE(pane(f), QString("Topic Unavailable"));
  QVERIFY(f->textPane()->isReadOnly());
  QCOMPARE(f->textPane()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void tst_helpform::listLinesAreDrawnByLevel() {
  // Line 0 "Welcome" (level 0), then levels 2, 2, 2, 1 and 2; select line 1.
  TTheHelpForm* f = showHelpTopic(nullptr, "UsingTessary");
  QVERIFY(QTest::qWaitForWindowExposed(f));
  QListWidget* list = f->contentsList();
  QCOMPARE(list->visualItemRect(list->item(0)).height(), 20);
  QCOMPARE(list->visualItemRect(list->item(1)).top() - list->visualItemRect(list->item(0)).top(), 20);
  const QImage img = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (qEnvironmentVariableIsSet("HELP_LIST_PNG")) img.save(qEnvironmentVariable("HELP_LIST_PNG"));
  const auto top = [&](int row) { return list->visualItemRect(list->item(row)).top(); };
  // Backgrounds: the selected line yellow, the others the list colour.
  QCOMPARE(pixel(img, 2, top(1) + 10), QColor(255, 255, 0));
  QCOMPARE(pixel(img, 2, top(0) + 10), QColor(255, 255, 208));
  QCOMPARE(pixel(img, 2, top(2) + 10), QColor(255, 255, 208));
  // Text indents: level 0 at 4, level 1 at 24, level 2 at 32 (level 3 at 40); the
  // text shown begins with the blank after the level digit.
  QFont boldFont = list->font();
  boldFont.setBold(true);
  const int blank = QFontMetrics(list->font()).horizontalAdvance(' ');
  const int boldBlank = QFontMetrics(boldFont).horizontalAdvance(' ');
  QVERIFY(std::abs(leftmostDark(img, top(0), 0) - (4 + boldBlank)) <= 2);
  QVERIFY(std::abs(leftmostDark(img, top(4), 24) - (24 + blank)) <= 2);
  QVERIFY(std::abs(leftmostDark(img, top(2), 32) - (32 + blank)) <= 2);
  // Icons: a level-2 page icon between 14 and 30, none left of it; the level-1 folder from 6.
  auto hasInk = [&](int row, int x0, int x1) {
    for (int x = x0; x < x1; ++x)
      for (int y = top(row) + 2; y < top(row) + 18; ++y)
        if (pixel(img, x, y) != QColor(255, 255, 208)) return true;
    return false;
  };
  QVERIFY(hasInk(2, 14, 30));
  QVERIFY(!hasInk(2, 0, 14));
  QVERIFY(hasInk(4, 6, 22));
  QVERIFY(!hasInk(4, 0, 6));
  QVERIFY(!hasInk(0, 0, 3));
  // Bold: the selected line and level 0; the same line drawn unselected is lighter.
  const int selectedInk = darkPixels(img, top(1), 32);
  list->setCurrentRow(2);
  const QImage after = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(pixel(after, 2, top(1) + 10), QColor(255, 255, 208));
  QVERIFY2(darkPixels(after, top(1), 32) < selectedInk, "a selected line is bold");
  QCOMPARE(darkPixels(after, top(0), 0), darkPixels(img, top(0), 0));  // level 0 stays bold
  QVERIFY(darkPixels(after, top(0), 0) > 0);
}

void tst_helpform::windowKeysAndOneWindowAtATime() {
  QWidget owner;
  owner.show();
  QPointer<TTheHelpForm> first = showHelpTopic(&owner, "Entries");
  QCOMPARE(first->windowTitle(), QString("Help Topics"));
  QCOMPARE(first->minimumSize(), QSize(480, 360));
  QCOMPARE(first->maximumSize(), QSize(1200, 800));
  QVERIFY(first->isVisible());
  QVERIFY(!first->isModal());
  QCOMPARE(first->parentWidget(), &owner);
  QCOMPARE(first->printButton()->text(), QString("Print"));
  QCOMPARE(first->closeButton()->text(), QString("Close Help"));
  QCOMPARE(first->band()->title(), QString("Help"));
  QPointer<TTheHelpForm> second = showHelpTopic(&owner, "Pictures");
  QVERIFY(first.isNull());
  QCOMPARE(TTheHelpForm::current(), second.data());
  QVERIFY(QTest::qWaitForWindowActive(second));
  QTest::keyClick(second->contentsList(), Qt::Key_Escape);
  QTRY_VERIFY(second.isNull());
  QVERIFY(TTheHelpForm::current() == nullptr);
  QPointer<TTheHelpForm> third = showHelpTopic(&owner, "Pictures");
  third->closeButton()->click();
  QTRY_VERIFY(third.isNull());
  // Keyboard: Down moves through the contents and loads each topic.
  TTheHelpForm* f = showHelpTopic(&owner, "WelcomeFull");
  QVERIFY(QTest::qWaitForWindowActive(f));
  f->contentsList()->setFocus();
  QTest::keyClick(f->contentsList(), Qt::Key_Down);
  QCOMPARE(f->shownTopic(), QString("UsingTessary"));
}

void tst_helpform::helpIsUsableFromAModalDialog() {
  QWidget owner;
  owner.show();
  QDialog dialog(&owner);
  dialog.resize(300, 200);
  bool clicked = false;
  // The dialog is closed whatever happens, so that a failure cannot leave it running.
  QTimer::singleShot(0, &dialog, [&] {
    TTheHelpForm* f = showHelpTopic(&owner, "OptionsBasic");
    if (QTest::qWaitForWindowExposed(f)) {
      QListWidget* list = f->contentsList();
      QListWidgetItem* target = list->item(helpTopicIndex(helpContents(), "OptionsRSS"));
      list->scrollToItem(target);
      // Through the window system, as a person clicks, where a blocked window ignores it.
      const QPoint at = list->viewport()->mapTo(f, list->visualItemRect(target).center());
      QTest::mouseClick(f->windowHandle(), Qt::LeftButton, {}, at);
      QCoreApplication::processEvents();
      clicked = f->shownTopic() == "OptionsRSS";
    }
    dialog.reject();
  });
  QTimer::singleShot(20000, &dialog, &QDialog::reject);
  dialog.exec();
  QVERIFY2(clicked, "the help window takes clicks while a modal dialog runs");
}

void tst_helpform::f1PressesTheHelpButtonOfADialog() {
  installHelpKey();
  OptionDialogFrame d(nullptr, "Basic Options", "OptionsBasic", QSize(600, 400), QSize());
  QString asked;
  d.setHelpOpener([&](const QString& t) { asked = t; });
  auto* field = new QLineEdit(d.fieldArea());
  d.show();
  QVERIFY(QTest::qWaitForWindowActive(&d));
  field->setFocus();
  QTest::keyClick(field, Qt::Key_F1);
  QCOMPARE(asked, QString("OptionsBasic"));
}

void tst_helpform::searchFindsTopicsByTheirWords() {
  TTheHelpForm* f = showHelpTopic(nullptr, "WelcomeFull");
  QListWidget* list = f->contentsList();
  const int ftp = helpTopicIndex(helpContents(), "OptionsFTP");
  QTest::keyClicks(f->searchField(), "PASSIVE mode");
  QVERIFY(!list->isRowHidden(ftp));
  QVERIFY(list->isRowHidden(0));
  int shown = 0;
  for (int r = 0; r < list->count(); ++r) shown += list->isRowHidden(r) ? 0 : 1;
  QVERIFY(shown >= 1 && shown < 10);
  QTest::keyClick(f->searchField(), Qt::Key_Return);
  QCOMPARE(list->currentRow(), ftp);
  QCOMPARE(f->shownTopic(), QString("OptionsFTP"));
  f->searchField()->clear();
  for (int r = 0; r < list->count(); ++r) QVERIFY(!list->isRowHidden(r));
  QTest::keyClicks(f->searchField(), "zzqqxx");
  for (int r = 0; r < list->count(); ++r) QVERIFY(list->isRowHidden(r));
}

void tst_helpform::printsTheTopicToPdf() {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("topic.pdf");
  TTheHelpForm* f = showHelpTopic(nullptr, "OptionsFTP");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  f->printTopic(&printer);
  QVERIFY(QFileInfo(pdf).size() > 1000);
  if (qEnvironmentVariableIsSet("HELP_PDF")) QFile::copy(pdf, qEnvironmentVariable("HELP_PDF"));
  QProcess p;
  p.start("pdftotext", {pdf, "-"});
  if (!p.waitForStarted(10000)) QSKIP("pdftotext (poppler-utils) is not installed");
  QVERIFY(p.waitForFinished(30000));
  const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
  QVERIFY2(text.contains("FTP Host"), qPrintable(text.left(300)));
  QVERIFY(text.contains("Use Passive Mode for Transfers"));
}

void tst_helpform::topicsNameOnlyCaptionsTheProgramHas() {
  const QSet<QString> program = programStrings();
  QVERIFY(program.contains("Generate Pages"));
  static const QRegularExpression boldRun(QStringLiteral("<b>(.*?)</b>"),
                                          QRegularExpression::DotMatchesEverythingOption);
  QStringList unknown;
  int named = 0;
  for (const auto& item : helpContents()) {
    const QString doc = QString::fromUtf8(helpTopicDocument(item.topic).value_or(QByteArray()));
    for (auto m = boldRun.globalMatch(doc); m.hasNext();) {
      const QString caption = decodeEntities(m.next().captured(1)).trimmed();
      ++named;
      if (!program.contains(caption)) unknown << item.topic + ": " + caption;
    }
  }
  QVERIFY(named > 300);
  if (qEnvironmentVariableIsSet("HELP_UNKNOWN")) {
    QFile out(qEnvironmentVariable("HELP_UNKNOWN"));
    if (out.open(QIODevice::WriteOnly)) out.write(unknown.join('\n').toUtf8());
  }
  QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join('\n')));
}

void tst_helpform::topicLinksLeadToTopics() {
  static const QRegularExpression link(QStringLiteral("href=\"topic:([^\"]+)\""));
  QStringList broken;
  for (const auto& item : helpContents()) {
    const QString doc = QString::fromUtf8(helpTopicDocument(item.topic).value_or(QByteArray()));
    for (auto m = link.globalMatch(doc); m.hasNext();) {
      const QString to = m.next().captured(1);
      if (helpContents()[size_t(helpTopicIndex(helpContents(), to))].topic != to) broken << item.topic + " -> " + to;
    }
  }
  QVERIFY2(broken.isEmpty(), qPrintable(broken.join('\n')));
  // A click on such a link shows the topic.
  TTheHelpForm* f = showHelpTopic(nullptr, "OptionsPublishing");
  Q_EMIT f->textPane()->anchorClicked(QUrl("topic:OptionsFTP"));
  QCOMPARE(f->shownTopic(), QString("OptionsFTP"));
}

namespace {

// What the tag engine makes of one tag, with every value non-empty and the page
// of the given kind.
std::string fillTag(const std::string& tag, int32_t kind) {
  tessary::templates::templateEntryVars e;
  for (std::string* f : {&e.EntryId, &e.EntryTitle, &e.EntryDate, &e.EntryDateWords, &e.EntryText, &e.EntryUrlRelated,
                         &e.EntryTeaser, &e.EntryKeywords, &e.EntrySidebar, &e.EntryCustomField1, &e.EntryCustomField2,
                         &e.EntryCustomTitle1, &e.EntryCustomTitle2, &e.EntryDescription, &e.EntryPermalinkHref,
                         &e.CatTitle, &e.CatText, &e.CatParentLink})
    *f = "v";
  tessary::templates::templatePageVars p;
  for (std::string* f : {&p.PageTitle, &p.PageMenuTree, &p.PriorLink, &p.PriorHref, &p.NextLink, &p.NextHref,
                         &p.ParentLink, &p.ParentHref, &p.PageKeywords, &p.PageDescription})
    *f = "v";
  p.PageKind = kind;
  tessary::templates::templateGlobalVars g;
  for (std::string* f :
       {&g.MainTitle, &g.MainUrl, &g.MainAbout, &g.MonthLinksColumn, &g.MonthLinksRow, &g.StaticLinksColumn,
        &g.StaticLinksRow, &g.NavbarColumn, &g.NavbarRow, &g.ArticleLinksColumn, &g.ArticleLinksRow, &g.ParentSiteLink,
        &g.HomeLink, &g.HomeHref, &g.ArticleIndexLink, &g.ArticleIndexHref, &g.MonthIndexLink, &g.MonthIndexHref,
        &g.Rss20FileName, &g.Rss091FileName, &g.CustomTag1, &g.CustomTag2, &g.CustomTag3, &g.CustomTag4,
        &g.CustomTag5, &g.CustomTag6, &g.CustomTag7, &g.CustomTag8, &g.CustomTag9, &g.CustomTag10,
        &g.CategoryIndexLink, &g.CategoryLinksColumn, &g.CategoryLinksRow, &g.RecentLink, &g.RecentHref})
    *f = "v";
  return tessary::templates::FillPageTags(tessary::templates::fillEntryTagsInText(tag, e), g, e, p);
}

bool engineKnows(const QString& name) {
  const std::string tag = "[%" + name.toStdString() + "%]";
  for (int32_t kind = 0; kind <= 7; ++kind)
    if (fillTag(tag, kind) != tag) return true;
  return false;
}

}  // namespace

void tst_helpform::templateTopicsDocumentEveryTagOfTheEngine() {
  static const QRegularExpression tagRun(QStringLiteral("\\[%([A-Za-z0-9.]+)%\\]"));
  // The tags the template topics name.
  QSet<QString> documented;
  for (const auto& item : helpContents()) {
    if (!item.topic.startsWith("Package")) continue;
    const QString doc = QString::fromUtf8(helpTopicDocument(item.topic).value_or(QByteArray()));
    for (auto m = tagRun.globalMatch(doc); m.hasNext();) documented.insert(m.next().captured(1));
  }
  QStringList unknown;
  for (const QString& name : documented)
    if (name != "RANDOM" && name != "name" && !engineKnows(name)) unknown << name;
  QVERIFY2(unknown.isEmpty(), qPrintable("documented but unknown to the engine: " + unknown.join(", ")));

  // The tags the engine knows: every name its sources spell, in its three forms.
  QSet<QString> bases;
  static const QRegularExpression dotted(QStringLiteral("\"(?:\\[%)?([A-Za-z]+(?:\\.[A-Za-z0-9]+)+)(?:%\\])?\""));
  for (const char* file : {"/src/templates/tag_engine.h", "/src/templates/tag_engine.cpp"}) {
    QFile f(QStringLiteral(TESSARY_SOURCE_DIR) + file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    for (const auto* re : {&tagRun, &dotted})
      for (auto m = re->globalMatch(text); m.hasNext();) bases.insert(m.next().captured(1));
  }
  QStringList undocumented;
  int engineTags = 0;
  for (QString base : bases) {
    base.remove(QRegularExpression(QStringLiteral("\\.(css|href)$")));
    for (const QString& form : {base, base + ".css", base + ".href"}) {
      if (!engineKnows(form)) continue;
      ++engineTags;
      if (!documented.contains(form)) undocumented << form;
    }
  }
  QVERIFY2(engineTags > 90, qPrintable(QString::number(engineTags)));
  undocumented.removeDuplicates();
  QVERIFY2(undocumented.isEmpty(), qPrintable("not documented: " + undocumented.join(", ")));
}

QTEST_MAIN(tst_helpform)
#include "tst_helpform.moc"
