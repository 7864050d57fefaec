// The category list: its frame and grid, Add, Edit (by button and by double
// click, in the editor's category mode), Remove with its questions, the grid
// following the table, the two fonts, and what the blog file holds afterwards.
#include <QHeaderView>
#include <QtTest>

#include "app/cat_list.h"
#include "app/entry_form.h"
#include "app/mainform.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

namespace {

// Answers the category editor: checks it is in category mode, types the title over and saves.
std::function<void(QWidget*)> saveCategory(const QString& title, QString* shownTitle = nullptr) {
  return [=](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QCOMPARE(f->windowTitle(), QString(t::kCategoryEntryTitle));
    QCOMPARE(f->myBlogFunction(), int(TBlogEntryForm::kCategoryMode));
    if (shownTitle) *shownTitle = f->titleEdit()->text();
    f->titleEdit()->selectAll();
    QTest::keyClicks(f->titleEdit(), title);
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  };
}

// The answer for the list: `inList` drives it, then it is closed. The windows
// the list opens are answered by what is queued after it.
void answerList(ModalAnswerer& a, const std::function<void(TCategoryListForm*)>& inList) {
  a.act([inList](QWidget* w) {
    auto* list = as<TCategoryListForm>(w);
    if (!list) return;
    inList(list);
    QTest::mouseClick(list->bandButton(t::kClose), Qt::LeftButton);
  });
}

// Opens the list with the main window's button.
void openList(OpenBlog& b) {
  b.w->showPage(TtheMainForm::kPageEntries);
  QTest::mouseClick(b.w->button(t::kCategoryList, TtheMainForm::kPageEntries), Qt::LeftButton);
}

QString cellText(TCategoryListForm* list, int row, int column) {
  return list->model()->index(row, column).data().toString();
}

}  // namespace

class tst_cat_list : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void frameGridAndNames();
  void addEditRemoveThroughTheList();
  void doubleClickEditsThatRowInCategoryMode();
  void takesTheTwoProgramFonts();
};

