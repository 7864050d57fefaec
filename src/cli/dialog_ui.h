// The console acting as the dialogs an operation opens: messages and questions
// go to the console's UserInterface, and the entry editor and the backup dialog
// are answered once from the command's arguments. A second run of the same
// dialog (an operation that hands a refused record back to the editor) is
// cancelled, so a command never loops.
#pragma once

#include <functional>
#include <string>

#include "cli/cli.h"
#include "store/blog_db.h"
#include "store/blog_rec.h"
#include "store/user_interface.h"

namespace tessary::cli {

class ArgumentDialogs : public store::UserInterface {
 public:
  explicit ArgumentDialogs(store::UserInterface& base) : base_(base) {}

  std::function<void(store::BlogRec&, bool categoryMode)> entryEditor;
  std::function<void(store::BackupSettings&)> backupDialog;

  void showMessage(const std::string& text) override { base_.showMessage(text); }
  void showError(const std::string& text) override { base_.showError(text); }
  store::Answer confirm(const std::string& text, store::Buttons buttons) override {
    return base_.confirm(text, buttons);
  }
  store::Answer warn(const std::string& text, store::Buttons buttons) override { return base_.warn(text, buttons); }
  void statusShow(const std::string& text) override { base_.statusShow(text); }
  void statusSetMessage(const std::string& text) override { base_.statusSetMessage(text); }
  void statusClose() override { base_.statusClose(); }
  void statusSetCaption(const std::string& caption) override { base_.statusSetCaption(caption); }

  bool runEntryEditor(store::BlogRec& rec, bool categoryMode) override {
    if (!entryEditor || editorRuns_++ > 0) return false;
    entryEditor(rec, categoryMode);
    return true;
  }
  bool runBackupDialog(store::BackupSettings& settings) override {
    if (backupDialogRuns_++ > 0) return false;
    if (backupDialog) backupDialog(settings);
    return true;
  }

 private:
  store::UserInterface& base_;
  int editorRuns_ = 0;
  int backupDialogRuns_ = 0;
};

// A blog opened for one command, with the dialogs answered from its arguments.
struct OpenedBlog {
  ArgumentDialogs ui;
  store::BlogDb blog;
  OpenedBlog(Context& c, const std::string& file) : ui(c.ui), blog(c.programFolder, ui) { blog.OpenBlog(file); }
};

// One value of a tab-separated listing: tabs and line breaks become blanks.
inline std::string listingCell(const std::string& s) {
  std::string out = s;
  for (char& ch : out)
    if (static_cast<unsigned char>(ch) < 32) ch = ' ';
  return out;
}

}  // namespace tessary::cli
