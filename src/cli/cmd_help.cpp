// "help": the usage of a command, or a topic of the program's help as plain
// text (the same topics as the desktop program's help window).
#include <iostream>

#include "cli/cli.h"
#include "cli/help_topics.h"

namespace tessary::cli {
namespace {

int runHelp(Context& ctx) {
  const std::optional<std::string> word = ctx.args.optionalPositional();
  ctx.args.finish();
  if (!word) {
    std::cout << "Commands (tessary-cli help COMMAND shows its usage):\n";
    for (const auto& [name, c] : commands()) std::cout << "  " << name << "\n";
    std::cout << "\nHelp topics (tessary-cli help TOPIC prints one):\n";
    printHelpContents(std::cout);
    return kSuccess;
  }
  if (const auto it = commands().find(*word); it != commands().end()) {
    std::cout << "Usage: tessary-cli " << it->second.usage << "\n" << it->second.summary << "\n";
    return kSuccess;
  }
  if (printHelpTopic(*word, std::cout)) return kSuccess;
  throw UsageError("no command or help topic named \"" + *word + "\" (tessary-cli help lists them)");
}

const RegisterCommand kHelp({"help", "help [COMMAND | TOPIC]",
                             "the usage of a command, or a topic of the program's help as plain text", runHelp});

}  // namespace
}  // namespace tessary::cli
