#include "cli/console_ui.h"

#include <unistd.h>

#include <iostream>

namespace tessary::cli {

using store::Answer;
using store::Buttons;

void ConsoleUserInterface::scriptAnswers(const std::string& letters) {
  for (const char c : letters) script_.push_back(c);
}

void ConsoleUserInterface::showMessage(const std::string& text) {
  statusClose();
  std::cerr << text << std::endl;
}

void ConsoleUserInterface::showError(const std::string& text) {
  statusClose();
  std::cerr << text << std::endl;
}

Answer ConsoleUserInterface::confirm(const std::string& text, Buttons buttons) {
  statusClose();
  bool yes = yes_;
  if (!script_.empty()) {
    yes = script_.front() == 'Y' || script_.front() == 'y';
    script_.pop_front();
  }
  Answer answer;
  switch (buttons) {
    case Buttons::Ok: answer = Answer::Ok; break;
    case Buttons::OkCancel: answer = yes ? Answer::Ok : Answer::Cancel; break;
    case Buttons::YesNo: answer = yes ? Answer::Yes : Answer::No; break;
    case Buttons::YesNoCancel: answer = yes ? Answer::Yes : Answer::Cancel; break;
    default: answer = Answer::Cancel;
  }
  static const char* kNames[] = {"OK", "Cancel", "Yes", "No"};
  std::cerr << text << "\n-> " << kNames[static_cast<int>(answer)] << std::endl;
  return answer;
}

void ConsoleUserInterface::statusShow(const std::string& text) {
  statusOpen_ = true;
  statusOnTerminal_ = isatty(STDERR_FILENO) == 1;
  statusSetMessage(text);
}

void ConsoleUserInterface::statusSetMessage(const std::string& text) {
  if (statusOnTerminal_) {
    // On a terminal the popup is one line that each message overwrites.
    std::cerr << "\r\033[K" << text << std::flush;
  } else {
    std::cerr << text << '\n';
  }
}

void ConsoleUserInterface::statusClose() {
  if (statusOpen_ && statusOnTerminal_) std::cerr << "\r\033[K" << std::flush;
  statusOpen_ = false;
}

ConsoleProgressLog::ConsoleProgressLog() : colour_(isatty(STDOUT_FILENO) == 1) {}

void ConsoleProgressLog::AppendLine(const std::string& text) { std::cout << text << '\n' << std::flush; }

void ConsoleProgressLog::AppendColouredLine(Colour c, const std::string& text) {
  if (!colour_) {
    AppendLine(text);
    return;
  }
  std::cout << "\033[38;2;" << int(c.r) << ';' << int(c.g) << ';' << int(c.b) << 'm' << text << "\033[0m\n"
            << std::flush;
}

}  // namespace tessary::cli
