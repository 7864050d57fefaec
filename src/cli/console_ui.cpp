#include "cli/console_ui.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

#include "store/blog_options.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::cli {

using store::Answer;
using store::Buttons;

namespace {

// The one line of the terminal that is rewritten in place (the status popup on
// standard error, the progress line on standard output). Whoever writes a
// normal line first clears it, so that no text lands behind it.
struct InPlaceLine {
  int fd = -1;  // the stream showing it, -1 when none
};
InPlaceLine& inPlace() {
  static InPlaceLine line;
  return line;
}
std::ostream& streamOf(int fd) { return fd == STDOUT_FILENO ? std::cout : std::cerr; }

void clearInPlace() {
  InPlaceLine& l = inPlace();
  if (l.fd < 0) return;
  streamOf(l.fd) << "\r\033[K" << std::flush;
  l.fd = -1;
}

void showInPlace(int fd, const std::string& text) {
  if (inPlace().fd != fd) clearInPlace();
  streamOf(fd) << "\r\033[K" << text << std::flush;
  inPlace().fd = fd;
}

// Characters that fit on one terminal line (the last column left free, so the
// cursor never wraps and "\r" returns to the line's start).
size_t terminalColumns(int fd) {
  winsize ws{};
  if (::ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1) return ws.ws_col - 1u;
  return 79;
}

std::string& hintBlog() {
  static std::string file = "BLOG.zdb";
  return file;
}

std::string optionName(int key) {
  const store::OptionDef* d = store::optionDef(key);
  return d ? d->name : "";
}

std::string setOption(const std::string& blog, int key, const std::string& value) {
  return "tessary-cli set-option " + blog + " " + std::to_string(key) + " " + value;
}

// The nearest folder of `path` (itself included) that exists.
std::string existingAncestor(std::string path) {
  for (int depth = 0; depth < 256 && !path.empty(); ++depth) {
    if (util::directoryExists(path)) return path;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    path = slash == 0 ? "/" : path.substr(0, slash);
  }
  return path;
}

// The name that a per-file log line is about: the page or file it names.
std::string itemOf(const std::string& line) {
  const std::string s = util::trimLeft(std::string_view(line).substr(3));
  for (const char* prefix : {"building page ", "Extracting Template File ", "Uploading ", "Copying ", "Deleting ",
                             "Removing orphan page ", "Keeping ", "Note: Template file ", "Template file "}) {
    if (util::startsWith(s, prefix)) {
      const std::string rest = s.substr(std::string_view(prefix).size());
      return rest.substr(0, rest.find_first_of(" :"));
    }
  }
  return s.substr(0, s.find(' '));
}

}  // namespace

ConsoleStyle ConsoleStyle::detect(bool verbose) {
  const bool terminal = isatty(STDOUT_FILENO) == 1;
  const char* term = std::getenv("TERM");
  ConsoleStyle s;
  s.colour = colourAllowed(terminal, std::getenv("NO_COLOR"), term);
  // A dumb terminal may not clear a line: it gets every line.
  s.progress = terminal && !verbose && !(term && std::string_view(term) == "dumb");
  return s;
}

bool colourAllowed(bool isTerminal, const char* noColor, const char* term) {
  if (!isTerminal) return false;
  if (noColor && *noColor) return false;
  return !(term && std::string_view(term) == "dumb");
}

std::string ansiColour(Colour c) {
  // The palette's own red and green read on dark and light backgrounds alike;
  // of the blues only the bright one does (plain blue vanishes on black).
  if (c == colours::kRed) return "\033[31m";
  if (c == colours::kGreen) return "\033[32m";
  if (c == colours::kBlue) return "\033[94m";
  return {};
}

void setHintBlogFile(std::string file) { hintBlog() = std::move(file); }

std::string consoleHint(const std::string& line, const std::string& blog, const std::string& destination) {
  const std::string opt = "Hint for the command line: ";
  if (util::startsWith(line, "*** Please visit the OPTIONS page for BASIC OPTIONS"))
    return opt + "set option 102 (" + optionName(102) + "): " + setOption(blog, 102, "http://www.example.com/blog/");
  if (util::startsWith(line, "*** Please visit the OPTIONS page for RSS OPTIONS"))
    return opt + "set option 404 (" + optionName(404) +
           "): " + setOption(blog, 404, "http://www.example.com/blog/index.html");
  if (util::startsWith(line, "*** Please visit the OPTIONS page for PUBLISHING OPTIONS and enter your FTP"))
    return opt + "set options 501 to 505 (FTP site, port, target directory, user, password) with " +
           setOption(blog, 501, "ftp.example.com") +
           " and so on; or publish by file copy: " + setOption(blog, 511, "1") + " && " +
           setOption(blog, 512, "FOLDER");
  if (util::startsWith(line, "*** Please visit the OPTIONS page for PUBLISHING OPTIONS and enter your FILE COPY"))
    return opt + "set option 512 (" + optionName(512) + "): " + setOption(blog, 512, "FOLDER");
  if (line == "*** Unable to create destination directory." ||
      line == "*** Unable to write to destination directory.") {
    const std::string ancestor = existingAncestor(destination.empty() ? "." : destination);
    std::string why;
    if (!destination.empty() && ::access(ancestor.c_str(), W_OK) != 0)
      why = "you may not write to " + ancestor + " (" + util::errnoText(errno) + "). ";
    return opt + why + "Choose a folder of yours with " + setOption(blog, 512, "FOLDER") + ", or let root make " +
           (destination.empty() ? std::string("it") : destination) + " yours (mkdir -p DIR && chown USER DIR).";
  }
  if (util::startsWith(line, "Blog already Exists"))
    return opt + "every command opens an existing blog (tessary-cli info FILE); give \"new\" another file name.";
  if (util::startsWith(line, "Question 4 of 5"))
    return opt + "options are set with tessary-cli set-option FILE KEY VALUE (tessary-cli options FILE lists them).";
  if (util::startsWith(line, "Question 5 of 5"))
    return opt + "the template is option 301: " + setOption(blog, 301, "PACKAGE.tem") +
           " (a package in the program folder).";
  return {};
}

