#include "util/image_size.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tessary::util {
namespace {

std::string be16(int v) { return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)}; }
std::string le16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }

std::string jpeg(int frameMarker, int width, int height) {
  std::string j = "\xFF\xD8";
  // An APP0 segment, fill bytes, a restart marker, then the frame header.
  j += "\xFF\xE0" + be16(16) + std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14);
  j += "\xFF\xFF";
  j += std::string("\xFF") + static_cast<char>(frameMarker) + be16(17) + "\x08" + be16(height) + be16(width) +
       std::string(12, '\0');
  return j;
}

std::string png(uint32_t width, uint32_t height) {
  std::string p = "\x89PNG\r\n\x1a\n";
  p += std::string("\0\0\0\x0dIHDR", 8);
  for (int s = 24; s >= 0; s -= 8) p += static_cast<char>((width >> s) & 0xFF);
  for (int s = 24; s >= 0; s -= 8) p += static_cast<char>((height >> s) & 0xFF);
  p += std::string(5, '\0');
  return p;
}

std::string gif(bool globalTable, int width, int height) {
  std::string g = "GIF89a" + le16(999) + le16(888);
  g += static_cast<char>(globalTable ? 0x81 : 0x00);  // 2^(1+1) = 4 colours
  g += std::string(2, '\0');
  if (globalTable) g += std::string(12, '\x2C');  // commas inside the table must be skipped
  g += "\x2C" + le16(0) + le16(0) + le16(width) + le16(height) + std::string(3, '\0');
  return g;
}

struct Size {
  uint16_t w = 0, h = 0;
};

Size jpegOf(const std::string& b) { Size s; JpegSizeOfBytes(b, s.w, s.h); return s; }
Size pngOf(const std::string& b) { Size s; PngSizeOfBytes(b, s.w, s.h); return s; }
Size gifOf(const std::string& b) { Size s; GifSizeOfBytes(b, s.w, s.h); return s; }

TEST(ImageSizeTest, BaselineJpegGivesItsSizeProgressiveNone) {
  Size s = jpegOf(jpeg(0xC0, 640, 480));
  EXPECT_EQ(s.w, 640);
  EXPECT_EQ(s.h, 480);
  s = jpegOf(jpeg(0xC1, 33, 44));
  EXPECT_EQ(s.w, 33);
  s = jpegOf(jpeg(0xC2, 640, 480));
  EXPECT_EQ(s.w, 0);
  EXPECT_EQ(s.h, 0);
}

TEST(ImageSizeTest, PngIsNotAJpegAndWidthIsTakenModulo65536) {
  EXPECT_EQ(jpegOf(png(10, 10)).w, 0);
  Size s = pngOf(png(70000, 300));
  EXPECT_EQ(s.w, 70000 % 65536);
  EXPECT_EQ(s.h, 300);
  // The 16-bit halves at offsets 18 and 22 are the low halves of the 32-bit values.
  EXPECT_EQ(pngOf(png(640, 480)).w, 640);
}

TEST(ImageSizeTest, GifDescriptorSizeWithAndWithoutColourTable) {
  Size s = gifOf(gif(true, 120, 60));
  EXPECT_EQ(s.w, 120);
  EXPECT_EQ(s.h, 60);
  s = gifOf(gif(false, 7, 9));
  EXPECT_EQ(s.w, 7);
  EXPECT_EQ(s.h, 9);
  EXPECT_EQ(gifOf("gif89a" + gif(false, 7, 9).substr(6)).w, 0);  // "GIF" compared with case
}

TEST(ImageSizeTest, ShortFilesKeepWhatWasFound) {
  const std::string p = png(640, 480);
  Size s = pngOf(p.substr(0, 21));
  EXPECT_EQ(s.w, 640);
  EXPECT_EQ(s.h, 0);
  const std::string j = jpeg(0xC0, 640, 480);
  const size_t heightAt = j.find(std::string("\xFF\xC0", 2)) + 5;
  s = jpegOf(j.substr(0, heightAt + 3));
  EXPECT_EQ(s.h, 480);
  EXPECT_EQ(s.w, 0);
  EXPECT_EQ(gifOf(gif(false, 7, 9).substr(0, 20)).w, 0);
  EXPECT_EQ(jpegOf("").w, 0);
  EXPECT_EQ(pngOf("\x89PNG").w, 0);
}

TEST(ImageSizeTest, CraftedJpegSegmentLengthsEnd) {
  // Lengths 0 and 1 would point backwards; a huge length runs past the end.
  for (int len : {0, 1, 0xFFFF}) {
    std::string j = "\xFF\xD8\xFF\xE1" + be16(len) + std::string(8, '\xFF');
    EXPECT_EQ(jpegOf(j).w, 0) << len;
  }
  EXPECT_EQ(jpegOf(std::string("\xFF\xD8") + std::string(10000, '\xFF')).w, 0);
}

TEST(ImageSizeTest, FileReadersAndMissingFiles) {
  testing::TempDir dir;
  testing::writeFile(dir.file("a.jpg"), jpeg(0xC0, 640, 480));
  testing::writeFile(dir.file("b.png"), png(16, 32));
  testing::writeFile(dir.file("c.gif"), gif(true, 5, 6));
  testing::writeFile(dir.file("png.jpg"), png(16, 32));
  uint16_t w = 0, h = 0;
  JpegSize(dir.file("a.jpg"), w, h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  w = h = 0;
  PngSize(dir.file("b.png"), w, h);
  EXPECT_EQ(h, 32);
  w = h = 0;
  GifSize(dir.file("c.gif"), w, h);
  EXPECT_EQ(w, 5);
  w = h = 0;
  JpegSize(dir.file("png.jpg"), w, h);
  EXPECT_EQ(w, 0);
  EXPECT_THROW(JpegSize(dir.file("none.jpg"), w, h), FileOpenError);
  EXPECT_THROW(PngSize(dir.file("none.png"), w, h), FileOpenError);
  GifSize(dir.file("none.gif"), w, h);  // silent
  EXPECT_EQ(w, 0);
}

}  // namespace
}  // namespace tessary::util
