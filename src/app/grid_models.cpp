#include "app/grid_models.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPalette>

#include "app/texts.h"
#include "store/entries.h"
#include "store/schema.h"
#include "util/text.h"

namespace tessary::app {

namespace {
const std::string kEmpty;
}  // namespace

// ---- TableGridModel ---------------------------------------------------------------

TableGridModel::TableGridModel(store::BlogDb& blog, int tableIndex, std::vector<GridColumn> columns,
                               std::vector<std::string> hiddenFields, QObject* parent)
    : QAbstractTableModel(parent), blog_(blog), tableIndex_(tableIndex), columns_(std::move(columns)) {
  for (const GridColumn& c : columns_) fields_.push_back(c.field);
  for (std::string& f : hiddenFields) fields_.push_back(std::move(f));
  listener_ = blog_.database().addChangeListener([this](const std::string& t) {
    if (t.empty() || watches(t)) stale_ = true;
  });
}

TableGridModel::~TableGridModel() { blog_.database().removeChangeListener(listener_); }

bool TableGridModel::watches(const std::string& tableName) const {
  store::Table* t = blog_.table(tableIndex_);
  return t && t->name() == tableName;
}

store::Table* TableGridModel::table() const { return blog_.table(tableIndex_); }

int TableGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TableGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

void TableGridModel::reload() {
  beginResetModel();
  rows_.clear();
  rowOfId_.clear();
  store::Table* t = table();
  if (blog_.isOpen() && t && t->isOpen()) rows_ = store::readGridRows(*t, fields_);
  rowOfId_.reserve(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i) rowOfId_.emplace(rows_[i].rowId, static_cast<int>(i));
  stale_ = false;
  endResetModel();
}

bool TableGridModel::reloadIfStale() {
  if (!stale_) return false;
  reload();
  return true;
}

int64_t TableGridModel::rowIdAt(int row) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[row].rowId : 0;
}

int TableGridModel::rowOf(int64_t rowId) const {
  auto it = rowOfId_.find(rowId);
  return it == rowOfId_.end() ? -1 : it->second;
}

const std::string& TableGridModel::cell(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return kEmpty;
  const auto& v = rows_[row].values;
  return column >= 0 && column < static_cast<int>(v.size()) ? v[column] : kEmpty;
}

QVariant TableGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  return cellData(index.row(), index.column(), role);
}

QVariant TableGridModel::cellData(int row, int column, int role) const {
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
    return QString::fromStdString(cell(row, column));
  return {};
}

QVariant TableGridModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o == Qt::Horizontal && section >= 0 && section < static_cast<int>(columns_.size())) {
    if (role == Qt::DisplayRole) return QString::fromLatin1(columns_[section].title);
  }
  if (o == Qt::Vertical && role == Qt::DisplayRole) return section + 1;
  return {};
}

// ---- EntryGridModel --------------------------------------------------------------

EntryGridModel::EntryGridModel(store::BlogDb& blog, QObject* parent)
    : TableGridModel(blog, kTableBlog,
                     {{texts::kColDateTime, "BlogDateTime", 150},
                      {texts::kColTitle, "BlogTitle", 250},
                      {texts::kColEntryType, "BlogPageType", 0},
                      {texts::kColCategory, "BlogCategory", 0}},
                     {}, parent) {}

bool EntryGridModel::watches(const std::string& tableName) const {
  return tableName == store::tables::kBlog || tableName == store::tables::kCategory;
}

void EntryGridModel::reload() {
  categoryTitles_.clear();
  store::Table* cats = blog_.table(4);
  if (blog_.isOpen() && cats && cats->isOpen()) {
    for (const store::GridRow& r : store::readGridRows(*cats, {"CategoryKey", "CategoryTitle"})) {
      int key = 0;
      if (util::parseInt(r.values[0], key)) categoryTitles_[key] = QString::fromStdString(r.values[1]);
    }
  }
  TableGridModel::reload();
}

QString EntryGridModel::typeShortName(int type) {
  switch (type) {
    case 1: return "Article";
    case 2: return "Static";
    case 3: return "Hidden";
    case 4: return "Home Page";
    case 5: return "Recent Entries";
    case 6: return "Redirect";
    case 7: return "Free Format";
    default: return {};
  }
}

QColor EntryGridModel::typeColour(int type) {
  switch (type) {
    case 1: return QColor(255, 255, 0);
    case 2: return QColor(192, 220, 192);
    case 3: return QColor(166, 202, 240);
    case 4: return QColor(221, 160, 221);
    case 5: return QColor(221, 160, 221);
    case 6: return QColor(255, 192, 128);
    case 7: return QColor(255, 192, 192);
    default: return {};
  }
}

QVariant EntryGridModel::cellData(int row, int column, int role) const {
  if (column == 2) {
    int type = 1;
    if (!util::parseInt(cell(row, 2), type)) type = 1;
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return typeShortName(type);
    if (role == kFillRole) return typeColour(type).isValid() ? QVariant(typeColour(type)) : QVariant();
    if (role == kTextColourRole && typeColour(type).isValid()) return QColor(Qt::black);
    return {};
  }
  if (column == 3) {
    int key = -1;
    if (!util::parseInt(cell(row, 3), key)) key = -1;
    if (key < 1) return {};
    auto it = categoryTitles_.find(key);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
      return it != categoryTitles_.end() ? it->second : QStringLiteral("??? %1 ???").arg(key);
    if (it == categoryTitles_.end()) {
      if (role == kFillRole) return QColor(0, 255, 0);
      if (role == kTextColourRole) return QColor(Qt::black);
    }
    return {};
  }
  return TableGridModel::cellData(row, column, role);
}

