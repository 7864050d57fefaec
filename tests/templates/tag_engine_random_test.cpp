// Randomized comparisons: the engine's fast paths against plain, literal
// implementations of the specified replacement sequences, on random pages and
// values full of tag text, delimiters and long runs of ordinary text.
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "support/test_support.h"
#include "templates/package.h"
#include "templates/tag_engine.h"
#include "util/text.h"

namespace tessary::templates {
namespace {

using util::replaceAll;
using Steps = std::vector<std::pair<std::string, std::string>>;

std::string t(const std::string& name) { return "[%" + name + "%]"; }

std::string strip(const std::string& v) {
  return replaceAll(replaceAll(v, "\" class=\"entrylink\">", "\">"), "\" class=\"menulink\">", "\">");
}
std::string spanOf(const std::string& cls, const std::string& v) { return "<span class=\"" + cls + "\">" + v + "</span>"; }

// A value put inside an attribute: '"', '<' and an '&' that does not start a
// character reference become entities.
std::string attribute(const std::string& v) {
  static const std::regex kReference("&([A-Za-z][A-Za-z0-9]{0,31}|#[0-9]{1,8}|#[xX][0-9A-Fa-f]{1,8});");
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '"') out += "&quot;";
    else if (v[i] == '<') out += "&lt;";
    else if (v[i] == '&' && !std::regex_search(v.begin() + static_cast<std::ptrdiff_t>(i), v.end(), kReference,
                                               std::regex_constants::match_continuous))
      out += "&amp;";
    else out += v[i];
  }
  return out;
}

void linkRow(Steps& s, const std::string& name, const std::string& link) {
  s.push_back({t(name), strip(link)});
  s.push_back({t(name + ".css"), link});
}
void linkRow(Steps& s, const std::string& name, const std::string& link, const std::string& href) {
  linkRow(s, name, link);
  s.push_back({t(name + ".href"), href});
}

// The page tag replacements, in the order they are specified.
Steps pageSteps(const templateGlobalVars& g, const templateEntryVars& e, const templatePageVars& p) {
  Steps s = {{t("thispage.title"), p.PageTitle},
             {t("thispage.title.css"), spanOf("pagetitle", p.PageTitle)},
             {t("thispage.menutree"), strip(p.PageMenuTree)},
             {t("thispage.menutree.css"), p.PageMenuTree},
             {t("linkto.prior.month"), p.PriorLink},
             {t("linkto.prior.month.href"), p.PriorHref},
             {t("linkto.next.month"), p.NextLink},
             {t("linkto.next.month.href"), p.NextHref},
             {t("linkto.parent.by.month"), p.ParentLink},
             {t("linkto.parent.by.month.href"), p.ParentHref}};
  linkRow(s, "linkto.prior", p.PriorLink, p.PriorHref);
  linkRow(s, "linkto.next", p.NextLink, p.NextHref);
  linkRow(s, "linkto.parent", p.ParentLink, p.ParentHref);
  s.push_back({t("category.title"), e.CatTitle});
  s.push_back({t("category.text"), e.CatText});
  s.push_back({t("linkto.parent.category"), e.CatParentLink});
  const char* states[] = {"ISHOMEPAGE", "ISINDEXPAGE", "ISENTRYPAGE", "ISARTICLEPAGE", "ISSTATICPAGE", "ISHIDDENPAGE"};
  for (int i = 0; i < 6; ++i) s.push_back({t(states[i]), p.PageKind == i + 2 ? "TRUE" : ""});
  s.push_back({t("thispage.metatag.keywords"), attribute(p.PageKeywords)});
  s.push_back({t("thispage.metatag.description"), attribute(p.PageDescription)});
  s.push_back({t("mainpage.title"), g.MainTitle});
  s.push_back({t("mainpage.title.css"), spanOf("maintitle", g.MainTitle)});
  s.push_back({t("site.language"), g.SiteLanguage});
  s.push_back({t("mainpage.url"), g.MainUrl});
  s.push_back({t("mainpage.url.css"), spanOf("mainurl", g.MainUrl)});
  s.push_back({t("mainpage.about"), g.MainAbout});
  s.push_back({t("mainpage.about.css"), spanOf("mainabout", g.MainAbout)});
  linkRow(s, "links.by.month.column", g.MonthLinksColumn);
  linkRow(s, "links.by.month.row", g.MonthLinksRow);
  linkRow(s, "links.static.column", g.StaticLinksColumn);
  linkRow(s, "links.static.row", g.StaticLinksRow);
  s.push_back({t("links.navbar.column"), g.NavbarColumn});
  s.push_back({t("links.navbar.row"), g.NavbarRow});
  linkRow(s, "links.articles.column", g.ArticleLinksColumn);
  linkRow(s, "links.articles.row", g.ArticleLinksRow);
  linkRow(s, "linkto.parent.site", g.ParentSiteLink);
  linkRow(s, "linkto.index.mainpage", g.HomeLink, g.HomeHref);
  linkRow(s, "linkto.index.articles", g.ArticleIndexLink, g.ArticleIndexHref);
  linkRow(s, "linkto.index.by.month", g.MonthIndexLink, g.MonthIndexHref);
  s.push_back({t("linkto.rss20.href"), PageNamePrefix() + g.Rss20FileName});
  s.push_back({t("linkto.rss091.href"), PageNamePrefix() + g.Rss091FileName});
  const std::string* custom[] = {&g.CustomTag1, &g.CustomTag2, &g.CustomTag3, &g.CustomTag4, &g.CustomTag5,
                                 &g.CustomTag6, &g.CustomTag7, &g.CustomTag8, &g.CustomTag9, &g.CustomTag10};
  for (int i = 0; i < 10; ++i) s.push_back({t("custom.tag." + std::to_string(i + 1)), *custom[i]});
  s.push_back({t("linkto.index.category"), strip(g.CategoryIndexLink)});
  s.push_back({t("links.by.category.column"), strip(g.CategoryLinksColumn)});
  s.push_back({t("links.by.category.row"), strip(g.CategoryLinksRow)});
  s.push_back({t("linkto.index.category.css"), g.CategoryIndexLink});
  s.push_back({t("links.by.category.column.css"), g.CategoryLinksColumn});
  s.push_back({t("links.by.category.row.css"), g.CategoryLinksRow});
  linkRow(s, "linkto.index.recententries", g.RecentLink, g.RecentHref);
  return s;
}

