#include "templates/package.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"
#include "templates/package_folder.h"
#include "util/files.h"

namespace tessary::templates {
namespace {

using testing::RecordingLog;
using testing::RecordingUI;
using testing::TempDir;

const std::string S(1, kFieldSeparator);

// A template record of exactly `length` characters: key, separators, padding in slice 1.
std::string recordOfLength(char key, size_t length) {
  std::string r(1, key);
  r += S;
  const size_t pad = length - 11;
  r += std::string(pad, 'x');
  for (int i = 0; i < 9; ++i) r += S;
  EXPECT_EQ(r.size(), length);
  return r;
}

std::string packageText(const std::vector<std::string>& lines) { return joinPackageLines(lines); }

TEST(PackageLinesTest, SplitsAtCrLfLoneCrAndLoneLf) {
  EXPECT_EQ(splitPackageLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(splitPackageLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(splitPackageLines("").empty());
  EXPECT_EQ(splitPackageLines("\n"), (std::vector<std::string>{""}));
  EXPECT_EQ(joinPackageLines({"x", ""}), "x\r\n\r\n");
}

TEST(PackageCheckTest, MessagesOfOpenTemplatePackage) {
  TempDir dir;
  RecordingUI ui;
  TemplatePackage p;
  const std::string missing = dir.file("none.tem");
  EXPECT_FALSE(p.OpenTemplatePackage(missing, ui));
  ASSERT_EQ(ui.errors.size(), 1u);
  EXPECT_EQ(ui.errors[0], "Error. I can not find the [" + missing + "] Template Package. Sorry");

  std::vector<std::string> nine = newPackageLines();
  nine.pop_back();
  testing::writeFile(dir.file("nine.tem"), packageText(nine));
  EXPECT_FALSE(p.OpenTemplatePackage(dir.file("nine.tem"), ui));
  EXPECT_EQ(ui.errors[1], "Error. Template Package [" + dir.file("nine.tem") + "] is damaged and can not be used. Sorry");
  EXPECT_EQ(p.lines().size(), 9u) << "the lines hold what was read";

  std::vector<std::string> wrong = newPackageLines();
  wrong[2] = "1" + S;
  testing::writeFile(dir.file("wrong.tem"), packageText(wrong));
  EXPECT_FALSE(p.OpenTemplatePackage(dir.file("wrong.tem"), ui));
  EXPECT_EQ(ui.errors[2], "Error. Template Package [" + dir.file("wrong.tem") +
                              "] is damaged at record 3 and can not be used. Sorry");

  std::vector<std::string> emptyLine = newPackageLines();
  emptyLine[0] = "";
  testing::writeFile(dir.file("empty.tem"), packageText(emptyLine));
  EXPECT_FALSE(p.OpenTemplatePackage(dir.file("empty.tem"), ui));
  EXPECT_NE(ui.errors[3].find("damaged at record 1 and"), std::string::npos);

  std::vector<std::string> good = newPackageLines();
  good.push_back("junk line");
  testing::writeFile(dir.file("good.tem"), packageText(good));
  EXPECT_TRUE(p.OpenTemplatePackage(dir.file("good.tem"), ui));
  EXPECT_EQ(ui.errors.size(), 4u);
}

TEST(PackageCheckTest, EditorAndChooserWordings) {
  PackageCheck few{PackageCheck::kTooFewLines, 0};
  PackageCheck at{PackageCheck::kWrongKey, 4};
  EXPECT_EQ(damageMessage(few, "p.tem", CheckWording::kEditor),
            "Error. Template Package p.tem is damaged and can not be edited. Sorry");
  EXPECT_EQ(damageMessage(at, "p.tem", CheckWording::kEditor),
            "Error. Template Package p.tem is damaged at record 4 and can not be edited. Sorry");
  EXPECT_EQ(damageMessage(few, "p.tem", CheckWording::kChooser),
            "Error. Template Package p.tem is damaged and can not be used. Sorry");
  EXPECT_EQ(damageMessage(at, "p.tem", CheckWording::kChooser),
            "Error. Template Package p.tem is damaged at record 4 and can not be used. Sorry");
}

TEST(TemplateSlicesTest, EmptyPackageDecodesToEmptyDefaultLayout) {
  TemplatePackage p;
  p.lines() = newPackageLines();
  p.SplitTemplatePackage();
  for (int k = 1; k <= 6; ++k) {
    const SliceList& s = p.slices(k);
    ASSERT_EQ(s.size(), 10u);
    EXPECT_EQ(s[0], "1") << "template " << k << " falls back to the Default Layout";
    for (int i = 1; i < 10; ++i) EXPECT_EQ(s[static_cast<size_t>(i)], "");
  }
}

TEST(TemplateSlicesTest, RecordOf49CharactersFallsBackAndOf50IsKept) {
  TemplatePackage p;
  p.lines() = newPackageLines();
  p.lines()[1] = "1" + S + "DEFAULT" + S + S + S + S + S + S + S + S + S;
  p.lines()[2] = recordOfLength('2', 49);
  p.lines()[3] = recordOfLength('3', 50);
  EXPECT_EQ(p.ReadTemplateSlices(2)[0], "1");
  EXPECT_EQ(p.ReadTemplateSlices(2)[1], "DEFAULT");
  EXPECT_EQ(p.ReadTemplateSlices(3)[0], "3");
  EXPECT_EQ(p.ReadTemplateSlices(3)[1], std::string(39, 'x'));
  // The Default Layout itself is used whatever its length.
  p.lines()[1] = "1" + S + "d" + S;
  EXPECT_EQ(p.ReadTemplateSlices(1)[1], "d");
}

TEST(TemplateSlicesTest, ThresholdCountsCharactersNotBytes) {
  TemplatePackage p;
  p.lines() = newPackageLines();
  p.lines()[1] = "1" + S + "DEFAULT" + S + S + S + S + S + S + S + S + S;
  // 11 + 20 two-byte letters: 31 characters in 51 bytes, so the Default Layout.
  std::string accented = "4" + S;
  for (int i = 0; i < 20; ++i) accented += "\xC3\xA9";
  accented += std::string(9, kFieldSeparator);
  ASSERT_EQ(accented.size(), 51u);
  p.lines()[4] = accented;
  EXPECT_EQ(p.ReadTemplateSlices(4)[1], "DEFAULT");
  // 50 characters of which some take three bytes are kept.
  std::string euros = "5" + S;
  for (int i = 0; i < 39; ++i) euros += "\xE2\x82\xAC";
  euros += std::string(9, kFieldSeparator);
  p.lines()[5] = euros;
  EXPECT_EQ(p.ReadTemplateSlices(5)[0], "5");
}

TEST(TemplateSlicesTest, FewSeparatorsLineBreaksAndExtraFields) {
  const SliceList four = decodeTemplateRecord("2" + S + "a" + S + "b" + S + "c" + S + "lost");
  ASSERT_EQ(four.size(), 10u);
  EXPECT_EQ(four[1], "a");
  EXPECT_EQ(four[3], "c");
  EXPECT_EQ(four[4], "");
  const SliceList breaks = decodeTemplateRecord("1" + S + "x\x03\x02y\x02z" + S);
  EXPECT_EQ(breaks[1], "x\r\ny\nz");
  std::string many = "1" + S;
  for (int i = 0; i < 12; ++i) many += "s" + std::to_string(i) + S;
  EXPECT_EQ(decodeTemplateRecord(many).size(), 13u);
}

TEST(TemplateRecordTest, EncodersRoundTrip) {
  SliceList slices(10);
  slices[0] = "4";
  slices[1] = "line1\r\nline2\n";
  slices[9] = "nine";
  const std::string rec = encodeTemplateRecord(slices);
  EXPECT_EQ(rec.find('\r'), std::string::npos);
  EXPECT_EQ(rec.find('\n'), std::string::npos);
  EXPECT_EQ(std::count(rec.begin(), rec.end(), kFieldSeparator), 10);
  EXPECT_EQ(decodeTemplateRecord(rec), slices);
  const std::vector<std::string> lines = {encodeDescription("two\r\nlines")};
  EXPECT_EQ(packageDescription(lines), "two\r\nlines");
  EXPECT_EQ(packageDescription({"0"}), "");
}

TEST(FileRecordTest, ParsingAndShortRecords) {
  FileRecord r;
  EXPECT_TRUE(parseFileRecord(encodeFileRecord("clear.gif", "474946"), r));
  EXPECT_EQ(r.name, "clear.gif");
  EXPECT_EQ(r.hex, "474946");
  EXPECT_FALSE(parseFileRecord("A" + S + S + S, r)) << "5 characters are ignored";
  EXPECT_FALSE(parseFileRecord("A" + S + "abcdefgh", r)) << "10 characters are ignored";
  EXPECT_FALSE(parseFileRecord("B" + S + "name.txt" + S + "00" + S, r));
  // Any one-character separator after "A" is accepted; no separator: all name.
  EXPECT_TRUE(parseFileRecord("A-abcdefghij", r));
  EXPECT_EQ(r.name, "abcdefghij");
  EXPECT_EQ(r.hex, "");
  EXPECT_TRUE(parseFileRecord("A" + S + "name.bin" + S + "4142", r));
  EXPECT_EQ(r.hex, "4142");
}

TEST(HexTest, EncodeDecodeAndInvalidHex) {
  TempDir dir;
  testing::writeFile(dir.file("g"), "GIF");
  EXPECT_EQ(FileToHex(dir.file("g")), "474946");
  EXPECT_EQ(bytesToHex(std::string("\x00\xff\x10", 3)), "00FF10");
  EXPECT_EQ(HexToString("4a4B"), "JK");
  EXPECT_EQ(HexToString("4G"), "");
  EXPECT_EQ(HexToString("414"), "") << "a digit left over is not a pair";
  EXPECT_EQ(HexToString(""), "");
  EXPECT_THROW(FileToHex(dir.file("missing")), std::runtime_error);

  EXPECT_TRUE(HexToFile("414243", dir.file("out")));
  EXPECT_EQ(testing::readFile(dir.file("out")), "ABC");
  EXPECT_FALSE(HexToFile("41ZZ", dir.file("out")));
  EXPECT_EQ(testing::readFile(dir.file("out")), "ABC") << "invalid hex writes nothing";
  EXPECT_FALSE(HexToFile("41ZZ", dir.file("never")));
  EXPECT_FALSE(util::fileExists(dir.file("never")));
  EXPECT_FALSE(HexToFile("41", dir.file("no/such/folder/x")));
}

TEST(BuiltInPackageTest, IsSoundAndMatchesTheFileBesideTheProgram) {
  TemplatePackage p;
  p.LoadBuiltInTemplatePackage();
  EXPECT_TRUE(checkPackageLines(p.lines()).ok());
  EXPECT_EQ(testing::readFile(std::string(TESSARY_PROGRAM_DIR) + "/@default.tem"),
            std::string(builtInTemplatePackageBytes()));
  p.SplitTemplatePackage();
  for (int k = 2; k <= 6; ++k) EXPECT_EQ(p.slices(k), p.slices(1)) << "template " << k << " is the Default Layout";
  const std::string& start = p.slice(1, kStartOfPage);
  for (const char* needed : {"[%thispage.title%]", "[%thispage.metatag.keywords%]", "[%thispage.metatag.description%]",
                             "name=\"generator\"", "default.css", "[%mainpage.title.css%]", "[%links.navbar.column%]",
                             "[%linkto.rss20.href%]", "[%ISHOMEPAGE%]", "[%ISARTICLEPAGE%]", "IFBLANK", "IFNOTBLANK"})
    EXPECT_NE(start.find(needed), std::string::npos) << needed;
  EXPECT_NE(p.slice(1, kArticle).find("[%entry.sidebar%]"), std::string::npos);
  EXPECT_NE(p.slice(1, kEachEntry).find("[%entry.date.words.css%]"), std::string::npos);
  EXPECT_NE(p.slice(1, kEachEntry).find("tag.gif"), std::string::npos);
  EXPECT_NE(p.slice(1, kEndOfPage).find("About My Blog"), std::string::npos);
  EXPECT_EQ(p.slice(1, kBeforeEntries), "");
  EXPECT_EQ(p.slice(1, kAfterEntries), "");
  EXPECT_FALSE(packageDescription(p.lines()).empty());

  std::vector<std::string> names;
  for (const std::string& line : p.lines()) {
    FileRecord r;
    if (parseFileRecord(line, r)) {
      names.push_back(r.name);
      EXPECT_FALSE(HexToString(r.hex).empty()) << r.name;
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"clear.gif", "xml.gif", "tag.gif", "leftside.jpg", "default.css", "favicon.svg"}));
}

TEST(PackageFolderTest, UnpackSkipsUnsafeNamesAndInvalidHexAndPackRoundTrips) {
  TempDir dir;
  std::vector<std::string> lines = newPackageLines();
  lines[0] = encodeDescription("Desc\r\nsecond");
  SliceList t(10);
  t[0] = "3";
  t[1] = "<html>\n";
  t[7] = "seven";
  lines[3] = encodeTemplateRecord(t);
  lines[8] = "8" + S + "reserved\x02text";
  lines.push_back(encodeFileRecord("ok.txt", bytesToHex("hello")));
  lines.push_back(encodeFileRecord("../x", "41424344"));
  lines.push_back(encodeFileRecord("/etc/x", "41424344"));
  lines.push_back(encodeFileRecord("a/b", "41424344"));
  lines.push_back(encodeFileRecord("", "41424344"));
  lines.push_back(encodeFileRecord("bad.bin", "4G4G"));
  lines.push_back("not a file record");
  RecordingLog log;
  const std::string out = dir.file("out");
  ASSERT_TRUE(unpackTemplatePackage(lines, out, log).ok());
  EXPECT_EQ(testing::readFile(out + "/files/ok.txt"), "hello");
  EXPECT_EQ(util::listFiles(out + "/files"), (std::vector<std::string>{"ok.txt"}));
  EXPECT_FALSE(util::fileExists(dir.file("x")));
  int red = 0;
  for (const auto& l : log.lines) red += l.coloured && l.colour == colours::kRed;
  EXPECT_EQ(red, 5);
  EXPECT_EQ(testing::readFile(out + "/template3-slice7.html"), "seven");

  std::vector<std::string> packed;
  ASSERT_TRUE(packTemplateFolder(out, packed).ok());
  ASSERT_EQ(packed.size(), 11u);
  EXPECT_EQ(packageDescription(packed), "Desc\r\nsecond");
  EXPECT_EQ(decodeTemplateRecord(packed[3]), t);
  EXPECT_EQ(packed[8], lines[8]);
  EXPECT_EQ(packed[10], lines[10]);
  EXPECT_EQ(packed[2], "2" + std::string(10, kFieldSeparator));
}

TEST(PackageFolderTest, PackRefusesUnsafeManifestNames) {
  TempDir dir;
  testing::writeFile(dir.file("files.txt"), "../secret\n");
  std::vector<std::string> lines;
  const Status s = packTemplateFolder(dir.path(), lines);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message().find("../secret"), std::string::npos);
}

// A package is read whole and its slices are copied into every page: both are
// bounded, and what is too large is named in the usual message.
TEST(PackageLimitsTest, OversizedSliceOrPackageIsRefusedNamingWhatIsTooLarge) {
  TempDir dir;
  RecordingUI ui;
  TemplatePackage p;

  std::vector<std::string> lines = newPackageLines();
  SliceList slices(10);
  slices[0] = "3";
  slices[2] = std::string(kMaxSliceBytes + 1, 'x');
  lines[3] = encodeTemplateRecord(slices);
  const std::string bigSlice = dir.file("bigslice.tem");
  testing::writeFile(bigSlice, joinPackageLines(lines));
  EXPECT_FALSE(p.OpenTemplatePackage(bigSlice, ui));
  ASSERT_EQ(ui.errors.size(), 1u);
  EXPECT_EQ(ui.errors[0], "Error. Template Package [" + bigSlice + "] is too large at record 4 (slice 2 holds " +
                              std::to_string(kMaxSliceBytes + 1) + " bytes; a slice holds at most 4 MB) and can "
                              "not be used. Sorry");
  std::vector<std::string> read;
  const Status edit = readPackageFile(bigSlice, read, CheckWording::kEditor);
  EXPECT_EQ(edit.message(), "Error. Template Package " + bigSlice + " is too large at record 4 (slice 2 holds " +
                                std::to_string(kMaxSliceBytes + 1) + " bytes; a slice holds at most 4 MB) and can "
                                "not be edited. Sorry");

  // A slice of exactly the limit is fine; so is a large embedded file.
  slices[2].pop_back();
  lines[3] = encodeTemplateRecord(slices);
  lines.push_back(encodeFileRecord("big.bin", std::string(2 * kMaxSliceBytes, 'F')));
  testing::writeFile(dir.file("limit.tem"), joinPackageLines(lines));
  EXPECT_TRUE(p.OpenTemplatePackage(dir.file("limit.tem"), ui));

  // The description and the reserved records are texts too.
  lines = newPackageLines();
  lines[8] = "8" + S + std::string(kMaxSliceBytes + 1, 'r');
  EXPECT_EQ(checkPackageLines(lines).kind, PackageCheck::kTooLarge);
  EXPECT_EQ(checkPackageLines(lines).record, 9);

  // The whole file: refused before it is read.
  const std::string huge = dir.file("huge.tem");
  testing::writeFile(huge, joinPackageLines(newPackageLines()));
  std::filesystem::resize_file(huge, kMaxPackageBytes + 1);
  EXPECT_FALSE(p.OpenTemplatePackage(huge, ui));
  ASSERT_EQ(ui.errors.size(), 2u);
  EXPECT_EQ(ui.errors[1], "Error. Template Package [" + huge + "] is too large (" +
                              std::to_string(kMaxPackageBytes + 1) +
                              " bytes; a package holds at most 64 MB) and can not be used. Sorry");
}

TEST(PackageReadTest, HostileBytesDoNotBreakTheReader) {
  TempDir dir;
  std::string bytes = joinPackageLines(newPackageLines());
  bytes += "A" + S + "big.bin" + S + std::string(4 * 1024 * 1024, 'F') + S + "\r\n";
  bytes += std::string("A\x01nul\0name\x01" "41\x01\r\n", 16);
  bytes += std::string(3 * 1024 * 1024, '\0');
  testing::writeFile(dir.file("hostile.tem"), bytes);
  RecordingUI ui;
  TemplatePackage p;
  ASSERT_TRUE(p.OpenTemplatePackage(dir.file("hostile.tem"), ui));
  p.SplitTemplatePackage();
  FileRecord r;
  ASSERT_TRUE(parseFileRecord(p.lines()[10], r));
  EXPECT_EQ(HexToString(r.hex).size(), 2u * 1024 * 1024);
  ASSERT_TRUE(parseFileRecord(p.lines()[11], r));
  EXPECT_FALSE(util::isBareFileName(r.name));
}

}  // namespace
}  // namespace tessary::templates
