// zlib streams (RFC 1950) for the memo and blob columns of a blog file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/status.h"

namespace tessary::util {

// Compresses at level 9.
std::string zlibCompress(std::string_view bytes);
// Inflates a zlib stream. Fails on a damaged stream, trailing garbage, or output
// beyond maxBytes (a blog file cannot make us allocate without bound).
// `out` is left as it was on failure; the output buffer never grows past maxBytes.
Status zlibDecompress(std::string_view stream, std::string& out, uint64_t maxBytes = uint64_t{1} << 31);
// True for the failure of a stream that inflates to more than maxBytes (as
// opposed to a damaged one).
bool isTooLarge(const Status& st);

}  // namespace tessary::util
