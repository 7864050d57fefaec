// UTF-8 as the program reads it. Blog texts are UTF-8; a file written by an
// older version may still hold single bytes of the Windows ANSI code page, which
// are read as Windows-1252 characters rather than passed on as broken UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tessary::util {

// Decodes the character at s[pos] and moves pos past it. A byte that does not
// start a well-formed UTF-8 sequence is one Windows-1252 character.
// REQUIRES: pos < s.size().
char32_t nextChar(std::string_view s, size_t& pos);

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t c);

// The text as well-formed UTF-8 (stray bytes decoded as above).
std::string toValidUtf8(std::string_view s);

}  // namespace tessary::util
