// Text as the exports hand it on: UTF-8 read as util/utf8.h says, and UTF-16
// for the workbook.
#pragma once

#include <string>
#include <string_view>

#include "util/utf8.h"

namespace tessary::export_ {

using util::appendUtf8;
using util::nextChar;
using util::toValidUtf8;

// The text as UTF-16, cut after at most maxUnits code units without splitting a
// surrogate pair.
std::u16string toUtf16(std::string_view s, size_t maxUnits);

}  // namespace tessary::export_
