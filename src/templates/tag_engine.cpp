#include "templates/tag_engine.h"

#include <chrono>
#include <cstring>
#include <random>
#include <unordered_map>

#include "templates/package.h"
#include "util/text.h"

namespace tessary::templates {
namespace {

// The first occurrence of needle in hay at or after from, or npos. Scans for the
// needle's first byte with memchr: tags begin with "[", which is rare in page
// text, so this runs at memory speed.
size_t findFrom(std::string_view hay, std::string_view needle, size_t from) {
  const size_t n = hay.size(), m = needle.size();
  if (m == 0 || m > n) return m == 0 && from <= n ? from : std::string_view::npos;
  const char first = needle[0];
  const char* base = hay.data();
  size_t i = from;
  while (i + m <= n) {
    const void* hit = std::memchr(base + i, first, n - m + 1 - i);
    if (!hit) return std::string_view::npos;
    i = static_cast<size_t>(static_cast<const char*>(hit) - base);
    if (std::memcmp(base + i + 1, needle.data() + 1, m - 1) == 0) return i;
    ++i;
  }
  return std::string_view::npos;
}

// Replaces every occurrence of tag in text by value, left to right, without
// looking again at what was put in. The text is left untouched (no copy) when
// the tag does not occur, which is the common case for most tags on a page.
// Appends text to out with every occurrence of tag replaced by value, left to
// right, without looking again at what was put in.
void appendReplaced(std::string& out, std::string_view text, std::string_view tag, std::string_view value) {
  size_t pos = 0;
  for (size_t hit = findFrom(text, tag, 0); hit != std::string_view::npos; hit = findFrom(text, tag, pos)) {
    out.append(text, pos, hit - pos);
    out.append(value);
    pos = hit + tag.size();
  }
  out.append(text, pos, std::string_view::npos);
}

// A buffer that keeps its capacity from page to page. Large pages would otherwise
// get fresh memory for every intermediate text, and touching fresh memory costs
// more than the replacing itself.
std::string& scratch() {
  static thread_local std::string buffer;
  return buffer;
}

// Replaces every occurrence of tag in text by value. The text is left untouched
// (no copy) when the tag does not occur, the common case for most tags on a page.
void replaceTag(std::string& text, std::string_view tag, std::string_view value) {
  if (findFrom(text, tag, 0) == std::string::npos) return;
  std::string& out = scratch();
  out.clear();
  appendReplaced(out, text, tag, value);
  text.swap(out);
}

// The meta values: templates put them inside attribute values (content="..."),
// so they are escaped for that place.
void replaceAttributeTag(std::string& text, std::string_view tag, std::string_view value) {
  if (findFrom(text, tag, 0) != std::string::npos) replaceTag(text, tag, util::escapeAttributeValue(value));
}

// Replaces the tag by the links without their classes. Link lists can be long
// (every article of the blog), so they are stripped only for a page that shows
// the plain form.
void replaceStripped(std::string& text, std::string_view tag, std::string_view links) {
  if (findFrom(text, tag, 0) != std::string::npos) replaceTag(text, tag, StripLinkClasses(links));
}

// Link rows: the plain tag shows the links without class, .css as they are,
// .href the bare address.
void linkRow(std::string& text, std::string_view name, const std::string& link) {
  const std::string plain = "[%" + std::string(name) + "%]";
  const std::string css = "[%" + std::string(name) + ".css%]";
  replaceStripped(text, plain, link);
  replaceTag(text, css, link);
}

void linkRow(std::string& text, std::string_view name, const std::string& link, const std::string& href) {
  linkRow(text, name, link);
  replaceTag(text, "[%" + std::string(name) + ".href%]", href);
}

std::string& pageNamePrefixStorage() {
  static std::string prefix;
  return prefix;
}

uint32_t clockSeededDraw() {
  const auto seed = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  std::mt19937 generator(static_cast<uint32_t>(seed ^ (seed >> 32)));
  std::uniform_int_distribution<uint32_t> dist(0, kRandomRange - 1);
  return dist(generator);
}

RandomSource& randomSource() {
  static RandomSource source;
  return source;
}

// One command pass over the whole text, appended to out.
void commandPass(std::string_view text, std::string& out) {
  out.reserve(out.size() + text.size());
  const size_t n = text.size();
  size_t pos = 0;
  while (pos < n) {
    const size_t open = findFrom(text, "[%", pos);
    if (open == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    out.append(text.substr(pos, open - pos));
    // The tag ends at the "%]" that brings the nesting depth back to zero.
    size_t depth = 1;
    size_t close = std::string_view::npos;
    for (size_t i = open + 2; i + 1 < n; ++i) {
      const char c = text[i];
      if (c == '[') {
        if (text[i + 1] == '%') ++depth;
      } else if (c == '%' && text[i + 1] == ']') {
        if (--depth == 0) {
          close = i;
          break;
        }
      }
    }
    std::string_view content;
    if (close == std::string_view::npos) {
      // Unclosed: the tag runs to the last character of the text, which is
      // taken as its end, so the content is the rest without that character.
      const size_t end = n - 1;
      if (open + 2 < end) content = text.substr(open + 2, end - (open + 2));
      pos = n;
    } else {
      content = text.substr(open + 2, close - (open + 2));
      pos = close + 2;
    }
    const size_t split = content.find("~~");
    if (split == std::string_view::npos)
      out += EvaluateCommand(content, {});
    else
      out += EvaluateCommand(content.substr(0, split), content.substr(split + 2));
  }
}

}  // namespace

// ---- Link classes and spans ------------------------------------------------------

std::string StripLinkClasses(std::string_view links) {
  std::string out(links);
  replaceTag(out, "\" class=\"entrylink\">", "\">");
  replaceTag(out, "\" class=\"menulink\">", "\">");
  return out;
}

std::string AddEntryLinkClass(std::string_view links) {
  std::string out(links);
  replaceTag(out, "\">", "\" class=\"entrylink\">");
  return out;
}

std::string span(std::string_view cssClass, std::string_view value) {
  std::string out;
  out.reserve(cssClass.size() + value.size() + 22);
  out += "<span class=\"";
  out += cssClass;
  out += "\">";
  out += value;
  out += "</span>";
  return out;
}

// ---- Filling -----------------------------------------------------------------------

std::string fillEntryTagsInText(std::string text, const templateEntryVars& e) {
  if (text.find("[%") == std::string::npos) return text;
  replaceTag(text, "[%entry.text.css%]", span("entrytext", e.EntryText));
  replaceTag(text, "[%entry.date.css%]", span("entrydate", e.EntryDate));
  replaceTag(text, "[%entry.date.words.css%]", span("entrydate", e.EntryDateWords));
  replaceTag(text, "[%entry.title.css%]", span("entrytitle", e.EntryTitle));
  replaceTag(text, "[%entry.url.related.css%]", AddEntryLinkClass(e.EntryUrlRelated));
  replaceTag(text, "[%entry.sidebar.css%]", span("entrytext", e.EntrySidebar));
  replaceTag(text, "[%entry.text%]", e.EntryText);
  replaceTag(text, "[%entry.date%]", e.EntryDate);
  replaceTag(text, "[%entry.date.words%]", e.EntryDateWords);
  replaceTag(text, "[%entry.title%]", e.EntryTitle);
  replaceTag(text, "[%entry.url.related%]", e.EntryUrlRelated);
  replaceTag(text, "[%entry.id%]", e.EntryId);
  replaceAttributeTag(text, "[%entry.metatag.keywords%]", e.EntryKeywords);
  replaceAttributeTag(text, "[%entry.metatag.description%]", e.EntryDescription);
  replaceTag(text, "[%entry.teaser%]", e.EntryTeaser);
  replaceTag(text, "[%entry.sidebar%]", e.EntrySidebar);
  replaceTag(text, "[%entry.custom.field.1%]", e.EntryCustomField1);
  replaceTag(text, "[%entry.custom.field.2%]", e.EntryCustomField2);
  replaceTag(text, "[%entry.custom.title.1%]", e.EntryCustomTitle1);
  replaceTag(text, "[%entry.custom.title.2%]", e.EntryCustomTitle2);
  replaceTag(text, "[%entry.permalink.href%]", e.EntryPermalinkHref);
  replaceTag(text, "[%entry.attachfile%]", "");
  replaceTag(text, "[%entry.attachfile.href%]", "");
  return text;
}

std::string FillEntryTags(const TemplatePackage& package, int k, std::string pageSoFar, int s,
                          const templateEntryVars& entry, const templatePageVars&, const templateGlobalVars&) {
  pageSoFar += fillEntryTagsInText(package.slice(k, s), entry);
  return pageSoFar;
}

void FillEntryTagsInto(std::string& page, const TemplatePackage& package, int k, int s,
                       const templateEntryVars& entry) {
  page += fillEntryTagsInText(package.slice(k, s), entry);
}

void FillEntryTagsInto(std::string& page, int k, int s, const templateEntryVars& entry) {
  FillEntryTagsInto(page, LoadedTemplatePackage(), k, s, entry);
}

std::string FillEntryTags(int k, std::string pageSoFar, int s, const templateEntryVars& entry,
                          const templatePageVars& page, const templateGlobalVars& global) {
  return FillEntryTags(LoadedTemplatePackage(), k, std::move(pageSoFar), s, entry, page, global);
}

std::string FillPageTagsInOrder(std::string t, const templateGlobalVars& g, const templateEntryVars& e,
                                const templatePageVars& p) {
  // A text without any "[%" has no tag to fill: skip the eighty passes. (No
  // replacement below can create "[%" where there was none: every tag begins with it.)
  if (findFrom(t, "[%", 0) == std::string::npos) return t;

  replaceTag(t, "[%thispage.title%]", p.PageTitle);
  replaceTag(t, "[%thispage.title.css%]", span("pagetitle", p.PageTitle));
  replaceStripped(t, "[%thispage.menutree%]", p.PageMenuTree);
  replaceTag(t, "[%thispage.menutree.css%]", p.PageMenuTree);

  replaceTag(t, "[%linkto.prior.month%]", p.PriorLink);
  replaceTag(t, "[%linkto.prior.month.href%]", p.PriorHref);
  replaceTag(t, "[%linkto.next.month%]", p.NextLink);
  replaceTag(t, "[%linkto.next.month.href%]", p.NextHref);
  replaceTag(t, "[%linkto.parent.by.month%]", p.ParentLink);
  replaceTag(t, "[%linkto.parent.by.month.href%]", p.ParentHref);

  linkRow(t, "linkto.prior", p.PriorLink, p.PriorHref);
  linkRow(t, "linkto.next", p.NextLink, p.NextHref);
  linkRow(t, "linkto.parent", p.ParentLink, p.ParentHref);

  replaceTag(t, "[%category.title%]", e.CatTitle);
  replaceTag(t, "[%category.text%]", e.CatText);
  replaceTag(t, "[%linkto.parent.category%]", e.CatParentLink);

  auto state = [&](std::string_view tag, int32_t kind) { replaceTag(t, tag, p.PageKind == kind ? "TRUE" : ""); };
  state("[%ISHOMEPAGE%]", kPageKindHome);
  state("[%ISINDEXPAGE%]", kPageKindIndex);
  state("[%ISENTRYPAGE%]", kPageKindEntries);
  state("[%ISARTICLEPAGE%]", kPageKindArticle);
  state("[%ISSTATICPAGE%]", kPageKindStatic);
  state("[%ISHIDDENPAGE%]", kPageKindHidden);

  replaceAttributeTag(t, "[%thispage.metatag.keywords%]", p.PageKeywords);
  replaceAttributeTag(t, "[%thispage.metatag.description%]", p.PageDescription);

  replaceTag(t, "[%mainpage.title%]", g.MainTitle);
  replaceTag(t, "[%mainpage.title.css%]", span("maintitle", g.MainTitle));
  replaceTag(t, "[%site.language%]", g.SiteLanguage);
  replaceTag(t, "[%mainpage.url%]", g.MainUrl);
  replaceTag(t, "[%mainpage.url.css%]", span("mainurl", g.MainUrl));
  replaceTag(t, "[%mainpage.about%]", g.MainAbout);
  replaceTag(t, "[%mainpage.about.css%]", span("mainabout", g.MainAbout));

  linkRow(t, "links.by.month.column", g.MonthLinksColumn);
  linkRow(t, "links.by.month.row", g.MonthLinksRow);
  linkRow(t, "links.static.column", g.StaticLinksColumn);
  linkRow(t, "links.static.row", g.StaticLinksRow);

  replaceTag(t, "[%links.navbar.column%]", g.NavbarColumn);
  replaceTag(t, "[%links.navbar.row%]", g.NavbarRow);

  linkRow(t, "links.articles.column", g.ArticleLinksColumn);
  linkRow(t, "links.articles.row", g.ArticleLinksRow);
  linkRow(t, "linkto.parent.site", g.ParentSiteLink);

  linkRow(t, "linkto.index.mainpage", g.HomeLink, g.HomeHref);
  linkRow(t, "linkto.index.articles", g.ArticleIndexLink, g.ArticleIndexHref);
  linkRow(t, "linkto.index.by.month", g.MonthIndexLink, g.MonthIndexHref);

  replaceTag(t, "[%linkto.rss20.href%]", PageNamePrefix() + g.Rss20FileName);
  replaceTag(t, "[%linkto.rss091.href%]", PageNamePrefix() + g.Rss091FileName);

  replaceTag(t, "[%custom.tag.1%]", g.CustomTag1);
  replaceTag(t, "[%custom.tag.2%]", g.CustomTag2);
  replaceTag(t, "[%custom.tag.3%]", g.CustomTag3);
  replaceTag(t, "[%custom.tag.4%]", g.CustomTag4);
  replaceTag(t, "[%custom.tag.5%]", g.CustomTag5);
  replaceTag(t, "[%custom.tag.6%]", g.CustomTag6);
  replaceTag(t, "[%custom.tag.7%]", g.CustomTag7);
  replaceTag(t, "[%custom.tag.8%]", g.CustomTag8);
  replaceTag(t, "[%custom.tag.9%]", g.CustomTag9);
  replaceTag(t, "[%custom.tag.10%]", g.CustomTag10);

  replaceStripped(t, "[%linkto.index.category%]", g.CategoryIndexLink);
  replaceStripped(t, "[%links.by.category.column%]", g.CategoryLinksColumn);
  replaceStripped(t, "[%links.by.category.row%]", g.CategoryLinksRow);
  replaceTag(t, "[%linkto.index.category.css%]", g.CategoryIndexLink);
  replaceTag(t, "[%links.by.category.column.css%]", g.CategoryLinksColumn);
  replaceTag(t, "[%links.by.category.row.css%]", g.CategoryLinksRow);

  linkRow(t, "linkto.index.recententries", g.RecentLink, g.RecentHref);
  return t;
}

// The same result, faster on long pages. No page tag contains a "%" between its
// "[%" and its "%]", and none is longer than kLongestPageTag. So an occurrence of a
// tag can only overlap a long run of text without "%" at the run's ends: with
// the "]" of its "%]" as the run's first character, or the "[" of its "[%" as its
// last (a value put in just before the run may end in "[%name%", one just after
// it begin with "%name%]"). A run that neither begins with "]" nor ends with "["
// stays as it is, whatever the earlier replacements did, and the replacements of
// FillPageTagsInOrder act on the pieces between such runs independently. Entry
// texts, the bulk of a page, are such runs. The randomized comparison test holds
// this path to FillPageTagsInOrder byte for byte.
std::string FillPageTags(std::string t, const templateGlobalVars& g, const templateEntryVars& e,
                         const templatePageVars& p) {
  constexpr size_t kLongestPageTag = 35;     // "[%linkto.index.recententries.href%]"
  constexpr size_t kMinInertRun = 2 * kLongestPageTag;
  const size_t n = t.size();
  if (n < 4 * kMinInertRun || findFrom(t, "[%", 0) == std::string::npos) return FillPageTagsInOrder(std::move(t), g, e, p);

  static thread_local std::string filled;
  std::string& out = filled;
  out.clear();
  const char* base = t.data();
  size_t pieceStart = 0;  // start of the piece not yet filled
  size_t gapStart = 0;    // first character after the last "%" seen
  for (;;) {
    const void* hit = gapStart < n ? std::memchr(base + gapStart, '%', n - gapStart) : nullptr;
    const size_t pct = hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : n;
    // The run [gapStart, pct) holds no "%". Its "]" at the start and "[" at the
    // end stay with the pieces, where a tag may end or begin.
    size_t runStart = gapStart, runEnd = pct;
    while (runStart < runEnd && base[runStart] == ']') ++runStart;
    while (runEnd > runStart && base[runEnd - 1] == '[') --runEnd;
    if (runEnd - runStart >= kMinInertRun) {
      out += FillPageTagsInOrder(t.substr(pieceStart, runStart - pieceStart), g, e, p);
      out.append(base + runStart, runEnd - runStart);
      pieceStart = runEnd;
    }
    if (pct >= n) break;
    gapStart = pct + 1;
  }
  out += FillPageTagsInOrder(t.substr(pieceStart), g, e, p);
  t.swap(out);  // the input's buffer is kept for the next page
  return t;
}

void SetPageNamePrefix(std::string prefix) { pageNamePrefixStorage() = std::move(prefix); }
const std::string& PageNamePrefix() { return pageNamePrefixStorage(); }

// ---- Commands ------------------------------------------------------------------------

RandomSource SetRandomSource(RandomSource source) {
  RandomSource before = std::move(randomSource());
  randomSource() = std::move(source);
  return before;
}

std::string EvaluateCommand(std::string_view command, std::string_view arguments) {
  std::string field, value;
  const size_t split = arguments.find("~~");
  if (split != std::string_view::npos) {
    field = util::trim(arguments.substr(0, split));
    value = util::trim(arguments.substr(split + 2));
  } else {
    field.assign(arguments);
  }
  if (util::equalsNoCase(command, "IFNOTBLANK")) return field.empty() ? std::string() : value;
  if (util::equalsNoCase(command, "IFBLANK")) return field.empty() ? value : std::string();
  return {};
}

std::string ResolveCommands(std::string_view page) {
  const RandomSource& source = randomSource();
  uint32_t n = source ? source() : clockSeededDraw();
  if (n >= kRandomRange) n %= kRandomRange;
  static thread_local std::string withNumber, firstPass;
  std::string_view text = page;
  if (findFrom(text, "[%RANDOM%]", 0) != std::string_view::npos) {
    withNumber.clear();
    appendReplaced(withNumber, text, "[%RANDOM%]", std::to_string(n));
    text = withNumber;
  }
  firstPass.clear();
  commandPass(text, firstPass);
  std::string result;
  commandPass(firstPass, result);
  replaceTag(result, "**[**%", "[%");
  replaceTag(result, "**%**]", "%]");
  return result;
}

std::string ResolveCommands(std::string_view page, const templateGlobalVars&, const templateEntryVars&,
                            const templatePageVars&) {
  return ResolveCommands(page);
}


TagKind classifyTag(std::string_view inner) {
  if (inner == "RANDOM") return TagKind::kCommand;
  const std::string_view name = inner.substr(0, inner.find("~~"));
  if (util::equalsNoCase(name, "IFBLANK") || util::equalsNoCase(name, "IFNOTBLANK")) return TagKind::kCommand;
  if (inner.find('%') != std::string_view::npos || inner.find('[') != std::string_view::npos) return TagKind::kUnknown;
  // A name is known when the engine's own replacements take the tag away; the
  // replacements are the one list of names, so nothing here can fall behind.
  // Empty records leave no tag text behind, so what remains is unknown.
  static thread_local std::unordered_map<std::string, TagKind> known;
  const std::string tag = "[%" + std::string(inner) + "%]";
  if (auto it = known.find(tag); it != known.end()) return it->second;
  const std::string filled =
      FillPageTagsInOrder(fillEntryTagsInText(tag, templateEntryVars{}), templateGlobalVars{}, templateEntryVars{},
                          templatePageVars{});
  const TagKind kind = filled.find(tag) == std::string::npos ? TagKind::kVariable : TagKind::kUnknown;
  if (known.size() < 4096) known.emplace(tag, kind);
  return kind;
}

}  // namespace tessary::templates
