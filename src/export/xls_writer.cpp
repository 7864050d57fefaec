#include "export/xls_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>

#include "export/export_text.h"
#include "util/files.h"
#include "util/text.h"

#ifdef TESSARY_HAVE_GSF
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>
#endif

namespace tessary::export_ {
namespace {

// Record identifiers of BIFF8.
enum : uint16_t {
  kEOF = 0x000A,
  kPRECISION = 0x000E,
  kDATEMODE = 0x0022,
  kWINDOW1 = 0x003D,
  kCODEPAGE = 0x0042,
  kCONTINUE = 0x003C,
  kFONT = 0x0031,
  kDEFCOLWIDTH = 0x0055,
  kCOLINFO = 0x007D,
  kBOUNDSHEET = 0x0085,
  kSST = 0x00FC,
  kLABELSST = 0x00FD,
  kEXTSST = 0x00FF,
  kXF = 0x00E0,
  kDIMENSIONS = 0x0200,
  kNUMBER = 0x0203,
  kWINDOW2 = 0x023E,
  kRK = 0x027E,
  kSTYLE = 0x0293,
  kFORMAT = 0x041E,
  kBOF = 0x0809,
};

constexpr size_t kMaxRecordData = 8224;  // bytes of data in one record of BIFF8
constexpr int kStyleXfs = 15;            // the style formats every workbook carries
constexpr int kFirstCellXf = 16;         // after the style formats and the default cell format
constexpr uint16_t kFirstCustomNumberFormat = 164;
constexpr uint16_t kCodePageUtf16 = 1200;

// Little-endian bytes of one record's data.
class Bytes {
 public:
  Bytes& u8(unsigned v) {
    s_ += static_cast<char>(v & 0xFF);
    return *this;
  }
  Bytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Bytes& f64(double d) {
    const auto v = std::bit_cast<uint64_t>(d);
    return u32(static_cast<uint32_t>(v)).u32(static_cast<uint32_t>(v >> 32));
  }
  // The characters of a UTF-16 text, in 8 bits when every character allows it.
  Bytes& chars(std::u16string_view t, bool wide) {
    const size_t at = s_.size();
    s_.resize(at + t.size() * (wide ? 2 : 1));
    char* p = s_.data() + at;
    for (const char16_t c : t) {
      *p++ = static_cast<char>(c & 0xFF);
      if (wide) *p++ = static_cast<char>(c >> 8);
    }
    return *this;
  }
  size_t size() const { return s_.size(); }
  const std::string& str() const { return s_; }
  std::string& str() { return s_; }

 private:
  std::string s_;
};

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

bool needsWide(std::u16string_view t) {
  return std::any_of(t.begin(), t.end(), [](char16_t c) { return c > 0xFF; });
}

// A text with a one-byte length (worksheet and font names).
Bytes& shortUnicodeString(Bytes& b, std::u16string_view t) {
  const bool wide = needsWide(t);
  return b.u8(static_cast<unsigned>(t.size())).u8(wide ? 1 : 0).chars(t, wide);
}

// A text with a two-byte length (number formats).
Bytes& unicodeString(Bytes& b, std::u16string_view t) {
  const bool wide = needsWide(t);
  return b.u16(static_cast<unsigned>(t.size())).u8(wide ? 1 : 0).chars(t, wide);
}

void appendRecord(std::string& stream, uint16_t id, const std::string& data) {
  Bytes header;
  header.u16(id).u16(static_cast<unsigned>(data.size()));
  stream += header.str();
  stream += data;
}

void appendRecord(std::string& stream, uint16_t id, const Bytes& data) { appendRecord(stream, id, data.str()); }

Bytes bof(uint16_t type) {
  Bytes b;
  // BIFF8, build and year of the format, no history flags, lowest version 8.
  b.u16(0x0600).u16(type).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x06);
  return b;
}

// The font name as UTF-16, cut to the 255 characters its length byte allows.
std::u16string fontName(const std::string& face) {
  return toUtf16(face.empty() ? std::string_view("Arial") : std::string_view(face), 255);
}

Bytes fontRecord(const XlsFont& f) {
  Bytes b;
  const int points = std::clamp(f.sizePoints, 1, 409);
  unsigned grbit = 0;
  if (f.bold) grbit |= 0x0001;  // as Excel writes it, beside the weight
  if (f.italic) grbit |= 0x0002;
  if (f.strikeOut) grbit |= 0x0008;
  b.u16(static_cast<unsigned>(points * 20)).u16(grbit).u16(f.colour).u16(f.bold ? 700 : 400);
  b.u16(0).u8(f.underline ? 1 : 0).u8(0).u8(0).u8(0);  // no super/subscript, family, character set
  shortUnicodeString(b, fontName(f.face));
  return b;
}

Bytes xfRecord(unsigned font, unsigned numberFormat, bool style, XlsAlign align, unsigned usedAttributes) {
  Bytes b;
  b.u16(font).u16(numberFormat);
  // Locked; a style format has no parent, a cell format has the style "Normal".
  b.u16(style ? 0xFFF5 : 0x0001);
  unsigned alc = 0;
  switch (align) {
    case XlsAlign::General: alc = 0; break;
    case XlsAlign::Left: alc = 1; break;
    case XlsAlign::Centre: alc = 2; break;
    case XlsAlign::Right: alc = 3; break;
  }
  b.u8(alc | (2 << 4));  // vertically at the bottom
  b.u8(0).u8(0).u8(usedAttributes);
  b.u32(0).u32(0);                // no borders, no fill
  b.u16(64 | (65 << 7));          // pattern colours: system foreground and background
  return b;
}

// The shared string table, cut into an SST record and CONTINUE records as the
// format asks: a text's header and first character never part, and a text
// continued in a new record starts it with its option byte.
class SstWriter {
 public:
  SstWriter(std::string& stream, size_t references, size_t unique) : stream_(stream) {
    data_.u32(static_cast<uint32_t>(references)).u32(static_cast<uint32_t>(unique));
    bucket_ = std::max<size_t>(8, (unique + 127) / 128);
  }

