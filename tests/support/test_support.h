// Helpers shared by the test programs: a temporary folder per test, a log and a
// user interface that record everything and answer from a script.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "store/user_interface.h"
#include "util/progress_log.h"

namespace tessary::testing {

// A fresh folder under the system's temporary folder, removed with its content
// when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct LogLine {
  bool coloured = false;
  Colour colour;
  std::string text;
};

class RecordingLog : public ProgressLog {
 public:
  void ClearLog() override { lines.clear(); ++clears; }
  void AppendLine(const std::string& text) override {
    lines.push_back({false, {}, text});
    if (onLine) onLine(text);
  }
  void AppendColouredLine(Colour c, const std::string& text) override {
    lines.push_back({true, c, text});
    if (onLine) onLine(text);
  }
  std::vector<std::string> texts() const;
  bool contains(const std::string& text) const;

  std::vector<LogLine> lines;
  int clears = 0;
  // Called after each line is recorded, for tests that act at a given step.
  std::function<void(const std::string&)> onLine;
};

// Records every text shown; answers questions from `answers` in order, then
// with `defaultAnswer`. Dialogs are cancelled unless a handler is set.
class RecordingUI : public store::UserInterface {
 public:
  void showMessage(const std::string& text) override { messages.push_back(text); }
  void showError(const std::string& text) override { errors.push_back(text); }
  store::Answer confirm(const std::string& text, store::Buttons buttons) override;
  // A warning is recorded among the questions (in the order asked, answered from
  // the same script) and in `warnings` as well.
  store::Answer warn(const std::string& text, store::Buttons buttons) override;
  void statusShow(const std::string& text) override { statusOpen = true; status.push_back(text); }
  void statusSetMessage(const std::string& text) override { status.push_back(text); }
  void statusClose() override { statusOpen = false; ++statusCloses; }
  bool runBasicOptions(store::BlogOptionsRec& rec) override;
  bool runTemplateChooser(store::BlogOptionsRec& rec) override;
  bool runEntryEditor(store::BlogRec& rec, bool categoryMode) override;
  bool runBackupDialog(store::BackupSettings& s) override;

  std::deque<store::Answer> answers;
  store::Answer defaultAnswer = store::Answer::No;
  std::vector<std::string> messages, errors, questions, warnings, status, dialogs;
  bool statusOpen = false;
  int statusCloses = 0;
  std::function<bool(store::BlogOptionsRec&)> onBasicOptions, onTemplateChooser;
  std::function<bool(store::BlogRec&, bool)> onEntryEditor;
  std::function<bool(store::BackupSettings&)> onBackupDialog;
};

// Writes bytes to a file (ASSERT-style failure on error).
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// Runs a shell command; returns its exit status and fills output with stdout.
int runCommand(const std::string& command, std::string* output = nullptr);
// The tessary-cli built beside the tests.
std::string cliPath();

}  // namespace tessary::testing
