// The six tables of a blog file as data: columns in their order with their types,
// and the indexes. Creation, restructure and the table layer all read these.
#pragma once

#include <string>
#include <vector>

namespace tessary::store {

enum class FieldType { AutoInc, Integer, String, DateTime, Memo, Blob };

struct FieldDef {
  std::string name;
  FieldType type = FieldType::Integer;
  int size = 0;  // characters, for String
};

struct IndexDef {
  std::string name;
  std::string field;
  bool unique = false;
  bool descending = false;
  bool caseInsensitive = false;
};

struct TableDef {
  std::string name;
  std::vector<FieldDef> fields;
  std::vector<IndexDef> indexes;

  const FieldDef* field(const std::string& name) const;
  const IndexDef* index(const std::string& name) const;
};

namespace tables {
inline constexpr const char* kBlog = "tblBlog";
inline constexpr const char* kPictures = "tblPictures";
inline constexpr const char* kFiles = "tblFiles";
inline constexpr const char* kOptions = "tblOptions";
inline constexpr const char* kCategory = "tblCategory";
inline constexpr const char* kPages = "tblPages";
}  // namespace tables

inline constexpr const char* kDisplayKey = "DisplayKey";

const TableDef& blogTableDef();
const TableDef& picturesTableDef();
const TableDef& filesTableDef();
const TableDef& optionsTableDef();
const TableDef& categoryTableDef();
const TableDef& pagesTableDef();

// The six tables in the order they are opened and closed:
// tblBlog, tblPictures, tblFiles, tblOptions, tblCategory, tblPages.
const std::vector<const TableDef*>& allTableDefs();
// nullptr when the name is not one of the six.
const TableDef* tableDef(const std::string& name);

// The SQL that creates the table and its indexes.
std::vector<std::string> createTableSql(const TableDef& def);
// The SQL type of a column, for CREATE TABLE and ALTER TABLE ADD COLUMN.
std::string sqlColumnDefinition(const FieldDef& field);

}  // namespace tessary::store
