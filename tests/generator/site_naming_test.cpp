#include <gtest/gtest.h>

#include "generator/entry_format.h"
#include "generator/site_naming.h"

namespace tessary::generator {
namespace {

using util::encodeDate;
using util::encodeDateTime;

TEST(SiteNamingTest, PrefixIsSanitisedThenTrimmed) {
  EXPECT_EQ(sanitizePagePrefix("my/blog: "), "my-blog-");
  EXPECT_EQ(sanitizePagePrefix("a\\b:c*d\"e<f>g|h"), "a-b-c-d-e-f-g-h");
  EXPECT_EQ(sanitizePagePrefix("  \t"), "");
  EXPECT_EQ(pageExtensionOf(1), ".htm");
  EXPECT_EQ(pageExtensionOf(0), ".html");
  EXPECT_EQ(pageExtensionOf(7), ".html");
}

TEST(SiteNamingTest, WeekKeysFollowTheThursdayRule) {
  struct Case {
    int y, m, d;
    int32_t key;
  } cases[] = {
      {2003, 8, 1, 2003075},   // Friday: week 5 of July
      {2003, 3, 1, 2003024},   // Saturday: week 4 of February
      {2003, 3, 31, 2003041},  // Monday: week 1 of April
      {2003, 12, 29, 2004011}, // Monday: week 1 of January 2004
      {2003, 7, 28, 2003075},  // the Monday of the same week as 1 August
      {2003, 8, 4, 2003081},   // the next Monday opens week 1 of August
      {2004, 1, 1, 2004011},   // Thursday 1 January
      {2005, 1, 1, 2004125},   // Saturday: last week of December 2004
  };
  for (const Case& c : cases) {
    EXPECT_EQ(weekKeyOf(encodeDate(c.y, c.m, c.d)), c.key) << c.y << "-" << c.m << "-" << c.d;
  }
  // Every day of a week shares key and caption.
  for (int d = 28; d <= 31; ++d) {
    EXPECT_EQ(weekKeyOf(encodeDate(2003, 7, d)), 2003075);
    EXPECT_EQ(weekCaptionOf(encodeDate(2003, 7, d)), "2003-07-28 to 2003-08-03");
  }
  for (int d = 1; d <= 3; ++d) EXPECT_EQ(weekCaptionOf(encodeDate(2003, 8, d)), "2003-07-28 to 2003-08-03");
}

TEST(SiteNamingTest, WeekNumbersStayWithinOneToFiveOverManyYears) {
  int32_t lastKey = 0;
  for (util::DateTime d = encodeDate(1999, 12, 1); d < encodeDate(2012, 1, 1); d += 1) {
    const int32_t key = weekKeyOf(d);
    const int week = key % 10;
    ASSERT_GE(week, 1);
    ASSERT_LE(week, 5);
    // A new key starts exactly on Mondays, and keys only grow.
    if (lastKey != 0 && key != lastKey) {
      ASSERT_EQ(util::isoDayOfWeek(d), 1) << key;
      ASSERT_GT(key, lastKey);
    }
    lastKey = key;
  }
}

TEST(SiteNamingTest, PeriodKeysAndCaptions) {
  const PeriodKeys k = periodKeysOf(encodeDateTime({2003, 3, 31, 23, 59, 0, 0}));
  EXPECT_EQ(k.monthKey, 200303);
  EXPECT_EQ(k.weekKey, 2003041);
  EXPECT_EQ(k.dayKey, 20030331);
  EXPECT_EQ(k.monthCaption, "March 2003");
  EXPECT_EQ(k.weekCaption, "2003-03-31 to 2003-04-06");
  EXPECT_EQ(k.dayCaption, "2003-03-31");
}

TEST(SiteNamingTest, FileNamesAndEntryLocations) {
  const SiteNames plain{"", ".html"};
  EXPECT_EQ(plain.page("about"), "about.html");
  EXPECT_EQ(plain.monthPage(200401), "200401.html");
  EXPECT_EQ(plain.freeFormatPage(" data.txt "), "data.txt");
  EXPECT_EQ(plain.freeFormatPage("notes"), "notes.html");

  const SiteNames n{"my-", ".htm"};
  EXPECT_EQ(n.weekPage(2003075), "my-2003075w.htm");
  EXPECT_EQ(n.dayPage(20030801), "my-20030801.htm");
  EXPECT_EQ(n.feed("rss.xml"), "my-rss.xml");

  store::BlogRec rec;
  rec.BlogKey = 42;
  rec.BlogPageName = "page";
  const PeriodKeys k = periodKeysOf(encodeDate(2003, 8, 1));
  rec.BlogPageType = store::kBlogEntry;
  EXPECT_EQ(EntryLocation(n, ArchiveMode::Monthly, rec, k), "my-200308.htm#e42");
  EXPECT_EQ(EntryLocation(n, ArchiveMode::Weekly, rec, k), "my-2003075w.htm#e42");
  EXPECT_EQ(EntryLocation(n, ArchiveMode::Daily, rec, k), "my-20030801.htm#e42");
  rec.BlogPageType = store::kStaticPage;  // static pages are addressed on their archive page too
  EXPECT_EQ(EntryLocation(n, ArchiveMode::Monthly, rec, k), "my-200308.htm#e42");
  rec.BlogPageType = store::kArticlePage;
  EXPECT_EQ(EntryLocation(n, ArchiveMode::Weekly, rec, k), "my-page.htm");
  EXPECT_EQ(EntryPermalinkHref(n, ArchiveMode::Weekly, rec, k), "my-page.htm");
  rec.BlogPageType = store::kRedirectPage;
  EXPECT_EQ(EntryLocation(n, ArchiveMode::Daily, rec, k), "my-page.htm");
  EXPECT_EQ(EntryPermalinkHref(n, ArchiveMode::Weekly, rec, k), "my-2003075w.htm#e42");
  rec.BlogPageType = store::kFreeFormatPage;
  rec.BlogPageName = "feed.txt";
  EXPECT_EQ(EntryLocation(n, ArchiveMode::Daily, rec, k), "my-feed.txt");
  EXPECT_EQ(archiveModeOf(1), ArchiveMode::Weekly);
  EXPECT_EQ(archiveModeOf(2), ArchiveMode::Daily);
  EXPECT_EQ(archiveModeOf(9), ArchiveMode::Monthly);
  EXPECT_EQ(entryAnchor(7), "<A id=\"e7\"></A>");
}

}  // namespace
}  // namespace tessary::generator
