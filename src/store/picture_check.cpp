#include "store/picture_check.h"

#include <cstdint>
#include <cstring>

#include "util/image_size.h"
#include "util/text.h"

namespace tessary::store {

namespace {

uint32_t be16(std::string_view b, size_t p) {
  return (uint32_t{static_cast<unsigned char>(b[p])} << 8) | static_cast<unsigned char>(b[p + 1]);
}
uint32_t be32(std::string_view b, size_t p) { return (be16(b, p) << 16) | be16(b, p + 2); }
uint32_t le32(std::string_view b, size_t p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[p + static_cast<size_t>(i)]);
  return v;
}
unsigned char at(std::string_view b, size_t p) { return static_cast<unsigned char>(b[p]); }

const Status kCutShort = Status::Error("the picture is cut short (the file ends before the picture does)");
Status damaged(const char* what) { return Status::Error(std::string("the picture is damaged (") + what + ")"); }

// Segments up to the end-of-image marker; inside a scan, up to the next marker
// that is neither a stuffed 0xFF nor a restart marker.
Status walkJpeg(std::string_view b) {
  size_t p = 2;
  while (p < b.size()) {
    if (at(b, p) != 0xFF) {
      // Stray bytes between segments: decoders skip them, so do we.
      const void* ff = std::memchr(b.data() + p, 0xFF, b.size() - p);
      if (!ff) break;
      p = static_cast<size_t>(static_cast<const char*>(ff) - b.data());
    }
    while (p < b.size() && at(b, p) == 0xFF) ++p;  // fill bytes
    if (p >= b.size()) break;
    const unsigned char m = at(b, p);
    ++p;
    if (m == 0xD9) return Status::OK();
    if (m == 0x01 || (m >= 0xD0 && m <= 0xD7) || m == 0xD8) continue;  // no length
    if (p + 2 > b.size()) break;
    const uint32_t len = be16(b, p);
    if (len < 2) return damaged("a segment with a bad length");
    p += len;
    if (p > b.size()) break;
    if (m != 0xDA) continue;
    // Entropy-coded data follows the scan header.
    for (;;) {
      const void* ff = std::memchr(b.data() + p, 0xFF, b.size() - p);
      if (!ff) return kCutShort;
      p = static_cast<size_t>(static_cast<const char*>(ff) - b.data());
      if (p + 1 >= b.size()) return kCutShort;
      const unsigned char n = at(b, p + 1);
      if (n == 0x00 || n == 0xFF || (n >= 0xD0 && n <= 0xD7)) {
        p += n == 0xFF ? 1 : 2;
        continue;
      }
      break;  // a marker: back to the segment walk
    }
  }
  return kCutShort;
}

Status walkPng(std::string_view b) {
  size_t p = 8;
  bool first = true;
  while (p + 12 <= b.size()) {
    const uint32_t len = be32(b, p);
    if (len > 0x7FFFFFFFu) return damaged("a chunk with a bad length");
    const std::string_view type = b.substr(p + 4, 4);
    if (first && type != "IHDR") return damaged("no header chunk");
    first = false;
    if (b.size() - p - 12 < len) return kCutShort;
    if (type == "IEND") return Status::OK();
    p += 12 + len;
  }
  return kCutShort;
}

Status walkGif(std::string_view b) {
  if (b.size() < 13) return kCutShort;
  size_t p = 13;
  const unsigned char flags = at(b, 10);
  if (flags & 0x80) p += 3u * (2u << (flags & 7));
  auto skipSubBlocks = [&]() -> bool {
    while (p < b.size()) {
      const size_t n = at(b, p);
      ++p;
      if (n == 0) return true;
      p += n;
    }
    return false;
  };
  while (p < b.size()) {
    const unsigned char c = at(b, p);
    if (c == 0x3B) return Status::OK();
    if (c == 0x21) {
      p += 2;
      if (!skipSubBlocks()) return kCutShort;
    } else if (c == 0x2C) {
      if (p + 10 > b.size()) return kCutShort;
      const unsigned char f = at(b, p + 9);
      p += 10;
      if (f & 0x80) p += 3u * (2u << (f & 7));
      ++p;  // LZW minimum code size
      if (!skipSubBlocks()) return kCutShort;
    } else {
      return damaged("an unknown block");
    }
  }
  return kCutShort;
}

bool startsWithBytes(std::string_view b, std::string_view sig) { return b.substr(0, sig.size()) == sig; }

bool looksLikeSvg(std::string_view b) {
  std::string_view head = b.substr(0, 4096);
  if (startsWithBytes(head, "\xEF\xBB\xBF")) head.remove_prefix(3);
  size_t i = 0;
  while (i < head.size() && static_cast<unsigned char>(head[i]) <= 32) ++i;
  head.remove_prefix(i);
  if (!util::startsWithNoCase(head, "<?xml") && !util::startsWithNoCase(head, "<svg") &&
      !util::startsWithNoCase(head, "<!--") && !util::startsWithNoCase(head, "<!doctype svg"))
    return false;
  return util::findNoCase(head, "<svg") != std::string_view::npos;
}

}  // namespace

