#include "export/xls_writer.h"

#include <gtest/gtest.h>

#include "export/dataset_to_excel.h"
#include "export/export_fixture.h"
#include "export/export_text.h"
#include "util/files.h"

namespace tessary::testing {
namespace {

using export_::XlsAlign;
using export_::XlsCellFormat;
using export_::XlsWorkbook;

struct Record {
  size_t offset;
  uint16_t id;
  std::string data;
};

std::vector<Record> records(const std::string& stream, size_t from, bool stopAtEof) {
  std::vector<Record> out;
  size_t at = from;
  while (at + 4 <= stream.size()) {
    const auto u = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(stream[i])); };
    const uint16_t id = static_cast<uint16_t>(u(at) | u(at + 1) << 8);
    const size_t len = u(at + 2) | u(at + 3) << 8;
    EXPECT_LE(at + 4 + len, stream.size());
    out.push_back({at, id, stream.substr(at + 4, len)});
    at += 4 + len;
    if (stopAtEof && id == 0x000A) break;
  }
  return out;
}

uint32_t u32(const std::string& s, size_t i) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
  return v;
}

TEST(XlsWorkbookTest, RecordsStayWithinTheFormatsLimitsAndSheetOffsetsPointAtTheirBeginning) {
  XlsWorkbook book;
  const int text = book.addFormat({});
  const int a = book.addSheet("First");
  const int b = book.addSheet("Second");
  for (int r = 0; r < 200; ++r) {
    book.setText(a, r, 0, std::string(5000 + r, static_cast<char>('a' + r % 26)), text);
    book.setNumber(b, r, 1, r * 1.5, text);
  }
  const std::string stream = book.workbookStream();
  const std::vector<Record> globals = records(stream, 0, true);
  ASSERT_FALSE(globals.empty());
  EXPECT_EQ(globals.front().id, 0x0809);
  std::vector<uint32_t> offsets;
  int continues = 0;
  for (const Record& r : globals) {
    EXPECT_LE(r.data.size(), 8224u);
    if (r.id == 0x0085) offsets.push_back(u32(r.data, 0));
    continues += r.id == 0x003C;
  }
  EXPECT_GT(continues, 100);
  ASSERT_EQ(offsets.size(), 2u);
  for (const uint32_t off : offsets) {
    const std::vector<Record> sheet = records(stream, off, true);
    ASSERT_FALSE(sheet.empty());
    EXPECT_EQ(sheet.front().id, 0x0809);
    EXPECT_EQ(static_cast<unsigned char>(sheet.front().data[2]), 0x10);  // a worksheet
    EXPECT_EQ(sheet.back().id, 0x000A);
  }
}

TEST(XlsWorkbookTest, TextsSplitAcrossContinuationRecordsReadBackWhole) {
  // Lengths around the record size, in 8-bit and 16-bit characters, so that the
  // split falls at every kind of place: in the header, after it, in a character.
  TempDir dir;
  XlsWorkbook book;
  const int f = book.addFormat({});
  const int sheet = book.addSheet("Texts");
  std::vector<std::string> texts;
  const std::string wide = "\xE2\x82\xAC";      // 2 bytes in the file
  const std::string pair = "\xF0\x9F\x98\x80";  // a surrogate pair
  for (int n : {8212, 8213, 8214, 8215, 8216, 8217, 8218, 8219, 8220, 8221, 8222, 8223, 8224, 1, 0})
    texts.push_back(std::string(static_cast<size_t>(n), 'x'));
  for (int n : {4105, 4106, 4107, 4108, 4109, 4110, 4111, 4112})
    for (const std::string& c : {wide, pair}) {
      std::string t;
      for (int i = 0; i < n; ++i) t += i % 3 == 0 ? c : std::string("y");
      texts.push_back(t);
    }
  for (size_t i = 0; i < texts.size(); ++i) book.setText(sheet, static_cast<int>(i), 0, texts[i], f);
  ASSERT_TRUE(book.save(dir.file("t.xls")).ok());
  const std::vector<XlsSheet> read = readXls(dir.file("t.xls"));
  ASSERT_EQ(read.size(), 1u);
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(read[0].at(static_cast<int>(i), 0).value, texts[i]) << "text " << i;
}

TEST(XlsWorkbookTest, CellTextIsCutAtTheCellLimitWithoutSplittingACharacter) {
  XlsWorkbook book;
  const int sheet = book.addSheet("S");
  const std::string emoji = "\xF0\x9F\x98\x80";
  std::string t(32766, 'a');
  t += emoji;  // would need units 32767 and 32768
  book.setText(sheet, 0, 0, t, book.addFormat({}));
  EXPECT_EQ(export_::toUtf16(t, XlsWorkbook::kMaxTextUnits).size(), 32766u);
  TempDir dir;
  ASSERT_TRUE(book.save(dir.file("c.xls")).ok());
  const auto read = readXls(dir.file("c.xls"));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].at(0, 0).value, std::string(32766, 'a'));
}

