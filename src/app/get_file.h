// The file picker ("Insert a File"), opened by the entry editor's "Insert Blog
// File": the blog's extra files and the "Link Text" of the link to insert
// (empty: the editor uses the file's name). After a result of 1 the caller
// takes choice().
#pragma once

#include <QLineEdit>
#include <optional>

#include "app/picker_frame.h"
#include "app/tag_dialogs.h"
#include "app/texts.h"

namespace tessary::app {

class TGetFileForm : public TablePickerFrame {
  Q_OBJECT
 public:
  TGetFileForm(QWidget* owner, store::BlogDb& blog);
  QPushButton* insertButton() const { return bandButton(texts::kInsert); }
  QLineEdit* linkTextEdit() const { return linkText_; }
  // The current file with the link text as typed; nothing when the table is empty.
  std::optional<FileChoice> choice() const;

 private:
  QLineEdit* linkText_;
};

}  // namespace tessary::app
