// tessary-cli: the headless front end. Global options (--program-folder DIR,
// --yes) may stand before or after the command. Exit status: 0 success, 1 a
// failure reported to the user, 2 wrong usage.
#include <unistd.h>

#include <climits>
#include <iostream>

#include "cli/cli.h"
#include "store/database.h"
#include "util/files.h"

namespace tessary::cli {

std::map<std::string, Command>& commands() {
  static std::map<std::string, Command> all;
  return all;
}

RegisterCommand::RegisterCommand(Command c) { commands()[c.name] = std::move(c); }

std::optional<std::string> Args::option(const std::string& name) {
  for (size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == name) {
      if (i + 1 >= args_.size()) throw UsageError(name + " needs a value");
      std::string v = args_[i + 1];
      args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
      return v;
    }
    if (args_[i].rfind(name + "=", 0) == 0) {
      std::string v = args_[i].substr(name.size() + 1);
      args_.erase(args_.begin() + static_cast<long>(i));
      return v;
    }
  }
  return std::nullopt;
}

bool Args::flag(const std::string& name) {
  for (size_t i = 0; i < args_.size(); ++i)
    if (args_[i] == name) {
      args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
  return false;
}

std::optional<std::string> Args::optionalPositional() {
  for (size_t i = 0; i < args_.size(); ++i) {
    if (args_[i].size() > 2 && args_[i].rfind("--", 0) == 0) {
      ++i;  // skip an option and (presumably) its value
      continue;
    }
    std::string v = args_[i];
    args_.erase(args_.begin() + static_cast<long>(i));
    return v;
  }
  return std::nullopt;
}

std::string Args::positional(const std::string& what) {
  auto v = optionalPositional();
  if (!v) throw UsageError("missing " + what);
  return *v;
}

void Args::finish() {
  if (!args_.empty()) throw UsageError("unexpected argument: " + args_.front());
}

namespace {

std::string executableFolder(const char* argv0) {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) {
    buf[n] = '\0';
    return util::folderOf(buf);
  }
  return util::folderOf(util::absolutePath(argv0));
}

void printHelp() {
  std::cout << "Usage: tessary-cli [--program-folder DIR] [--yes] COMMAND [ARGS]\n\n"
               "Global options:\n"
               "  --program-folder DIR  use DIR as the program folder (default: the executable's folder)\n"
               "  --yes                 answer confirmations with Yes/OK (default: No/Cancel)\n\n"
               "Commands:\n";
  for (const auto& [name, c] : commands()) {
    std::cout << "  " << c.usage << "\n      " << c.summary << "\n";
  }
}

}  // namespace

int run(int argc, char** argv) {
  std::vector<std::string> rest;
  std::string programFolder = executableFolder(argv[0]);
  bool yes = false;
  std::string commandName;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--program-folder") {
      if (i + 1 >= argc) {
        std::cerr << "--program-folder needs a folder\n";
        return kUsage;
      }
      programFolder = util::absolutePath(argv[++i]);
    } else if (a.rfind("--program-folder=", 0) == 0) {
      programFolder = util::absolutePath(a.substr(17));
    } else if (a == "--yes") {
      yes = true;
    } else if (a == "--help" || a == "-h") {
      if (commandName.empty()) {
        printHelp();
        return kSuccess;
      }
      rest.push_back(a);
    } else if (commandName.empty() && (a.empty() || a[0] != '-')) {
      commandName = a;
    } else {
      rest.push_back(a);
    }
  }
  if (commandName.empty()) {
    printHelp();
    return kUsage;
  }
  const auto it = commands().find(commandName);
  if (it == commands().end()) {
    std::cerr << "Unknown command: " << commandName << "\nRun tessary-cli --help for the list of commands.\n";
    return kUsage;
  }
  const Command& cmd = it->second;
  if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
    std::cout << "Usage: tessary-cli " << cmd.usage << "\n" << cmd.summary << "\n";
    return kSuccess;
  }
  ConsoleUserInterface ui(yes);
  ConsoleProgressLog log;
  Args args(rest);
  Context ctx{programFolder, yes, ui, log, args};
  try {
    return cmd.run(ctx);
  } catch (const UsageError& e) {
    std::cerr << "tessary-cli " << commandName << ": " << e.what() << "\nUsage: tessary-cli " << cmd.usage << "\n";
    return kUsage;
  } catch (const std::exception& e) {
    // The general error display: the command stops here and says why.
    ui.statusClose();
    std::cerr << "Error: " << e.what() << "\n";
    return kFailure;
  }
}

}  // namespace tessary::cli

int main(int argc, char** argv) { return tessary::cli::run(argc, argv); }
