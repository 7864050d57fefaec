#include "util/text.h"

#include <charconv>

namespace tessary::util {
namespace {
inline bool isTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }
inline char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
}  // namespace

std::string trim(std::string_view s) { return trimRight(trimLeft(s)); }

std::string trimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && isTrimmed(s[b])) ++b;
  return std::string(s.substr(b));
}

std::string trimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && isTrimmed(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}

int compareNoCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(upper(a[i]));
    const auto cb = static_cast<unsigned char>(upper(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string upperAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = upper(c);
  return r;
}

std::string lowerAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = lower(c);
  return r;
}

size_t byteOffsetOfChar(std::string_view s, size_t count) {
  size_t i = 0;
  for (size_t n = 0; n < count && i < s.size(); ++n) {
    ++i;
    // A lead byte owns at most three continuation bytes.
    for (int k = 0; k < 3 && i < s.size() && isContinuation(static_cast<unsigned char>(s[i])); ++k) ++i;
  }
  return i;
}

size_t charCount(std::string_view s) {
  size_t n = 0, i = 0;
  while (i < s.size()) {
    ++i;
    for (int k = 0; k < 3 && i < s.size() && isContinuation(static_cast<unsigned char>(s[i])); ++k) ++i;
    ++n;
  }
  return n;
}

std::string leftChars(std::string_view s, size_t count) {
  return std::string(s.substr(0, byteOffsetOfChar(s, count)));
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string r;
  r.reserve(s.size());
  size_t pos = 0;
  for (;;) {
    const size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    r.append(s.substr(pos, hit - pos));
    r.append(to);
    pos = hit + from.size();
  }
  r.append(s.substr(pos));
  return r;
}

size_t findNoCase(std::string_view s, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= s.size() ? from : std::string_view::npos;
  if (needle.size() > s.size()) return std::string_view::npos;
  const char first = upper(needle[0]);
  for (size_t i = from; i + needle.size() <= s.size(); ++i) {
    if (upper(s[i]) != first) continue;
    size_t k = 1;
    while (k < needle.size() && upper(s[i + k]) == upper(needle[k])) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

std::string replaceAllNoCase(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string r;
  r.reserve(s.size());
  size_t pos = 0;
  for (;;) {
    const size_t hit = findNoCase(s, from, pos);
    if (hit == std::string_view::npos) break;
    r.append(s.substr(pos, hit - pos));
    r.append(to);
    pos = hit + from.size();
  }
  r.append(s.substr(pos));
  return r;
}

namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// True when s[at] is the "&" of a character reference: "&" name ";" with a name
// of a letter and up to 31 letters or digits, "&#" and 1 to 8 digits ";", or
// "&#x" and 1 to 8 hex digits ";". The look-ahead is bounded.
bool startsCharacterReference(std::string_view s, size_t at) {
  size_t i = at + 1;
  size_t first = i, limit = 0;
  bool (*allowed)(char) = nullptr;
  if (i < s.size() && isAsciiLetter(s[i])) {
    allowed = [](char c) { return isAsciiLetter(c) || isAsciiDigit(c); };
    limit = 32;
  } else if (i + 1 < s.size() && s[i] == '#' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    first = i += 2;
    allowed = isHexDigit;
    limit = 8;
  } else if (i < s.size() && s[i] == '#') {
    first = ++i;
    allowed = isAsciiDigit;
    limit = 8;
  } else {
    return false;
  }
  while (i < s.size() && i - first < limit && allowed(s[i])) ++i;
  return i > first && i < s.size() && s[i] == ';';
}

}  // namespace

std::string escapeAttributeValue(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"')
      out += "&quot;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '&' && !startsCharacterReference(s, i))
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool endsWith(std::string_view s, std::string_view x) {
  return s.size() >= x.size() && s.substr(s.size() - x.size()) == x;
}
bool startsWithNoCase(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && equalsNoCase(s.substr(0, p.size()), p);
}
bool endsWithNoCase(std::string_view s, std::string_view x) {
  return s.size() >= x.size() && equalsNoCase(s.substr(s.size() - x.size()), x);
}

std::vector<std::string> split(std::string_view s, char separator) {
  std::vector<std::string> parts;
  size_t pos = 0;
  for (;;) {
    const size_t hit = s.find(separator, pos);
    if (hit == std::string_view::npos) {
      parts.emplace_back(s.substr(pos));
      return parts;
    }
    parts.emplace_back(s.substr(pos, hit - pos));
    pos = hit + 1;
  }
}

bool parseInt(std::string_view s, int& value) {
  const std::string t = trim(s);
  std::string_view v = t;
  if (!v.empty() && v[0] == '+') v.remove_prefix(1);
  if (v.empty()) return false;
  int parsed = 0;
  const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), parsed);
  if (ec != std::errc() || ptr != v.data() + v.size()) return false;
  value = parsed;
  return true;
}

int toIntDef(std::string_view s, int fallback) {
  int v = fallback;
  return parseInt(s, v) ? v : fallback;
}

}  // namespace tessary::util
