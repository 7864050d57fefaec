#include "cli/help_topics.h"

#include "util/text.h"

namespace tessary::cli {

const HelpTopicText* findHelpTopic(const std::string& name) {
  for (size_t i = 0; i < kHelpTopicCount; ++i)
    if (name == kHelpTopics[i].name) return &kHelpTopics[i];
  for (size_t i = 0; i < kHelpTopicCount; ++i)
    if (util::equalsNoCase(name, kHelpTopics[i].name)) return &kHelpTopics[i];
  return nullptr;
}

void printHelpContents(std::ostream& out) {
  for (size_t i = 0; i < kHelpTopicCount; ++i) {
    const HelpTopicText& t = kHelpTopics[i];
    const std::string name = std::string(static_cast<size_t>(t.level) * 2, ' ') + t.name;
    out << name << std::string(name.size() < 34 ? 34 - name.size() : 1, ' ') << t.title << "\n";
  }
}

bool printHelpTopic(const std::string& name, std::ostream& out) {
  const HelpTopicText* t = findHelpTopic(name);
  if (!t) return false;
  out << t->text << "\n";
  return true;
}

}  // namespace tessary::cli
