// The four grids of the main window as table models over the store's tables.
// A model shows its table's rows in the table's current index order from a
// cache of its own (read through its own statement, never through the cursor
// a command walks); a change to the table marks the cache stale, and the
// window reloads stale caches when a command has ended. A row of the model is
// tied to the table's row by its rowid, so the window can keep the selection
// and the table's current row as one.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <unordered_map>
#include <vector>

#include "store/blog_db.h"
#include "store/grid_rows.h"

namespace tessary::app {

// Item roles the grid delegate paints with.
enum GridRole {
  kFillRole = Qt::UserRole + 1,  // QColor: fills the cell 2 pixels inside its edges
  kTextColourRole,               // QColor: the text colour
};

// The tables by their place in BlogDb::table(i).
enum BlogTableIndex { kTableBlog = 0, kTablePictures, kTableFiles, kTableOptions, kTableCategory };

struct GridColumn {
  const char* title;
  const char* field;
  int width;  // 0: the view's default
};

class TableGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // tableIndex: the table's place in BlogDb::table(i).
  // hiddenFields are read after the shown columns (cell(row, columns + i)).
  TableGridModel(store::BlogDb& blog, int tableIndex, std::vector<GridColumn> columns,
                 std::vector<std::string> hiddenFields = {}, QObject* parent = nullptr);
  ~TableGridModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  const std::vector<GridColumn>& columns() const { return columns_; }
  // Reads the rows again (empty when no blog is open).
  virtual void reload();
  // Reloads when the table changed since the last read.
  bool reloadIfStale();
  bool stale() const { return stale_; }
  void markStale() { stale_ = true; }

  // The rowid of a model row, and the model row of a rowid (-1 when not shown).
  int64_t rowIdAt(int row) const;
  int rowOf(int64_t rowId) const;
  const std::string& cell(int row, int column) const;
  store::Table* table() const;

 protected:
  // The text and roles of one cell; the default shows the value as it stands.
  virtual QVariant cellData(int row, int column, int role) const;
  // Called for every changed table; returns true when this model shows it.
  virtual bool watches(const std::string& tableName) const;

  store::BlogDb& blog_;
  int tableIndex_;
  std::vector<GridColumn> columns_;
  std::vector<std::string> fields_;
  std::vector<store::GridRow> rows_;
  std::unordered_map<int64_t, int> rowOfId_;
  bool stale_ = true;
  int listener_ = 0;
};

// The entry grid: the "Entry Type" and "Category" cells drawn as the program
// shows them (the type's colour and short name, the category's title or
// "??? n ???" on green for a category that no longer exists).
class EntryGridModel : public TableGridModel {
  Q_OBJECT
 public:
  explicit EntryGridModel(store::BlogDb& blog, QObject* parent = nullptr);
  void reload() override;

  // The short name and colour of an entry type; an empty name for type 0 and
  // for numbers outside 1 to 7.
  static QString typeShortName(int type);
  static QColor typeColour(int type);

 protected:
  QVariant cellData(int row, int column, int role) const override;
  bool watches(const std::string& tableName) const override;

 private:
  std::unordered_map<int32_t, QString> categoryTitles_;
};

// The option grid: the "Option" cell on the background of its option group,
// rows above 990 written in grey.
class OptionGridModel : public TableGridModel {
  Q_OBJECT
 public:
  explicit OptionGridModel(store::BlogDb& blog, QObject* parent = nullptr);
  // The option number of a model row (unreadable counts as 0).
  int optionKeyAt(int row) const;
  // The background of the "Option" cell for an option number (invalid: the window colour).
  static QColor optionGroupColour(int key);

 protected:
  QVariant cellData(int row, int column, int role) const override;
};

// Paints a cell: the window colour, then kFillRole 2 pixels inside, then the
// text 2 pixels in from the top-left in kTextColourRole. Selected rows keep
// their highlight around the fill.
class GridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

TableGridModel* makePictureGridModel(store::BlogDb& blog, QObject* parent);
TableGridModel* makeFileGridModel(store::BlogDb& blog, QObject* parent);

// A read-only grid over the model: whole rows selected one at a time, no row
// header, rows as high as the font plus 8, the columns at their widths (110
// where none is given), the last one stretched; named for screen readers.
QTableView* makeGridView(TableGridModel* model, const QString& name, QWidget* parent);
// Selects the model row of the table's current row (none when the table has no
// current row) and scrolls to it, without moving the table.
void selectTableRow(QTableView* view, TableGridModel* model);

}  // namespace tessary::app
