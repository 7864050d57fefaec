#include <gtest/gtest.h>

#include "util/compression.h"
#include "util/date_time.h"
#include "util/files.h"
#include "util/text.h"

namespace tessary::util {
namespace {

TEST(TextTest, TrimCompareAndCutOnCharacterBoundaries) {
  EXPECT_EQ(trim(std::string("\x01\t a b \r\n\x1f", 10)), "a b");
  EXPECT_EQ(trim("\xC3\xA9 "), "\xC3\xA9");
  EXPECT_TRUE(equalsNoCase("Photo.JPG", "photo.jpg"));
  EXPECT_FALSE(equalsNoCase("\xC3\x89", "\xC3\xA9"));  // no folding beyond a-z
  EXPECT_EQ(compareNoCase("abc", "ABD"), -1);
  const std::string s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z
  EXPECT_EQ(charCount(s), 5u);
  EXPECT_EQ(leftChars(s, 2), "a\xC3\xA9");
  EXPECT_EQ(leftChars(s, 3), "a\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(leftChars(s, 99), s);
  EXPECT_EQ(replaceAll("aXbXc", "X", "XX"), "aXXbXXc");
  EXPECT_EQ(replaceAllNoCase("[%Tag%] [%TAG%]", "[%tag%]", "v"), "v v");
  int v = 0;
  EXPECT_TRUE(parseInt(" -12 ", v));
  EXPECT_EQ(v, -12);
  EXPECT_FALSE(parseInt("12a", v));
  EXPECT_FALSE(parseInt("99999999999", v));
}

TEST(DateTimeTest, DayNumbersRoundTrip) {
  EXPECT_DOUBLE_EQ(encodeDate(1899, 12, 30), 0.0);
  EXPECT_DOUBLE_EQ(encodeDate(1900, 1, 1), 2.0);
  EXPECT_DOUBLE_EQ(encodeDate(2004, 3, 2), 38048.0);
  CivilTime t{2004, 3, 2, 0, 5, 0, 0};
  const DateTime d = encodeDateTime(t);
  const CivilTime back = decodeDateTime(d);
  EXPECT_EQ(back.year, 2004);
  EXPECT_EQ(back.minute, 5);
  // Before the epoch the fraction is still the time of day.
  const CivilTime early = decodeDateTime(-1.25);
  EXPECT_EQ(early.day, 29);
  EXPECT_EQ(early.hour, 6);
  DateTime parsed = 0;
  ASSERT_TRUE(parseStorageText(toStorageText(d + 0.5), parsed));
  EXPECT_NEAR(parsed, d + 0.5, 1e-8);
  EXPECT_FALSE(parseStorageText("2004-02-30", parsed));
  EXPECT_FALSE(parseStorageText("garbage", parsed));
  EXPECT_EQ(isoDayOfWeek(encodeDate(2003, 8, 1)), 5);  // a Friday
}

TEST(DateTimeTest, FormatCodes) {
  const DateTime d = encodeDateTime({2004, 3, 2, 0, 5, 9, 0});
  EXPECT_EQ(formatDateTime("mmmm d, yyyy  h:nn am/pm", d), "March 2, 2004  12:05 am");
  EXPECT_EQ(formatDateTime("yyyy-mm-dd hh:nn", d), "2004-03-02 00:05");
  EXPECT_EQ(formatDateTime("dd-mm-yyyy hh:mm:ss", d), "02-03-2004 00:05:09");
  EXPECT_EQ(formatDateTime("dddd mmm yy", d), "Tuesday Mar 04");
  const DateTime pm = encodeDateTime({2004, 3, 2, 13, 0, 0, 0});
  EXPECT_EQ(formatDateTime("h:nn AM/PM", pm), "1:00 PM");
}

TEST(FilesTest, BareNamesAndAtomicWrites) {
  EXPECT_TRUE(isBareFileName("index.html"));
  for (const char* bad : {"", ".", "..", "a/b", "../x", "/etc/x", "a\\b"}) EXPECT_FALSE(isBareFileName(bad)) << bad;
  EXPECT_FALSE(isBareFileName(std::string("a\0b", 3)));
  EXPECT_EQ(changeExtension("dir.x/My.Blog.zdb", ".~1"), "dir.x/My.Blog.~1");
  EXPECT_EQ(changeExtension("dir.x/blog", ".old"), "dir.x/blog.old");
  EXPECT_EQ(fileNameOf("/a/b/c.txt"), "c.txt");
}

TEST(CompressionTest, RoundTripAndDamage) {
  const std::string text(5000, 'q');
  const std::string z = zlibCompress(text);
  EXPECT_LT(z.size(), text.size());
  std::string out;
  ASSERT_TRUE(zlibDecompress(z, out).ok());
  EXPECT_EQ(out, text);
  EXPECT_FALSE(zlibDecompress(z.substr(0, z.size() / 2), out).ok());
  EXPECT_FALSE(zlibDecompress("not zlib", out).ok());
  EXPECT_FALSE(zlibDecompress(z, out, 100).ok());  // bounded output
  ASSERT_TRUE(zlibDecompress(zlibCompress(""), out).ok());
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace tessary::util

#include "util/utf8.h"

namespace tessary::util {
namespace {

TEST(Utf8Test, StrayBytesAreWindows1252) {
  EXPECT_EQ(toValidUtf8("caf\xE9 \x80 ok \xC3\xA9"), "caf\xC3\xA9 \xE2\x82\xAC ok \xC3\xA9");
  EXPECT_EQ(toValidUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");        // an overlong form is two stray bytes
  EXPECT_EQ(toValidUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");  // a surrogate is not a character
  size_t pos = 0;
  EXPECT_EQ(nextChar("\xF0\x9F\x98\x80", pos), U'\U0001F600');
  EXPECT_EQ(pos, 4u);
  EXPECT_EQ(toValidUtf8("\x81"), "\xC2\x81");                   // unassigned codes keep their value
}

}  // namespace
}  // namespace tessary::util
