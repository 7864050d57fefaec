// help: the overview of the command line, the usage of each command, and the
// topics of the program's help as plain text (the same topics as the desktop
// program's help window).
#include <iostream>

#include "cli/cli.h"
#include "cli/help_topics.h"

namespace tessary::cli {
namespace {

constexpr const char* kGlobalOptions =
    "Global options (before or after the command):\n"
    "  --program-folder DIR  the program folder: template packages, HTML/<blog name>/ output folders, backups\n"
    "                        (default: the executable's folder when it is writable and not under /usr,\n"
    "                        otherwise ~/.local/share/Tessary/Tessary)\n"
    "  --yes                 answer confirmations with Yes/OK (default: No/Cancel)\n"
    "  --verbose             on a terminal, print every line of the log instead of one progress line\n"
    "  -h, --help            show the help of the command on the line (or this overview)\n"
    "  --version             print the version\n";

// The text in lines of at most `width` characters (a longer word stands
// alone), each after `indent` blanks, the first after `first` instead.
std::string wrap(const std::string& text, size_t indent, size_t width, const std::string& first = {}) {
  std::string out, line = first.empty() ? std::string(indent, ' ') : first;
  bool empty = true;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    if (!empty && line.size() + 1 + word.size() > width) {
      out += line + "\n";
      line = std::string(indent, ' ');
      empty = true;
    }
    line += (empty ? "" : " ") + word;
    empty = false;
  }
  return out + line + "\n";
}

constexpr size_t kWidth = 100;

void printOverview() {
  std::cout << "Usage: tessary-cli [GLOBAL OPTIONS] COMMAND [ARGS]\n\n"
               "Tessary writes a blog into one blog file (.zdb) and publishes it as static HTML.\n"
               "A first blog:  tessary-cli new my.zdb --answers YYYNN && tessary-cli generate my.zdb\n\n"
            << kGlobalOptions << "\nCommands:\n";
  for (const auto& [name, c] : commands()) {
    std::string first = "  " + name;
    first += std::string(first.size() < 21 ? 21 - first.size() : 1, ' ');
    std::cout << wrap(c.summary, 21, kWidth, first);
  }
  std::cout << "\n\"tessary-cli help COMMAND\" (or \"tessary-cli COMMAND --help\") shows one command.\n"
               "\nHelp topics (tessary-cli help TOPIC prints one):\n";
  printHelpContents(std::cout);
}

int cmdHelp(Context& c) {
  const std::string word = c.args.optionalPositional().value_or("");
  c.args.finish();
  return showHelp(word);
}

const RegisterCommand kHelp({"help", "help [COMMAND | TOPIC]",
                             "Show the overview, the usage of one command, or a topic of the program's help as "
                             "plain text.",
                             cmdHelp});

}  // namespace

int showHelp(const std::string& word) {
  if (word.empty()) {
    printOverview();
    return kSuccess;
  }
  if (const auto it = commands().find(word); it != commands().end()) {
    std::cout << wrap(it->second.usage, 8, kWidth, "Usage: tessary-cli ") << "\n"
              << wrap(it->second.summary, 0, kWidth) << "\n"
              << kGlobalOptions;
    return kSuccess;
  }
  if (printHelpTopic(word, std::cout)) return kSuccess;
  std::cerr << "tessary-cli help: no command or help topic named \"" << word
            << "\" (tessary-cli help lists them)\n";
  return kUsage;
}

}  // namespace tessary::cli