Steps entrySteps(const templateEntryVars& e) {
  return {{t("entry.text.css"), spanOf("entrytext", e.EntryText)},
          {t("entry.date.css"), spanOf("entrydate", e.EntryDate)},
          {t("entry.date.words.css"), spanOf("entrydate", e.EntryDateWords)},
          {t("entry.title.css"), spanOf("entrytitle", e.EntryTitle)},
          {t("entry.url.related.css"), replaceAll(e.EntryUrlRelated, "\">", "\" class=\"entrylink\">")},
          {t("entry.sidebar.css"), spanOf("entrytext", e.EntrySidebar)},
          {t("entry.text"), e.EntryText},
          {t("entry.date"), e.EntryDate},
          {t("entry.date.words"), e.EntryDateWords},
          {t("entry.title"), e.EntryTitle},
          {t("entry.url.related"), e.EntryUrlRelated},
          {t("entry.id"), e.EntryId},
          {t("entry.metatag.keywords"), attribute(e.EntryKeywords)},
          {t("entry.metatag.description"), attribute(e.EntryDescription)},
          {t("entry.teaser"), e.EntryTeaser},
          {t("entry.sidebar"), e.EntrySidebar},
          {t("entry.custom.field.1"), e.EntryCustomField1},
          {t("entry.custom.field.2"), e.EntryCustomField2},
          {t("entry.custom.title.1"), e.EntryCustomTitle1},
          {t("entry.custom.title.2"), e.EntryCustomTitle2},
          {t("entry.permalink.href"), e.EntryPermalinkHref},
          {t("entry.attachfile"), ""},
          {t("entry.attachfile.href"), ""}};
}

std::string applySteps(std::string text, const Steps& steps) {
  for (const auto& [tag, value] : steps) text = replaceAll(text, tag, value);
  return text;
}

// The command passes written as literally as they are specified.
std::string referenceEvaluate(const std::string& command, const std::string& args) {
  std::string field = args, value;
  const size_t split = args.find("~~");
  if (split != std::string::npos) {
    field = util::trim(args.substr(0, split));
    value = util::trim(args.substr(split + 2));
  }
  if (util::equalsNoCase(command, "IFNOTBLANK")) return field.empty() ? "" : value;
  if (util::equalsNoCase(command, "IFBLANK")) return field.empty() ? value : "";
  return "";
}

