// The picture picker: the number rules of its fields, the stored size following
// the grid, the align group, results on an empty table and after the add
// button, its frame, and the image tag the entry editor writes from it.
#include <QHeaderView>
#include <QImage>
#include <QRadioButton>
#include <QFileDialog>
#include <QtTest>

#include "app/entry_form.h"
#include "app/get_pict.h"
#include "app/mainform.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"
#include "store/media.h"

using namespace tessary;
using namespace tessary::app;
using namespace tessary::apptest;
namespace t = tessary::app::texts;

namespace {

QString writePicture(const QString& path, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::darkCyan);
  img.save(path, "PNG");
  return path;
}

std::function<void(QWidget*)> inPicker(const std::function<void(TGetPictureForm*)>& action) {
  return [action](QWidget* w) {
    if (auto* p = as<TGetPictureForm>(w)) action(p);
  };
}

void clickRow(QTableView* grid, int row) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
}

// A window with a blog holding two pictures, 30 x 20 and 64 x 48.
struct TwoPictures : OpenBlog {
  TwoPictures() {
    store::AddBlogPicture(w->blog(), writePicture(pf.file("a.png"), 30, 20).toStdString());
    store::AddBlogPicture(w->blog(), writePicture(pf.file("b.png"), 64, 48).toStdString());
  }
};

}  // namespace

class tst_get_pict : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void wholeNumbers_data();
  void wholeNumbers();
  void typedValuesComeBack();
  void storedSizeFollowsTheGrid();
  void emptyTableThenTheAddButton();
  void frameAndNames();
  void theEditorWritesTheImageTag();
};

void tst_get_pict::wholeNumbers_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("otherwise");
  QTest::addColumn<int>("value");
  QTest::newRow("digits") << "120" << -1 << 120;
  QTest::newRow("letters for a size") << "abc" << -1 << -1;
  QTest::newRow("letters for a space") << "abc" << 0 << 0;
  QTest::newRow("empty") << "" << -1 << -1;
  QTest::newRow("digits then letters") << "12px" << -1 << -1;
  QTest::newRow("negative") << "-5" << 0 << -5;
  QTest::newRow("too large") << "99999999999" << -1 << -1;
  QTest::newRow("spaces around") << " 7 " << 0 << 7;
}

void tst_get_pict::wholeNumbers() {
  QFETCH(QString, text);
  QFETCH(int, otherwise);
  QFETCH(int, value);
  QCOMPARE(wholeNumberOr(text, otherwise), value);
}

void tst_get_pict::typedValuesComeBack() {
  TwoPictures b;
  TGetPictureForm p(b.w.get(), b.w->blog());
  QCOMPARE(p.hspaceEdit()->text(), QString("0"));
  QCOMPARE(p.vspaceEdit()->text(), QString("0"));
  QCOMPARE(p.alignGroup()->checkedId(), 0);
  p.altTextEdit()->setText("A view");
  p.heightEdit()->setText("12");
  p.widthEdit()->setText("wide");
  p.hspaceEdit()->setText("lots");
  p.vspaceEdit()->setText("3");
  p.alignGroup()->button(4)->click();
  const auto c = p.choice();
  QVERIFY(c);
  QCOMPARE(c->altText, std::string("A view"));
  QCOMPARE(c->height, 12);
  QCOMPARE(c->width, -1);
  QCOMPARE(c->hspace, 0);
  QCOMPARE(c->vspace, 3);
  QCOMPARE(c->align, 4);
  QCOMPARE(c->name, b.w->blog().tblPictures().asString("BlogPictureName"));
}

void tst_get_pict::storedSizeFollowsTheGrid() {
  TwoPictures b;
  ModalAnswerer a;
  QStringList seen;
  TGetPictureForm p(b.w.get(), b.w->blog());
  a.act(inPicker([&](TGetPictureForm* w) {
    for (int row = 0; row < 2; ++row) {
      clickRow(w->grid(), row);
      seen << w->model()->index(row, 0).data().toString() + " " + w->storedHeightView()->text() + "x" +
                  w->storedWidthView()->text();
    }
    QTest::mouseClick(w->insertButton(), Qt::LeftButton);
  }));
  QCOMPARE(p.exec(), 1);
  QVERIFY(a.allAnswered());
  QCOMPARE(seen, QStringList({"a.png 20x30", "b.png 48x64"}));
  // The caller reads the row the grid was left on.
  QCOMPARE(p.choice()->name, std::string("b.png"));
  QCOMPARE(p.choice()->storedHeight, 48);
  QCOMPARE(p.choice()->storedWidth, 64);
  QVERIFY(p.storedHeightView()->isReadOnly());
}

