#include "export/export_text.h"

#include <algorithm>

namespace tessary::export_ {

std::u16string toUtf16(std::string_view s, size_t maxUnits) {
  std::u16string out;
  out.reserve(std::min(s.size(), maxUnits));
  size_t pos = 0;
  while (pos < s.size() && out.size() < maxUnits) {
    const char32_t c = nextChar(s, pos);
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
    } else {
      if (out.size() + 2 > maxUnits) break;
      const char32_t v = c - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    }
  }
  return out;
}

}  // namespace tessary::export_