std::string referencePass(const std::string& text) {
  std::string out, rest = text;
  while (!rest.empty()) {
    const size_t open = rest.find("[%");
    if (open == std::string::npos) {
      out += rest;
      break;
    }
    int depth = 1;
    size_t i = open + 2, close = std::string::npos;
    while (i < rest.size()) {
      if (rest.compare(i, 2, "[%") == 0) ++depth;
      if (rest.compare(i, 2, "%]") == 0 && --depth == 0) {
        close = i;
        break;
      }
      ++i;
    }
    std::string content, after;
    if (close == std::string::npos) {
      content = rest.size() - 1 > open + 2 ? rest.substr(open + 2, rest.size() - 1 - (open + 2)) : "";
    } else {
      content = rest.substr(open + 2, close - open - 2);
      after = rest.substr(close + 2);
    }
    const size_t split = content.find("~~");
    const std::string command = split == std::string::npos ? content : content.substr(0, split);
    const std::string args = split == std::string::npos ? "" : content.substr(split + 2);
    out += rest.substr(0, open) + referenceEvaluate(command, args);
    rest = after;
  }
  return out;
}

std::string referenceResolve(const std::string& page, uint32_t n) {
  std::string text = replaceAll(page, "[%RANDOM%]", std::to_string(n));
  text = referencePass(referencePass(text));
  return replaceAll(replaceAll(text, "**[**%", "[%"), "**%**]", "%]");
}

// A package whose first template record holds these slices.
TemplatePackage packageWith(const SliceList& slices) {
  TemplatePackage pkg;
  pkg.lines() = newPackageLines();
  pkg.lines()[1] = encodeTemplateRecord(slices);
  pkg.SplitTemplatePackage();
  return pkg;
}

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

  std::string token() {
    static const std::vector<std::string> kTokens = {
        "[%", "%]", "%", "[", "]", "~~", " ", "\r\n", "IFNOTBLANK", "IFBLANK", "ifblank", "**[**%", "**%**]",
        "[%RANDOM%]", "\">", "\" class=\"entrylink\">", "\" class=\"menulink\">", "<a href=\"x", "thispage.",
        "title%]", "[%IFNOTBLANK~~", "[%IFBLANK~~", "x", "TRUE", "&", "&amp;", "&#38;", "&x", "\"", "<"};
    switch (pick(4)) {
      case 0:
        return kTokens[pick(kTokens.size())];
      case 1:
      case 2:
        return "[%" + name() + "%]";
      default: {
        // Ordinary text, now and then long enough to be skipped as a whole,
        // and such a run now and then next to a "]" or a "[" that a value
        // ending in "[%name%" or beginning with "%name%]" completes.
        const bool longRun = pick(5) == 0;
        const size_t len = longRun ? 60 + pick(200) : pick(8);
        std::string s;
        for (size_t i = 0; i < len; ++i) s += "abcdef <p>.\n"[pick(12)];
        if (longRun && pick(3) == 0) s = std::string(1 + pick(2), ']') + s;
        if (longRun && pick(3) == 0) s += std::string(1 + pick(2), '[');
        return s;
      }
    }
  }

  std::string name() {
    static const std::vector<std::string> kNames = {
        "thispage.title", "thispage.title.css", "thispage.menutree", "thispage.menutree.css", "linkto.prior",
        "linkto.prior.css", "linkto.prior.href", "linkto.prior.month", "linkto.next.month.href", "linkto.parent",
        "linkto.parent.by.month", "category.title", "linkto.parent.category", "ISHOMEPAGE", "ISARTICLEPAGE",
        "ISHIDDENPAGE", "thispage.metatag.keywords", "thispage.metatag.description", "entry.metatag.keywords",
        "mainpage.title", "mainpage.about.css", "mainpage.url.css",
        "links.by.month.column", "links.static.row.css", "links.navbar.column", "links.articles.row",
        "linkto.parent.site.css", "linkto.index.mainpage.href", "linkto.index.by.month", "linkto.rss20.href",
        "custom.tag.1", "custom.tag.10", "custom.tag.2", "linkto.index.category", "links.by.category.row.css",
        "linkto.index.recententries", "linkto.index.recententries.href", "entry.text", "entry.text.css",
        "entry.title", "entry.url.related.css", "entry.sidebar", "entry.attachfile", "entry.date.words.css",
        "unknown.tag"};
    return kNames[pick(kNames.size())];
  }

  std::string text(size_t tokens) {
    std::string s;
    for (size_t i = 0; i < tokens; ++i) s += token();
    return s;
  }

  std::string value() {
    switch (pick(8)) {
      case 0:
      case 1: return std::string();
      case 2: return text(pick(3)) + "[%" + name() + "%";  // completed by a "]" after it
      case 3: return "%" + name() + "%]" + text(pick(3));  // completed by a "[" before it
      default: return text(pick(4));
    }
  }

  void fill(templateGlobalVars& g, templateEntryVars& e, templatePageVars& p) {
    for (std::string* f : {&g.MainTitle, &g.MainUrl, &g.MainAbout, &g.MonthLinksColumn, &g.MonthLinksRow,
                           &g.StaticLinksColumn, &g.StaticLinksRow, &g.NavbarColumn, &g.NavbarRow,
                           &g.ArticleLinksColumn, &g.ArticleLinksRow, &g.ParentSiteLink, &g.HomeLink, &g.HomeHref,
                           &g.ArticleIndexLink, &g.ArticleIndexHref, &g.MonthIndexLink, &g.MonthIndexHref,
                           &g.Rss20FileName, &g.Rss091FileName, &g.CustomTag1, &g.CustomTag2, &g.CustomTag10,
                           &g.CategoryIndexLink, &g.CategoryLinksColumn, &g.CategoryLinksRow, &g.RecentLink,
                           &g.RecentHref, &e.EntryText, &e.EntryTitle, &e.EntryUrlRelated, &e.EntrySidebar,
                           &e.EntryDateWords, &e.CatTitle, &e.CatParentLink, &e.EntryKeywords,
                           &e.EntryDescription, &p.PageTitle, &p.PageMenuTree, &p.PriorLink, &p.PriorHref,
                           &p.NextHref, &p.ParentLink, &p.PageKeywords, &p.PageDescription})
      *f = value();
    p.PageKind = static_cast<int32_t>(pick(9));
  }

 private:
  std::mt19937 rng_;
};

