// The category picker ("Select Category"), opened by the entry editor's
// category buttons. After a result of 1 the caller takes CategoryKey and
// CategoryTitle of the current category row (choice()).
#pragma once

#include <optional>

#include "app/entry_form.h"
#include "app/picker_frame.h"
#include "app/texts.h"

namespace tessary::app {

class TGetCategoryForm : public TablePickerFrame {
  Q_OBJECT
 public:
  TGetCategoryForm(QWidget* owner, store::BlogDb& blog);
  QPushButton* selectButton() const { return bandButton(texts::kSelect); }
  // The current category row; nothing when the table has none.
  std::optional<CategoryChoice> choice() const;
};

}  // namespace tessary::app
