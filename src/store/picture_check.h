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

#include <cstdint>
#include <string>
#include <string_view>

#include "util/status.h"

namespace tessary::store {

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, WebP, Ico, Tiff, Svg };

// The format the bytes start with (Unknown when none).
PictureFormat sniffPictureFormat(std::string_view bytes);

// OK when the bytes are a complete picture of any recognised format, whatever
// the extension says (a whole PNG named ".jpg" is accepted); the message says
// what is wrong ("is empty", "is not a picture", "is cut short", "is damaged").
Status checkPictureBytes(std::string_view bytes, std::string_view extension);

const char* pictureFormatName(PictureFormat format);

// The format an extension (with its dot, any case) names: ".jpg", ".jpeg",
// ".jpe", ".jfif" JPEG, ".png" PNG, ".gif" GIF; Unknown for any other.
PictureFormat formatOfExtension(std::string_view extension);

// Width and height read by the reader of the format the bytes hold (JPEG, PNG
// or GIF; 0 and 0 when that reader finds no size). False, with 0 and 0, for
// any other content.
bool readPictureSize(std::string_view bytes, uint16_t& width, uint16_t& height);

// What the bytes hold, for a person: "a PNG picture of 300 x 200 pixels", with
// ", not a JPEG one as its name says" when the extension names another format,
// "(its size is not read)" when no size is found, "no picture" for the rest.
std::string describePicture(std::string_view bytes, std::string_view extension);

}  // namespace tessary::store
