#include "templates/tag_engine.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "templates/package.h"

namespace tessary::templates {
namespace {

const std::string S(1, kFieldSeparator);

// Pins [%RANDOM%] for the life of the object.
class PinnedRandom {
 public:
  explicit PinnedRandom(uint32_t n) : before_(SetRandomSource([n] { return n; })) {}
  ~PinnedRandom() { SetRandomSource(before_); }

 private:
  RandomSource before_;
};

TemplatePackage packageWithDefaultLayout(const SliceList& slices) {
  TemplatePackage p;
  p.lines() = newPackageLines();
  p.lines()[1] = encodeTemplateRecord(slices);
  p.SplitTemplatePackage();
  return p;
}

std::string resolve(const std::string& text) {
  PinnedRandom pin(42);
  return ResolveCommands(text);
}

TEST(EvaluateCommandTest, FieldsValuesAndCase) {
  EXPECT_EQ(EvaluateCommand("IFNOTBLANK", "x~~shown"), "shown");
  EXPECT_EQ(EvaluateCommand("IFNOTBLANK", "~~shown"), "");
  EXPECT_EQ(EvaluateCommand("IFBLANK", " \t\r\n ~~shown "), "shown") << "a field of blanks is empty";
  EXPECT_EQ(EvaluateCommand("ifnotblank", "x~~shown"), "shown");
  EXPECT_EQ(EvaluateCommand(" IFNOTBLANK", "x~~shown"), "") << "a blank before the name: unknown command";
  EXPECT_EQ(EvaluateCommand("IFBLANK", ""), "") << "no ~~: the value is empty";
  EXPECT_EQ(EvaluateCommand("IFNOTBLANK", "x"), "");
  EXPECT_EQ(EvaluateCommand("IFNOTBLANK", "x~~a~~b~~c"), "a~~b~~c");
  EXPECT_EQ(EvaluateCommand("SOMETHING", "x~~y"), "");
}

TEST(ResolveCommandsTest, NestingTwoLevelsAndThirdLeftAsText) {
  EXPECT_EQ(resolve("a[%IFNOTBLANK~~x~~[%IFNOTBLANK~~y~~in%]%]b"), "ainb");
  EXPECT_EQ(resolve("[%IFNOTBLANK~~x~~[%IFBLANK~~y~~in%]%]"), "");
  EXPECT_EQ(resolve("[%IFNOTBLANK~~x~~[%IFNOTBLANK~~y~~[%IFNOTBLANK~~z~~deep%]%]%]"), "[%IFNOTBLANK~~z~~deep%]");
  // The default template's About block, on and off the home page.
  const std::string about =
      "[%IFNOTBLANK~~TRUE~~[%IFNOTBLANK~~My about~~<p><span class=\"entrytitle\">About My Blog</span><p>"
      "<span class=\"mainabout\">My about</span><P>%]%]";
  EXPECT_EQ(resolve(about),
            "<p><span class=\"entrytitle\">About My Blog</span><p><span class=\"mainabout\">My about</span><P>");
  EXPECT_EQ(resolve("[%IFNOTBLANK~~~~[%IFNOTBLANK~~x~~y%]%]"), "");
}

TEST(ResolveCommandsTest, UnknownTagsVanishAndEscapesStay) {
  EXPECT_EQ(resolve("a[%thispage.Title%]b[%nonsense%]c"), "abc");
  EXPECT_EQ(resolve("x **[**%thispage.title**%**] y"), "x [%thispage.title%] y");
  EXPECT_EQ(resolve("[%%]"), "");
  EXPECT_EQ(resolve(""), "");
  EXPECT_EQ(resolve("plain text"), "plain text");
}

TEST(ResolveCommandsTest, UnclosedTagSwallowsTheRest) {
  EXPECT_EQ(resolve("kept [%unknown and all the text after it"), "kept ");
  // The rest without its last character is the command: here the value is "v".
  EXPECT_EQ(resolve("kept [%IFNOTBLANK~~x~~vX"), "kept v");
  EXPECT_EQ(resolve("end[%"), "end");
  EXPECT_EQ(resolve("end[%x"), "end");
  EXPECT_EQ(resolve("[%]"), "") << "the \"%]\" overlapping the opening does not close it";
}

TEST(ResolveCommandsTest, RandomIsOneNumberPerPageAndInRange) {
  {
    PinnedRandom pin(999998);
    EXPECT_EQ(ResolveCommands("[%RANDOM%]-[%RANDOM%]"), "999998-999998");
  }
  for (int i = 0; i < 200; ++i) {
    const std::string r = ResolveCommands("[%RANDOM%] [%RANDOM%] [%random%]");
    const size_t blank = r.find(' ');
    ASSERT_NE(blank, std::string::npos);
    const std::string a = r.substr(0, blank);
    EXPECT_EQ(r, a + " " + a + " ") << "lower-case random is an unknown tag";
    EXPECT_LE(std::stoul(a), 999998u);
  }
}

TEST(LinkClassTest, StripAndAdd) {
  const std::string links = "<a href=\"a\" class=\"entrylink\">A</a><a href=\"b\" class=\"menulink\">B</a>"
                            "<a href=\"c\" class=\"navbtn\">C</a>";
  EXPECT_EQ(StripLinkClasses(links), "<a href=\"a\">A</a><a href=\"b\">B</a><a href=\"c\" class=\"navbtn\">C</a>");
  EXPECT_EQ(AddEntryLinkClass("<a href=\"x\">X</a>"), "<a href=\"x\" class=\"entrylink\">X</a>");
  EXPECT_EQ(AddEntryLinkClass("<a href=\"x\" class=\"entrylink\">X</a>"),
            "<a href=\"x\" class=\"entrylink\" class=\"entrylink\">X</a>");
}

TEST(FillEntryTagsTest, SpansPlainTagsAndOnlyTheSliceIsSearched) {
  SliceList slices(10);
  slices[0] = "1";
  slices[2] = "[%entry.title.css%]|[%entry.title%]|[%entry.text.css%]|[%entry.date.css%]|[%entry.date.words.css%]|"
              "[%entry.sidebar.css%]|[%entry.url.related%]|[%entry.url.related.css%]|[%entry.attachfile%]"
              "[%entry.attachfile.href%]|[%entry.permalink.href%]|[%entry.custom.title.2%]|[%category.title%]";
  const TemplatePackage p = packageWithDefaultLayout(slices);
  templateEntryVars e;
  e.EntryTitle = "T";
  e.EntryText = "X";
  e.EntryDate = "D";
  e.EntryDateWords = "W";
  e.EntrySidebar = "S";
  e.EntryUrlRelated = "<A HREF=\"u\" class=\"entrylink\">R</A>";
  e.EntryPermalinkHref = "p.html";
  e.EntryCustomTitle2 = "C2";
  e.CatTitle = "cat";
  const std::string out = FillEntryTags(p, 3, "so far [%entry.title%]", kArticle, e, {}, {});
  EXPECT_EQ(out,
            "so far [%entry.title%]"
            "<span class=\"entrytitle\">T</span>|T|<span class=\"entrytext\">X</span>|<span class=\"entrydate\">D</span>|"
            "<span class=\"entrydate\">W</span>|<span class=\"entrytext\">S</span>|"
            "<A HREF=\"u\" class=\"entrylink\">R</A>|<A HREF=\"u\" class=\"entrylink\" class=\"entrylink\">R</A>||"
            "p.html|C2|[%category.title%]");
}

TEST(FillPageTagsTest, LinkRowsStatesAndOrder) {
  templatePageVars p;
  p.PageTitle = "Title";
  p.PageMenuTree = "<A HREF=\"#\" class=\"menulink\">m</A> : <A HREF=\"#\" class=\"menulink\">m</A>";
  p.PriorLink = "<a href=\"p.html\" class=\"menulink\">Prior</a>";
  p.PriorHref = "p.html";
  p.PageKind = kPageKindHome;
  templateGlobalVars g;
  g.NavbarColumn = "<a href=\"i\" class=\"navbtn\">Home</a>";
  g.HomeLink = "<a href=\"i.html\" class=\"menulink\">Home</a>";
  g.HomeHref = "i.html";
  g.Rss20FileName = "rss.xml";
  g.CategoryIndexLink = "<a href=\"c\" class=\"menulink\">C</a>";
  g.RecentLink = "<a href=\"r\" class=\"menulink\">R</a>";
  g.RecentHref = "r";
  templateEntryVars e;
  e.CatTitle = "Cat";

  EXPECT_EQ(FillPageTags("[%thispage.menutree%]", g, e, p), "<A HREF=\"#\">m</A> : <A HREF=\"#\">m</A>");
  EXPECT_EQ(FillPageTags("[%thispage.menutree.css%]", g, e, p), p.PageMenuTree);
  EXPECT_EQ(FillPageTags("[%links.navbar.column%]", g, e, p), g.NavbarColumn);
  EXPECT_EQ(FillPageTags("[%linkto.prior%]|[%linkto.prior.css%]|[%linkto.prior.href%]|[%linkto.prior.month%]", g, e, p),
            "<a href=\"p.html\">Prior</a>|" + p.PriorLink + "|p.html|" + p.PriorLink);
  EXPECT_EQ(FillPageTags("[%linkto.index.mainpage%]|[%linkto.index.mainpage.css%]|[%linkto.index.mainpage.href%]", g, e, p),
            "<a href=\"i.html\">Home</a>|" + g.HomeLink + "|i.html");
  EXPECT_EQ(FillPageTags("[%linkto.index.category%]|[%linkto.index.category.css%]", g, e, p),
            "<a href=\"c\">C</a>|" + g.CategoryIndexLink);
  EXPECT_EQ(FillPageTags("[%linkto.index.recententries%]|[%linkto.index.recententries.css%]|"
                         "[%linkto.index.recententries.href%]", g, e, p),
            "<a href=\"r\">R</a>|" + g.RecentLink + "|r");
  EXPECT_EQ(FillPageTags("[%ISHOMEPAGE%]/[%ISINDEXPAGE%]/[%ISHIDDENPAGE%]", g, e, p), "TRUE//");
  p.PageKind = kPageKindHidden;
  EXPECT_EQ(FillPageTags("[%ISHOMEPAGE%]/[%ISINDEXPAGE%]/[%ISHIDDENPAGE%]", g, e, p), "//TRUE");
  EXPECT_EQ(FillPageTags("[%category.title%] [%thispage.title.css%]", g, e, p),
            "Cat <span class=\"pagetitle\">Title</span>");

  SetPageNamePrefix("my-");
  EXPECT_EQ(FillPageTags("[%linkto.rss20.href%]", g, e, p), "my-rss.xml");
  SetPageNamePrefix("");
  EXPECT_EQ(FillPageTags("[%linkto.rss20.href%]", g, e, p), "rss.xml");
}

TEST(FillPageTagsTest, ValuesWithTagTextFollowTheOrder) {
  templatePageVars p;
  p.PageTitle = "Title";
  templateGlobalVars g;
  g.CustomTag1 = "[%thispage.title%]";
  g.MainTitle = "[%custom.tag.2%]";
  g.CustomTag2 = "two";
  templateEntryVars e;
  e.EntryText = "see [%thispage.title%]";
  const TemplatePackage pkg = packageWithDefaultLayout({"1", "[%entry.text%]|[%custom.tag.1%]|[%mainpage.title%]"});
  std::string page = FillEntryTags(pkg, 1, "", kStartOfPage, e, p, g);
  page = FillPageTags(page, g, e, p);
  EXPECT_EQ(page, "see Title|[%thispage.title%]|two");
  EXPECT_EQ(resolve(page), "see Title||two");
}

// A tag can be made by a replacement: a value completing a tag begun or ended
// around it, or an empty value joining the two halves of a tag. It is filled
// when its tag comes later in the order than every value it is made of.
TEST(FillPageTagsTest, TagsMadeByReplacementsAreFilledOnlyByLaterTags) {
  templatePageVars p;
  p.PageTitle = "Title";
  p.PageKind = kPageKindHome;
  templateGlobalVars g;
  g.CustomTag1 = "ONE";
  g.MainTitle = "x[%custom.tag";
  const std::string links(400, 'l');
  g.NavbarColumn = links + "[%custom.tag.1%]" + links;
  g.NavbarRow = links + "[%thispage.title%]";
  EXPECT_EQ(FillPageTags("[%custom.tag.[%ISINDEXPAGE%]1%]", g, {}, p), "ONE") << "the empty state joins the halves";
  EXPECT_EQ(FillPageTags("[%thispage.[%ISINDEXPAGE%]title%]", g, {}, p), "[%thispage.title%]")
      << "the title came before the state tags";
  EXPECT_EQ(FillPageTags("[%custom.tag.[%ISHOMEPAGE%]%]", g, {}, p), "[%custom.tag.TRUE%]");
  g.MainUrl = "tag.1";
  EXPECT_EQ(FillPageTags("[%custom.[%mainpage.url%]%]", g, {}, p), "ONE") << "a value that completes a name";
  EXPECT_EQ(FillPageTags("[%mainpage.title%].1%] [%thispage.title%]", g, {}, p), "xONE Title");
  EXPECT_EQ(FillPageTags("<nav>[%links.navbar.column%]</nav>", g, {}, p), "<nav>" + links + "ONE" + links + "</nav>");
  EXPECT_EQ(FillPageTags("[%links.navbar.row%]", g, {}, p), links + "[%thispage.title%]");

  templateEntryVars e;
  e.EntryText = "[%entry.title%] [%entry.text%]";
  e.EntryTitle = "[%entry.text%]";
  EXPECT_EQ(fillEntryTagsInText("[%entry.text%]", e), "[%entry.text%] [%entry.text%]");
  EXPECT_EQ(fillEntryTagsInText("[%entry.title%]", e), "[%entry.text%]");
  e.EntryTitle.clear();
  EXPECT_EQ(fillEntryTagsInText("[%entry.[%entry.title%]id%] [%entry.[%entry.id%]title%]", e), " [%entry.title%]")
      << "entry.id comes after entry.title, entry.title before entry.id";
}

// Meta values go inside the attribute values of the templates' meta tags: a
// quote in them must not end the attribute. Plain "&" is escaped; an "&" that
// already starts a character reference is left alone, so a value written as
// HTML is not escaped twice.
TEST(FillPageTagsTest, MetaValuesAreEscapedForAttributes) {
  templatePageVars p;
  p.PageTitle = "Anna's \"Notes\"";
  p.PageKeywords = "tea & <cake>, AT&T";
  p.PageDescription = "Anna's \"Notes\" &amp; &#38; &#x26; &copy; & more";
  const std::string page =
      "<meta name=\"keywords\" content=\"[%thispage.metatag.keywords%]\">"
      "<meta name=\"description\" content=\"[%thispage.metatag.description%]\">[%thispage.title%]";
  EXPECT_EQ(FillPageTags(page, {}, {}, p),
            "<meta name=\"keywords\" content=\"tea &amp; &lt;cake>, AT&amp;T\">"
            "<meta name=\"description\" content=\"Anna's &quot;Notes&quot; &amp; &#38; &#x26; &copy; &amp; more\">"
            "Anna's \"Notes\"")
      << "the title is shown as it is";

  templateEntryVars e;
  e.EntryKeywords = "a\"b";
  e.EntryDescription = "<i>&</i>";
  e.EntryTitle = "\"t\"";
  const TemplatePackage pkg =
      packageWithDefaultLayout({"1", "[%entry.metatag.keywords%]|[%entry.metatag.description%]|[%entry.title%]"});
  EXPECT_EQ(FillEntryTags(pkg, 1, "", kStartOfPage, e, {}, {}), "a&quot;b|&lt;i>&amp;&lt;/i>|\"t\"");
  // Tag text in a meta value is still expanded later.
  p.PageKeywords = "[%mainpage.title%]";
  templateGlobalVars g;
  g.MainTitle = "Main";
  EXPECT_EQ(FillPageTags("[%thispage.metatag.keywords%]", g, {}, p), "Main");
}

// The fast path leaves long runs without "%" alone; a value ending in "[%name%"
// just before such a run that starts with "]" completes a tag that the plain
// order fills.
TEST(FillPageTagsTest, ValueEndingInAnOpenTagNextToALongRunIsFilledAsInThePlainOrder) {
  templatePageVars p;
  p.PageTitle = "x[%custom.tag.1%";
  p.PageKeywords = "%custom.tag.2%]";
  templateGlobalVars g;
  g.CustomTag1 = "ONE";
  g.CustomTag2 = "TWO";
  const std::string run(300, 'a');
  for (const std::string& page : {"[%thispage.title%]]" + run + "[%thispage.title%]",
                                  "[%thispage.title%]]]" + run, run + "[[%thispage.metatag.keywords%]" + run,
                                  run + "[[[%thispage.metatag.keywords%]"}) {
    const std::string plain = FillPageTagsInOrder(page, g, {}, p);
    EXPECT_EQ(FillPageTags(page, g, {}, p), plain) << page.substr(0, 40);
    EXPECT_EQ(plain.find("%]"), std::string::npos) << "the plain order fills the completed tag";
  }
}

TEST(PageAssemblyTest, EmptySlicesGiveAnEmptyPage) {
  TemplatePackage pkg;
  pkg.lines() = newPackageLines();
  pkg.SplitTemplatePackage();
  std::string page;
  for (int s : {1, 3, 4, 4, 5, 6}) page = FillEntryTags(pkg, 4, page, s, {}, {}, {});
  EXPECT_EQ(resolve(FillPageTags(page, {}, {}, {})), "");
}

TEST(PageAssemblyTest, DefaultTemplateRssButtonAndAboutOnlyOnTheHomePage) {
  TemplatePackage pkg;
  pkg.LoadBuiltInTemplatePackage();
  pkg.SplitTemplatePackage();
  templateGlobalVars g;
  g.Rss20FileName = "rss.xml";
  g.MainAbout = "All about it";
  templateEntryVars e;
  e.EntryTitle = "Entry";
  e.EntrySidebar = "Side";
  auto build = [&](int kind) {
    templatePageVars p;
    p.PageKind = kind;
    p.PageTitle = "Page";
    std::string page;
    for (int s : {1, 2, 6}) page = FillEntryTags(pkg, 2, page, s, e, p, g);
    return resolve(FillPageTags(page, g, e, p));
  };
  const std::string home = build(kPageKindHome);
  const std::string article = build(kPageKindArticle);
  EXPECT_NE(home.find("src=\"xml.gif\""), std::string::npos);
  EXPECT_NE(home.find("About My Blog"), std::string::npos);
  EXPECT_NE(home.find("All about it"), std::string::npos);
  EXPECT_EQ(article.find("xml.gif"), std::string::npos);
  EXPECT_EQ(article.find("About My Blog"), std::string::npos);
  EXPECT_NE(article.find(">Article</span>"), std::string::npos);
  EXPECT_NE(home.find("<span class=\"pagetitle\">Page</span>"), std::string::npos);
  EXPECT_NE(home.find("Side"), std::string::npos);
  EXPECT_EQ(home.find("[%"), std::string::npos);
  EXPECT_EQ(home.find("%]"), std::string::npos);
}

}  // namespace
}  // namespace tessary::templates