TEST(TagEngineRandomTest, FillPageTagsEqualsTheSequenceOfReplacements) {
  Generator gen(20260309);
  SetPageNamePrefix("pre-");
  for (int round = 0; round < 1500; ++round) {
    templateGlobalVars g;
    templateEntryVars e;
    templatePageVars p;
    gen.fill(g, e, p);
    const std::string page = gen.text(gen.pick(4) == 0 ? 300 : 40);
    const std::string expected = applySteps(page, pageSteps(g, e, p));
    ASSERT_EQ(FillPageTagsInOrder(page, g, e, p), expected) << "round " << round << " page " << page;
    ASSERT_EQ(FillPageTags(page, g, e, p), expected) << "round " << round << " page " << page;
  }
  SetPageNamePrefix("");
}

TEST(TagEngineRandomTest, FillEntryTagsEqualsTheSequenceOfReplacements) {
  Generator gen(77);
  for (int round = 0; round < 2000; ++round) {
    templateGlobalVars g;
    templateEntryVars e;
    templatePageVars p;
    gen.fill(g, e, p);
    SliceList slices(10);
    slices[0] = "1";
    slices[4] = gen.text(30);
    const TemplatePackage pkg = packageWith(slices);
    const std::string before = gen.text(5);
    ASSERT_EQ(FillEntryTags(pkg, 4, before, kEachEntry, e, p, g), before + applySteps(slices[4], entrySteps(e)))
        << "round " << round;
  }
}

TEST(TagEngineRandomTest, ResolveCommandsEqualsTheLiteralPasses) {
  Generator gen(4242);
  const RandomSource before = SetRandomSource([] { return 123456u; });
  for (int round = 0; round < 5000; ++round) {
    const std::string page = gen.text(gen.pick(60));
    ASSERT_EQ(ResolveCommands(page), referenceResolve(page, 123456)) << "round " << round << " page " << page;
  }
  SetRandomSource(before);
}

