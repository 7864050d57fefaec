// BlogRec: one entry in memory, as the entry editor and the exports see it.
#pragma once

#include <cstdint>
#include <string>

#include "util/date_time.h"

namespace tessary::store {

// The entry types, the values of BlogPageType.
enum BlogPageType : int32_t {
  kBlogEntry = 0,
  kArticlePage = 1,
  kStaticPage = 2,
  kHiddenPage = 3,
  kHomePage = 4,
  kRecentEntriesPage = 5,
  kRedirectPage = 6,
  kFreeFormatPage = 7,
};

// The texts of the entry types, as the entry editor lists them; "" outside 0 to 7.
const char* entryTypeText(int32_t type);

inline constexpr int32_t kNoCategory = -1;

struct BlogRec {
  int32_t BlogKey = -1;
  util::DateTime BlogDateTime = 0;
  std::string BlogTitle;
  std::string BlogText;
  int32_t BlogCategory = kNoCategory;
  std::string BlogCoolURL;
  int32_t BlogPageType = kBlogEntry;
  std::string BlogPageName;
  std::string BlogTeaser;
  std::string BlogKeywords;
  std::string BlogSidebar;
  std::string BlogExtra1;
  std::string BlogExtra2;
  std::string BlogTitle1;
  std::string BlogTitle2;
  std::string BlogMetaDesc;
  int32_t BlogCategory2 = kNoCategory;
  int32_t BlogCategory3 = kNoCategory;

  friend bool operator==(const BlogRec&, const BlogRec&) = default;
};

// A new entry: key -1, the current date and time, empty texts, type 0, no categories.
BlogRec newBlogRec();

}  // namespace tessary::store
