#include "app/picker_frame.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/gui_ui.h"
#include "app/texts.h"
#include "store/entries.h"

namespace tessary::app {

TablePickerFrame::TablePickerFrame(QWidget* owner, store::BlogDb& blog, TableGridModel* model, const QString& title,
                                   const QString& bandText, const QString& helpTopic, const QStringList& bandCaptions)
    : ResultDialog(owner), blog_(blog), model_(model), helpTopic_(helpTopic) {
  model_->setParent(this);
  setWindowTitle(title);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  // makeTopBand lays its buttons out from the left; the captions come from the right.
  QStringList leftToRight(bandCaptions.rbegin(), bandCaptions.rend());
  band_ = makeTopBand(this, bandText, leftToRight, bandButtons_);
  outer->addWidget(band_);
  body_ = new QWidget(this);
  outer->addWidget(body_, 1);

  grid_ = makeGridView(model_, title, this);
  model_->reload();
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { rowChosen(current.row()); });
  connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) rowDoubleClicked();
  });
  if (QPushButton* help = bandButton(texts::kHelp)) {
    connect(help, &QPushButton::clicked, this, [this] {
      if (helpOpener_) helpOpener_(helpTopic_);
    });
  }
}

QPushButton* TablePickerFrame::bandButton(const QString& caption) const {
  for (QPushButton* b : bandButtons_)
    if (b->text() == caption) return b;
  return nullptr;
}

QWidget* TablePickerFrame::gridWithAddButton(const QString& hint, const std::function<void()>& action) {
  auto* row = new QWidget(body_);
  auto* l = new QHBoxLayout(row);
  // The grid ends 48 pixels before the right edge, the button stands 40 from it.
  l->setContentsMargins(0, 0, 8, 0);
  l->setSpacing(8);
  grid_->setParent(row);
  l->addWidget(grid_, 1);
  add_ = new QToolButton(row);
  add_->setText(QStringLiteral("+"));
  QFont f = add_->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.5);
  add_->setFont(f);
  add_->setFixedSize(32, 32);
  add_->setToolTip(hint);
  add_->setAccessibleName(hint);
  add_->setFocusPolicy(Qt::StrongFocus);
  l->addWidget(add_, 0, Qt::AlignTop);
  connect(add_, &QToolButton::clicked, this, [this, action] {
    guarded(action);
    refresh();
    grid_->setFocus();
  });
  return row;
}

void TablePickerFrame::rowChosen(int row) {
  if (syncing_ || row < 0 || !blog_.isOpen()) return;
  store::Table* t = model_->table();
  if (t && t->isOpen()) t->gotoBookmark(model_->rowIdAt(row));
  currentRowChanged();
}

void TablePickerFrame::refresh() {
  model_->reloadIfStale();
  syncing_ = true;
  selectTableRow(grid_, model_);
  syncing_ = false;
  currentRowChanged();
}

void TablePickerFrame::acceptIfRow() {
  store::Table* t = model_->table();
  setResult01((t && t->isOpen() && !t->isEmpty()) ? 1 : 0);
  accept();
}

void TablePickerFrame::rowDoubleClicked() {
  setResult01(1);
  accept();
}

void TablePickerFrame::cancel() {
  setResult01(0);
  reject();
}

void TablePickerFrame::guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    showErrorBox(this, QString::fromUtf8(e.what()));
  }
}

void TablePickerFrame::fixSize(QSize clientSize) {
  setFixedSize(clientSize.expandedTo(minimumSizeHint()));
}

int TablePickerFrame::exec() {
  refresh();
  return ResultDialog::exec();
}

void TablePickerFrame::showEvent(QShowEvent* e) {
  ResultDialog::showEvent(e);
  grid_->setFocus();
}

}  // namespace tessary::app
