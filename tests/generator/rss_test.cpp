#include "generator/rss.h"

#include <gtest/gtest.h>

#include "store/blog_rec.h"
#include "support/test_support.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

using testing::RecordingLog;

TEST(EscapeXmlTest, EscapesTheFiveCharactersInOrder) {
  EXPECT_EQ(EscapeXml("Tom & \"Jerry\" <b>'s</b>"),
            "Tom &amp; &quot;Jerry&quot; &lt;b&gt;&apos;s&lt;/b&gt;");
  // An entity already in the text is escaped again: the feed shows it as typed.
  EXPECT_EQ(EscapeXml("&amp;"), "&amp;amp;");
  EXPECT_EQ(EscapeXml(""), "");
}

TEST(EscapeXmlTest, KeepsUtf8AndConvertsStrayBytesAsWindows1252) {
  EXPECT_EQ(EscapeXml("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xC3\xA9 \xE2\x82\xAC");
  // A lone 0xE9 (e acute) and 0x80 (euro sign) are not UTF-8: read them as Windows-1252.
  EXPECT_EQ(EscapeXml("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  // A truncated sequence at the end.
  EXPECT_EQ(EscapeXml("a\xC3"), "a\xC3\x83");
}

TEST(EscapeXmlTest, DropsControlCharactersXmlForbids) {
  EXPECT_EQ(EscapeXml(std::string("a\x01" "b\x0C" "c\td\r\ne", 10)), "abc\td\r\ne");
  EXPECT_EQ(EscapeXml(std::string("x\0y", 3)), "xy");
}

TEST(Rfc822DateTest, FormatsDayMonthTimeAndOffset) {
  const util::DateTime d = util::encodeDateTime({2004, 3, 2, 0, 5, 9, 0});
  EXPECT_EQ(Rfc822Date(d, 60), "Tue, 2 Mar 2004 00:05:09 +0100");
  EXPECT_EQ(Rfc822Date(d, 0), "Tue, 2 Mar 2004 00:05:09 +0000");
  EXPECT_EQ(Rfc822Date(d, -330), "Tue, 2 Mar 2004 00:05:09 -0530");
  EXPECT_EQ(Rfc822Date(util::encodeDateTime({2003, 12, 28, 23, 59, 0, 0}), 0),
            "Sun, 28 Dec 2003 23:59:00 +0000");
}

store::BlogOptionsRec feedOptions() {
  store::BlogOptionsRec o;
  o.BlogTitle = "My Blog";
  o.BlogUrl = "http://www.example.org/blog";
  o.IndexPageName = "index";
  o.RSSItemEntries = 10;
  o.CoolLinkCaption = "See page";
  return o;
}

TEST(FeedSettingsTest, BlogAddressGetsATrailingSlashAndChannelFallsBack) {
  auto o = feedOptions();
  auto s = computeFeedSettings(o, "p-", ".htm", 0, 100.5, 0);
  EXPECT_EQ(s.blogAddress, "http://www.example.org/blog/");
  EXPECT_EQ(s.channelTitle, "My Blog");
  EXPECT_EQ(s.channelLink, "http://www.example.org/blog/p-index.htm");
  EXPECT_EQ(s.channelDate, 100.5);  // no rows: the current time

  o.BlogUrl = " x ";
  o.RSSChannelTitle = "Feed";
  o.RSSChannelLink = "http://elsewhere/";
  s = computeFeedSettings(o, "", ".html", 50, 100, 0);
  EXPECT_EQ(s.blogAddress, "x");  // one character: no slash
  EXPECT_EQ(s.channelTitle, "Feed");
  EXPECT_EQ(s.channelLink, "http://elsewhere/");
  EXPECT_EQ(s.channelDate, 50);
}

TEST(FeedSettingsTest, ItemLimitIsClampedAndWrittenBack) {
  auto o = feedOptions();
  o.RSSItemEntries = 0;
  EXPECT_EQ(computeFeedSettings(o, "", ".html", 1, 1, 0).itemLimit, 1);
  EXPECT_EQ(o.RSSItemEntries, 1);
  o.RSSItemEntries = 250;
  EXPECT_EQ(computeFeedSettings(o, "", ".html", 1, 1, 0).itemLimit, 100);
  EXPECT_EQ(o.RSSItemEntries, 100);
}

TEST(FeedSettingsTest, AddressWarnings) {
  auto o = feedOptions();
  o.BlogUrl = "";
  RecordingLog log;
  warnAboutFeedAddresses(o, computeFeedSettings(o, "", ".html", 1, 1, 0), log);
  ASSERT_EQ(log.lines.size(), 4u);  // the channel link built from an empty address fails too
  for (const auto& l : log.lines) EXPECT_TRUE(l.coloured && l.colour == colours::kRed);
  EXPECT_EQ(log.lines[0].text, "*** Warning: RSS feed files will not validate - data missing");
  EXPECT_TRUE(util::startsWith(log.lines[1].text,
                               "*** Please visit the OPTIONS page for BASIC OPTIONS and enter a valid "
                               "BLOG URL. For example http://"));
  EXPECT_TRUE(util::startsWith(log.lines[3].text,
                               "*** Please visit the OPTIONS page for RSS OPTIONS and enter a valid "
                               "RSS CHANNEL LINK. For example http://"));

  log.lines.clear();
  o.BlogUrl = "HTTP://Example.org";
  warnAboutFeedAddresses(o, computeFeedSettings(o, "", ".html", 1, 1, 0), log);
  EXPECT_TRUE(log.lines.empty());

  o.RSSChannelLink = "ftp://x";
  warnAboutFeedAddresses(o, computeFeedSettings(o, "", ".html", 1, 1, 0), log);
  EXPECT_EQ(log.lines.size(), 2u);
}

TEST(FeedSettingsTest, HttpsAddressesValidate) {
  auto o = feedOptions();
  RecordingLog log;
  o.BlogUrl = "https://example.org/blog";
  warnAboutFeedAddresses(o, computeFeedSettings(o, "", ".html", 1, 1, 0), log);
  EXPECT_TRUE(log.lines.empty()) << "the channel link built from it is https:// as well";
  o.BlogUrl = "HTTPS://example.org/";
  o.RSSChannelLink = "https://example.org/blog/index.html";
  warnAboutFeedAddresses(o, computeFeedSettings(o, "", ".html", 1, 1, 0), log);
  EXPECT_TRUE(log.lines.empty());
  o.BlogUrl = "httpsx://example.org/";
  warnAboutFeedAddresses(o, computeFeedSettings(o, "", ".html", 1, 1, 0), log);
  EXPECT_EQ(log.lines.size(), 2u);
}

FeedItem item(int n, int32_t type = 0) {
  FeedItem it;
  it.type = type;
  it.title = "Entry " + std::to_string(n);
  it.link = "http://www.example.org/blog/200401.html#e" + std::to_string(n);
  it.date = util::encodeDateTime({2004, 1, 1 + n % 28, 12, 0, 0, 0});
  it.plainTeaser = "plain " + std::to_string(n);
  it.formattedTeaser = "teaser " + std::to_string(n);
  it.formattedText = "<P>text " + std::to_string(n);
  return it;
}

TEST(FeedBuilderTest, ItemLimitCountsOnlyEntriesAndArticles) {
  auto o = feedOptions();
  FeedBuilder b;
  b.start(computeFeedSettings(o, "", ".html", 1, 1, 0));
  EXPECT_FALSE(b.addItem(item(100, store::kStaticPage)));
  EXPECT_FALSE(b.addItem(item(101, store::kHiddenPage)));
  int added = 0;
  for (int i = 0; i < 30; ++i) added += b.addItem(item(i, i % 2)) ? 1 : 0;
  b.finish([] { return 7; });
  EXPECT_EQ(added, 10);
  EXPECT_EQ(b.itemCounter(), 30);
  for (const std::string* doc : {&b.rss091(), &b.rss20()}) {
    size_t items = 0;
    for (size_t p = doc->find("<item>"); p != std::string::npos; p = doc->find("<item>", p + 1)) ++items;
    EXPECT_EQ(items, 10u);
    EXPECT_NE(doc->find("<title>Entry 9</title>"), std::string::npos);
    EXPECT_EQ(doc->find("Entry 10<"), std::string::npos);
    EXPECT_EQ(doc->find("Entry 100"), std::string::npos);
  }
}

TEST(FeedBuilderTest, DocumentsLineByLine) {
  auto o = feedOptions();
  o.RSSDescription = "About [%RANDOM%] **[**%x**%**]";
  FeedBuilder b;
  b.start(computeFeedSettings(o, "", ".html", util::encodeDateTime({2004, 3, 2, 0, 5, 0, 0}), 1, 60));
  auto it = item(3);
  it.title = "Fish & \"Chips\"";
  it.coolUrl = "http://x.org/?a=1&b=2";
  b.addItem(it);
  int draws = 0;
  b.finish([&] { return ++draws * 11; });
  EXPECT_EQ(draws, 2);
  const std::string channel =
      "<title>My Blog</title>\r\n"
      "<link>http://www.example.org/blog/index.html</link>\r\n";
  EXPECT_EQ(b.rss091(),
            "<?xml version=\"1.0\" ?>\r\n"
            "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
            "\"http://my.netscape.com/publish/formats/rss-0.91.dtd\">\r\n"
            "<rss version=\"0.91\">\r\n<channel>\r\n" +
                channel +
                "<description>About 11 [%x%]</description>\r\n"
                "<language>en-us</language>\r\n"
                "<pubDate>Tue, 2 Mar 2004 00:05:00 +0100</pubDate>\r\n"
                "<lastBuildDate>Tue, 2 Mar 2004 00:05:00 +0100</lastBuildDate>\r\n"
                "<item>\r\n<title>Fish &amp; &quot;Chips&quot;</title>\r\n"
                "<link>http://www.example.org/blog/200401.html#e3</link>\r\n"
                "<description>plain 3</description>\r\n</item>\r\n"
                "</channel>\r\n</rss>\r\n");
  EXPECT_EQ(b.rss20(),
            "<?xml version=\"1.0\" ?>\r\n<rss version=\"2.0\">\r\n<channel>\r\n" + channel +
                "<description>About 22 [%x%]</description>\r\n"
                "<language>en-us</language>\r\n"
                "<pubDate>Tue, 2 Mar 2004 00:05:00 +0100</pubDate>\r\n"
                "<lastBuildDate>Tue, 2 Mar 2004 00:05:00 +0100</lastBuildDate>\r\n"
                "<generator>Tessary ( https://github.com/tessary/tessary )</generator>\r\n"
                "<item>\r\n<title>Fish &amp; &quot;Chips&quot;</title>\r\n"
                "<link>http://www.example.org/blog/200401.html#e3</link>\r\n"
                "<guid>http://www.example.org/blog/200401.html#e3</guid>\r\n"
                "<pubDate>Sun, 4 Jan 2004 12:00:00 +0100</pubDate>\r\n"
                "<description>&lt;BASE HREF=&quot;http://www.example.org/blog/&quot;&gt;&lt;P&gt;text 3"
                " &lt;A HREF=&quot;http://x.org/?a=1&amp;b=2&quot; target=&quot;_blank&quot;&gt;See "
                "page&lt;/A&gt;</description>\r\n"
                "</item>\r\n</channel>\r\n</rss>\r\n");
}

TEST(FeedBuilderTest, TeaserModeUsesTheCutFormattedText) {
  auto o = feedOptions();
  o.RSSItemText = 1;
  FeedBuilder b;
  b.start(computeFeedSettings(o, "", ".html", 1, 1, 0));
  b.addItem(item(4));
  b.finish([] { return 0; });
  EXPECT_NE(b.rss20().find("<description>teaser 4</description>"), std::string::npos);
  EXPECT_NE(b.rss091().find("<description>plain 4</description>"), std::string::npos);
}

}  // namespace
}  // namespace tessary::generator