TEST(XlsWorkbookTest, WorksheetNamesAreMadeValidAndUnique) {
  XlsWorkbook book;
  book.addSheet("Data");
  book.addSheet("data");
  book.addSheet("a/b:c?d*e[f]g\\h");
  book.addSheet(std::string(40, 'n'));
  book.addSheet(std::string(40, 'n'));
  book.addSheet("");
  book.addSheet("'quoted'");
  EXPECT_EQ(book.sheetName(0), "Data");
  EXPECT_EQ(book.sheetName(1), "data (2)");
  EXPECT_EQ(book.sheetName(2), "a_b_c_d_e_f_g_h");
  EXPECT_EQ(book.sheetName(3), std::string(31, 'n'));
  EXPECT_EQ(book.sheetName(4), std::string(27, 'n') + " (2)");
  EXPECT_EQ(book.sheetName(5), "Sheet");
  EXPECT_EQ(book.sheetName(6), "_quoted_");
}

TEST(XlsWorkbookTest, CellsInAnyOrderAreWrittenInOrderAndTheLastValueWins) {
  TempDir dir;
  XlsWorkbook book;
  XlsCellFormat right;
  right.align = XlsAlign::Right;
  const int f = book.addFormat(right);
  EXPECT_EQ(book.addFormat(right), f);
  const int sheet = book.addSheet("S");
  book.setNumber(sheet, 3, 2, 1e300, f);
  book.setNumber(sheet, 0, 1, -536870913, f);  // beyond the short form
  book.setText(sheet, 0, 0, "first", f);
  book.setText(sheet, 0, 0, "second", f);
  book.setNumber(sheet, 1, 0, 0.25, f);
  EXPECT_FALSE(book.setNumber(sheet, 65536, 0, 1, f));
  EXPECT_FALSE(book.setNumber(sheet, 0, 256, 1, f));
  EXPECT_FALSE(book.setText(7, 0, 0, "no such sheet", f));
  // Before 1 January 1900 the workbook has no dates.
  EXPECT_FALSE(book.setDateTime(sheet, 5, 0, 1.5, f));
  EXPECT_TRUE(book.setDateTime(sheet, 5, 0, util::encodeDateTime({1999, 12, 31, 23, 59, 59}), book.addFormat({{}, XlsAlign::Left, "yyyy-mm-dd hh:mm:ss"})));
  ASSERT_TRUE(book.save(dir.file("o.xls")).ok());
  const auto read = readXls(dir.file("o.xls"));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].at(0, 0).value, "second");
  EXPECT_EQ(read[0].at(0, 1).value, "-536870913.0");
  EXPECT_EQ(read[0].at(1, 0).value, "0.25");
  EXPECT_EQ(read[0].at(3, 2).value, "1e+300");
  EXPECT_EQ(read[0].at(3, 2).align, 3);
  EXPECT_EQ(read[0].at(5, 0).value, "1999-12-31 23:59:59");
  EXPECT_EQ(read[0].at(5, 0).format, "yyyy-mm-dd hh:mm:ss");
}

TEST(XlsWorkbookTest, FileThatCannotBeWrittenNamesItselfAndLeavesNothing) {
  TempDir dir;
  XlsWorkbook book;
  book.addSheet("S");
  const Status st = book.save(dir.file("missing/x.xls"));
  ASSERT_FALSE(st.ok());
  EXPECT_NE(st.message().find(dir.file("missing/x.xls")), std::string::npos) << st.message();
  EXPECT_TRUE(util::listFiles(dir.path()).empty());
}

TEST(ExportTextTest, NumberFormatsAndStrayBytes) {
  EXPECT_EQ(export_::spreadsheetNumberFormat("yyyy/mm/dd hh:nn:ss"), "yyyy/mm/dd hh:mm:ss");
  EXPECT_EQ(export_::spreadsheetNumberFormat("h:nn:ss.zzz AMPM"), "h:mm:ss.000 AM/PM");
  EXPECT_EQ(export_::spreadsheetNumberFormat("h:nn a/p"), "h:mm AM/PM");
  EXPECT_EQ(export_::spreadsheetNumberFormat("hh:nn A/P"), "hh:mm AM/PM");
  // Windows-1252 bytes, an overlong form and a lone lead byte decode as single characters.
  EXPECT_EQ(export_::toValidUtf8("\x80\x9F\xE9"), "\xE2\x82\xAC\xC5\xB8\xC3\xA9");
  EXPECT_EQ(export_::toValidUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");
  EXPECT_EQ(export_::toValidUtf8("\xE2\x82"), "\xC3\xA2\xE2\x80\x9A");
  EXPECT_EQ(export_::toValidUtf8("ok \xE2\x82\xAC"), "ok \xE2\x82\xAC");
  EXPECT_EQ(export_::toUtf16("a\xF0\x9F\x98\x80", 2), u"a");
  EXPECT_EQ(export_::toUtf16("a\xF0\x9F\x98\x80", 3), u"a\U0001F600");
}

}  // namespace
}  // namespace tessary::testing