PictureFormat sniffPictureFormat(std::string_view b) {
  if (startsWithBytes(b, "\xFF\xD8\xFF")) return PictureFormat::Jpeg;
  if (startsWithBytes(b, std::string_view("\x89PNG\r\n\x1A\n", 8))) return PictureFormat::Png;
  if (startsWithBytes(b, "GIF87a") || startsWithBytes(b, "GIF89a")) return PictureFormat::Gif;
  if (startsWithBytes(b, "BM") && b.size() >= 26) return PictureFormat::Bmp;
  if (b.size() >= 12 && startsWithBytes(b, "RIFF") && b.substr(8, 4) == "WEBP") return PictureFormat::WebP;
  if (b.size() >= 6 && startsWithBytes(b, std::string_view("\0\0\1\0", 4)) && (at(b, 4) | at(b, 5)) != 0)
    return PictureFormat::Ico;
  if (startsWithBytes(b, std::string_view("II*\0", 4)) || startsWithBytes(b, std::string_view("MM\0*", 4)))
    return PictureFormat::Tiff;
  if (looksLikeSvg(b)) return PictureFormat::Svg;
  return PictureFormat::Unknown;
}

const char* pictureFormatName(PictureFormat f) {
  switch (f) {
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::WebP: return "WebP";
    case PictureFormat::Ico: return "ICO";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Svg: return "SVG";
    case PictureFormat::Unknown: break;
  }
  return "unknown";
}

PictureFormat formatOfExtension(std::string_view extension) {
  const std::string ext = util::lowerAscii(extension);
  if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif") return PictureFormat::Jpeg;
  if (ext == ".png") return PictureFormat::Png;
  if (ext == ".gif") return PictureFormat::Gif;
  return PictureFormat::Unknown;
}

bool readPictureSize(std::string_view bytes, uint16_t& width, uint16_t& height) {
  width = height = 0;
  switch (sniffPictureFormat(bytes)) {
    case PictureFormat::Jpeg: util::JpegSizeOfBytes(bytes, width, height); break;
    case PictureFormat::Png: util::PngSizeOfBytes(bytes, width, height); break;
    case PictureFormat::Gif: util::GifSizeOfBytes(bytes, width, height); break;
    default: return false;
  }
  return true;
}

std::string describePicture(std::string_view bytes, std::string_view extension) {
  const PictureFormat found = sniffPictureFormat(bytes);
  if (found == PictureFormat::Unknown) return "no picture";
  std::string text = std::string("a ") + pictureFormatName(found) + " picture";
  uint16_t w = 0, h = 0;
  if (readPictureSize(bytes, w, h) && (w != 0 || h != 0))
    text += " of " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
  else
    text += " (its size is not read)";
  const PictureFormat named = formatOfExtension(extension);
  if (named != PictureFormat::Unknown && named != found)
    text += std::string(", not a ") + pictureFormatName(named) + " one as its name says";
  return text;
}

Status checkPictureBytes(std::string_view b, std::string_view /*extension*/) {
  if (b.empty()) return Status::Error("the file is empty");
  // What the bytes hold decides, not the name: a whole PNG named ".jpg" is a
  // picture a browser shows.
  const PictureFormat found = sniffPictureFormat(b);
  if (found == PictureFormat::Unknown)
    return Status::Error("the file is not a picture (not JPEG, PNG, GIF, BMP, WebP, ICO, TIFF or SVG)");
  switch (found) {
    case PictureFormat::Jpeg: return walkJpeg(b);
    case PictureFormat::Png: return walkPng(b);
    case PictureFormat::Gif: return walkGif(b);
    case PictureFormat::Bmp: return le32(b, 2) > b.size() ? kCutShort : Status::OK();
    case PictureFormat::WebP: return uint64_t{le32(b, 4)} + 8 > b.size() ? kCutShort : Status::OK();
    case PictureFormat::Svg:
      return util::findNoCase(b, "</svg") == std::string_view::npos && util::findNoCase(b, "/>") == std::string_view::npos
                 ? kCutShort
                 : Status::OK();
    default: return Status::OK();
  }
}

}  // namespace tessary::store
