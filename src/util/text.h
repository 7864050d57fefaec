// Text helpers. Texts are UTF-8 in std::string; a "character" is a Unicode code
// point, and every cut lands on a character boundary.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessary::util {

// Removes leading and trailing characters of codes 0 to 32.
std::string trim(std::string_view s);
std::string trimLeft(std::string_view s);
std::string trimRight(std::string_view s);

// Letters a to z equal A to Z, no other folding.
bool equalsNoCase(std::string_view a, std::string_view b);
int compareNoCase(std::string_view a, std::string_view b);
std::string upperAscii(std::string_view s);
std::string lowerAscii(std::string_view s);

// The number of characters (code points) of s; a stray byte counts as one.
size_t charCount(std::string_view s);
// Returns the first `count` characters of s, never cutting inside a character.
std::string leftChars(std::string_view s, size_t count);
// Byte offset of the character number `count` (or s.size() when s is shorter).
size_t byteOffsetOfChar(std::string_view s, size_t count);

// Replaces every occurrence of `from` in s by `to`, left to right, without
// looking again at what was put in. An empty `from` changes nothing.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);
// The same, with `from` matched without case.
std::string replaceAllNoCase(std::string_view s, std::string_view from, std::string_view to);

// A text for the inside of an HTML attribute value: every '"' becomes "&quot;",
// every '<' "&lt;", and every '&' "&amp;" unless it already begins a character
// reference ("&name;", "&#123;", "&#x1F;"), so that a value written as HTML is
// not escaped twice.
std::string escapeAttributeValue(std::string_view s);

bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);
bool startsWithNoCase(std::string_view s, std::string_view prefix);
bool endsWithNoCase(std::string_view s, std::string_view suffix);
// Position of `needle` in s at or after `from`, matched without case; npos when absent.
size_t findNoCase(std::string_view s, std::string_view needle, size_t from = 0);

std::vector<std::string> split(std::string_view s, char separator);

// Parses a whole decimal integer (an optional sign, digits, surrounding blanks
// allowed). Returns false, leaving `value` alone, on anything else or overflow.
bool parseInt(std::string_view s, int& value);
// Like parseInt, returning `fallback` when the text is not a number.
int toIntDef(std::string_view s, int fallback);

}  // namespace tessary::util