TEST(TagEngineRandomTest, WholePageSequence) {
  Generator gen(99);
  const RandomSource before = SetRandomSource([] { return 5u; });
  TemplatePackage pkg;
  pkg.LoadBuiltInTemplatePackage();
  pkg.SplitTemplatePackage();
  for (int round = 0; round < 300; ++round) {
    templateGlobalVars g;
    templateEntryVars e;
    templatePageVars p;
    gen.fill(g, e, p);
    std::string fast, into, slow;
    for (int s : {1, 3, 4, 4, 5, 6}) {
      fast = FillEntryTags(pkg, 4, fast, s, e, p, g);
      FillEntryTagsInto(into, pkg, 4, s, e);
      slow += applySteps(pkg.slice(4, s), entrySteps(e));
    }
    ASSERT_EQ(fast, slow);
    ASSERT_EQ(into, slow);
    ASSERT_EQ(ResolveCommands(FillPageTags(fast, g, e, p)), referenceResolve(applySteps(slow, pageSteps(g, e, p)), 5))
        << "round " << round;
  }
  SetRandomSource(before);
}

// ---- Every tag, and values that make tags ------------------------------------------

// Every tag of both fills, from the reference sequences, with tags no fill knows.
std::vector<std::string> everyTag() {
  std::vector<std::string> tags;
  for (const auto& [tag, value] : pageSteps({}, {}, {})) tags.push_back(tag);
  for (const auto& [tag, value] : entrySteps({})) tags.push_back(tag);
  for (const char* other : {"[%RANDOM%]", "[%unknown.tag%]", "[%Thispage.title%]", "[%ISHOMEPAGE %]"})
    tags.push_back(other);
  return tags;
}

// Pages and values built from pieces of tags: whole tags, tags cut in two around
// another tag, open and closing halves, bare names, long link lists with and
// without "%", empty values that join their neighbours.
class TagPieces {
 public:
  explicit TagPieces(uint32_t seed) : rng_(seed), tags_(everyTag()) {}

  size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  const std::string& anyTag() { return tags_[pick(tags_.size())]; }
  std::string name() {
    const std::string& tag = anyTag();
    return tag.substr(2, tag.size() - 4);
  }

  std::string piece() {
    switch (pick(12)) {
      case 0:
      case 1:
      case 2: return anyTag();
      case 3: {  // a tag cut by another tag, which may become empty or a name
        const std::string n = name();
        const size_t cut = pick(n.size() + 1);
        return "[%" + n.substr(0, cut) + anyTag() + n.substr(cut) + "%]";
      }
      case 4: return "[%" + name() + (pick(2) ? "%" : "");
      case 5: return (pick(2) ? "%" : "") + name() + "%]";
      case 6: return name();
      case 7: {
        static const char* kBits[] = {"[", "]", "%", "[%", "%]", "~~", "[%IFNOTBLANK~~", "**[**%", "\">", "TRUE", "."};
        return kBits[pick(sizeof kBits / sizeof kBits[0])];
      }
      case 8: return linkList();
      case 9: {  // a tag whose value completes the name of another around it
        if (known_.empty()) return anyTag();
        const auto& [tag, value] = known_[pick(known_.size())];
        std::vector<std::string> around;  // the names the value is a piece of
        for (const std::string& other : tags_)
          if (other.find(value, 2) != std::string::npos) around.push_back(other.substr(2, other.size() - 4));
        if (around.empty()) return tag;
        const std::string n = around[pick(around.size())];
        const size_t at = value.empty() ? pick(n.size() + 1) : n.find(value);
        if (at == std::string::npos) return tag;
        return "[%" + n.substr(0, at) + tag + n.substr(at + value.size()) + "%]";
      }
      default: {
        std::string s;
        for (size_t i = 0, n = pick(12); i < n; ++i) s += "ab <p>\n.1"[pick(9)];
        return s;
      }
    }
  }

  std::string text(size_t pieces) {
    std::string s;
    for (size_t i = 0; i < pieces; ++i) s += piece();
    return s;
  }

  std::string linkList() {
    std::string s = pick(4) == 0 ? "]" : "";
    for (size_t i = 0, n = 3 + pick(40); i < n; ++i) {
      s += "<a href=\"p" + std::to_string(i) + (pick(30) == 0 ? "%20" : "") + ".html\" class=\"" +
           (pick(2) ? "menulink" : "entrylink") + "\">Page " + std::to_string(i) + "</a><br>\n";
      if (pick(60) == 0) s += anyTag();
    }
    if (pick(4) == 0) s += "[";
    return s;
  }

  std::string value() {
    switch (pick(8)) {
      case 0:
      case 1: return std::string();
      case 2: return linkList();
      case 3: {  // a piece of a name
        const std::string n = name();
        const size_t at = pick(n.size());
        return n.substr(at, 1 + pick(n.size() - at));
      }
      default: return text(pick(4));
    }
  }