void ConsoleUserInterface::scriptAnswers(const std::string& letters) {
  for (const char c : letters) script_.push_back(c);
}

void ConsoleUserInterface::showMessage(const std::string& text) {
  statusClose();
  clearInPlace();
  std::cerr << text << std::endl;
  if (const std::string hint = consoleHint(text, hintBlog()); !hint.empty()) std::cerr << hint << std::endl;
}

void ConsoleUserInterface::showError(const std::string& text) { showMessage(text); }

Answer ConsoleUserInterface::confirm(const std::string& text, Buttons buttons) {
  statusClose();
  clearInPlace();
  bool yes = yes_;
  if (!script_.empty()) {
    yes = script_.front() == 'Y' || script_.front() == 'y';
    script_.pop_front();
  }
  Answer answer;
  switch (buttons) {
    case Buttons::Ok:
      answer = Answer::Ok;
      break;
    case Buttons::OkCancel:
      answer = yes ? Answer::Ok : Answer::Cancel;
      break;
    case Buttons::YesNo:
      answer = yes ? Answer::Yes : Answer::No;
      break;
    case Buttons::YesNoCancel:
      answer = yes ? Answer::Yes : Answer::Cancel;
      break;
    default:
      answer = Answer::Cancel;
  }
  static const char* kNames[] = {"OK", "Cancel", "Yes", "No"};
  std::cerr << text << "\n-> " << kNames[static_cast<int>(answer)] << std::endl;
  if (answer == Answer::Yes || answer == Answer::Ok)
    if (const std::string hint = consoleHint(text, hintBlog()); !hint.empty()) std::cerr << hint << std::endl;
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
    showInPlace(STDERR_FILENO, util::leftChars(text, terminalColumns(STDERR_FILENO)));
  } else {
    std::cerr << text << '\n';
  }
}

void ConsoleUserInterface::statusClose() {
  if (statusOpen_ && statusOnTerminal_ && inPlace().fd == STDERR_FILENO) clearInPlace();
  statusOpen_ = false;
}

ConsoleProgressLog::ConsoleProgressLog(ConsoleStyle style) : style_(style) {}

ConsoleProgressLog::~ConsoleProgressLog() {
  if (inPlace().fd == STDOUT_FILENO) clearInPlace();
}

void ConsoleProgressLog::writeLine(const std::string& colour, const std::string& text) {
  clearInPlace();
  if (colour.empty())
    std::cout << text << '\n';
  else
    std::cout << colour << text << "\033[0m\n";
  if (const std::string hint = consoleHint(text, hintBlog(), destination_); !hint.empty()) std::cout << hint << '\n';
  std::cout << std::flush;
}

void ConsoleProgressLog::progressLine(const std::string& text) {
  using namespace std::chrono;
  const steady_clock::time_point now = steady_clock::now();
  if (items_ == 0) start_ = now;
  if (const std::string item = itemOf(text); item != lastItem_) {
    ++items_;
    lastItem_ = item;
  }
  // A terminal is slow to draw: at most about 25 redraws a second.
  if (items_ > 1 && now - lastDraw_ < milliseconds(40)) return;
  lastDraw_ = now;
  std::string line = std::to_string(items_) + (items_ == 1 ? " file" : " files");
  const double seconds = duration<double>(now - start_).count();
  if (seconds >= 0.5) line += ", " + std::to_string(static_cast<long>(static_cast<double>(items_) / seconds)) + "/s";
  line += ": " + util::trimLeft(std::string_view(text).substr(3));
  showInPlace(STDOUT_FILENO, util::leftChars(line, terminalColumns(STDOUT_FILENO)));
}

void ConsoleProgressLog::AppendLine(const std::string& text) {
  if (style_.progress && util::startsWith(text, "...")) {
    progressLine(text);
    return;
  }
  writeLine({}, text);
}

void ConsoleProgressLog::AppendColouredLine(Colour c, const std::string& text) {
  static constexpr std::string_view kCopyRun = "Publishing using File Copy - Destination is ";
  if (util::startsWith(text, kCopyRun)) destination_ = text.substr(kCopyRun.size());
  writeLine(style_.colour ? ansiColour(c) : std::string(), text);
}

}  // namespace tessary::cli
