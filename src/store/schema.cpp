#include "store/schema.h"

#include "util/text.h"

namespace tessary::store {

const FieldDef* TableDef::field(const std::string& n) const {
  for (const auto& f : fields)
    if (util::equalsNoCase(f.name, n)) return &f;
  return nullptr;
}

const IndexDef* TableDef::index(const std::string& n) const {
  for (const auto& i : indexes)
    if (util::equalsNoCase(i.name, n)) return &i;
  return nullptr;
}

namespace {
FieldDef autoInc(const char* n) { return {n, FieldType::AutoInc, 0}; }
FieldDef integer(const char* n) { return {n, FieldType::Integer, 0}; }
FieldDef str(const char* n, int size) { return {n, FieldType::String, size}; }
FieldDef dateTime(const char* n) { return {n, FieldType::DateTime, 0}; }
FieldDef memo(const char* n) { return {n, FieldType::Memo, 0}; }
FieldDef blob(const char* n) { return {n, FieldType::Blob, 0}; }
}  // namespace

const TableDef& blogTableDef() {
  static const TableDef def{
      tables::kBlog,
      {autoInc("BlogKey"), dateTime("BlogDateTime"), str("BlogTitle", 250), memo("BlogText"),
       integer("BlogCategory"), str("BlogCoolURL", 250), integer("BlogPageType"), str("BlogPageName", 120),
       str("BlogKeywords", 250), memo("BlogTeaser"), memo("BlogSidebar"), memo("BlogExtra1"),
       memo("BlogExtra2"), str("BlogTitle1", 250), str("BlogTitle2", 250), str("BlogMetaDesc", 250),
       integer("BlogCategory2"), integer("BlogCategory3")},
      {{kDisplayKey, "BlogDateTime", false, true, false}}};
  return def;
}

const TableDef& picturesTableDef() {
  static const TableDef def{
      tables::kPictures,
      {autoInc("BlogPictureKey"), str("BlogPictureName", 120), blob("BlogPicture"), integer("BlogPictureCRC"),
       dateTime("BlogPictureDate"), integer("BlogPictureSize"), integer("BlogPictureHeight"),
       integer("BlogPictureWidth"), str("BlogPictureType", 3), integer("BlogPictureCategory")},
      {{kDisplayKey, "BlogPictureName", false, false, true}}};
  return def;
}

const TableDef& filesTableDef() {
  static const TableDef def{
      tables::kFiles,
      {autoInc("BlogFileKey"), str("BlogFileName", 120), blob("BlogFile"), integer("BlogFileCRC"),
       integer("BlogFileSize"), dateTime("BlogFileDate"), integer("BlogFileCategory")},
      {{kDisplayKey, "BlogFileName", false, false, true}}};
  return def;
}

const TableDef& optionsTableDef() {
  static const TableDef def{tables::kOptions,
                            {integer("OptionKey"), str("OptionName", 120), str("OptionValue", 250),
                             integer("OptionInteger"), memo("OptionMemo")},
                            {{kDisplayKey, "OptionKey", true, false, false}}};
  return def;
}

const TableDef& categoryTableDef() {
  static const TableDef def{
      tables::kCategory,
      {autoInc("CategoryKey"), str("CategoryTitle", 250), str("CategoryName", 120), memo("CategoryText"),
       str("CategoryKeywords", 250), memo("CategoryTeaser"), memo("CategorySidebar"), memo("CategoryExtra1"),
       memo("CategoryExtra2"), str("CategoryTitle1", 250), str("CategoryTitle2", 250),
       str("CategoryMetaDesc", 250)},
      {{kDisplayKey, "CategoryKey", true, false, false}, {"NameKey", "CategoryName", false, false, true}}};
  return def;
}

const TableDef& pagesTableDef() {
  static const TableDef def{tables::kPages,
                            {str("PageKey", 120), integer("PageCRCExisting"), integer("PageCRCNew"),
                             integer("PageCRCLocal")},
                            {{kDisplayKey, "PageKey", true, false, false}}};
  return def;
}

const std::vector<const TableDef*>& allTableDefs() {
  static const std::vector<const TableDef*> all{&blogTableDef(),    &picturesTableDef(), &filesTableDef(),
                                                &optionsTableDef(), &categoryTableDef(), &pagesTableDef()};
  return all;
}

const TableDef* tableDef(const std::string& name) {
  for (const auto* d : allTableDefs())
    if (util::equalsNoCase(d->name, name)) return d;
  return nullptr;
}

std::string sqlColumnDefinition(const FieldDef& f) {
  switch (f.type) {
    case FieldType::AutoInc: return "\"" + f.name + "\" INTEGER PRIMARY KEY AUTOINCREMENT";
    case FieldType::Integer: return "\"" + f.name + "\" INTEGER";
    case FieldType::String: return "\"" + f.name + "\" TEXT";
    case FieldType::DateTime: return "\"" + f.name + "\" TEXT";
    case FieldType::Memo:
    case FieldType::Blob: return "\"" + f.name + "\" BLOB";
  }
  return "\"" + f.name + "\"";
}

std::vector<std::string> createTableSql(const TableDef& def) {
  std::vector<std::string> sql;
  std::string create = "CREATE TABLE \"" + def.name + "\" (";
  for (size_t i = 0; i < def.fields.size(); ++i) {
    if (i) create += ", ";
    create += sqlColumnDefinition(def.fields[i]);
  }
  create += ")";
  sql.push_back(create);
  for (const auto& ix : def.indexes) {
    std::string s = std::string("CREATE ") + (ix.unique ? "UNIQUE " : "") + "INDEX \"" + def.name + "_" + ix.name +
                    "\" ON \"" + def.name + "\" (\"" + ix.field + "\"" + (ix.caseInsensitive ? " COLLATE NOCASE" : "") + ")";
    // The index is kept ascending: a descending cursor walks it backwards, which
    // also lists rows of equal value with the later insertion first.
    sql.push_back(s);
  }
  return sql;
}

}  // namespace tessary::store
