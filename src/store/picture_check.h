// Whether bytes offered as a picture are a whole picture file. A picture goes
// onto the published site as it is, so a file that is no picture, or one cut
// short, is refused before it reaches the blog file.
//
// The check walks the structure of JPEG (segments up to the end-of-image
// marker), PNG (chunks up to IEND) and GIF (blocks up to the trailer); every
// loop advances through the bytes, so crafted input cannot make it hang. Other
// formats a browser shows (BMP, WebP, ICO, TIFF, SVG) are recognised by their
// signature only.
#pragma once

#include <string>
#include <string_view>

#include "util/status.h"

namespace tessary::store {

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, WebP, Ico, Tiff, Svg };

// The format the bytes start with (Unknown when none).
PictureFormat sniffPictureFormat(std::string_view bytes);

// OK when the bytes are a complete picture; the message says what is wrong
// ("is not a picture", "is cut short", "is a PNG picture, not a JPEG one").
// The extension (with its dot, any case) names the format expected: ".jpg",
// ".jpeg", ".jpe" mean JPEG, ".png" PNG, ".gif" GIF; with any other extension
// every recognised format is accepted.
Status checkPictureBytes(std::string_view bytes, std::string_view extension);

const char* pictureFormatName(PictureFormat format);

}  // namespace tessary::store
