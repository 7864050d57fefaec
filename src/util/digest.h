// A 64-bit digest of a sequence of values, for telling whether the inputs of
// a piece of work are the ones it was last done with. Every value is added
// with its length (or its kind), so that ("ab", "c") and ("a", "bc") differ.
// Not a defence against someone who crafts collisions: two different inputs
// give the same digest by chance once in about 2^64 comparisons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary::util {

class Digest {
 public:
  Digest& add(std::string_view bytes);
  Digest& add(int64_t value);
  Digest& addDouble(double value);
  Digest& add(const Digest& other) { return add(static_cast<int64_t>(other.value())); }
  // The digest of what was added so far; never 0 (0 stands for "no digest").
  uint64_t value() const;

 private:
  void mix(uint64_t word);
  uint64_t h_ = 0x6a09e667f3bcc908ULL;
  uint64_t count_ = 0;
};

// The build of the running program and of the Markdown library it formats
// with (their linker build ids), or empty when the program has none. Work
// recorded by another build is not taken as current: the same inputs may give
// other output there.
const std::string& programBuildId();

}  // namespace tessary::util
