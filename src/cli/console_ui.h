// The console's UserInterface and ProgressLog: messages on standard error,
// questions answered from a script or from --yes, log lines on standard output
// (coloured only on a terminal).
#pragma once

#include <cstdio>
#include <deque>
#include <string>

#include "store/user_interface.h"
#include "util/progress_log.h"

namespace tessary::cli {

class ConsoleUserInterface : public store::UserInterface {
 public:
  explicit ConsoleUserInterface(bool yes) : yes_(yes) {}
  void setYes(bool yes) { yes_ = yes; }
  // Answers for the next questions, in order ('Y' or 'N'); used up before --yes applies.
  void scriptAnswers(const std::string& letters);

  void showMessage(const std::string& text) override;
  void showError(const std::string& text) override;
  store::Answer confirm(const std::string& text, store::Buttons buttons) override;
  void statusShow(const std::string& text) override;
  void statusSetMessage(const std::string& text) override;
  void statusClose() override;

 private:
  bool yes_;
  std::deque<char> script_;
  bool statusOpen_ = false;
  bool statusOnTerminal_ = false;
};

class ConsoleProgressLog : public ProgressLog {
 public:
  ConsoleProgressLog();
  void ClearLog() override {}
  void AppendLine(const std::string& text) override;
  void AppendColouredLine(Colour colour, const std::string& text) override;

 private:
  bool colour_;
};

}  // namespace tessary::cli
