#include <gtest/gtest.h>

#include "generator/entry_format.h"
#include "util/text.h"

namespace tessary::generator {
namespace {

TEST(EntryFormatTest, AutoFormatTurnsLineBreakPairsIntoTags) {
  EXPECT_EQ(AutoFormat("a\r\n\r\nb\r\nc", 1), "a<P>b<BR>c");
  EXPECT_EQ(AutoFormat("a\r\n\r\n\r\nb", 1), "a<P><BR>b");
  EXPECT_EQ(AutoFormat("a\r\n\r\nb", 0), "a\r\n\r\nb");
}

// Text from a file or a text widget often breaks lines with LF alone (or CR
// alone): every kind of line break counts alike.
TEST(EntryFormatTest, AutoFormatTreatsLfAndCrLikeCrLf) {
  EXPECT_EQ(AutoFormat("a\n\nb\nc", 1), "a<P>b<BR>c");
  EXPECT_EQ(AutoFormat("a\r\rb\rc", 1), "a<P>b<BR>c");
  EXPECT_EQ(AutoFormat("a\n\n\nb", 1), "a<P><BR>b");
  EXPECT_EQ(AutoFormat("a\r\n\nb\n\r\nc", 1), "a<P>b<P>c") << "mixed breaks";
  EXPECT_EQ(AutoFormat("a\nb\rc", 0), "a\nb\rc");
}

// Markdown: CommonMark blocks and inlines, the table, strikethrough and
// autolink extensions, HTML written in the text kept, any line break.
TEST(EntryFormatTest, MarkdownBecomesHtml) {
  EXPECT_EQ(AutoFormat("# Title\r\n\r\nSome *words* and **more**.", kFormatMarkdown),
            "<h1>Title</h1>\n<p>Some <em>words</em> and <strong>more</strong>.</p>");
  EXPECT_EQ(AutoFormat("a\nb\n\nc", kFormatMarkdown), "<p>a\nb</p>\n<p>c</p>");
  EXPECT_EQ(AutoFormat("- one\r\n- two", kFormatMarkdown), "<ul>\n<li>one</li>\n<li>two</li>\n</ul>");
  EXPECT_EQ(AutoFormat("~~gone~~ and https://example.org/x", kFormatMarkdown),
            "<p><del>gone</del> and <a href=\"https://example.org/x\">https://example.org/x</a></p>");
  EXPECT_EQ(AutoFormat("| a | b |\n|---|---|\n| 1 | 2 |", kFormatMarkdown),
            "<table>\n<thead>\n<tr>\n<th>a</th>\n<th>b</th>\n</tr>\n</thead>\n<tbody>\n<tr>\n<td>1</td>\n"
            "<td>2</td>\n</tr>\n</tbody>\n</table>");
  EXPECT_EQ(AutoFormat("<div class=\"x\">kept</div>\n\ntext & <b>bold</b>", kFormatMarkdown),
            "<div class=\"x\">kept</div>\n<p>text &amp; <b>bold</b></p>");
  EXPECT_EQ(AutoFormat("    code <here>", kFormatMarkdown), "<pre><code>code &lt;here&gt;\n</code></pre>");
  EXPECT_EQ(AutoFormat("", kFormatMarkdown), "");
  // Bytes that are not UTF-8 and a NUL do not stop it.
  EXPECT_FALSE(AutoFormat(std::string("a\xff\0b", 4), kFormatMarkdown).empty());
  // The other values are unchanged by it.
  EXPECT_EQ(AutoFormat("*a*", 0), "*a*");
  EXPECT_EQ(AutoFormat("*a*", 3), "*a*");
}

TEST(EntryFormatTest, SiteLanguageIsATagOrEnglish) {
  EXPECT_EQ(siteLanguageOf("de"), "de");
  EXPECT_EQ(siteLanguageOf(" de-CH "), "de-CH");
  EXPECT_EQ(siteLanguageOf(""), "en");
  EXPECT_EQ(siteLanguageOf("en\" onload=\"x"), "en") << "never breaks out of the attribute";
  EXPECT_EQ(siteLanguageOf("-x"), "en");
  EXPECT_EQ(siteLanguageOf(std::string(40, 'a')), "en");
}

TEST(EntryFormatTest, CutTeaserCountsEveryLineBreakAsOneCharacter) {
  std::string lf;
  for (int i = 0; i < 60; ++i) lf += "ab\n";
  for (int i = 0; i < 40; ++i) lf += "word ";
  const std::string crlf = util::replaceAll(lf, "\n", "\r\n");
  const std::string cut = CutTeaser(lf);
  EXPECT_EQ(util::charCount(cut), 256u + 3u + 3u) << "256 copied, the rest of a word, \"...\"";
  EXPECT_EQ(CutTeaser(crlf), util::replaceAll(cut, "\n", "\r\n"));
  EXPECT_EQ(CutTeaser(util::replaceAll(lf, "\n", "\r")), util::replaceAll(cut, "\n", "\r"));
}

TEST(EntryFormatTest, CutTeaserDropsTagsAndCutsLongTexts) {
  EXPECT_EQ(CutTeaser("a <b>bold</b> word"), "a bold word");
  EXPECT_EQ(CutTeaser("x > y &amp; z"), "x  y &amp; z");
  EXPECT_EQ(CutTeaser("start <unclosed tag and the rest"), "start ");

  const std::string s250(250, 'a');
  EXPECT_EQ(CutTeaser(s250), s250);  // whole, last character included, no "..."
  const std::string s300(300, 'b');
  EXPECT_EQ(CutTeaser(s300), s300 + "...");

  // Cut at the first blank once 256 characters are copied.
  std::string words;
  while (words.size() < 400) words += "word ";
  const std::string cut = CutTeaser(words);
  EXPECT_EQ(cut, words.substr(0, 259) + "...");  // 256 characters, then the rest of "word"
  // Characters are code points: the cut never splits one.
  std::string wide;
  for (int i = 0; i < 300; ++i) wide += "\xC3\xA9";
  wide += " tail";
  EXPECT_EQ(CutTeaser(wide), wide.substr(0, 600) + "...");
  // Tags do not count towards the cut: 200 visible characters stay whole.
  std::string tagged, visible;
  for (int i = 0; i < 100; ++i) {
    tagged += "<i>ab</i>";
    visible += "ab";
  }
  EXPECT_EQ(CutTeaser(tagged), visible);
}

TEST(EntryFormatTest, EightDateFormats) {
  const util::DateTime t = util::encodeDateTime({2004, 3, 2, 0, 5, 0, 0});
  const util::DateTime pm = util::encodeDateTime({2004, 3, 2, 13, 7, 0, 0});
  struct Case {
    int32_t format;
    const char* date;
    const char* words;
  } cases[] = {
      {0, "2004-03-02 00:05", "March 2, 2004 00:05"},
      {1, "2004-03-02 00:05", "March 2, 2004  12:05 am"},
      {2, "2004-03-02", "March 2, 2004"},
      {3, "2004-03-02 00:05", "2004-03-02 00:05"},
      {4, "2004-03-02", "2004-03-02"},
      {5, "02-03-2004", "02-03-2004"},
      {6, "02-03-2004 00:05", "02-03-2004 00:05"},
      {7, "02-03-2004 12:05 am", "02-03-2004 12:05 am"},
      {99, "2004-03-02 00:05", "March 2, 2004 00:05"},
  };
  for (const Case& c : cases) {
    const EntryDates d = formatEntryDates(t, c.format);
    EXPECT_EQ(d.date, c.date) << c.format;
    EXPECT_EQ(d.words, c.words) << c.format;
  }
  EXPECT_EQ(formatEntryDates(pm, 1).words, "March 2, 2004  1:07 pm");
  EXPECT_EQ(formatEntryDates(pm, 7).date, "02-03-2004 1:07 pm");
  EXPECT_EQ(formatEntryDates(util::encodeDateTime({2004, 3, 2, 12, 0, 0, 0}), 7).words, "02-03-2004 12:00 pm");
}

}  // namespace
}  // namespace tessary::generator