  void add(size_t index, std::u16string_view t) {
    const bool wide = needsWide(t);
    const size_t charSize = wide ? 2 : 1;
    const size_t firstUnits = t.empty() ? 0 : isHighSurrogate(t[0]) ? 2 : 1;
    if (room() < 3 + firstUnits * charSize) flush();
    if (index % bucket_ == 0) {
      const size_t inRecord = 4 + data_.size();
      extsst_.u32(static_cast<uint32_t>(stream_.size() + inRecord)).u16(static_cast<unsigned>(inRecord)).u16(0);
    }
    data_.u16(static_cast<unsigned>(t.size())).u8(wide ? 1 : 0);
    while (!t.empty()) {
      size_t n = std::min(room() / charSize, t.size());
      // A surrogate pair stays in one record: readers decode each record's part on its own.
      if (n < t.size() && n > 0 && isHighSurrogate(t[n - 1])) --n;
      if (n == 0) {
        flush();
        data_.u8(wide ? 1 : 0);
        continue;
      }
      data_.chars(t.substr(0, n), wide);
      t.remove_prefix(n);
    }
  }

  void finish() {
    flush();
    Bytes ext;
    ext.u16(static_cast<unsigned>(bucket_));
    ext.str() += extsst_.str();
    appendRecord(stream_, kEXTSST, ext);
  }

 private:
  size_t room() const { return kMaxRecordData - data_.size(); }
  void flush() {
    appendRecord(stream_, first_ ? kSST : kCONTINUE, data_);
    first_ = false;
    data_ = Bytes();
  }

  std::string& stream_;
  Bytes data_;
  Bytes extsst_;
  size_t bucket_;
  bool first_ = true;
};

std::u16string validSheetName(std::string_view name) {
  std::string cleaned = toValidUtf8(name);
  for (char& c : cleaned) {
    if (c == ':' || c == '\\' || c == '/' || c == '?' || c == '*' || c == '[' || c == ']' ||
        static_cast<unsigned char>(c) < 0x20)
      c = '_';
  }
  cleaned = util::trim(cleaned);
  // An apostrophe may not begin or end the name.
  if (!cleaned.empty() && cleaned.front() == '\'') cleaned.front() = '_';
  if (!cleaned.empty() && cleaned.back() == '\'') cleaned.back() = '_';
  std::u16string u = toUtf16(cleaned, XlsWorkbook::kMaxSheetNameUnits);
  if (u.empty()) u = u"Sheet";
  return u;
}

bool sameNameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string toUtf8(std::u16string_view t) {
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    char32_t c = t[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < t.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (t[i + 1] - 0xDC00);
      ++i;
    }
    appendUtf8(out, c);
  }
  return out;
}

}  // namespace

XlsWorkbook::XlsWorkbook() = default;

