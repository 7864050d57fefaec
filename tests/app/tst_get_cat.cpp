// The category picker: results on an empty and a filled table, the add button
// (through the category editor), double click, Cancel leaving the current row
// where the user put it, its geometry, and the entry editor's category button
// taking the chosen category into the saved entry.
#include <QHeaderView>
#include <QtTest>

#include "app/entry_form.h"
#include "app/get_cat.h"
#include "app/mainform.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

namespace {

void removeAllCategories(store::BlogDb& blog) {
  store::Table& c = blog.tblCategory();
  for (int guard = 0; guard < 1000 && !c.isEmpty(); ++guard) {
    c.first();
    c.deleteRow();
  }
}

std::function<void(QWidget*)> saveCategory(const QString& title) {
  return [=](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QCOMPARE(f->myBlogFunction(), int(TBlogEntryForm::kCategoryMode));
    f->titleEdit()->selectAll();
    QTest::keyClicks(f->titleEdit(), title);
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  };
}

std::function<void(QWidget*)> inPicker(const std::function<void(TGetCategoryForm*)>& action) {
  return [action](QWidget* w) {
    if (auto* p = as<TGetCategoryForm>(w)) action(p);
  };
}

void clickRow(QTableView* grid, int row, bool twice = false) {
  const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
  if (twice) QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class tst_get_cat : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void selectOnAnEmptyTableGivesNothingThenTheAddedRow();
  void doubleClickCancelAndTheCurrentRow();
  void frameAndGeometry();
  void theEditorTakesTheChosenCategory();
};

void tst_get_cat::selectOnAnEmptyTableGivesNothingThenTheAddedRow() {
  OpenBlog b;
  store::BlogDb& blog = b.w->blog();
  removeAllCategories(blog);
  ModalAnswerer a;
  TGetCategoryForm picker(b.w.get(), blog);
  a.act(inPicker([](TGetCategoryForm* p) { QTest::mouseClick(p->selectButton(), Qt::LeftButton); }));
  QCOMPARE(picker.exec(), 0);
  QVERIFY(!picker.choice());

  int rowsShown = -1;
  a.act(inPicker([&](TGetCategoryForm* p) {
    QTest::mouseClick(p->addButton(), Qt::LeftButton);
    rowsShown = p->model()->rowCount();
    QTest::mouseClick(p->selectButton(), Qt::LeftButton);
  }));
  a.act(saveCategory("Fresh"));
  QCOMPARE(picker.exec(), 1);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(rowsShown, 1);
  const auto choice = picker.choice();
  QVERIFY(choice);
  QCOMPARE(choice->title, std::string("Fresh"));
  QCOMPARE(int64_t(choice->key), blog.tblCategory().currentRowId());
  QVERIFY(choice->key > 0);
}

void tst_get_cat::doubleClickCancelAndTheCurrentRow() {
  OpenBlog b;
  store::BlogDb& blog = b.w->blog();
  removeAllCategories(blog);
  ModalAnswerer a;
  {
    TGetCategoryForm picker(b.w.get(), blog);
    a.act(inPicker([](TGetCategoryForm* p) {
      QTest::mouseClick(p->addButton(), Qt::LeftButton);
      QTest::mouseClick(p->addButton(), Qt::LeftButton);
      QTest::mouseClick(p->addButton(), Qt::LeftButton);
      QTest::mouseClick(p->bandButton(t::kCancel), Qt::LeftButton);
    }));
    a.act(saveCategory("Alpha")).act(saveCategory("Beta")).act(saveCategory("Gamma"));
    QCOMPARE(picker.exec(), 0);
  }
  QCOMPARE(blog.tblCategory().recordCount(), 3);

  // The user moves to another row and cancels: the table's current row stays there.
  QString chosenTitle;
  {
    TGetCategoryForm picker(b.w.get(), blog);
    a.act(inPicker([&](TGetCategoryForm* p) {
      clickRow(p->grid(), 0);
      chosenTitle = p->model()->index(0, 0).data().toString();
      QTest::keyClick(p, Qt::Key_Escape);
    }));
    QCOMPARE(picker.exec(), 0);
  }
  QCOMPARE(QString::fromStdString(blog.tblCategory().asString("CategoryTitle")), chosenTitle);
  // The next picker opens on that row; a double click on another takes it.
  int openedOn = -1;
  QString doubleClicked;
  {
    TGetCategoryForm picker(b.w.get(), blog);
    a.act(inPicker([&](TGetCategoryForm* p) {
      openedOn = p->grid()->currentIndex().row();
      doubleClicked = p->model()->index(2, 0).data().toString();
      clickRow(p->grid(), 2, true);
    }));
    QCOMPARE(picker.exec(), 1);
    QCOMPARE(QString::fromStdString(picker.choice()->title), doubleClicked);
  }
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(openedOn, 0);
}

void tst_get_cat::frameAndGeometry() {
  OpenBlog b;
  TGetCategoryForm p(b.w.get(), b.w->blog());
  p.show();
  QCOMPARE(p.windowTitle(), QString("Select Category"));
  QCOMPARE(p.band()->title(), QString("Select Category"));
  QVERIFY(p.width() >= 582 && p.height() >= 207);
  QCOMPARE(p.minimumSize(), p.maximumSize());
  QCOMPARE(p.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Category Title"));
  QCOMPARE(p.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("CategoryName"));
  QCOMPARE(p.grid()->horizontalHeader()->sectionSize(0), 250);
  // The column captions show above the rows.
  QVERIFY(p.grid()->horizontalHeader()->isVisible());
  QVERIFY(p.grid()->horizontalHeader()->height() >= p.grid()->fontMetrics().height());
  // Select, Cancel, Help from the right edge.
  QPushButton* select = p.selectButton();
  QPushButton* cancel = p.bandButton(t::kCancel);
  QPushButton* help = p.bandButton(t::kHelp);
  QCOMPARE(select->geometry().right(), p.band()->width() - 1 - 4);
  QCOMPARE(cancel->geometry().right() + 5, select->geometry().left());
  QCOMPARE(help->geometry().right() + 5, cancel->geometry().left());
  QVERIFY(select->isDefault());
  // The grid is the window's width less 48, the add button 40 from the right edge.
  QCOMPARE(p.grid()->width(), p.width() - 48);
  QCOMPARE(p.width() - p.addButton()->mapTo(&p, QPoint(0, 0)).x(), 40);
  QCOMPARE(p.height() - 1 - p.grid()->mapTo(&p, QPoint(0, p.grid()->height() - 1)).y(), 8);
  QCOMPARE(p.addButton()->accessibleName(), QString(t::kAddCategoryHint));
  QString topic;
  p.setHelpOpener([&](const QString& s) { topic = s; });
  QTest::mouseClick(help, Qt::LeftButton);
  QCOMPARE(topic, QString("EntriesAddCategory"));
}

void tst_get_cat::theEditorTakesTheChosenCategory() {
  OpenBlog b;
  removeAllCategories(b.w->blog());
  ModalAnswerer a;
  QString shown;
  a.act([&](QWidget* w) {  // the entry editor
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    QTest::keyClicks(f->titleEdit(), "With a category");
    QTest::mouseClick(f->categoryButton(), Qt::LeftButton);
    shown = f->categoryLabel()->text();
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  });
  a.act(inPicker([](TGetCategoryForm* p) {
    QTest::mouseClick(p->addButton(), Qt::LeftButton);
    QTest::mouseClick(p->selectButton(), Qt::LeftButton);
  }));
  a.act(saveCategory("Picked"));
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QVERIFY(shown.contains("Picked"));
  const auto cats = b.storedCategories();
  QCOMPARE(int(cats.size()), 1);
  bool found = false;
  for (const auto& [key, rec] : b.storedEntries())
    if (rec.BlogTitle == "With a category") found = std::to_string(rec.BlogCategory) == cats[0][0];
  QVERIFY(found);
}

QTEST_MAIN(tst_get_cat)
#include "tst_get_cat.moc"