void tst_get_pict::emptyTableThenTheAddButton() {
  OpenBlog b;
  ModalAnswerer a;
  TGetPictureForm p(b.w.get(), b.w->blog());
  a.act(inPicker([](TGetPictureForm* w) { QTest::mouseClick(w->insertButton(), Qt::LeftButton); }));
  QCOMPARE(p.exec(), 0);
  QVERIFY(p.storedHeightView()->text().isEmpty());
  const QString file = writePicture(b.pf.file("new.png"), 5, 7);
  QString stored;
  a.act(inPicker([&](TGetPictureForm* w) {
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    stored = w->storedHeightView()->text() + "x" + w->storedWidthView()->text();
    QTest::mouseClick(w->insertButton(), Qt::LeftButton);
  }));
  QString start, filter;
  a.chooseFile(file, [&](QFileDialog* d) {
    start = QDir(d->directory()).canonicalPath();
    filter = d->nameFilters().value(0);
  });
  QCOMPARE(p.exec(), 1);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  // The open dialog starts in the program's folder with the picture filter.
  QCOMPARE(start, QDir(b.pf.path()).canonicalPath());
  QVERIFY(filter.startsWith("Pictures"));
  QCOMPARE(stored, QString("7x5"));
  QCOMPARE(p.choice()->name, std::string("new.png"));
}

void tst_get_pict::frameAndNames() {
  TwoPictures b;
  TGetPictureForm p(b.w.get(), b.w->blog());
  p.show();
  QCOMPARE(p.windowTitle(), QString("Insert a Picture"));
  QCOMPARE(p.band()->title(), QString("Insert Picture"));
  QVERIFY(p.width() >= 624 && p.height() >= 343);
  QCOMPARE(p.minimumSize(), p.maximumSize());
  const char* columns[] = {"Picture Name", "Date Added", "Picture Size"};
  const int widths[] = {300, 150};
  for (int i = 0; i < 3; ++i)
    QCOMPARE(p.model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), QString(columns[i]));
  for (int i = 0; i < 2; ++i) QCOMPARE(p.grid()->horizontalHeader()->sectionSize(i), widths[i]);
  QCOMPARE(p.grid()->width(), p.width() - 48);
  QVERIFY(p.insertButton()->isDefault());
  // Six choices in three columns, filled column by column.
  QStringList order;
  for (int i = 0; i < 6; ++i) order << p.alignGroup()->button(i)->text();
  QCOMPARE(order, QStringList({"None", "Left", "Right", "Top", "Middle", "Bottom"}));
  const QPoint none = p.alignGroup()->button(0)->pos(), left = p.alignGroup()->button(1)->pos(),
               right = p.alignGroup()->button(2)->pos();
  QCOMPARE(none.x(), left.x());
  QVERIFY(left.y() > none.y());
  QVERIFY(right.x() > none.x());
  QCOMPARE(right.y(), none.y());
  for (QLineEdit* e : {p.altTextEdit(), p.heightEdit(), p.widthEdit(), p.hspaceEdit(), p.vspaceEdit()})
    QVERIFY(!e->accessibleName().isEmpty());
  QCOMPARE(p.heightEdit()->accessibleName(), QString("Height"));
  QCOMPARE(p.addButton()->accessibleName(), QString(t::kAddPictureHint));
  // Nothing is clipped: every field shows whole inside the window.
  for (QWidget* wdg : p.findChildren<QWidget*>())
    if (wdg->isVisible()) QVERIFY(QRect(QPoint(0, 0), p.size()).contains(QRect(wdg->mapTo(&p, QPoint(0, 0)), wdg->size())));
  QString topic;
  p.setHelpOpener([&](const QString& s) { topic = s; });
  QTest::mouseClick(p.bandButton(t::kHelp), Qt::LeftButton);
  QCOMPARE(topic, QString("Pictures"));
}

void tst_get_pict::theEditorWritesTheImageTag() {
  TwoPictures b;
  // The current picture claims no stored height.
  store::Table& pics = b.w->blog().tblPictures();
  pics.edit();
  pics.setInteger("BlogPictureHeight", -1);
  pics.post();
  QString text;
  ModalAnswerer a;
  a.act([&](QWidget* w) {
    auto* f = as<TBlogEntryForm>(w);
    if (!f) return;
    f->textEdit()->setFocus();
    QTest::mouseClick(f->toolButton(t::kHintBlogPicture), Qt::LeftButton);
    text = QString::fromStdString(f->myBlogRec().BlogText);
    QTest::mouseClick(f->saveButton(), Qt::LeftButton);
  });
  a.act(inPicker([](TGetPictureForm* p) {
    p->altTextEdit()->setText("Sea");
    p->alignGroup()->button(2)->click();
    p->hspaceEdit()->setText("4");
    QTest::mouseClick(p->insertButton(), Qt::LeftButton);
  }));
  QTest::mouseClick(b.w->button(t::kAddEntry, TtheMainForm::kPageEntries), Qt::LeftButton);
  QVERIFY(a.allAnswered());
  QCOMPARE(a.unexpected, 0);
  QCOMPARE(text, QString("<IMG SRC=\"b.png\" ALT=\"Sea\" ALIGN=RIGHT WIDTH=64 HSPACE=\"4\">"));
}

QTEST_MAIN(tst_get_pict)
#include "tst_get_pict.moc"
