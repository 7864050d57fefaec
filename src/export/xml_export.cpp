#include "export/xml_export.h"

#include <unordered_map>

#include "export/export_text.h"
#include "store/database.h"
#include "store/entries.h"
#include "util/date_time.h"

namespace tessary::export_ {
namespace {

bool allowedInXml(char32_t c) {
  if (c < 0x20) return c == 0x09;  // CR and LF are dropped on purpose
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF;
}

void appendElement(std::string& out, std::string_view name, std::string_view value, bool escape = true) {
  out += "\t\t<";
  out += name;
  out += '>';
  if (escape) appendXmlEscaped(out, value);
  else out += value;
  out += "</";
  out += name;
  out += ">\r\n";
}

}  // namespace

void appendXmlEscaped(std::string& out, std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    // Plain ASCII goes across in runs.
    const size_t start = pos;
    while (pos < text.size()) {
      const auto c = static_cast<unsigned char>(text[pos]);
      if (c >= 0x80 || (c < 0x20 && c != '\t') || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'') break;
      ++pos;
    }
    out.append(text.substr(start, pos - start));
    if (pos == text.size()) break;
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b < 0x80) {
      ++pos;
      switch (b) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
          if (allowedInXml(b)) out += static_cast<char>(b);
      }
      continue;
    }
    const char32_t c = nextChar(text, pos);
    if (allowedInXml(c)) appendUtf8(out, c);
  }
}

std::string xmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  appendXmlEscaped(out, text);
  return out;
}

std::string xmlDateTime(util::DateTime value) { return util::formatDateTime("yyyy/mm/dd hh:nn:ss", value); }

void appendEntryElement(std::string& out, const store::BlogRec& r, const CategoryTitleLookup& categoryTitle) {
  out += "\t<BlogEntry>\r\n";
  appendElement(out, "BlogKey", std::to_string(r.BlogKey), false);
  appendElement(out, "BlogDateTime", xmlDateTime(r.BlogDateTime), false);
  appendElement(out, "BlogTitle", r.BlogTitle);
  appendElement(out, "BlogText", r.BlogText);
  appendElement(out, "BlogCategory", categoryTitle(r.BlogCategory));
  appendElement(out, "BlogCategory2", categoryTitle(r.BlogCategory2));
  appendElement(out, "BlogCategory3", categoryTitle(r.BlogCategory3));
  appendElement(out, "BlogCoolURL", r.BlogCoolURL);
  appendElement(out, "BlogPageType", std::to_string(r.BlogPageType), false);
  appendElement(out, "BlogPageName", r.BlogPageName);
  appendElement(out, "BlogTeaser", r.BlogTeaser);
  appendElement(out, "BlogKeywords", r.BlogKeywords);
  appendElement(out, "BlogSidebar", r.BlogSidebar);
  appendElement(out, "BlogExtra1", r.BlogExtra1);
  appendElement(out, "BlogExtra2", r.BlogExtra2);
  appendElement(out, "BlogTitle1", r.BlogTitle1);
  appendElement(out, "BlogTitle2", r.BlogTitle2);
  appendElement(out, "BlogMetaDesc", r.BlogMetaDesc);
  out += "\t</BlogEntry>\r\n";
}

std::string buildXmlDocument(store::Table& tblBlog, store::Table& tblCategory,
                             const std::function<void(int)>& progress) {
  // Each key is searched once; entries share few categories.
  std::unordered_map<int32_t, std::string> titles;
  const CategoryTitleLookup lookup = [&](int32_t key) -> std::string {
    if (key <= 0) return {};
    const auto it = titles.find(key);
    if (it != titles.end()) return it->second;
    std::string title;
    if (tblCategory.findKey(store::FieldValue(key))) title = tblCategory.asString("CategoryTitle");
    titles.emplace(key, title);
    return title;
  };

  // A file of an older version may lack the alternate categories (they read as
  // 0); without any other column the export stops.
  for (const store::FieldDef& f : store::blogTableDef().fields)
    if (f.name != "BlogCategory2" && f.name != "BlogCategory3" && !tblBlog.hasField(f.name))
      throw store::StoreError("Field " + f.name + " not found in table " + tblBlog.name());

  std::string out = "<TessaryFile>\r\n";
  int written = 0;
  for (tblBlog.first(); !tblBlog.eof(); tblBlog.next()) {
    appendEntryElement(out, store::readBlogRec(tblBlog), lookup);
    ++written;
    if (progress) progress(written);
  }
  out += "</TessaryFile>\r\n";
  return out;
}

}  // namespace tessary::export_