int XlsWorkbook::addSheet(std::string_view name) {
  const std::u16string base = validSheetName(name);
  std::u16string candidate = base;
  auto taken = [this](const std::u16string& n) {
    return std::any_of(sheets_.begin(), sheets_.end(), [&](const Sheet& s) { return sameNameNoCase(s.name, n); });
  };
  for (int n = 2; taken(candidate); ++n) {
    const std::u16string suffix = toUtf16(" (" + std::to_string(n) + ")", kMaxSheetNameUnits);
    candidate = base.substr(0, kMaxSheetNameUnits - suffix.size());
    // Never leave half a surrogate pair at the cut.
    if (!candidate.empty() && candidate.back() >= 0xD800 && candidate.back() <= 0xDBFF) candidate.pop_back();
    candidate += suffix;
  }
  Sheet s;
  s.name = candidate;
  sheets_.push_back(std::move(s));
  return static_cast<int>(sheets_.size()) - 1;
}

std::string XlsWorkbook::sheetName(int sheet) const { return toUtf8(sheets_.at(static_cast<size_t>(sheet)).name); }

int XlsWorkbook::addFormat(const XlsCellFormat& format) {
  const auto it = std::find(formats_.begin(), formats_.end(), format);
  if (it != formats_.end()) return static_cast<int>(it - formats_.begin());
  // The file has room for 4,000 formats; a workbook never needs that many.
  if (formats_.size() >= 4000) return 0;
  formats_.push_back(format);
  return static_cast<int>(formats_.size()) - 1;
}

