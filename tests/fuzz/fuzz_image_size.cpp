// Feeds arbitrary bytes to the three picture readers: they must neither read
// past the bytes nor loop.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "util/image_size.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  uint16_t w = 0, h = 0;
  tessary::util::JpegSizeOfBytes(bytes, w, h);
  tessary::util::PngSizeOfBytes(bytes, w, h);
  tessary::util::GifSizeOfBytes(bytes, w, h);
  return 0;
}
