#include "util/image_size.h"

#include <cstdio>
#include <memory>

namespace tessary::util {
namespace {

// A forward-only byte source over a file or a memory buffer. get() returns -1
// at the end; skip() never moves backwards.
class Source {
 public:
  virtual ~Source() = default;
  virtual int get() = 0;
  virtual void skip(uint64_t n) = 0;
  virtual bool read(unsigned char* out, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const int c = get();
      if (c < 0) return false;
      out[i] = static_cast<unsigned char>(c);
    }
    return true;
  }
  bool readBE16(uint16_t& v) {
    unsigned char b[2];
    if (!read(b, 2)) return false;
    v = static_cast<uint16_t>((b[0] << 8) | b[1]);
    return true;
  }
  bool readLE16(uint16_t& v) {
    unsigned char b[2];
    if (!read(b, 2)) return false;
    v = static_cast<uint16_t>((b[1] << 8) | b[0]);
    return true;
  }
};

class FileSource : public Source {
 public:
  explicit FileSource(std::FILE* f) : f_(f) {}
  ~FileSource() override { std::fclose(f_); }
  int get() override { return std::fgetc(f_); }
  void skip(uint64_t n) override {
    // Seeking past the end is allowed; the next read then reports the end.
    if (n > 0x7FFFFFFFu) n = 0x7FFFFFFFu;
    std::fseek(f_, static_cast<long>(n), SEEK_CUR);
  }

 private:
  std::FILE* f_;
};

class MemorySource : public Source {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  int get() override {
    if (pos_ >= bytes_.size()) return -1;
    return static_cast<unsigned char>(bytes_[pos_++]);
  }
  void skip(uint64_t n) override { pos_ = n > bytes_.size() - pos_ ? bytes_.size() : pos_ + n; }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

std::unique_ptr<Source> openOrThrow(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) throw FileOpenError("Cannot open file " + fileName);
  return std::make_unique<FileSource>(f);
}

void jpeg(Source& s, uint16_t& width, uint16_t& height) {
  unsigned char sig[2];
  if (!s.read(sig, 2) || sig[0] != 0xFF || sig[1] != 0xD8) return;
  int m = s.get();
  // Every pass reads at least one byte and never seeks backwards, so the scan
  // ends at the end of the file at the latest.
  while (m == 0xFF) {
    m = s.get();
    if (m < 0) break;
    if (m == 0xFF) continue;  // fill byte
    if (m == 0xC0 || m == 0xC1) {
      s.skip(3);
      uint16_t h = 0, w = 0;
      if (!s.readBE16(h)) break;
      height = h;
      if (!s.readBE16(w)) break;
      width = w;
      break;
    }
    if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
      m = 0xFF;
      continue;
    }
    uint16_t length = 0;
    if (!s.readBE16(length)) break;
    // A length below 2 would point back into the segment header: a damaged
    // file, and following it would loop for ever.
    if (length < 2) break;
    s.skip(length - 2u);
    m = s.get();
  }
}

void png(Source& s, uint16_t& width, uint16_t& height) {
  static const unsigned char kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  unsigned char sig[8];
  if (!s.read(sig, 8)) return;
  for (int i = 0; i < 8; ++i)
    if (sig[i] != kSignature[i]) return;
  s.skip(18 - 8);
  uint16_t w = 0, h = 0;
  if (!s.readBE16(w)) return;
  width = w;
  s.skip(22 - 20);
  if (!s.readBE16(h)) return;
  height = h;
}

void gif(Source& s, uint16_t& width, uint16_t& height) {
  unsigned char header[13];
  if (!s.read(header, 13)) return;
  if (header[0] != 'G' || header[1] != 'I' || header[2] != 'F') return;
  if (header[10] & 0x80) s.skip(3u * (1u << ((header[10] & 7) + 1)));
  for (;;) {
    const int c = s.get();
    if (c < 0) return;
    if (c == 0x2C) break;
  }
  unsigned char d[10];
  if (!s.read(d, 10)) return;
  width = static_cast<uint16_t>(d[4] | (d[5] << 8));
  height = static_cast<uint16_t>(d[6] | (d[7] << 8));
}

}  // namespace

void JpegSize(const std::string& fileName, uint16_t& width, uint16_t& height) {
  auto s = openOrThrow(fileName);
  jpeg(*s, width, height);
}

void PngSize(const std::string& fileName, uint16_t& width, uint16_t& height) {
  auto s = openOrThrow(fileName);
  png(*s, width, height);
}

void GifSize(const std::string& fileName, uint16_t& width, uint16_t& height) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return;
  FileSource s(f);
  gif(s, width, height);
}

void JpegSizeOfBytes(std::string_view bytes, uint16_t& width, uint16_t& height) {
  MemorySource s(bytes);
  jpeg(s, width, height);
}
void PngSizeOfBytes(std::string_view bytes, uint16_t& width, uint16_t& height) {
  MemorySource s(bytes);
  png(s, width, height);
}
void GifSizeOfBytes(std::string_view bytes, uint16_t& width, uint16_t& height) {
  MemorySource s(bytes);
  gif(s, width, height);
}

}  // namespace tessary::util
