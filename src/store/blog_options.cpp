#include "store/blog_options.h"

#include <algorithm>

#include "store/database.h"
#include "store/table.h"
#include "util/text.h"

namespace tessary::store {
namespace {

using R = BlogOptionsRec;

OptionDef text(int key, const char* name, std::string R::*field, const char* def = "") {
  OptionDef d{key, name, OptionKind::Text};
  d.text = field;
  d.textDefault = def;
  return d;
}
OptionDef memo(int key, const char* name, std::string R::*field) {
  OptionDef d{key, name, OptionKind::Memo};
  d.text = field;
  return d;
}
OptionDef integer(int key, const char* name, int32_t R::*field, int32_t def) {
  OptionDef d{key, name, OptionKind::Integer};
  d.integer = field;
  d.intDefault = def;
  return d;
}
OptionDef customTag(int n) {
  static const char* kNames[10] = {"Custom Tag 1", "Custom Tag 2", "Custom Tag 3", "Custom Tag 4", "Custom Tag 5",
                                   "Custom Tag 6", "Custom Tag 7", "Custom Tag 8", "Custom Tag 9", "Custom Tag 10"};
  OptionDef d{610 + n, kNames[n - 1], OptionKind::Memo};
  d.customTag = n;
  return d;
}

std::vector<OptionDef> buildDefs() {
  std::vector<OptionDef> d = {
      text(101, "Blog Title", &R::BlogTitle, "Please enter a Title"),
      text(102, "Blog Url", &R::BlogUrl),
      integer(103, "Index Entries", &R::IndexEntries, 5),
      integer(104, "Archive by Date", &R::ArchiveByDate, 0),
      integer(114, "Archive by Category ", &R::ArchiveByCategory, 0),
      integer(106, "Entry Date Format", &R::EntryDateFormat, 0),
      text(107, "Site Language", &R::SiteLanguage, "en"),
      memo(105, "About", &R::About),
      integer(201, "HTML Formatting", &R::HTMLFormatting, 0),
      text(241, "Index Page Name", &R::IndexPageName, "index"),
      text(251, "Archive Index Page Name", &R::ArchiveIndexPageName, "archive"),
      integer(265, "Article Index Link", &R::ArticleIndexLink, 0),
      text(261, "Article Index Page Name", &R::ArticleIndexPageName, "articles"),
      integer(266, "Article Index Grouping", &R::ArticleIndexGrouping, 0),
      integer(202, "HTML Extension", &R::HTMLExtension, 0),
      text(214, "Cool Link Caption", &R::CoolLinkCaption, "(Go to URL)"),
      text(242, "Index Page Caption", &R::IndexPageCaption, "Blog Home"),
      text(252, "Archive Index Caption", &R::ArchiveIndexCaption, "Archives"),
      text(262, "Article Index Caption", &R::ArticleIndexCaption, "Articles"),
      text(263, "\"Read This Article\" Caption", &R::ReadThisArticleCaption, "(Read Article)"),
      text(290, "Blog Parent Site Caption", &R::ParentSiteCaption),
      text(291, "Blog Parent Site URL", &R::ParentSiteURL),
      text(301, "Template File", &R::TemplateFile, "@default.tem"),
      text(501, "FTP Site", &R::FTPSite),
      text(502, "FTP Port", &R::FTPPort, "21"),
      text(503, "FTP Target Directory", &R::FTPTargetDirectory),
      text(504, "FTP Userid", &R::FTPUserid),
      memo(505, "FTP Password", &R::FTPPassword),
      integer(506, "FTP Passive Transfer Mode", &R::FTPPassive, 0),
      integer(507, "Show FTP Conversation", &R::ShowFTPConversation, 0),
      integer(508, "FTP Security", &R::FTPSecurity, 0),
      text(509, "FTP Certificate Fingerprint", &R::FTPCertificateFingerprint),
      integer(510, "FTP Time-out", &R::FTPTimeout, kDefaultFtpTimeoutSeconds),
      text(401, "RSS 0.91 Page Name", &R::RSS091PageName, "index.rss"),
      text(402, "RSS 2.0 Page Name", &R::RSS20PageName, "rss.xml"),
      text(403, "RSS Channel Title", &R::RSSChannelTitle),
      text(404, "RSS Channel Link", &R::RSSChannelLink),
      memo(409, "RSS Description", &R::RSSDescription),
      integer(410, "RSS Item Text", &R::RSSItemText, 0),
      integer(411, "RSS Item Entries", &R::RSSItemEntries, 10),
      integer(412, "RSS 0.91 feed", &R::RSS091Feed, 1),
      text(190, "Backup Location", &R::BackupLocation),
      integer(191, "Backups to Keep", &R::BackupsToKeep, 5),
      text(601, "Default Keywords Meta Tag", &R::DefaultKeywords),
      text(602, "Default Description Meta Tag", &R::DefaultDescription),
  };
  for (int n = 1; n <= 10; ++n) d.push_back(customTag(n));
  const std::vector<OptionDef> rest = {
      text(253, "Page Title - Archive By Month", &R::PageTitleArchiveByMonth, "Archive by Month"),
      text(264, "Page Title - Article Index", &R::PageTitleArticleIndex, "Article Index"),
      text(254, "Page Title - Daily Entries", &R::PageTitleDailyEntries, "Daily Entries"),
      text(255, "Page Title - Weekly Entries", &R::PageTitleWeeklyEntries, "Weekly Entries"),
      integer(267, "Include Article Teasers on Article Index", &R::IncludeArticleTeasers, 0),
      text(271, "Category Index Page Name", &R::CategoryIndexPageName, "category"),
      text(272, "Category Index Caption", &R::CategoryIndexCaption, "Category Index"),
      text(273, "Page Title - Category Index", &R::PageTitleCategoryIndex, "Category Index"),
      integer(274, "Include Category Index in NavBar", &R::CategoryIndexInNavBar, 1),
      integer(275, "Include Teasers on Category Indexes", &R::IncludeCategoryTeasers, 0),
      integer(256, "Include default Description for Meta Tag on Archive Pages", &R::ArchiveDefaultDescription, 0),
      text(203, "Page Name Prefix", &R::PageNamePrefix),
      integer(511, "Publishing Location", &R::PublishingLocation, 0),
      text(512, "File Copy Destination", &R::FileCopyDestination),
      integer(245, "Show Recent Entries on Home Page", &R::ShowRecentOnHome, 1),
      text(246, "Recent Entries Web Page Name", &R::RecentPageName, "recent"),
      text(247, "Recent Entries Link Caption", &R::RecentLinkCaption, "Recent Entries"),
      text(248, "Recent Entries Page Title", &R::RecentPageTitle, "Recent Entries"),
      integer(249, "Include Recent Entries in NavBar", &R::RecentInNavBar, 0),
      integer(268, "Article List Style", &R::ArticleListStyle, 0),
      integer(276, "Category List Style", &R::CategoryListStyle, 0),
  };
  d.insert(d.end(), rest.begin(), rest.end());
  return d;
}

const char* pick(int32_t v, std::initializer_list<const char*> texts) {
  if (v < 0 || static_cast<size_t>(v) >= texts.size()) return "";
  return *(texts.begin() + v);
}

std::string shortened(const std::string& s) {
  if (util::charCount(s) <= 50) return s;
  return util::leftChars(s, 50) + "...";
}

}  // namespace

const std::vector<OptionDef>& optionDefs() {
  static const std::vector<OptionDef> defs = buildDefs();
  return defs;
}

int32_t ftpTimeoutSeconds(const BlogOptionsRec& rec) {
  if (rec.FTPTimeout <= 0) return kDefaultFtpTimeoutSeconds;
  return std::min(rec.FTPTimeout, kMaxFtpTimeoutSeconds);
}

const OptionDef* optionDef(int key) {
  for (const auto& d : optionDefs())
    if (d.key == key) return &d;
  return nullptr;
}

const std::vector<int>& saveOrder() {
  static const std::vector<int> order = [] {
    std::vector<int> o = {101, 102, 103, 104, 114, 105, 106, 107, 190, 191, 201, 202, 214, 241, 242, 251, 252,
                          253, 254, 255, 261, 262, 263, 264, 265, 266, 267, 271, 272, 273, 274, 275, 256,
                          203, 290, 291, 511, 512, 245, 246, 247, 248, 249, 268, 276, 301, 401, 402, 403,
                          404, 409, 410, 411, 412, 501, 502, 503, 504, 505, 506, 507, 508, 509, 510, 601, 602};
    for (int k = 611; k <= 620; ++k) o.push_back(k);
    return o;
  }();
  return order;
}

std::string& optionTextRef(BlogOptionsRec& rec, const OptionDef& def) {
  if (def.customTag) return rec.CustomTag[static_cast<size_t>(def.customTag - 1)];
  return rec.*(def.text);
}

std::string optionText(const BlogOptionsRec& rec, const OptionDef& def) {
  if (def.kind == OptionKind::Integer) return std::to_string(rec.*(def.integer));
  if (def.customTag) return rec.CustomTag[static_cast<size_t>(def.customTag - 1)];
  return rec.*(def.text);
}

int32_t optionInteger(const BlogOptionsRec& rec, const OptionDef& def) {
  return def.kind == OptionKind::Integer ? rec.*(def.integer) : 0;
}

std::string displayValue(const BlogOptionsRec& rec, const OptionDef& def) {
  if (def.kind == OptionKind::Text) return optionText(rec, def);
  if (def.kind == OptionKind::Memo) {
    const std::string value = optionText(rec, def);
    if (def.key == 505) return value.empty() ? std::string() : std::string("(entered)");
    return shortened(value);
  }
  const int32_t v = rec.*(def.integer);
  switch (def.key) {
    case 103:
    case 191:
    case 411:
      return std::to_string(v);
    case 104:
      return pick(v, {"Create Monthly Pages", "Create Weekly Pages (Monday to Sunday)", "Create Daily Pages"});
    case 114:
      return pick(v, {"Create Category Pages for Entries and Articles", "Create Category Pages for Articles only",
                      "Create Category Pages for Entries only", "Ignore all Categories"});
    case 106:
      return pick(v, {"Month day, year hh:mm (24 hours)", "Month day, year hh:mm am/pm (12 hours)", "Month day, year",
                      "YYYY-MM-DD HH:MM (24 hours)", "YYYY-MM-DD", "DD-MM-YYYY", "DD-MM-YYYY HH:MM (24 hours)",
                      "DD-MM-YYYY hh:mm am/pm (12 hours)"});
    case 201:
      return pick(v, {"I will enter my own HTML code.", "Tessary will try to format each entry.",
                      "Markdown (CommonMark)"});
    case 202:
      return pick(v, {".html", ".htm"});
    case 265:
      return pick(v, {"Do not include in NavBar.", "Include in NavBar"});
    case 266:
      return pick(v, {"None.", "Grouped by Month."});
    case 245:
    case 249:
    case 256:
    case 267:
    case 274:
    case 275:
    case 507:
      return pick(v, {"No", "Yes"});
    case 268:
    case 276:
      return pick(v, {"Line <BR>", "Paragraph <P>", "Unnumber List <UL>", "Numbered List <OL>"});
    case 410:
      return pick(v, {"Show Full Entry (including HTML formatting)", "Show Teaser only (no HTML formatting)"});
    case 412:
      return pick(v, {"Create RSS 0.91 feed", "Do not create RSS 0.91 feed"});
    case 506:
      return v == 0 ? "Off" : v == 1 ? "On" : std::to_string(v);
    case 511:
      return pick(v, {"Publish using FTP", "Publish using File Copy"});
    case 508:
      return pick(v, {"Plain FTP", "TLS when the server offers it", "TLS required"});
    case 510:
      return std::to_string(v) + " s";
    default:
      return std::string();
  }
}

void SetDefaultOptions(BlogOptionsRec& rec, const std::string& programFolder) {
  for (const auto& d : optionDefs()) {
    if (d.kind == OptionKind::Integer)
      rec.*(d.integer) = d.intDefault;
    else
      optionTextRef(rec, d) = d.textDefault;
  }
  rec.BackupLocation = programFolder;
}

void LoadOptions(Table& t, BlogOptionsRec& rec, const std::string& programFolder) {
  SetDefaultOptions(rec, programFolder);
  const Table::Bookmark mark = t.bookmark();
  t.first();
  while (!t.eof()) {
    if (const OptionDef* d = optionDef(t.asInteger("OptionKey"))) {
      switch (d->kind) {
        case OptionKind::Text:
          optionTextRef(rec, *d) = t.asString("OptionValue");
          break;
        case OptionKind::Integer:
          rec.*(d->integer) = t.asInteger("OptionInteger");
          break;
        case OptionKind::Memo:
          optionTextRef(rec, *d) = t.asString("OptionMemo");
          break;
      }
    }
    t.next();
  }
  if (mark != 0) t.gotoBookmark(mark);
}

void SaveOptions(Table& t, const BlogOptionsRec& rec) {
  // All option rows or none: a failure half-way must not leave an option without its row.
  Transaction tx(t.database());
  try {
    for (const int key : saveOrder()) {
      const OptionDef& d = *optionDef(key);
      while (t.findKey(FieldValue(key))) t.deleteRow();
      t.insert();
      t.setInteger("OptionKey", key);
      t.setString("OptionName", d.name);
      switch (d.kind) {
        case OptionKind::Text:
          t.setString("OptionValue", optionText(rec, d));
          break;
        case OptionKind::Integer:
          t.setString("OptionValue", displayValue(rec, d));
          t.setInteger("OptionInteger", rec.*(d.integer));
          break;
        case OptionKind::Memo:
          t.setString("OptionValue", displayValue(rec, d));
          t.setString("OptionMemo", optionText(rec, d));
          break;
      }
      t.post();
    }
  } catch (...) {
    t.cancel();
    throw;
  }
  tx.commit();
}

}  // namespace tessary::store
