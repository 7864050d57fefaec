#include "export/dataset_to_excel.h"

#include <cmath>

#include "util/files.h"
#include "util/text.h"

namespace tessary::export_ {
namespace {

using store::FieldType;

struct ColumnInfo {
  std::string name;
  FieldType type;
  int width;
};

FieldType typeOf(const store::TableDef& def, const std::string& column) {
  const store::FieldDef* f = def.field(column);
  // A column this version does not know is exported as text.
  return f ? f->type : FieldType::Memo;
}

int displayWidth(const store::TableDef& def, const std::string& column) {
  const store::FieldDef* f = def.field(column);
  switch (f ? f->type : FieldType::Memo) {
    case FieldType::String: return f->size > 0 ? f->size : Dataset2Excel::kMemoDisplayWidth;
    case FieldType::AutoInc:
    case FieldType::Integer: return Dataset2Excel::kIntegerDisplayWidth;
    case FieldType::DateTime: return Dataset2Excel::kDateTimeDisplayWidth;
    default: return Dataset2Excel::kMemoDisplayWidth;
  }
}

bool hasTimeOfDay(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  return t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0;
}

}  // namespace

std::string spreadsheetNumberFormat(std::string_view programFormat) {
  std::string f = util::replaceAllNoCase(programFormat, "ampm", "AM/PM");
  f = util::replaceAllNoCase(f, "a/p", "AM/PM");
  f = util::replaceAll(f, "n", "m");
  f = util::replaceAll(f, "z", "0");
  return f;
}

Dataset2Excel::Dataset2Excel() = default;
Dataset2Excel::~Dataset2Excel() = default;

void Dataset2Excel::reset() { workbook_.reset(); }

int Dataset2Excel::addWorksheet(store::Table& table, const std::vector<std::string>& columns, int number) {
  const std::string name = number == 1 ? WorksheetName : WorksheetName + " (" + std::to_string(number) + ")";
  const int sheet = workbook_->addSheet(name);
  if (SetColumnsWidth)
    for (size_t i = 0; i < columns.size(); ++i)
      workbook_->setColumnWidth(sheet, StartCol + static_cast<int>(i), displayWidth(table.definition(), columns[i]));
  if (ExportHeader) {
    XlsCellFormat header;
    header.font = HeaderFont;
    header.align = XlsAlign::Left;
    const int format = workbook_->addFormat(header);
    for (size_t i = 0; i < columns.size(); ++i)
      workbook_->setText(sheet, StartRow, StartCol + static_cast<int>(i), columns[i], format);
  }
  return sheet;
}

void Dataset2Excel::exportTable(store::Table& table) {
  if (!workbook_) workbook_ = std::make_unique<XlsWorkbook>();
  // Every column the file holds, in its order.
  const std::vector<std::string> columns = table.database().columnsOf(table.name());
  std::vector<FieldType> types;
  for (const std::string& c : columns) types.push_back(typeOf(table.definition(), c));

  XlsCellFormat text, number, date, dateTime;
  text.font = number.font = date.font = dateTime.font = DetailFont;
  text.align = date.align = dateTime.align = XlsAlign::Left;
  number.align = XlsAlign::Right;
  date.numberFormat = spreadsheetNumberFormat(ShortDateFormat);
  dateTime.numberFormat = spreadsheetNumberFormat(ShortDateFormat + " " + LongTimeFormat);
  const int textFormat = workbook_->addFormat(text);
  const int numberFormat = workbook_->addFormat(number);
  const int dateFormat = workbook_->addFormat(date);
  const int dateTimeFormat = workbook_->addFormat(dateTime);

  // The rows one worksheet takes below its header, within what the format allows.
  const int firstDataRow = StartRow + (ExportHeader ? 1 : 0);
  const int perSheet = std::max(1, std::min(RowsPerSheet, XlsWorkbook::kMaxRows - firstDataRow));

  int sheetNumber = 1;
  int sheet = addWorksheet(table, columns, sheetNumber);
  int taken = 0;
  for (table.first(); !table.eof(); table.next()) {
    if (taken == perSheet) {
      sheet = addWorksheet(table, columns, ++sheetNumber);
      taken = 0;
    }
    const int row = firstDataRow + taken;
    for (size_t i = 0; i < columns.size(); ++i) {
      const int col = StartCol + static_cast<int>(i);
      const std::string& name = columns[i];
      if (table.isNull(name)) continue;
      switch (types[i]) {
        case FieldType::AutoInc:
        case FieldType::Integer:
          workbook_->setNumber(sheet, row, col, table.asInteger(name), numberFormat);
          break;
        case FieldType::DateTime: {
          const util::DateTime v = table.asDateTime(name);
          const bool withTime = hasTimeOfDay(v);
          if (!workbook_->setDateTime(sheet, row, col, v, withTime ? dateTimeFormat : dateFormat)) {
            // Before 1900 the workbook has no dates: the value goes in as text.
            const std::string f = withTime ? ShortDateFormat + " " + LongTimeFormat : ShortDateFormat;
            workbook_->setText(sheet, row, col, util::formatDateTime(f, v), textFormat);
          }
          break;
        }
        case FieldType::Blob:
          break;
        default: {
          std::string value = table.asString(name);
          if (CellText) value = CellText(table, name, std::move(value));
          if (!value.empty()) workbook_->setText(sheet, row, col, value, textFormat);
        }
      }
    }
    ++taken;
  }
}

Status Dataset2Excel::save(const std::string& fileName) {
  if (!util::equalsNoCase(util::extensionOf(fileName), ".xls"))
    return Status::Error("Cannot write " + fileName + ": only Excel 97-2003 workbooks (.xls) can be written");
  if (!workbook_) return Status::Error("Cannot write " + fileName + ": nothing was exported");
  return workbook_->save(fileName);
}

}  // namespace tessary::export_
