// The frame the category list and the three pickers share: a fixed-size modal
// window with the top band (its title in large type, its buttons from the right
// edge with 4-pixel gaps) and a read-only grid over one table of the open blog.
// The grid's selected row is the table's current row: moving in the grid moves
// it for the whole program, and the window shows the table's current row when
// it opens. A picker's result is 1 (take the current row) or 0: its accept
// button gives 1 only when the table has a row, a double click on a row 1,
// Cancel or closing the window 0.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <functional>

#include "app/background.h"
#include "app/dialog_frame.h"
#include "app/grid_models.h"
#include "store/blog_db.h"

class QVBoxLayout;

namespace tessary::app {

class TablePickerFrame : public ResultDialog {
  Q_OBJECT
 public:
  // bandCaptions: the band's buttons from the right edge leftwards.
  // The frame takes the model over.
  TablePickerFrame(QWidget* owner, store::BlogDb& blog, TableGridModel* model, const QString& title,
                   const QString& bandText, const QString& helpTopic, const QStringList& bandCaptions);

  BandWidget* band() const { return band_; }
  QTableView* grid() const { return grid_; }
  TableGridModel* model() const { return model_; }
  // The band's button with this caption (nullptr when none).
  QPushButton* bandButton(const QString& caption) const;
  // The add button beside the grid; nullptr until addAddButton().
  QToolButton* addButton() const { return add_; }
  void setHelpOpener(HelpOpener opener) { helpOpener_ = std::move(opener); }

  // Shows modally, centred on the owner; returns 1 after an accept with a row
  // to take or a double click, else 0.
  int exec() override;

  // Reads the table again when it changed and selects its current row.
  void refresh();

 protected:
  // The area below the band, for the window's own controls.
  QWidget* body() const { return body_; }
  // A grid row with an add button 40 pixels from the right edge (the grid
  // ending 48 pixels before it) that runs `action` and then shows the new row.
  QWidget* gridWithAddButton(const QString& hint, const std::function<void()>& action);
  // Closes with 1 when the table has a row, else 0.
  void acceptIfRow();
  // Closes with 0.
  void cancel();
  // Runs a store command from a button: an error is shown and ends only it.
  void guarded(const std::function<void()>& action);
  // Fixes the window's size at its client size, or larger when its content needs more.
  void fixSize(QSize clientSize);
  // Called when the grid's current row changed (after the table followed it).
  virtual void currentRowChanged() {}
  // A double click on a row: the pickers close with 1.
  virtual void rowDoubleClicked();
  void showEvent(QShowEvent* e) override;

  store::BlogDb& blog_;

 private:
  void rowChosen(int row);

  TableGridModel* model_;
  BandWidget* band_;
  QList<QPushButton*> bandButtons_;
  QWidget* body_;
  QTableView* grid_;
  QToolButton* add_ = nullptr;
  QString helpTopic_;
  HelpOpener helpOpener_;
  bool syncing_ = false;
};

}  // namespace tessary::app
