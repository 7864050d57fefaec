// The console's UserInterface and ProgressLog: messages on standard error,
// questions answered from a script or from --yes, log lines on standard output.
//
// On a terminal the log is coloured (never with NO_COLOR set or TERM=dumb) and
// its per-file lines ("...") are folded into one progress line that updates in
// place; everything else (and every coloured line) scrolls as usual. With
// --verbose, or when standard output is not a terminal, every line is written.
#pragma once

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>

#include "store/user_interface.h"
#include "util/progress_log.h"

namespace tessary::cli {

// How the console writes, decided once from the streams and the environment.
struct ConsoleStyle {
  bool colour = false;    // ANSI colours on standard output
  bool progress = false;  // per-file lines folded into one line that updates in place

  static ConsoleStyle detect(bool verbose);
};

// True when colours may be sent: a terminal, NO_COLOR unset or empty, TERM not "dumb".
bool colourAllowed(bool isTerminal, const char* noColor, const char* term);

// The ANSI sequence for a log colour; empty for black, which is shown in the
// terminal's own text colour (it is the default colour of a light window).
std::string ansiColour(Colour c);

// A line for the person at the console after a message worded for the desktop
// windows: the option numbers or the command to use instead. Empty when none.
// `blogFile` names the blog in the commands it proposes; `destination` is the
// folder of the file-copy run under way (for the hint on a folder that cannot
// be made or written).
std::string consoleHint(const std::string& line, const std::string& blogFile, const std::string& destination = {});

// The blog file the hints name: the command's blog, set once by main.
void setHintBlogFile(std::string file);

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
  explicit ConsoleProgressLog(ConsoleStyle style);
  ~ConsoleProgressLog() override;
  ConsoleProgressLog(const ConsoleProgressLog&) = delete;
  ConsoleProgressLog& operator=(const ConsoleProgressLog&) = delete;

  void ClearLog() override {}
  void AppendLine(const std::string& text) override;
  void AppendColouredLine(Colour colour, const std::string& text) override;

 private:
  void writeLine(const std::string& colour, const std::string& text);
  void progressLine(const std::string& text);

  ConsoleStyle style_;
  std::string destination_;  // of the last file-copy run, for its hint
  // The progress line: items seen, the last item's name, when the first came.
  long items_ = 0;
  std::string lastItem_;
  std::chrono::steady_clock::time_point start_, lastDraw_;
};

}  // namespace tessary::cli
