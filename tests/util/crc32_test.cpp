#include "util/crc32.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tessary::util {
namespace {

TEST(CRC32Test, KnownValuesOfTheProgramsVariant) {
  EXPECT_EQ(CalculateCRC32String(""), 0u);
  EXPECT_EQ(CalculateCRC32String("abc"), 0xCA6598D0u);
  EXPECT_EQ(crcToStored(CalculateCRC32String("abc")), -899311408);
  EXPECT_EQ(storedToCrc(-899311408), 0xCA6598D0u);
}

TEST(CRC32Test, OneByteChangesTheChecksumAndChunksCombine) {
  const std::string a = "The quick brown fox jumps over the lazy dog";
  std::string b = a;
  b[10] ^= 1;
  EXPECT_NE(CalculateCRC32String(a), CalculateCRC32String(b));
  EXPECT_EQ(CRC32Update(CRC32Update(0, a.data(), 7), a.data() + 7, a.size() - 7), CalculateCRC32String(a));
  const std::string binary("\0\xff\x01\x80", 4);
  EXPECT_EQ(CalculateCRC32String(binary), CalculateCRC32String(std::string("\0\xff\x01\x80", 4)));
}

TEST(CRC32Test, FileChecksumMatchesStringAndMissingFileGivesZero) {
  testing::TempDir dir;
  std::string big(300000, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + 7);
  testing::writeFile(dir.file("f.bin"), big);
  EXPECT_EQ(CalculateCRC32File(dir.file("f.bin")), CalculateCRC32String(big));
  EXPECT_EQ(CalculateCRC32File(dir.file("missing")), 0u);
}

}  // namespace
}  // namespace tessary::util
