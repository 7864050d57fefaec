// The headless front end: a registry of commands, their argument parsing and
// the context they run in. Each cmd_*.cpp file registers its own commands, so a
// layer's commands live beside each other and main.cpp never changes.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/console_ui.h"

namespace tessary::store {
class BlogDb;
}

namespace tessary::cli {

// Wrong usage: the message is printed with the command's usage, exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments after the command name. Options are "--name value" or flags;
// a command takes what it knows and finish() refuses anything left over.
class Args {
 public:
  explicit Args(std::vector<std::string> args) : args_(std::move(args)) {}
  std::optional<std::string> option(const std::string& name);
  bool flag(const std::string& name);
  // The next positional argument; UsageError naming `what` when missing.
  std::string positional(const std::string& what);
  std::optional<std::string> optionalPositional();
  void finish();

 private:
  std::vector<std::string> args_;
};

struct Context {
  std::string programFolder;
  bool yes = false;
  ConsoleUserInterface& ui;
  ConsoleProgressLog& log;
  Args& args;
};

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

struct Command {
  std::string name;
  std::string usage;    // "new BLOG.zdb [--answers YNYNN]"
  std::string summary;  // one line for --help
  std::function<int(Context&)> run;
};

std::map<std::string, Command>& commands();

// Help on one word, printed on standard output: the overview for an empty
// word, a command's usage for a command's name, else the help topic of that
// name. Returns the exit status: 0, or 2 (with a line on standard error) for a
// word it knows nothing about.
int showHelp(const std::string& word);

// After a generation run: how many pages differ from their published copy, and
// why they are reported as changed until they are published.
void printUnpublishedNote(store::BlogDb& blog, const std::string& file);

struct RegisterCommand {
  explicit RegisterCommand(Command c);
};

}  // namespace tessary::cli
