// Entry texts written in Markdown: CommonMark with the common extensions
// (tables, strikethrough, task lists, autolinks of bare addresses); HTML
// written in the text is kept as it stands.
#pragma once

#include <string>
#include <string_view>

namespace tessary::generator {

// The HTML of a Markdown text. A text the converter cannot take (it never
// refuses valid UTF-8; only an allocation failure inside it) comes back as
// it stands rather than lost.
std::string markdownToHtml(std::string_view text);

}  // namespace tessary::generator
