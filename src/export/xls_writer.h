// The spreadsheet writer: a workbook held in memory (named worksheets, cells of
// text, numbers and date-time values, each with a cell format made of a font, a
// horizontal alignment and a number format, and column widths) and written as an
// Excel 97-2003 file: the BIFF8 records of the stream "Workbook" inside a
// compound document.
//
// The workbook keeps its texts once each (the shared string table of the file),
// as UTF-16, cut to the 32,767 characters a cell can hold. Limits of the format
// are enforced here, so that whatever is put in, the file written is valid:
// 65,536 rows and 256 columns per worksheet, worksheet names of at most 31
// characters without : \ / ? * [ ], unique without case.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "util/date_time.h"
#include "util/status.h"

namespace tessary::export_ {

struct XlsFont {
  // Colour index of the default palette; automatic (the window text colour) by default.
  static constexpr uint16_t kAutomaticColour = 0x7FFF;

  std::string face = "Arial";
  int sizePoints = 10;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  uint16_t colour = kAutomaticColour;

  friend bool operator==(const XlsFont&, const XlsFont&) = default;
};

enum class XlsAlign { General, Left, Centre, Right };

struct XlsCellFormat {
  XlsFont font;
  XlsAlign align = XlsAlign::General;
  // The number format in the spreadsheet's notation ("yyyy/mm/dd hh:mm:ss"); empty is General.
  std::string numberFormat;

  friend bool operator==(const XlsCellFormat&, const XlsCellFormat&) = default;
};

class XlsWorkbook {
 public:
  static constexpr int kMaxRows = 65536;
  static constexpr int kMaxColumns = 256;
  static constexpr size_t kMaxTextUnits = 32767;  // UTF-16 code units in one cell
  static constexpr size_t kMaxSheetNameUnits = 31;

  XlsWorkbook();

  // Adds a worksheet at the end and returns its index. The name is made valid
  // (forbidden characters become "_", cut to 31 characters, "Sheet" when empty)
  // and unique (a number in brackets is added).
  int addSheet(std::string_view name);
  int sheetCount() const { return static_cast<int>(sheets_.size()); }
  // The name as it will be written (UTF-8).
  std::string sheetName(int sheet) const;

  // Registers a cell format and returns its handle (equal formats share one).
  int addFormat(const XlsCellFormat& format);

  // Cells are addressed from 0. A cell set twice keeps the last value. An
  // address outside the worksheet's limits is refused (false, nothing stored).
  bool setText(int sheet, int row, int column, std::string_view utf8, int format);
  bool setNumber(int sheet, int row, int column, double value, int format);
  // A day number of the program (days since 30 December 1899) as the date
  // serial of the workbook's 1900 date system. Returns false (nothing stored)
  // for values before 1 January 1900, which the workbook cannot show as dates.
  bool setDateTime(int sheet, int row, int column, util::DateTime value, int format);
  // Width in characters (up to 255).
  void setColumnWidth(int sheet, int column, double characters);

  // The number of different texts held.
  size_t stringCount() const { return strings_.size(); }

  // The stream "Workbook": every record of the workbook.
  std::string workbookStream() const;
  // Writes the compound document to fileName (atomically: a temporary file and
  // a rename). Returns an error naming the file and the reason.
  Status save(const std::string& fileName) const;

 private:
  enum class Kind : uint8_t { Text, Number };
  struct Cell {
    uint32_t row;
    uint16_t column;
    uint16_t format;
    Kind kind;
    double number;   // Number
    uint32_t text;   // Text: index into strings_
  };
  struct Sheet {
    std::u16string name;
    std::vector<Cell> cells;
    bool sorted = true;
    std::vector<std::pair<uint16_t, uint16_t>> widths;  // column, width in 1/256 characters
  };

  bool addCell(int sheet, int row, int column, int format, Cell cell);
  uint32_t internText(std::string_view utf8);
  // The workbook's records: the globals, then one part per worksheet.
  struct Streams {
    std::string globals;
    std::vector<std::string> sheets;
  };
  Streams streams() const;
  // The globals with the worksheets' offsets left 0; offsetFields receives where they go.
  std::string globalsStream(size_t textReferences, std::vector<size_t>& offsetFields) const;
  std::string sheetStream(const Sheet& sheet) const;

  std::vector<Sheet> sheets_;
  std::vector<XlsCellFormat> formats_;
  std::deque<std::u16string> strings_;
  std::unordered_map<std::u16string_view, uint32_t> stringIndex_;
};

}  // namespace tessary::export_