bool XlsWorkbook::addCell(int sheet, int row, int column, int format, Cell cell) {
  if (sheet < 0 || sheet >= sheetCount() || row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
    return false;
  if (format < 0 || static_cast<size_t>(format) >= formats_.size()) {
    if (formats_.empty()) addFormat(XlsCellFormat{});
    format = 0;
  }
  cell.row = static_cast<uint32_t>(row);
  cell.column = static_cast<uint16_t>(column);
  cell.format = static_cast<uint16_t>(format);
  Sheet& s = sheets_[static_cast<size_t>(sheet)];
  if (!s.cells.empty()) {
    const Cell& last = s.cells.back();
    if (cell.row < last.row || (cell.row == last.row && cell.column <= last.column)) s.sorted = false;
  }
  s.cells.push_back(cell);
  return true;
}

uint32_t XlsWorkbook::internText(std::string_view utf8) {
  std::u16string t = toUtf16(utf8, kMaxTextUnits);
  const auto it = stringIndex_.find(t);
  if (it != stringIndex_.end()) return it->second;
  const auto index = static_cast<uint32_t>(strings_.size());
  strings_.push_back(std::move(t));
  stringIndex_.emplace(strings_.back(), index);
  return index;
}

bool XlsWorkbook::setText(int sheet, int row, int column, std::string_view utf8, int format) {
  if (sheet < 0 || sheet >= sheetCount() || row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
    return false;
  Cell c{};
  c.kind = Kind::Text;
  c.text = internText(utf8);
  return addCell(sheet, row, column, format, c);
}

bool XlsWorkbook::setNumber(int sheet, int row, int column, double value, int format) {
  if (!std::isfinite(value)) return false;
  Cell c{};
  c.kind = Kind::Number;
  c.number = value;
  return addCell(sheet, row, column, format, c);
}

bool XlsWorkbook::setDateTime(int sheet, int row, int column, util::DateTime value, int format) {
  // Day 2 of the program is 1 January 1900, serial 1 of the workbook. From 1 March
  // 1900 on the two agree, because the workbook counts a 29 February 1900.
  if (!std::isfinite(value) || value < 2) return false;
  return setNumber(sheet, row, column, value < 61 ? value - 1 : value, format);
}

void XlsWorkbook::setColumnWidth(int sheet, int column, double characters) {
  if (sheet < 0 || sheet >= sheetCount() || column < 0 || column >= kMaxColumns || !std::isfinite(characters)) return;
  const auto width = static_cast<uint16_t>(std::lround(std::clamp(characters, 0.0, 255.0) * 256));
  auto& widths = sheets_[static_cast<size_t>(sheet)].widths;
  for (auto& w : widths)
    if (w.first == column) {
      w.second = width;
      return;
    }
  widths.emplace_back(static_cast<uint16_t>(column), width);
}

std::string XlsWorkbook::globalsStream(size_t textReferences, std::vector<size_t>& offsetFields) const {
  std::string s;
  appendRecord(s, kBOF, bof(0x0005));
  appendRecord(s, kCODEPAGE, Bytes().u16(kCodePageUtf16));
  Bytes window1;
  window1.u16(0).u16(0).u16(0x3000).u16(0x1E00).u16(0x0038).u16(0).u16(0).u16(1).u16(600);
  appendRecord(s, kWINDOW1, window1);
  appendRecord(s, kDATEMODE, Bytes().u16(0));  // the 1900 date system
  appendRecord(s, kPRECISION, Bytes().u16(1));

  // Fonts: four copies of the default font (number 4 does not exist in the
  // format), then the other fonts the cell formats use, from number 5 on.
  const XlsFont defaultFont;
  for (int i = 0; i < 4; ++i) appendRecord(s, kFONT, fontRecord(defaultFont));
  std::vector<XlsFont> fonts;
  std::vector<unsigned> fontOfFormat;
  std::map<std::string, uint16_t> numberFormats;
  std::vector<unsigned> numberFormatOfFormat;
  for (const XlsCellFormat& f : formats_) {
    if (f.font == defaultFont) {
      fontOfFormat.push_back(0);
    } else {
      auto it = std::find(fonts.begin(), fonts.end(), f.font);
      if (it == fonts.end()) {
        fonts.push_back(f.font);
        appendRecord(s, kFONT, fontRecord(f.font));
        it = fonts.end() - 1;
      }
      fontOfFormat.push_back(static_cast<unsigned>(it - fonts.begin()) + 5);
    }
    if (f.numberFormat.empty()) {
      numberFormatOfFormat.push_back(0);
    } else {
      auto [it, added] = numberFormats.emplace(f.numberFormat, 0);
      if (added) it->second = static_cast<uint16_t>(kFirstCustomNumberFormat + numberFormats.size() - 1);
      numberFormatOfFormat.push_back(it->second);
    }
  }
  // Number formats in the order of their numbers.
  std::vector<std::pair<uint16_t, std::string>> byNumber;
  for (const auto& [text, number] : numberFormats) byNumber.emplace_back(number, text);
  std::sort(byNumber.begin(), byNumber.end());
  for (const auto& [number, text] : byNumber) {
    Bytes b;
    b.u16(number);
    unicodeString(b, toUtf16(text, 255));
    appendRecord(s, kFORMAT, b);
  }

  // The style formats, the default cell format, then one cell format per registered format.
  for (int i = 0; i < kStyleXfs; ++i) appendRecord(s, kXF, xfRecord(0, 0, true, XlsAlign::General, i == 0 ? 0 : 0xF4));
  appendRecord(s, kXF, xfRecord(0, 0, false, XlsAlign::General, 0));
  for (size_t i = 0; i < formats_.size(); ++i)
    appendRecord(s, kXF, xfRecord(fontOfFormat[i], numberFormatOfFormat[i], false, formats_[i].align, 0xFC));
  // The built-in style "Normal".
  appendRecord(s, kSTYLE, Bytes().u16(0x8000).u8(0).u8(0xFF));

  offsetFields.clear();
  for (const Sheet& sheet : sheets_) {
    Bytes b;
    b.u32(0).u8(0).u8(0);  // the offset comes later; a visible worksheet
    shortUnicodeString(b, sheet.name);
    offsetFields.push_back(s.size() + 4);
    appendRecord(s, kBOUNDSHEET, b);
  }

  SstWriter sst(s, textReferences, strings_.size());
  for (size_t i = 0; i < strings_.size(); ++i) sst.add(i, strings_[i]);
  sst.finish();

  appendRecord(s, kEOF, Bytes());
  return s;
}

std::string XlsWorkbook::sheetStream(const Sheet& sheet) const {
  std::vector<Cell> sortedCells;
  const std::vector<Cell>* cells = &sheet.cells;
  if (!sheet.sorted) {
    sortedCells = sheet.cells;
    std::stable_sort(sortedCells.begin(), sortedCells.end(), [](const Cell& a, const Cell& b) {
      return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    // A cell set twice keeps its last value.
    std::vector<Cell> unique;
    unique.reserve(sortedCells.size());
    for (const Cell& c : sortedCells) {
      if (!unique.empty() && unique.back().row == c.row && unique.back().column == c.column) unique.back() = c;
      else unique.push_back(c);
    }
    sortedCells = std::move(unique);
    cells = &sortedCells;
  }

  std::string s;
  appendRecord(s, kBOF, bof(0x0010));
  appendRecord(s, kDEFCOLWIDTH, Bytes().u16(8));
  std::vector<std::pair<uint16_t, uint16_t>> widths = sheet.widths;
  std::sort(widths.begin(), widths.end());
  for (const auto& [column, width] : widths) {
    Bytes b;
    b.u16(column).u16(column).u16(width).u16(kFirstCellXf - 1).u16(0).u16(0);
    appendRecord(s, kCOLINFO, b);
  }

  uint32_t firstRow = 0, lastRow = 0;
  uint16_t firstColumn = 0, lastColumn = 0;
  if (!cells->empty()) {
    firstRow = cells->front().row;
    lastRow = cells->back().row + 1;
    firstColumn = 0xFFFF;
    for (const Cell& c : *cells) {
      firstColumn = std::min(firstColumn, c.column);
      lastColumn = std::max<uint16_t>(lastColumn, static_cast<uint16_t>(c.column + 1));
    }
  }
  appendRecord(s, kDIMENSIONS, Bytes().u32(firstRow).u32(lastRow).u16(firstColumn).u16(lastColumn).u16(0));

  Bytes b;
  for (const Cell& c : *cells) {
    b.str().clear();
    b.u16(c.row).u16(c.column).u16(kFirstCellXf + c.format);
    if (c.kind == Kind::Text) {
      b.u32(c.text);
      appendRecord(s, kLABELSST, b);
    } else if (c.number == std::floor(c.number) && std::fabs(c.number) < (1 << 29) &&
               !(c.number == 0 && std::signbit(c.number))) {
      // Whole numbers that fit in 30 bits go in the short form.
      const auto v = static_cast<int32_t>(c.number);
      b.u32(static_cast<uint32_t>(v) << 2 | 0x2);
      appendRecord(s, kRK, b);
    } else {
      b.f64(c.number);
      appendRecord(s, kNUMBER, b);
    }
  }

  Bytes window2;
  const bool firstSheet = &sheet == &sheets_.front();
  // Grid lines, headings, zeros, automatic grid colour, outline symbols; the first sheet is the selected one.
  window2.u16(0x00B6 | (firstSheet ? 0x0600 : 0)).u16(0).u16(0).u32(64).u16(0).u16(0).u32(0);
  appendRecord(s, kWINDOW2, window2);
  appendRecord(s, kEOF, Bytes());
  return s;
}

XlsWorkbook::Streams XlsWorkbook::streams() const {
  Streams out;
  size_t references = 0;
  for (const Sheet& sh : sheets_) {
    for (const Cell& c : sh.cells) references += c.kind == Kind::Text;
    out.sheets.push_back(sheetStream(sh));
  }
  std::vector<size_t> offsetFields;
  out.globals = globalsStream(references, offsetFields);
  size_t at = out.globals.size();
  for (size_t i = 0; i < out.sheets.size(); ++i) {
    for (int k = 0; k < 4; ++k) out.globals[offsetFields[i] + static_cast<size_t>(k)] = static_cast<char>(at >> (8 * k));
    at += out.sheets[i].size();
  }
  return out;
}

std::string XlsWorkbook::workbookStream() const {
  const Streams parts = streams();
  std::string out = parts.globals;
  for (const std::string& sh : parts.sheets) out += sh;
  return out;
}

Status XlsWorkbook::save(const std::string& fileName) const {
  auto fail = [&](const std::string& why) { return Status::Error("Cannot write " + fileName + ": " + why); };
#ifdef TESSARY_HAVE_GSF
  if (sheets_.empty()) return fail("the workbook has no worksheet");
  const Streams parts = streams();
  size_t total = parts.globals.size();
  for (const std::string& sh : parts.sheets) total += sh.size();
  if (total > UINT32_MAX) return fail("the workbook is too large for the file format");

  // The compound document is built in memory and then written atomically.
  gsf_init();
  GsfOutput* sink = gsf_output_memory_new();
  GsfOutfile* doc = gsf_outfile_msole_new(sink);
  GsfOutput* child = gsf_outfile_new_child(doc, "Workbook", FALSE);
  bool ok = child != nullptr;
  auto write = [&](const std::string& bytes) {
    ok = ok && gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
  };
  write(parts.globals);
  for (const std::string& sh : parts.sheets) write(sh);
  if (child) ok = gsf_output_close(child) && ok;
  ok = gsf_output_close(GSF_OUTPUT(doc)) && ok;
  Status result;
  if (ok) {
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
    const auto size = static_cast<size_t>(gsf_output_size(sink));
    result = util::writeFileAtomic(fileName, std::string_view(reinterpret_cast<const char*>(bytes), size));
  } else {
    const GError* e = gsf_output_error(sink);
    result = fail(std::string("the compound document could not be built") + (e ? std::string(": ") + e->message : ""));
  }
  if (child) g_object_unref(child);
  g_object_unref(doc);
  if (!gsf_output_is_closed(sink)) gsf_output_close(sink);
  g_object_unref(sink);
  return result;
#else
  return fail("this build has no compound-document writer");
#endif
}

}  // namespace tessary::export_
