// The category list ("Category List"): the blog's categories in a grid, with
// "Add Category", "Edit Category" and "Remove Category" below the band; a
// double click on a row edits that category. "Close" closes the window.
#pragma once

#include "app/font_string.h"
#include "app/picker_frame.h"

namespace tessary::app {

class TCategoryListForm : public TablePickerFrame {
  Q_OBJECT
 public:
  TCategoryListForm(QWidget* owner, store::BlogDb& blog);

  // The captions-and-buttons font on the window, the lists font on the grid.
  void applyFonts(const DisplayFont& form, const DisplayFont& lists);

  QPushButton* addCategoryButton() const { return add_; }
  QPushButton* editCategoryButton() const { return edit_; }
  QPushButton* removeCategoryButton() const { return remove_; }

 protected:
  void rowDoubleClicked() override;

 private:
  void run(bool (*command)(store::BlogDb&));

  QPushButton *add_, *edit_, *remove_;
};

}  // namespace tessary::app
