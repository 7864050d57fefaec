#include "util/compression.h"

#include <gtest/gtest.h>

namespace tessary::util {
namespace {

TEST(Compression, InflatingStopsAtTheLimitWithoutGrowingPastIt) {
  const std::string stream = zlibCompress(std::string(1 << 20, 'z'));
  std::string out;
  EXPECT_TRUE(zlibDecompress(stream, out, 1 << 20).ok());
  EXPECT_EQ(out.size(), size_t{1} << 20);
  std::string refused = "unchanged";
  const Status st = zlibDecompress(stream, refused, (1 << 20) - 1);
  EXPECT_FALSE(st.ok());
  EXPECT_TRUE(isTooLarge(st));
  EXPECT_EQ(refused, "unchanged");
  const Status damaged = zlibDecompress(std::string("\x78\xda\x01\x02", 4), out, 100);
  EXPECT_FALSE(damaged.ok());
  EXPECT_FALSE(isTooLarge(damaged));
}

}  // namespace
}  // namespace tessary::util
