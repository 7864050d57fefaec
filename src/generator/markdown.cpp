#include "generator/markdown.h"

#include <md4c-html.h>

#include <limits>

namespace tessary::generator {

namespace {
void append(const MD_CHAR* text, MD_SIZE size, void* out) { static_cast<std::string*>(out)->append(text, size); }
}  // namespace

std::string markdownToHtml(std::string_view text) {
  if (text.size() > std::numeric_limits<MD_SIZE>::max()) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 4 + 16);
  const int rc = md_html(text.data(), static_cast<MD_SIZE>(text.size()), append, &out, MD_DIALECT_GITHUB,
                         MD_HTML_FLAG_SKIP_UTF8_BOM);
  if (rc != 0) return std::string(text);
  // The converter ends every block with a line feed; the last one is the
  // template's business.
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace tessary::generator
