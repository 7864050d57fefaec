#include "templates/tag_engine.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <optional>
#include <functional>
#include <random>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <vector>

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

// One generator per thread, seeded once from the clock and the thread: seeding
// costs more than a page's tags, and two pages drawn in the same clock tick
// still get numbers of their own.
uint32_t clockSeededDraw() {
  thread_local std::mt19937 generator = [] {
    const auto seed = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    const auto thread = static_cast<uint64_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32), static_cast<uint32_t>(thread),
                      static_cast<uint32_t>(thread >> 32)};
    return std::mt19937(seq);
  }();
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

std::string fillEntryTagsInOrder(std::string text, const templateEntryVars& e) {
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
  FillEntryTagsInto(pageSoFar, package, k, s, entry);
  return pageSoFar;
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

namespace {

// FillPageTagsInOrder's result, faster on long pages: what FillPageTags falls
// back to when one scan cannot be shown to give the same. No page tag contains a "%" between its
// "[%" and its "%]", and none is longer than kLongestPageTag. So an occurrence of a
// tag can only overlap a long run of text without "%" at the run's ends: with
// the "]" of its "%]" as the run's first character, or the "[" of its "[%" as its
// last (a value put in just before the run may end in "[%name%", one just after
// it begin with "%name%]"). A run that neither begins with "]" nor ends with "["
// stays as it is, whatever the earlier replacements did, and the replacements of
// FillPageTagsInOrder act on the pieces between such runs independently. Entry
// texts, the bulk of a page, are such runs. The randomized comparison test holds
// this path to FillPageTagsInOrder byte for byte.
std::string fillPageTagsPiecewise(std::string t, const templateGlobalVars& g, const templateEntryVars& e,
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

// ---- Filling in one scan -----------------------------------------------------------
//
// The replacements of a fill run one after the other over the whole text, each on
// what the earlier ones left. One scan gives the same text when no replacement
// creates an occurrence of a later tag: then every tag replaced is one that was
// in the text at the start, and nothing inserted is ever looked at again. The
// scan replaces the occurrences it finds, notes where each value went, and then
// looks for tag text around (or inside) the values that could have formed
// such an occurrence. Only that neighbourhood is searched, and only for values
// that can take part in one (see mayFormTag); long link lists and entry texts are
// copied and never searched. When such an occurrence is found the fill is
// done again by the plain sequence of replacements.

// Characters of a tag name.
bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}

// The most tags one fill knows.
constexpr size_t kMaxSteps = 96;

// One tag of a fill, in its place in the order: its text and how its value is
// made from the records. The value is a view of a record's field, or of
// `made`, which the maker fills.
template <class Records>
struct TagStep {
  std::string_view tag;
  std::string_view (*value)(const Records&, std::string& made);
};

// The tags of a fill in their order, with a lookup by name.
template <class Records>
class TagTable {
 public:
  explicit TagTable(std::vector<TagStep<Records>> steps) : steps_(std::move(steps)) {
    // The scan finds a tag by its name characters; the values have room for kMaxSteps.
    if (steps_.size() > kMaxSteps) throw std::logic_error("tag table longer than kMaxSteps");
    for (size_t i = 0; i < steps_.size(); ++i) {
      const std::string_view tag = steps_[i].tag;
      if (tag.size() < 5 || !std::all_of(tag.begin() + 2, tag.end() - 2, isNameChar))
        throw std::logic_error("tag table holds a tag the scan cannot find: " + std::string(tag));
      byName_.emplace(tag.substr(2, tag.size() - 4), i);
      longestName_ = std::max(longestName_, tag.size() - 4);
    }
  }
  const std::vector<TagStep<Records>>& steps() const { return steps_; }
  size_t longestTag() const { return longestName_ + 4; }

  // The step of the tag that starts at text[at] (which is "[%"), with the
  // tag's length; npos when no tag of the table starts there.
  size_t tagAt(std::string_view text, size_t at, size_t& length) const {
    size_t i = at + 2;
    const size_t limit = std::min(text.size(), i + longestName_ + 1);
    while (i < limit && isNameChar(text[i])) ++i;
    if (i + 1 >= text.size() || text[i] != '%' || text[i + 1] != ']' || i == at + 2) return std::string_view::npos;
    const auto it = byName_.find(text.substr(at + 2, i - at - 2));
    if (it == byName_.end()) return std::string_view::npos;
    length = i + 2 - at;
    return it->second;
  }

 private:
  std::vector<TagStep<Records>> steps_;
  std::unordered_map<std::string_view, size_t> byName_;
  size_t longestName_ = 0;
};

// Where a value went in the output of a scan.
struct Insertion {
  size_t pos;
  size_t length;
  size_t step;
};

// The values of one fill, each made once, when its tag is first met.
template <class Records>
class FillValues {
 public:
  FillValues(const TagTable<Records>& table, const Records& records) : table_(table), records_(records) {}

  std::string_view value(size_t step) {
    if (!views_[step]) {
      views_[step] = table_.steps()[step].value(records_, made_[step]);
      risky_[step] = mayFormTag(*views_[step]);
    }
    return *views_[step];
  }
  // REQUIRES: value(step) was asked for.
  bool risky(size_t step) const { return risky_[step]; }

 private:
  // Whether tag text could overlap this value once it stands in a text. A
  // value without "%" can only lie inside a tag's name (all name characters,
  // short enough), begin a tag's "]" or end in a tag's "["; an empty value
  // joins its neighbours.
  bool mayFormTag(std::string_view v) const {
    if (v.empty() || v.front() == ']' || v.back() == '[') return true;
    if (std::memchr(v.data(), '%', v.size())) return true;
    if (v.size() > table_.longestTag()) return false;
    return std::all_of(v.begin(), v.end(), isNameChar);
  }

  const TagTable<Records>& table_;
  const Records& records_;
  std::array<std::string, kMaxSteps> made_;
  std::array<std::optional<std::string_view>, kMaxSteps> views_{};
  std::array<bool, kMaxSteps> risky_{};
};

// Appends text to out with every tag of the table replaced by its value, in one
// scan. Returns false, with out in an unspecified state beyond its first
// `base` characters, when a later tag could have been formed by a replacement;
// the caller then fills by the plain sequence. REQUIRES: out.size() == base.
template <class Records>
bool fillInOneScan(std::string_view text, std::string& out, size_t base, const TagTable<Records>& table,
                   const Records& records) {
  static thread_local std::vector<Insertion> insertions;
  insertions.clear();
  FillValues<Records> values(table, records);
  bool anyRisky = false;
  size_t pos = 0;
  for (size_t open = findFrom(text, "[%", 0); open != std::string_view::npos; open = findFrom(text, "[%", pos)) {
    size_t length = 0;
    const size_t step = table.tagAt(text, open, length);
    if (step == std::string_view::npos) {
      // Copied as it is, with the "[%": a tag can start only after it.
      out.append(text, pos, open + 2 - pos);
      pos = open + 2;
      continue;
    }
    out.append(text, pos, open - pos);
    const std::string_view v = values.value(step);
    insertions.push_back({out.size(), v.size(), step});
    anyRisky = anyRisky || values.risky(step);
    out.append(v);
    pos = open + length;
  }
  out.append(text, pos, std::string_view::npos);
  if (!anyRisky) return true;

  // Every occurrence of a tag in the output overlaps some value (or the place
  // of an empty one): the others were replaced. The plain sequence would have
  // replaced it if its tag comes after every value it is made of.
  const std::string_view result = out;
  const size_t reach = table.longestTag() - 1;
  auto formedBefore = [&](size_t from, size_t to, size_t firstInsertion) {
    size_t formed = 0;
    for (size_t k = firstInsertion; k < insertions.size() && insertions[k].pos < to; ++k) {
      const Insertion& in = insertions[k];
      const bool inside = in.length == 0 ? in.pos > from : in.pos + in.length > from;
      if (inside) formed = std::max(formed, in.step);
    }
    return formed;
  };
  size_t firstNear = 0;  // the first insertion that can reach the window
  for (size_t k = 0; k < insertions.size(); ++k) {
    const Insertion& in = insertions[k];
    if (!values.risky(in.step)) continue;
    const size_t lo = in.pos - std::min(in.pos - base, reach);
    const size_t end = in.pos + in.length;  // an occurrence starts before this (or at in.pos, if empty)
    while (firstNear < k && insertions[firstNear].pos + insertions[firstNear].length + reach < lo) ++firstNear;
    const size_t startsBefore = std::max(end, in.pos + 1);
    const std::string_view window = result.substr(0, std::min(result.size(), startsBefore + reach + 1));
    for (size_t at = findFrom(window, "[%", lo); at != std::string_view::npos && at < startsBefore;
         at = findFrom(window, "[%", at + 1)) {
      size_t length = 0;
      const size_t step = table.tagAt(window, at, length);
      if (step == std::string_view::npos) continue;
      const bool overlaps = in.length == 0 ? at < in.pos && in.pos < at + length : at + length > in.pos;
      if (overlaps && step > formedBefore(at, at + length, firstNear)) return false;
    }
  }
  return true;
}

std::string_view field(const std::string& s) { return s; }
std::string_view made(std::string& out, std::string value) {
  out = std::move(value);
  return out;
}

using E = templateEntryVars;
const TagTable<E>& entryTagTable() {
  static const TagTable<E> table({
      {"[%entry.text.css%]", [](const E& e, std::string& m) { return made(m, span("entrytext", e.EntryText)); }},
      {"[%entry.date.css%]", [](const E& e, std::string& m) { return made(m, span("entrydate", e.EntryDate)); }},
      {"[%entry.date.words.css%]",
       [](const E& e, std::string& m) { return made(m, span("entrydate", e.EntryDateWords)); }},
      {"[%entry.title.css%]", [](const E& e, std::string& m) { return made(m, span("entrytitle", e.EntryTitle)); }},
      {"[%entry.url.related.css%]",
       [](const E& e, std::string& m) { return made(m, AddEntryLinkClass(e.EntryUrlRelated)); }},
      {"[%entry.sidebar.css%]", [](const E& e, std::string& m) { return made(m, span("entrytext", e.EntrySidebar)); }},
      {"[%entry.text%]", [](const E& e, std::string&) { return field(e.EntryText); }},
      {"[%entry.date%]", [](const E& e, std::string&) { return field(e.EntryDate); }},
      {"[%entry.date.words%]", [](const E& e, std::string&) { return field(e.EntryDateWords); }},
      {"[%entry.title%]", [](const E& e, std::string&) { return field(e.EntryTitle); }},
      {"[%entry.url.related%]", [](const E& e, std::string&) { return field(e.EntryUrlRelated); }},
      {"[%entry.id%]", [](const E& e, std::string&) { return field(e.EntryId); }},
      {"[%entry.metatag.keywords%]",
       [](const E& e, std::string& m) { return made(m, util::escapeAttributeValue(e.EntryKeywords)); }},
      {"[%entry.metatag.description%]",
       [](const E& e, std::string& m) { return made(m, util::escapeAttributeValue(e.EntryDescription)); }},
      {"[%entry.teaser%]", [](const E& e, std::string&) { return field(e.EntryTeaser); }},
      {"[%entry.sidebar%]", [](const E& e, std::string&) { return field(e.EntrySidebar); }},
      {"[%entry.custom.field.1%]", [](const E& e, std::string&) { return field(e.EntryCustomField1); }},
      {"[%entry.custom.field.2%]", [](const E& e, std::string&) { return field(e.EntryCustomField2); }},
      {"[%entry.custom.title.1%]", [](const E& e, std::string&) { return field(e.EntryCustomTitle1); }},
      {"[%entry.custom.title.2%]", [](const E& e, std::string&) { return field(e.EntryCustomTitle2); }},
      {"[%entry.permalink.href%]", [](const E& e, std::string&) { return field(e.EntryPermalinkHref); }},
      {"[%entry.attachfile%]", [](const E&, std::string&) { return std::string_view(); }},
      {"[%entry.attachfile.href%]", [](const E&, std::string&) { return std::string_view(); }},
  });
  return table;
}

// Appends text with its entry tags filled to page.
void appendEntryTagsFilled(std::string& page, std::string_view text, const templateEntryVars& entry) {
  const size_t base = page.size();
  if (fillInOneScan(text, page, base, entryTagTable(), entry)) return;
  page.resize(base);
  page += fillEntryTagsInOrder(std::string(text), entry);
}

// The three records of a page fill.
struct PageRecords {
  const templateGlobalVars& g;
  const templateEntryVars& e;
  const templatePageVars& p;
};
using P = PageRecords;

// The plain, .css and (when given) .href tags of a link row.
template <const std::string templateGlobalVars::*Link>
void globalLinkRow(std::vector<TagStep<P>>& steps, std::string_view plain, std::string_view css) {
  steps.push_back({plain, [](const P& r, std::string& m) { return made(m, StripLinkClasses(r.g.*Link)); }});
  steps.push_back({css, [](const P& r, std::string&) { return field(r.g.*Link); }});
}
template <const std::string templatePageVars::*Link, const std::string templatePageVars::*Href>
void pageLinkRow(std::vector<TagStep<P>>& steps, std::string_view plain, std::string_view css, std::string_view href) {
  steps.push_back({plain, [](const P& r, std::string& m) { return made(m, StripLinkClasses(r.p.*Link)); }});
  steps.push_back({css, [](const P& r, std::string&) { return field(r.p.*Link); }});
  steps.push_back({href, [](const P& r, std::string&) { return field(r.p.*Href); }});
}
template <const std::string templateGlobalVars::*Link, const std::string templateGlobalVars::*Href>
void globalLinkRow(std::vector<TagStep<P>>& steps, std::string_view plain, std::string_view css,
                   std::string_view href) {
  globalLinkRow<Link>(steps, plain, css);
  steps.push_back({href, [](const P& r, std::string&) { return field(r.g.*Href); }});
}
template <int32_t Kind>
TagStep<P> stateTag(std::string_view tag) {
  return {tag, [](const P& r, std::string&) { return std::string_view(r.p.PageKind == Kind ? "TRUE" : ""); }};
}
template <const std::string templateGlobalVars::*Field>
TagStep<P> globalTag(std::string_view tag) {
  return {tag, [](const P& r, std::string&) { return field(r.g.*Field); }};
}

// The page tags in FillPageTagsInOrder's order.
const TagTable<P>& pageTagTable() {
  using G = templateGlobalVars;
  using V = templatePageVars;
  static const TagTable<P> table([] {
    std::vector<TagStep<P>> s = {
        {"[%thispage.title%]", [](const P& r, std::string&) { return field(r.p.PageTitle); }},
        {"[%thispage.title.css%]",
         [](const P& r, std::string& m) { return made(m, span("pagetitle", r.p.PageTitle)); }},
        {"[%thispage.menutree%]",
         [](const P& r, std::string& m) { return made(m, StripLinkClasses(r.p.PageMenuTree)); }},
        {"[%thispage.menutree.css%]", [](const P& r, std::string&) { return field(r.p.PageMenuTree); }},
        {"[%linkto.prior.month%]", [](const P& r, std::string&) { return field(r.p.PriorLink); }},
        {"[%linkto.prior.month.href%]", [](const P& r, std::string&) { return field(r.p.PriorHref); }},
        {"[%linkto.next.month%]", [](const P& r, std::string&) { return field(r.p.NextLink); }},
        {"[%linkto.next.month.href%]", [](const P& r, std::string&) { return field(r.p.NextHref); }},
        {"[%linkto.parent.by.month%]", [](const P& r, std::string&) { return field(r.p.ParentLink); }},
        {"[%linkto.parent.by.month.href%]", [](const P& r, std::string&) { return field(r.p.ParentHref); }},
    };
    pageLinkRow<&V::PriorLink, &V::PriorHref>(s, "[%linkto.prior%]", "[%linkto.prior.css%]", "[%linkto.prior.href%]");
    pageLinkRow<&V::NextLink, &V::NextHref>(s, "[%linkto.next%]", "[%linkto.next.css%]", "[%linkto.next.href%]");
    pageLinkRow<&V::ParentLink, &V::ParentHref>(s, "[%linkto.parent%]", "[%linkto.parent.css%]",
                                                "[%linkto.parent.href%]");
    s.push_back({"[%category.title%]", [](const P& r, std::string&) { return field(r.e.CatTitle); }});
    s.push_back({"[%category.text%]", [](const P& r, std::string&) { return field(r.e.CatText); }});
    s.push_back({"[%linkto.parent.category%]", [](const P& r, std::string&) { return field(r.e.CatParentLink); }});
    s.push_back(stateTag<kPageKindHome>("[%ISHOMEPAGE%]"));
    s.push_back(stateTag<kPageKindIndex>("[%ISINDEXPAGE%]"));
    s.push_back(stateTag<kPageKindEntries>("[%ISENTRYPAGE%]"));
    s.push_back(stateTag<kPageKindArticle>("[%ISARTICLEPAGE%]"));
    s.push_back(stateTag<kPageKindStatic>("[%ISSTATICPAGE%]"));
    s.push_back(stateTag<kPageKindHidden>("[%ISHIDDENPAGE%]"));
    s.push_back({"[%thispage.metatag.keywords%]",
                 [](const P& r, std::string& m) { return made(m, util::escapeAttributeValue(r.p.PageKeywords)); }});
    s.push_back({"[%thispage.metatag.description%]",
                 [](const P& r, std::string& m) { return made(m, util::escapeAttributeValue(r.p.PageDescription)); }});
    s.push_back(globalTag<&G::MainTitle>("[%mainpage.title%]"));
    s.push_back({"[%mainpage.title.css%]",
                 [](const P& r, std::string& m) { return made(m, span("maintitle", r.g.MainTitle)); }});
    s.push_back(globalTag<&G::SiteLanguage>("[%site.language%]"));
    s.push_back(globalTag<&G::MainUrl>("[%mainpage.url%]"));
    s.push_back(
        {"[%mainpage.url.css%]", [](const P& r, std::string& m) { return made(m, span("mainurl", r.g.MainUrl)); }});
    s.push_back(globalTag<&G::MainAbout>("[%mainpage.about%]"));
    s.push_back({"[%mainpage.about.css%]",
                 [](const P& r, std::string& m) { return made(m, span("mainabout", r.g.MainAbout)); }});
    globalLinkRow<&G::MonthLinksColumn>(s, "[%links.by.month.column%]", "[%links.by.month.column.css%]");
    globalLinkRow<&G::MonthLinksRow>(s, "[%links.by.month.row%]", "[%links.by.month.row.css%]");
    globalLinkRow<&G::StaticLinksColumn>(s, "[%links.static.column%]", "[%links.static.column.css%]");
    globalLinkRow<&G::StaticLinksRow>(s, "[%links.static.row%]", "[%links.static.row.css%]");
    s.push_back(globalTag<&G::NavbarColumn>("[%links.navbar.column%]"));
    s.push_back(globalTag<&G::NavbarRow>("[%links.navbar.row%]"));
    globalLinkRow<&G::ArticleLinksColumn>(s, "[%links.articles.column%]", "[%links.articles.column.css%]");
    globalLinkRow<&G::ArticleLinksRow>(s, "[%links.articles.row%]", "[%links.articles.row.css%]");
    globalLinkRow<&G::ParentSiteLink>(s, "[%linkto.parent.site%]", "[%linkto.parent.site.css%]");
    globalLinkRow<&G::HomeLink, &G::HomeHref>(s, "[%linkto.index.mainpage%]", "[%linkto.index.mainpage.css%]",
                                              "[%linkto.index.mainpage.href%]");
    globalLinkRow<&G::ArticleIndexLink, &G::ArticleIndexHref>(
        s, "[%linkto.index.articles%]", "[%linkto.index.articles.css%]", "[%linkto.index.articles.href%]");
    globalLinkRow<&G::MonthIndexLink, &G::MonthIndexHref>(
        s, "[%linkto.index.by.month%]", "[%linkto.index.by.month.css%]", "[%linkto.index.by.month.href%]");
    s.push_back({"[%linkto.rss20.href%]",
                 [](const P& r, std::string& m) { return made(m, PageNamePrefix() + r.g.Rss20FileName); }});
    s.push_back({"[%linkto.rss091.href%]",
                 [](const P& r, std::string& m) { return made(m, PageNamePrefix() + r.g.Rss091FileName); }});
    s.push_back(globalTag<&G::CustomTag1>("[%custom.tag.1%]"));
    s.push_back(globalTag<&G::CustomTag2>("[%custom.tag.2%]"));
    s.push_back(globalTag<&G::CustomTag3>("[%custom.tag.3%]"));
    s.push_back(globalTag<&G::CustomTag4>("[%custom.tag.4%]"));
    s.push_back(globalTag<&G::CustomTag5>("[%custom.tag.5%]"));
    s.push_back(globalTag<&G::CustomTag6>("[%custom.tag.6%]"));
    s.push_back(globalTag<&G::CustomTag7>("[%custom.tag.7%]"));
    s.push_back(globalTag<&G::CustomTag8>("[%custom.tag.8%]"));
    s.push_back(globalTag<&G::CustomTag9>("[%custom.tag.9%]"));
    s.push_back(globalTag<&G::CustomTag10>("[%custom.tag.10%]"));
    s.push_back({"[%linkto.index.category%]",
                 [](const P& r, std::string& m) { return made(m, StripLinkClasses(r.g.CategoryIndexLink)); }});
    s.push_back({"[%links.by.category.column%]",
                 [](const P& r, std::string& m) { return made(m, StripLinkClasses(r.g.CategoryLinksColumn)); }});
    s.push_back({"[%links.by.category.row%]",
                 [](const P& r, std::string& m) { return made(m, StripLinkClasses(r.g.CategoryLinksRow)); }});
    s.push_back(globalTag<&G::CategoryIndexLink>("[%linkto.index.category.css%]"));
    s.push_back(globalTag<&G::CategoryLinksColumn>("[%links.by.category.column.css%]"));
    s.push_back(globalTag<&G::CategoryLinksRow>("[%links.by.category.row.css%]"));
    globalLinkRow<&G::RecentLink, &G::RecentHref>(s, "[%linkto.index.recententries%]",
                                                  "[%linkto.index.recententries.css%]",
                                                  "[%linkto.index.recententries.href%]");
    return s;
  }());
  return table;
}

}  // namespace

std::string fillEntryTagsInText(std::string text, const templateEntryVars& entry) {
  std::string out;
  appendEntryTagsFilled(out, text, entry);
  return out;
}

void FillEntryTagsInto(std::string& page, const TemplatePackage& package, int k, int s,
                       const templateEntryVars& entry) {
  appendEntryTagsFilled(page, package.slice(k, s), entry);
}

std::string FillPageTags(std::string t, const templateGlobalVars& g, const templateEntryVars& e,
                         const templatePageVars& p) {
  static thread_local std::string filled;
  std::string& out = filled;
  out.clear();
  if (!fillInOneScan(t, out, 0, pageTagTable(), PageRecords{g, e, p}))
    return fillPageTagsPiecewise(std::move(t), g, e, p);
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

uint32_t DrawRandomNumber() {
  const RandomSource& source = randomSource();
  const uint32_t n = source ? source() : clockSeededDraw();
  return n >= kRandomRange ? n % kRandomRange : n;
}

std::string ResolveCommands(std::string_view page) { return ResolveCommandsWithNumber(page, DrawRandomNumber()); }

std::string ResolveCommandsWithNumber(std::string_view page, uint32_t n, bool* usedNumber) {
  static thread_local std::string withNumber, firstPass;
  std::string_view text = page;
  const bool random = findFrom(text, "[%RANDOM%]", 0) != std::string_view::npos;
  if (usedNumber) *usedNumber = random;
  if (random) {
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
