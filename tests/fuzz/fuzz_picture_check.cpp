// Feeds arbitrary bytes to the check that a picture is whole, under each
// extension that selects a structure walk: it must neither read past the bytes
// nor loop.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const char* ext : {".jpg", ".png", ".gif", ".svg"}) (void)tessary::store::checkPictureBytes(bytes, ext);
  return 0;
}
