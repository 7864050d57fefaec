// tessary-cli: the headless front end. Global options (--program-folder DIR,
// --yes, --verbose, --help, --version) may stand anywhere on the line. Exit status: 0 success, 1 a
// failure reported to the user, 2 wrong usage.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>

#include "cli/cli.h"
#include "store/database.h"
#include "templates/package.h"
#include "util/files.h"
#include "util/text.h"

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

// The program folder as the desktop program chooses it: the executable's folder
// when it is writable (a build tree, a portable copy), otherwise the per-user
// data folder. An installed program never writes beside itself.
std::string defaultProgramFolder(const char* argv0) {
  const std::string exe = executableFolder(argv0);
  const bool installed = exe == "/usr" || util::startsWith(exe, "/usr/");
  if (!installed && ::access(exe.c_str(), W_OK) == 0) return exe;
  std::string data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    data = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    data = util::joinPath(home, ".local/share");
  } else {
    return exe;
  }
  const std::string folder = util::joinPath(data, "Tessary/Tessary");
  if (!util::createDirectories(folder).ok()) return exe;
  return folder;
}

// The commands that load "@default.tem" from the program folder.
bool usesDefaultTemplate(const std::string& command) {
  return command == "generate" || command == "demo" || command == "template-preview";
}

// A program folder without "@default.tem" gets the built-in package once, so
// that generation finds it there instead of falling back on every run.
void provideDefaultTemplate(const std::string& programFolder) {
  if (!util::directoryExists(programFolder)) return;
  bool written = false;
  const Status s = templates::ensureDefaultTemplatePackage(programFolder, written);
  if (!s.ok())
    std::cerr << s.message() << " (the built-in template package is used instead)\n";
  else if (written)
    std::cerr << "Wrote the built-in template package to "
              << util::joinPath(programFolder, templates::kDefaultTemplateFile) << "\n";
}

}  // namespace

int run(int argc, char** argv) {
  std::vector<std::string> rest;
  std::optional<std::string> programFolder;
  bool yes = false, verbose = false, help = false;
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
    } else if (a == "--verbose") {
      verbose = true;
    } else if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--version") {
      std::cout << "tessary-cli " << TESSARY_VERSION << "\n";
      return kSuccess;
    } else if (commandName.empty() && (a.empty() || a[0] != '-')) {
      commandName = a;
    } else {
      rest.push_back(a);
    }
  }
  if (help) return showHelp(commandName == "help" && !rest.empty() ? rest.front() : commandName);
  if (commandName.empty()) {
    showHelp("");
    return kUsage;
  }
  const auto it = commands().find(commandName);
  if (it == commands().end()) {
    std::cerr << "Unknown command: " << commandName << "\nRun \"tessary-cli help\" for the list of commands.\n";
    return kUsage;
  }
  const Command& cmd = it->second;
  if (!programFolder) programFolder = defaultProgramFolder(argv[0]);
  for (const std::string& a : rest)
    if (util::endsWithNoCase(a, ".zdb")) {
      setHintBlogFile(a);
      break;
    }
  if (usesDefaultTemplate(commandName)) provideDefaultTemplate(*programFolder);
  ConsoleUserInterface ui(yes);
  ConsoleProgressLog log(ConsoleStyle::detect(verbose));
  Args args(rest);
  Context ctx{*programFolder, yes, ui, log, args};
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
