// How the core talks to the person using the program: message boxes, questions,
// the status popup, and the dialogs an operation opens in the middle of its work.
// The desktop application shows real windows, the command line answers from its
// arguments, and the tests script the answers and record every text.
//
// A dialog receives a copy of what it edits and returns true when the user
// saved (the copy then holds the result); false means cancelled. The default
// implementations cancel, so a front end offers only the dialogs it has.
#pragma once

#include <string>

namespace tessary::store {

struct BlogOptionsRec;
struct BlogRec;

enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// The value the backup dialog edits: the folder and the number of backups kept.
struct BackupSettings {
  std::string location;
  int backupsToKeep = 5;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // An information box with one OK button.
  virtual void showMessage(const std::string& text) = 0;
  // A warning or error box with one OK button.
  virtual void showError(const std::string& text) = 0;
  // A question with the given buttons; returns the button pressed.
  virtual Answer confirm(const std::string& text, Buttons buttons) = 0;
  // The same with the look of a warning (a question about something that cannot
  // be undone, such as entries losing their category). Front ends without a
  // warning box of their own ask it as a question.
  virtual Answer warn(const std::string& text, Buttons buttons) { return confirm(text, buttons); }

  // The status popup: a small window that shows one message during long store work.
  virtual void statusShow(const std::string& text) = 0;
  virtual void statusSetMessage(const std::string& text) = 0;
  virtual void statusClose() = 0;
  // The popup's window title, set after statusShow; front ends without a title ignore it.
  virtual void statusSetCaption(const std::string& /*caption*/) {}

  // Dialogs run on a copy.
  virtual bool runBasicOptions(BlogOptionsRec&) { return false; }
  virtual bool runTemplateChooser(BlogOptionsRec&) { return false; }
  virtual bool runEntryEditor(BlogRec&, bool /*categoryMode*/) { return false; }
  virtual bool runBackupDialog(BackupSettings&) { return false; }
};

}  // namespace tessary::store
