#include "util/digest.h"

#include <elf.h>
#include <link.h>

#include <cstring>

namespace tessary::util {

namespace {

constexpr uint64_t kMul1 = 0x87c37b91114253d5ULL;
constexpr uint64_t kMul2 = 0x4cf5ad432745937fULL;

uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

uint64_t finalMix(uint64_t k) {
  k ^= k >> 33;
  k *= 0xff51afd7ed558ccdULL;
  k ^= k >> 33;
  k *= 0xc4ceb9fe1a85ec53ULL;
  k ^= k >> 33;
  return k;
}

}  // namespace

void Digest::mix(uint64_t word) {
  word *= kMul1;
  word = rotl(word, 31);
  word *= kMul2;
  h_ ^= word;
  h_ = rotl(h_, 27) * 5 + 0x52dce729;
  ++count_;
}

Digest& Digest::add(std::string_view bytes) {
  mix(static_cast<uint64_t>(bytes.size()) ^ 0x5a5a000000000000ULL);
  const char* p = bytes.data();
  size_t n = bytes.size();
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    mix(w);
  }
  if (n > 0) {
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    mix(w);
  }
  return *this;
}

Digest& Digest::add(int64_t value) {
  mix(0xa5a5000000000001ULL);
  mix(static_cast<uint64_t>(value));
  return *this;
}

Digest& Digest::addDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  mix(0xa5a5000000000002ULL);
  mix(bits);
  return *this;
}

uint64_t Digest::value() const {
  const uint64_t v = finalMix(h_ ^ count_);
  return v == 0 ? 1 : v;
}

namespace {

// The GNU build id of one loaded object, or empty.
std::string buildIdOf(const dl_phdr_info& info) {
  for (int i = 0; i < info.dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info.dlpi_phdr[i];
    if (ph.p_type != PT_NOTE) continue;
    const char* p = reinterpret_cast<const char*>(info.dlpi_addr + ph.p_vaddr);
    size_t left = ph.p_memsz;
    while (left >= sizeof(ElfW(Nhdr))) {
      ElfW(Nhdr) note;
      std::memcpy(&note, p, sizeof note);
      const size_t nameSize = (note.n_namesz + 3u) & ~size_t{3};
      const size_t descSize = (note.n_descsz + 3u) & ~size_t{3};
      const size_t total = sizeof note + nameSize + descSize;
      if (total > left) break;
      if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && std::memcmp(p + sizeof note, "GNU", 4) == 0 &&
          note.n_descsz > 0)
        return std::string(p + sizeof note + nameSize, note.n_descsz);
      p += total;
      left -= total;
    }
  }
  return {};
}

}  // namespace

const std::string& programBuildId() {
  static const std::string id = [] {
    struct Found {
      std::string id;
      bool first = true, program = false;
    } found;
    // The program itself (the first object reported), and the Markdown
    // library, whose version decides how a Markdown text is formatted.
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
          auto& f = *static_cast<Found*>(data);
          const bool program = f.first;
          f.first = false;
          const char* name = info->dlpi_name ? info->dlpi_name : "";
          if (!program && std::strstr(name, "md4c") == nullptr) return 0;
          const std::string id = buildIdOf(*info);
          if (program) f.program = !id.empty();
          f.id += id.empty() ? std::string(name) : id;
          f.id += '\n';
          return 0;
        },
        &found);
    return found.program ? found.id : std::string();
  }();
  return id;
}

}  // namespace tessary::util
