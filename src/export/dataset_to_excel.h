// Dataset2Excel: turns open tables of a blog file into worksheets of one
// workbook, one worksheet row per table row and one column per table column,
// with a header row of the column names. The export dialog owns one exporter
// and configures it once; reset() starts a new workbook.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "export/xls_writer.h"
#include "store/table.h"
#include "util/status.h"

namespace tessary::export_ {

class Dataset2Excel {
 public:
  // Column widths, in characters, of the columns that have no declared size.
  static constexpr int kIntegerDisplayWidth = 11;
  static constexpr int kDateTimeDisplayWidth = 18;
  static constexpr int kMemoDisplayWidth = 10;

  bool ExportHeader = true;
  XlsFont HeaderFont = boldFont();
  XlsFont DetailFont;
  int StartRow = 0;
  int StartCol = 0;
  bool SetColumnsWidth = true;
  int RowsPerSheet = 65535;
  std::string WorksheetName;
  // The text written for a string or memo cell: called with the table on the
  // cell's row, the column's name and the stored text. Unset: the stored text.
  std::function<std::string(store::Table& table, const std::string& column, std::string text)> CellText;
  // Number formats for date-time cells, in the program's notation.
  std::string ShortDateFormat = "yyyy/mm/dd";
  std::string LongTimeFormat = "hh:nn:ss";

  Dataset2Excel();
  ~Dataset2Excel();

  // Forgets the workbook of an earlier export.
  void reset();
  // Adds a worksheet named WorksheetName (and further ones when the table has
  // more than RowsPerSheet rows) holding every row of the table from the first
  // to the last in its current index's order. Store failures raise.
  void exportTable(store::Table& table);
  // Writes the workbook; the file type follows the extension (".xls" only).
  // Returns an error naming the file and the reason; no file is left then.
  Status save(const std::string& fileName);

  // The workbook being built (created by the first exportTable).
  XlsWorkbook* workbook() { return workbook_.get(); }

 private:
  static XlsFont boldFont() {
    XlsFont f;
    f.bold = true;
    return f;
  }
  int addWorksheet(store::Table& table, const std::vector<std::string>& columns, int number);

  std::unique_ptr<XlsWorkbook> workbook_;
};

// A date or time format of the program in the spreadsheet's notation: "n"
// becomes "m", "z" becomes "0", and "ampm" and "a/p" (in any letter case) "AM/PM".
std::string spreadsheetNumberFormat(std::string_view programFormat);

}  // namespace tessary::export_