void tst_cat_list::frameGridAndNames() {
  OpenBlog b;
  TCategoryListForm list(b.w.get(), b.w->blog());
  QCOMPARE(list.windowTitle(), QString("Category List"));
  QCOMPARE(list.band()->title(), QString("Category List"));
  QVERIFY(list.size().width() >= 592 && list.size().height() >= 366);
  QCOMPARE(list.minimumSize(), list.maximumSize());  // fixed size
  QHeaderView* h = list.grid()->horizontalHeader();
  QCOMPARE(list.model()->columnCount(), 2);
  QCOMPARE(list.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Category Title"));
  QCOMPARE(list.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Category Page Name"));
  QCOMPARE(h->sectionSize(0), 250);
  // The band's buttons from the right edge: Close, then Help, 4 pixels apart.
  list.show();
  QPushButton* close = list.bandButton(t::kClose);
  QPushButton* help = list.bandButton(t::kHelp);
  QVERIFY(close && help);
  QCOMPARE(close->geometry().right(), list.band()->width() - 1 - 4);
  QCOMPARE(help->geometry().right() + 1 + 4, close->geometry().left());
  for (QPushButton* p : {list.addCategoryButton(), list.editCategoryButton(), list.removeCategoryButton(), close, help})
    QCOMPARE(p->accessibleName(), p->text());
  // The grid reaches to 8 pixels from the right and bottom edges.
  const QRect g = list.grid()->geometry();
  const QPoint br = list.grid()->parentWidget()->mapTo(&list, g.bottomRight());
  QCOMPARE(list.width() - 1 - br.x(), 8);
  QCOMPARE(list.height() - 1 - br.y(), 8);
  // Help asks for its topic.
  QString topic;
  list.setHelpOpener([&](const QString& s) { topic = s; });
  QTest::mouseClick(help, Qt::LeftButton);
  QCOMPARE(topic, QString("EntriesCategoryList"));
}

void tst_cat_list::addEditRemoveThroughTheList() {
  OpenBlog b;
  ModalAnswerer a;
  int rowsAfterAdd = -1, currentAfterAdd = -1;
  QString titleAfterAdd, shownForEdit, titleAfterEdit;
  const int before = b.w->blog().tblCategory().recordCount();
  answerList(a, [&](TCategoryListForm* list) {
    QTest::mouseClick(list->addCategoryButton(), Qt::LeftButton);
    rowsAfterAdd = list->model()->rowCount();
    currentAfterAdd = list->grid()->currentIndex().row();
    titleAfterAdd = currentAfterAdd >= 0 ? cellText(list, currentAfterAdd, 0) : QString();
    QTest::mouseClick(list->editCategoryButton(), Qt::LeftButton);
    titleAfterEdit = cellText(list, list->grid()->currentIndex().row(), 0);
    QTest::mouseClick(list->removeCategoryButton(), Qt::LeftButton);
    QCOMPARE(list->model()->rowCount(), before + 1);
    QTest::mouseClick(list->removeCategoryButton(), Qt::LeftButton);
    QCOMPARE(list->model()->rowCount(), before);
  });
  a.act(saveCategory("Travel"));                // Add
  a.act(saveCategory("Trips", &shownForEdit));  // Edit
  a.press("Cancel");                            // Remove, cancelled
  a.press("OK");                                // Remove
  openList(b);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  // The new row is shown at once and is the current one.
  QCOMPARE(rowsAfterAdd, before + 1);
  QVERIFY(currentAfterAdd >= 0);
  QCOMPARE(titleAfterAdd, QString("Travel"));
  QCOMPARE(shownForEdit, QString("Travel"));
  QCOMPARE(titleAfterEdit, QString("Trips"));
  QVERIFY(a.texts.contains(QString("Remove Category \" Trips\"")));
  QCOMPARE(int(b.storedCategories().size()), before);

  // What was added and edited reaches the file.
  OpenBlog c;
  answerList(a, [&](TCategoryListForm* list) { QTest::mouseClick(list->addCategoryButton(), Qt::LeftButton); });
  a.act(saveCategory("Kept"));
  openList(c);
  QVERIFY(a.allAnswered());
  bool found = false;
  for (const auto& row : c.storedCategories()) found = found || row[1] == "Kept";
  QVERIFY(found);
}

void tst_cat_list::doubleClickEditsThatRowInCategoryMode() {
  OpenBlog b;
  ModalAnswerer a;
  QString shown;
  answerList(a, [&](TCategoryListForm* list) {
    QTest::mouseClick(list->addCategoryButton(), Qt::LeftButton);
    QTest::mouseClick(list->addCategoryButton(), Qt::LeftButton);
    // Double click on the row of "First", not on the current one.
    int row = -1;
    for (int r = 0; r < list->model()->rowCount(); ++r)
      if (cellText(list, r, 0) == "First") row = r;
    QVERIFY(row >= 0);
    const QModelIndex idx = list->model()->index(row, 0);
    QWidget* vp = list->grid()->viewport();
    const QPoint at = list->grid()->visualRect(idx).center();
    QTest::mouseClick(vp, Qt::LeftButton, {}, at);
    QTest::mouseDClick(vp, Qt::LeftButton, {}, at);
    QVERIFY(list->isVisible());  // the list stays open
  });
  a.act(saveCategory("First"));
  a.act(saveCategory("Second"));
  a.act(saveCategory("First, edited", &shown));
  openList(b);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(shown, QString("First"));
  QStringList titles;
  for (const auto& row : b.storedCategories()) titles << QString::fromStdString(row[1]);
  QVERIFY(titles.contains("First, edited"));
  QVERIFY(titles.contains("Second"));
  QVERIFY(!titles.contains("First"));
}

void tst_cat_list::takesTheTwoProgramFonts() {
  OpenBlog b;
  {
    TCategoryListForm list(b.w.get(), b.w->blog());
    DisplayFont form, lists;
    applyFontString(form, ",,,13,0");
    applyFontString(lists, "DejaVu Serif,1,-2147483640,15,1");
    list.applyFonts(form, lists);
    QCOMPARE(list.addCategoryButton()->font().pointSize(), 13);
    QCOMPARE(list.bandButton(t::kClose)->font().pointSize(), 13);
    QCOMPARE(list.grid()->font().pointSize(), 15);
    QVERIFY(list.grid()->font().bold());
    QCOMPARE(list.grid()->verticalHeader()->defaultSectionSize(), QFontMetrics(list.grid()->font()).height() + 8);
  }
  // From the main window the list takes the window's two fonts.
  ModalAnswerer a;
  QFont button, grid;
  answerList(a, [&](TCategoryListForm* list) {
    button = list->addCategoryButton()->font();
    grid = list->grid()->font();
  });
  openList(b);
  QVERIFY(a.allAnswered());
  QCOMPARE(button.pointSize(), b.w->formFont().font.pointSize());
  QCOMPARE(grid.family(), b.w->listsFont().font.family());
  QCOMPARE(grid.pointSize(), b.w->listsFont().font.pointSize());
}

QTEST_MAIN(tst_cat_list)
#include "tst_cat_list.moc"
