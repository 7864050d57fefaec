// The picture picker ("Insert a Picture"), opened by the entry editor's "Insert
// Blog Picture". Beside the grid it shows the current picture's stored height
// and width (following the grid) and takes the values of the image tag: "Alt
// Text", "Align" (six choices in three columns), "Height", "Width", "HSpace"
// and "VSpace". After a result of 1 the caller takes choice().
#pragma once

#include <QButtonGroup>
#include <QLineEdit>
#include <optional>

#include "app/picker_frame.h"
#include "app/tag_dialogs.h"
#include "app/texts.h"

namespace tessary::app {

class TGetPictureForm : public TablePickerFrame {
  Q_OBJECT
 public:
  TGetPictureForm(QWidget* owner, store::BlogDb& blog);
  QPushButton* insertButton() const { return bandButton(texts::kInsert); }
  QLineEdit* altTextEdit() const { return alt_; }
  QButtonGroup* alignGroup() const { return align_; }
  QLineEdit* heightEdit() const { return height_; }
  QLineEdit* widthEdit() const { return width_; }
  QLineEdit* hspaceEdit() const { return hspace_; }
  QLineEdit* vspaceEdit() const { return vspace_; }
  QLineEdit* storedHeightView() const { return storedHeight_; }
  QLineEdit* storedWidthView() const { return storedWidth_; }
  // The current picture with the typed values; nothing when the table is empty.
  std::optional<PictureChoice> choice() const;

 protected:
  void currentRowChanged() override;

 private:
  QLineEdit *alt_, *height_, *width_, *hspace_, *vspace_, *storedHeight_, *storedWidth_;
  QButtonGroup* align_;
};

}  // namespace tessary::app
