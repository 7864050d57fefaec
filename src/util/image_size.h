// Picture dimensions read from a file's header, for the picture list of a blog.
// Each reader leaves width and height as the caller set them (0) when it finds no
// size; a file shorter than expected ends the reading with what was found so far.
// The readers never read past the end of the file and every loop advances, so a
// crafted file cannot make them hang.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessary::util {

// Raised by JpegSize and PngSize when the file cannot be opened.
class FileOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

void JpegSize(const std::string& fileName, uint16_t& width, uint16_t& height);
void PngSize(const std::string& fileName, uint16_t& width, uint16_t& height);
// GifSize returns silently with nothing found when the file cannot be opened.
void GifSize(const std::string& fileName, uint16_t& width, uint16_t& height);

// The same readers over bytes in memory (the fuzz targets and tests use them).
void JpegSizeOfBytes(std::string_view bytes, uint16_t& width, uint16_t& height);
void PngSizeOfBytes(std::string_view bytes, uint16_t& width, uint16_t& height);
void GifSizeOfBytes(std::string_view bytes, uint16_t& width, uint16_t& height);

}  // namespace tessary::util