  // The tags and values of the records just filled, for pieces made around them.
  void learn(Steps steps) { known_ = std::move(steps); }

  void fill(templateGlobalVars& g, templateEntryVars& e, templatePageVars& p) {
    for (std::string* f :
         {&g.MainTitle, &g.MainUrl, &g.MainAbout, &g.MonthLinksColumn, &g.MonthLinksRow, &g.StaticLinksColumn,
          &g.StaticLinksRow, &g.NavbarColumn, &g.NavbarRow, &g.ArticleLinksColumn, &g.ArticleLinksRow,
          &g.ParentSiteLink, &g.HomeLink, &g.HomeHref, &g.ArticleIndexLink, &g.ArticleIndexHref, &g.MonthIndexLink,
          &g.MonthIndexHref, &g.Rss20FileName, &g.Rss091FileName, &g.CustomTag1, &g.CustomTag2, &g.CustomTag3,
          &g.CustomTag4, &g.CustomTag5, &g.CustomTag6, &g.CustomTag7, &g.CustomTag8, &g.CustomTag9, &g.CustomTag10,
          &g.CategoryIndexLink, &g.CategoryLinksColumn, &g.CategoryLinksRow, &g.RecentLink, &g.RecentHref,
          &g.SiteLanguage, &e.EntryId, &e.EntryTitle, &e.EntryDate, &e.EntryDateWords, &e.EntryText,
          &e.EntryUrlRelated, &e.EntryTeaser, &e.EntryKeywords, &e.EntrySidebar, &e.EntryCustomField1,
          &e.EntryCustomField2, &e.EntryCustomTitle1, &e.EntryCustomTitle2, &e.EntryDescription,
          &e.EntryPermalinkHref, &e.CatTitle, &e.CatText, &e.CatParentLink, &p.PageTitle, &p.PageMenuTree,
          &p.PriorLink, &p.PriorHref, &p.NextLink, &p.NextHref, &p.ParentLink, &p.ParentHref, &p.PageKeywords,
          &p.PageDescription})
      *f = value();
    p.PageKind = static_cast<int32_t>(pick(9));
  }

 private:
  std::mt19937 rng_;
  std::vector<std::string> tags_;
  Steps known_;
};

TEST(TagEngineRandomTest, OneScanFillsEqualThePlainSequenceWithEveryTag) {
  TagPieces gen(31337);
  SetPageNamePrefix("p-");
  for (int round = 0; round < 2500; ++round) {
    templateGlobalVars g;
    templateEntryVars e;
    templatePageVars p;
    gen.fill(g, e, p);
    Steps known = pageSteps(g, e, p);
    for (auto& step : entrySteps(e)) known.push_back(step);
    gen.learn(known);
    const std::string page = gen.text(gen.pick(4) == 0 ? 120 : 1 + gen.pick(25));
    ASSERT_EQ(FillPageTags(page, g, e, p), applySteps(page, pageSteps(g, e, p))) << "round " << round << ": " << page;
    ASSERT_EQ(fillEntryTagsInText(page, e), applySteps(page, entrySteps(e))) << "round " << round << ": " << page;
    ASSERT_EQ(fillEntryTagsInOrder(page, e), applySteps(page, entrySteps(e))) << "round " << round;
  }
  SetPageNamePrefix("");
}

// The page built so far may hold tag text of its own; only the slice is filled.
TEST(TagEngineRandomTest, FillEntryTagsIntoLeavesThePageSoFarAlone) {
  TagPieces gen(2718);
  for (int round = 0; round < 500; ++round) {
    templateGlobalVars g;
    templateEntryVars e;
    templatePageVars p;
    gen.fill(g, e, p);
    SliceList slices(10);
    slices[0] = "1";
    for (size_t i = 1; i < 7; ++i) slices[i] = gen.text(1 + gen.pick(20));
    const TemplatePackage pkg = packageWith(slices);
    std::string page = gen.text(1 + gen.pick(6)), expected = page;
    for (int s : {1, 2, 3, 4, 4, 5, 6}) {
      FillEntryTagsInto(page, pkg, 4, s, e);
      expected += applySteps(pkg.slice(4, s), entrySteps(e));
    }
    ASSERT_EQ(page, expected) << "round " << round;
  }
}

}  // namespace
}  // namespace tessary::templates
