#include "util/compression.h"

#include <zlib.h>

#include <stdexcept>

namespace tessary::util {

namespace {

constexpr const char* kTooLarge = "compressed value too large";

// One deflate state per thread, reset between values: setting up a level-9
// state allocates and clears about 256 KiB, which costs more than compressing
// a page of text.
struct Deflater {
  z_stream zs{};
  bool ready = false;
  Deflater() { ready = deflateInit(&zs, 9) == Z_OK; }
  ~Deflater() {
    if (ready) deflateEnd(&zs);
  }
};

}  // namespace

std::string zlibCompress(std::string_view bytes) {
  thread_local Deflater d;
  if (!d.ready) throw std::runtime_error("zlib initialisation failed");
  deflateReset(&d.zs);
  std::string out;
  out.resize(deflateBound(&d.zs, static_cast<uLong>(bytes.size())));
  d.zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  d.zs.avail_in = static_cast<uInt>(bytes.size());
  d.zs.next_out = reinterpret_cast<Bytef*>(out.data());
  d.zs.avail_out = static_cast<uInt>(out.size());
  if (deflate(&d.zs, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib compression failed");
  out.resize(d.zs.total_out);
  return out;
}

Status zlibDecompress(std::string_view stream, std::string& out, uint64_t maxBytes) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return Status::Error("zlib initialisation failed");
  std::string result;
  result.resize(stream.size() * 4 + 64 < maxBytes ? stream.size() * 4 + 64 : static_cast<size_t>(maxBytes));
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  zs.avail_in = static_cast<uInt>(stream.size());
  size_t produced = 0;
  int rc = Z_OK;
  for (;;) {
    if (produced == result.size()) {
      if (result.size() >= maxBytes) {
        // Full at the limit: fine only when the stream ends here.
        unsigned char probe = 0;
        zs.next_out = &probe;
        zs.avail_out = 1;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_STREAM_END && zs.avail_out == 1) break;
        inflateEnd(&zs);
        return Status::Error(zs.avail_out == 0 ? kTooLarge : "damaged compressed value");
      }
      size_t grow = result.size() * 2;
      if (grow > maxBytes) grow = static_cast<size_t>(maxBytes);
      result.resize(grow);
    }
    zs.next_out = reinterpret_cast<Bytef*>(result.data() + produced);
    zs.avail_out = static_cast<uInt>(result.size() - produced);
    rc = inflate(&zs, Z_NO_FLUSH);
    produced = result.size() - zs.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && !(rc == Z_BUF_ERROR && zs.avail_out == 0)) {
      inflateEnd(&zs);
      return Status::Error("damaged compressed value");
    }
  }
  const bool trailing = zs.avail_in != 0;
  inflateEnd(&zs);
  if (trailing) return Status::Error("damaged compressed value");
  result.resize(produced);
  out.swap(result);
  return Status::OK();
}

bool isTooLarge(const Status& st) { return !st.ok() && st.message() == kTooLarge; }

}  // namespace tessary::util
