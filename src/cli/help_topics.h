// The program's help as plain text: every topic of the help window's contents,
// converted at build time from the same documents (help_gen/help_text_gen.cpp),
// so that tessary-cli prints the help without Qt.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace tessary::cli {

struct HelpTopicText {
  const char* name;   // the topic name, as the windows ask for it ("OptionsFTP")
  const char* title;  // the contents line ("FTP Options")
  int level;          // 0 to 3, the contents' nesting
  const char* text;   // the document as plain text, wrapped at 78 columns
};

extern const HelpTopicText kHelpTopics[];
extern const size_t kHelpTopicCount;

// The topic of a name: exact first, else compared without case; nullptr when none.
const HelpTopicText* findHelpTopic(const std::string& name);

// Writes the contents, one topic a line, indented by level: name and title.
void printHelpContents(std::ostream& out);

// Writes a topic's text; false (and nothing written) when there is no such topic.
bool printHelpTopic(const std::string& name, std::ostream& out);

}  // namespace tessary::cli
