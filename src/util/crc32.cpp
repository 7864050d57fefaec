#include "util/crc32.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

namespace tessary::util {

// zlib's crc32 inverts the register before and after; starting it at ~0 and
// inverting its result gives the register that starts at 0 without inversion.
uint32_t CRC32Update(uint32_t crc, const void* data, size_t size) {
  uLong reg = static_cast<uLong>(crc) ^ 0xFFFFFFFFu;
  const auto* p = static_cast<const Bytef*>(data);
  while (size > 0) {
    const uInt chunk = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
    reg = crc32(reg, p, chunk);
    p += chunk;
    size -= chunk;
  }
  return static_cast<uint32_t>(reg ^ 0xFFFFFFFFu);
}

uint32_t CalculateCRC32String(std::string_view bytes) {
  return CRC32Update(0, bytes.data(), bytes.size());
}

uint32_t CalculateCRC32File(const std::string& fileName) {
  std::FILE* f = std::fopen(fileName.c_str(), "rb");
  if (!f) return 0;
  uint32_t crc = 0;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
    if (n > 0) crc = CRC32Update(crc, buffer.data(), n);
    if (n < buffer.size()) {
      if (std::ferror(f)) crc = 0;
      break;
    }
  }
  std::fclose(f);
  return crc;
}

}  // namespace tessary::util