// ---- OptionGridModel -------------------------------------------------------------

OptionGridModel::OptionGridModel(store::BlogDb& blog, QObject* parent)
    : TableGridModel(blog, kTableOptions, {{texts::kColOption, "OptionName", 200}, {texts::kColValue, "OptionValue", 300}},
                     {"OptionKey"}, parent) {}

int OptionGridModel::optionKeyAt(int row) const {
  int key = 0;
  return util::parseInt(cell(row, 2), key) ? key : 0;
}

QColor OptionGridModel::optionGroupColour(int key) {
  auto in = [key](int a, int b) { return key >= a && key <= b; };
  if (in(100, 189) || in(200, 209) || in(220, 229) || in(240, 249) || in(260, 269) || in(280, 289) ||
      in(300, 399) || in(500, 599) || in(610, 699))
    return QColor(192, 220, 192);
  if (in(190, 199) || in(210, 219) || in(230, 239) || in(250, 259) || in(270, 279) || in(290, 299) ||
      in(400, 499) || in(600, 609))
    return QColor(166, 202, 240);
  return {};
}

QVariant OptionGridModel::cellData(int row, int column, int role) const {
  const int key = optionKeyAt(row);
  if (column == 0) {
    if (role == kFillRole) {
      const QColor c = optionGroupColour(key);
      return c.isValid() ? QVariant(c) : QVariant();
    }
    if (role == kTextColourRole) return key == 999 ? QColor(128, 128, 128) : QColor(Qt::black);
  } else if (column == 1) {
    if (role == kTextColourRole && key > 990) return QColor(128, 128, 128);
  }
  return TableGridModel::cellData(row, column, role);
}

// ---- Pictures and files -----------------------------------------------------------

TableGridModel* makePictureGridModel(store::BlogDb& blog, QObject* parent) {
  return new TableGridModel(blog, kTablePictures,
                            {{texts::kColPictureName, "BlogPictureName", 250},
                             {texts::kColDateAdded, "BlogPictureDate", 150},
                             {texts::kColHeight, "BlogPictureHeight", 0},
                             {texts::kColWidth, "BlogPictureWidth", 0},
                             {texts::kColPictureSize, "BlogPictureSize", 0},
                             {texts::kColPictureType, "BlogPictureType", 0}},
                            {}, parent);
}

TableGridModel* makeFileGridModel(store::BlogDb& blog, QObject* parent) {
  return new TableGridModel(blog, kTableFiles,
                            {{texts::kColFileName, "BlogFileName", 350},
                             {texts::kColDateAdded, "BlogFileDate", 150},
                             {texts::kColFileSize, "BlogFileSize", 100}},
                            {}, parent);
}

QTableView* makeGridView(TableGridModel* model, const QString& name, QWidget* parent) {
  auto* v = new QTableView(parent);
  v->setModel(model);
  v->setItemDelegate(new GridCellDelegate(v));
  v->setSelectionBehavior(QAbstractItemView::SelectRows);
  v->setSelectionMode(QAbstractItemView::SingleSelection);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v->setAlternatingRowColors(false);
  v->setWordWrap(false);
  v->setTabKeyNavigation(false);
  v->verticalHeader()->setVisible(false);
  v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 8);
  v->horizontalHeader()->setHighlightSections(false);
  v->horizontalHeader()->setStretchLastSection(true);
  v->setAccessibleName(name);
  const auto& cols = model->columns();
  for (int i = 0; i < static_cast<int>(cols.size()); ++i)
    v->setColumnWidth(i, cols[i].width > 0 ? cols[i].width : 110);
  return v;
}

void selectTableRow(QTableView* view, TableGridModel* model) {
  store::Table* t = model->table();
  int row = -1;
  if (t && t->isOpen() && store::hasCurrentRow(*t)) row = model->rowOf(t->currentRowId());
  QItemSelectionModel* sel = view->selectionModel();
  if (row < 0) {
    sel->clear();
    return;
  }
  const QModelIndex idx = model->index(row, 0);
  sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->scrollTo(idx);
}

// ---- GridCellDelegate ---------------------------------------------------------------

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QVariant fill = index.data(kFillRole);
  const QVariant textColour = index.data(kTextColourRole);
  if (!fill.isValid() && !textColour.isValid()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const bool selected = opt.state & QStyle::State_Selected;
  painter->save();
  painter->fillRect(opt.rect, selected ? opt.palette.highlight() : opt.palette.base());
  const QColor fillColour = fill.value<QColor>();
  const QRect inner = opt.rect.adjusted(2, 2, -2, -2);
  if (fillColour.isValid()) painter->fillRect(inner, fillColour);
  QColor pen = textColour.value<QColor>();
  if (!pen.isValid() || (selected && !fillColour.isValid() && pen == QColor(Qt::black)))
    pen = selected ? opt.palette.highlightedText().color() : opt.palette.text().color();
  painter->setPen(pen);
  painter->setFont(opt.font);
  const QString text = opt.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                  inner.width() - 2);
  painter->drawText(inner.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter->restore();
}

}  // namespace tessary::app