namespace tessary::generator {
namespace {

TEST(FillEntryRecordTest, ArticlesShowTheirTeaserWithAReadLink) {
  store::BlogOptionsRec o;
  o.HTMLFormatting = 1;
  o.ReadThisArticleCaption = "(Read Article)";
  o.CoolLinkCaption = "See page";
  o.ArchiveByDate = 1;
  const SiteNames n{"p-", ".html"};
  store::BlogRec r;
  r.BlogKey = 9;
  r.BlogDateTime = util::encodeDateTime({2004, 3, 2, 0, 5, 0, 0});
  r.BlogTitle = "Title";
  r.BlogText = "Body <b>bold</b>\r\nline";
  r.BlogPageType = store::kArticlePage;
  r.BlogPageName = "art";
  r.BlogCoolURL = "http://x/";
  r.BlogTeaser = "T";  // one character: the body is cut instead
  const PeriodKeys k = periodKeysOf(r.BlogDateTime);
  auto e = FillEntryRecord(r, k, o, n);
  EXPECT_EQ(e.EntryId, "9");
  EXPECT_EQ(e.EntryText, "Body boldline <A HREF=\"p-art.html\" class=\"entrylink\">(Read Article)</A>");
  EXPECT_EQ(e.EntryUrlRelated, "");
  EXPECT_EQ(e.EntryPermalinkHref, "p-art.html");
  EXPECT_EQ(e.EntryDate, "2004-03-02 00:05");
  r.BlogTeaser = "Te";
  e = FillEntryRecord(r, k, o, n);
  EXPECT_EQ(e.EntryText, "Te <A HREF=\"p-art.html\" class=\"entrylink\">(Read Article)</A>");
  EXPECT_EQ(e.EntryTeaser, "Te");

  r.BlogPageType = store::kBlogEntry;
  e = FillEntryRecord(r, k, o, n);
  EXPECT_EQ(e.EntryText, "Body <b>bold</b><BR>line");
  EXPECT_EQ(e.EntryUrlRelated, "<A HREF=\"http://x/\" target=\"_blank\" class=\"entrylink\">See page</A>");
  EXPECT_EQ(e.EntryPermalinkHref, "p-2004031w.html#e9");
  EXPECT_TRUE(e.CatTitle.empty() && e.CatText.empty() && e.CatParentLink.empty());
  r.BlogCoolURL.clear();
  EXPECT_EQ(FillEntryRecord(r, k, o, n).EntryUrlRelated, "");

  // A Markdown article's teaser is its text without the markup.
  o.HTMLFormatting = kFormatMarkdown;
  r.BlogPageType = store::kArticlePage;
  r.BlogTeaser.clear();
  r.BlogText = "## A **strong** start\r\n\r\nand [a link](http://x/).";
  e = FillEntryRecord(r, k, o, n);
  EXPECT_EQ(e.EntryText, "A strong start\nand a link. <A HREF=\"p-art.html\" class=\"entrylink\">(Read Article)</A>");
}

}  // namespace
}  // namespace tessary::generator
