// The desktop program's answer to the core's questions: message boxes owned by
// the main window, the status popup, and the dialogs an operation opens, which
// it hands to the window's dialog seams (filled window by window).
#pragma once

#include <QPointer>
#include <QWidget>

#include "store/user_interface.h"

namespace tessary::app {

// The windows the core's operations open; the main window provides them.
class DialogSeams {
 public:
  virtual ~DialogSeams() = default;
  virtual bool runBasicOptions(store::BlogOptionsRec&) = 0;
  virtual bool runTemplateChooser(store::BlogOptionsRec&) = 0;
  virtual bool runEntryEditor(store::BlogRec&, bool categoryMode) = 0;
  virtual bool runBackupDialog(store::BackupSettings&) = 0;
};

class GuiUserInterface : public store::UserInterface {
 public:
  GuiUserInterface() = default;
  // The window that owns the boxes and the popup, and the dialogs.
  void setOwner(QWidget* owner) { owner_ = owner; }
  void setDialogs(DialogSeams* dialogs) { dialogs_ = dialogs; }

  void showMessage(const std::string& text) override;
  void showError(const std::string& text) override;
  store::Answer confirm(const std::string& text, store::Buttons buttons) override;
  store::Answer warn(const std::string& text, store::Buttons buttons) override;
  void statusShow(const std::string& text) override;
  void statusSetMessage(const std::string& text) override;
  void statusClose() override;
  void statusSetCaption(const std::string& caption) override;

  bool runBasicOptions(store::BlogOptionsRec& r) override { return dialogs_ && dialogs_->runBasicOptions(r); }
  bool runTemplateChooser(store::BlogOptionsRec& r) override { return dialogs_ && dialogs_->runTemplateChooser(r); }
  bool runEntryEditor(store::BlogRec& r, bool categoryMode) override {
    return dialogs_ && dialogs_->runEntryEditor(r, categoryMode);
  }
  bool runBackupDialog(store::BackupSettings& s) override { return dialogs_ && dialogs_->runBackupDialog(s); }

 private:
  store::Answer ask(const std::string& text, store::Buttons buttons, bool warning);
  QPointer<QWidget> owner_;
  DialogSeams* dialogs_ = nullptr;
};

// The general error display: an error box with the text and an OK button.
void showErrorBox(QWidget* owner, const QString& text);

}  // namespace tessary::app
