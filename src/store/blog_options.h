// The blog's options: one BlogOptionsRec per open blog, stored as rows of
// tblOptions (one row per option number). The table kOptionDefs describes every
// option once (number, name, kind, default, field) and drives defaults, loading,
// saving and the display values.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessary::store {

class Table;
class Database;

struct BlogOptionsRec {
  std::string BlogTitle;                 // 101
  std::string BlogUrl;                   // 102
  int32_t IndexEntries = 0;              // 103, entries on the home page minus one
  int32_t ArchiveByDate = 0;             // 104
  int32_t ArchiveByCategory = 0;         // 114
  int32_t EntryDateFormat = 0;           // 106
  std::string SiteLanguage;              // 107, the pages' language (lang), "en" by default
  std::string About;                     // 105
  int32_t HTMLFormatting = 0;            // 201
  std::string IndexPageName;             // 241
  std::string ArchiveIndexPageName;      // 251
  int32_t ArticleIndexLink = 0;          // 265
  std::string ArticleIndexPageName;      // 261
  int32_t ArticleIndexGrouping = 0;      // 266
  int32_t HTMLExtension = 0;             // 202
  std::string CoolLinkCaption;           // 214
  std::string IndexPageCaption;          // 242
  std::string ArchiveIndexCaption;       // 252
  std::string ArticleIndexCaption;       // 262
  std::string ReadThisArticleCaption;    // 263
  std::string ParentSiteCaption;         // 290
  std::string ParentSiteURL;             // 291
  std::string TemplateFile;              // 301
  std::string FTPSite;                   // 501
  std::string FTPPort;                   // 502
  std::string FTPTargetDirectory;        // 503
  std::string FTPUserid;                 // 504
  std::string FTPPassword;               // 505
  int32_t FTPPassive = 0;                // 506
  int32_t ShowFTPConversation = 0;       // 507
  int32_t FTPSecurity = 0;               // 508, 0 plain FTP, 1 TLS when offered, 2 TLS required
  std::string FTPCertificateFingerprint; // 509, SHA-256 of a server certificate trusted for this blog
  int32_t FTPTimeout = 0;                // 510, seconds
  std::string RSS091PageName;            // 401
  std::string RSS20PageName;             // 402
  std::string RSSChannelTitle;           // 403
  std::string RSSChannelLink;            // 404
  std::string RSSDescription;            // 409
  int32_t RSSItemText = 0;               // 410
  int32_t RSSItemEntries = 0;            // 411
  int32_t RSS091Feed = 0;                // 412, 1 = do not create the RSS 0.91 feed
  std::string BackupLocation;            // 190
  int32_t BackupsToKeep = 0;             // 191
  std::string DefaultKeywords;           // 601
  std::string DefaultDescription;        // 602
  std::array<std::string, 10> CustomTag; // 611-620
  std::string PageTitleArchiveByMonth;   // 253
  std::string PageTitleArticleIndex;     // 264
  std::string PageTitleDailyEntries;     // 254
  std::string PageTitleWeeklyEntries;    // 255
  int32_t IncludeArticleTeasers = 0;     // 267
  std::string CategoryIndexPageName;     // 271
  std::string CategoryIndexCaption;      // 272
  std::string PageTitleCategoryIndex;    // 273
  int32_t CategoryIndexInNavBar = 0;     // 274
  int32_t IncludeCategoryTeasers = 0;    // 275
  int32_t ArchiveDefaultDescription = 0; // 256
  std::string PageNamePrefix;            // 203
  int32_t PublishingLocation = 0;        // 511, 0 FTP, 1 file copy
  std::string FileCopyDestination;       // 512
  int32_t ShowRecentOnHome = 0;          // 245
  std::string RecentPageName;            // 246
  std::string RecentLinkCaption;         // 247
  std::string RecentPageTitle;           // 248
  int32_t RecentInNavBar = 0;            // 249
  int32_t ArticleListStyle = 0;          // 268
  int32_t CategoryListStyle = 0;         // 276

  friend bool operator==(const BlogOptionsRec&, const BlogOptionsRec&) = default;
};

enum class OptionKind { Text, Integer, Memo };

struct OptionDef {
  int key;
  const char* name;
  OptionKind kind;
  // Exactly one of the two is set; custom tags use customTag (1 to 10) instead.
  std::string BlogOptionsRec::*text = nullptr;
  int32_t BlogOptionsRec::*integer = nullptr;
  int customTag = 0;
  const char* textDefault = "";
  int32_t intDefault = 0;
};

inline constexpr int kVersionOptionKey = 999;
inline constexpr int kCurrentFileVersion = 85;

// The 76 options in the order of BlogOptionsRec.
const std::vector<OptionDef>& optionDefs();
// Option 510 as the FTP session uses it: the default when not positive, and
// at most kMaxFtpTimeoutSeconds.
inline constexpr int32_t kDefaultFtpTimeoutSeconds = 30;
inline constexpr int32_t kMaxFtpTimeoutSeconds = 3600;
int32_t ftpTimeoutSeconds(const BlogOptionsRec& rec);

// nullptr when the key is not an option (999 among them).
const OptionDef* optionDef(int key);
// The fixed order in which SaveOptions writes the rows.
const std::vector<int>& saveOrder();

// Text and memo options: the value; for an integer option the number in decimal.
std::string optionText(const BlogOptionsRec& rec, const OptionDef& def);
int32_t optionInteger(const BlogOptionsRec& rec, const OptionDef& def);
std::string& optionTextRef(BlogOptionsRec& rec, const OptionDef& def);
// The text written to OptionValue for integer and memo options (and the value
// itself for text options).
std::string displayValue(const BlogOptionsRec& rec, const OptionDef& def);

// Every field to its default; option 190 becomes programFolder.
void SetDefaultOptions(BlogOptionsRec& rec, const std::string& programFolder);
// Reads the options rows of the open table into rec (after SetDefaultOptions).
// The table's current row is kept.
void LoadOptions(Table& tblOptions, BlogOptionsRec& rec, const std::string& programFolder);
// Rewrites the option rows in one transaction: on failure nothing changes.
// Rows 999 and unknown keys are left alone.
void SaveOptions(Table& tblOptions, const BlogOptionsRec& rec);

}  // namespace tessary::store
