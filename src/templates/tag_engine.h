// The tag engine: turns template slices into finished pages. The generator hands
// over the values of a page in three records, fills slices one by one with
// FillEntryTags, then the whole page with FillPageTags, and finishes it with
// ResolveCommands (IFBLANK / IFNOTBLANK, [%RANDOM%], unknown tags removed,
// escapes "**[**%" and "**%**]").
//
// Every replacement replaces all occurrences of a tag, exactly and with case, in
// the text as the earlier replacements left it, so a value that contains tag
// text is expanded by a later replacement. Values are inserted verbatim, except
// the meta values (thispage.metatag.*, entry.metatag.*): templates put those
// inside attribute values, so they pass through util::escapeAttributeValue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tessary::templates {

class TemplatePackage;

// One entry (or a generated list standing in for one).
struct templateEntryVars {
  std::string EntryId;             // [%entry.id%]
  std::string EntryTitle;          // [%entry.title%], [%entry.title.css%]
  std::string EntryDate;           // [%entry.date%], [%entry.date.css%]
  std::string EntryDateWords;      // [%entry.date.words%], [%entry.date.words.css%]
  std::string EntryText;           // [%entry.text%], [%entry.text.css%]
  std::string EntryUrlRelated;     // [%entry.url.related%], [%entry.url.related.css%]
  std::string EntryTeaser;         // [%entry.teaser%]
  std::string EntryKeywords;       // [%entry.metatag.keywords%]
  std::string EntrySidebar;        // [%entry.sidebar%], [%entry.sidebar.css%]
  std::string EntryCustomField1;   // [%entry.custom.field.1%]
  std::string EntryCustomField2;   // [%entry.custom.field.2%]
  std::string EntryCustomTitle1;   // [%entry.custom.title.1%]
  std::string EntryCustomTitle2;   // [%entry.custom.title.2%]
  std::string EntryDescription;    // [%entry.metatag.description%]
  std::string EntryPermalinkHref;  // [%entry.permalink.href%]
  std::string EntrySpare1;         // no tag; always empty
  std::string EntrySpare2;         // no tag; always empty
  std::string CatTitle;            // [%category.title%]
  std::string CatText;             // [%category.text%]
  std::string CatParentLink;       // [%linkto.parent.category%]
};

// Page kinds as the state tags see them.
enum PageKind : int32_t {
  kPageKindNone = 0,
  kPageKindHome = 2,     // [%ISHOMEPAGE%]
  kPageKindIndex = 3,    // [%ISINDEXPAGE%]
  kPageKindEntries = 4,  // [%ISENTRYPAGE%]
  kPageKindArticle = 5,  // [%ISARTICLEPAGE%]
  kPageKindStatic = 6,   // [%ISSTATICPAGE%]
  kPageKindHidden = 7,   // [%ISHIDDENPAGE%]
};

// One page.
struct templatePageVars {
  std::string PageTitle;        // [%thispage.title%], [%thispage.title.css%]
  std::string PageMenuTree;     // [%thispage.menutree%], [%thispage.menutree.css%]
  int32_t PageKind = 0;         // the state tags
  std::string PriorLink;        // [%linkto.prior%], .css, [%linkto.prior.month%]
  std::string PriorHref;        // [%linkto.prior.href%], [%linkto.prior.month.href%]
  std::string NextLink;         // [%linkto.next%], .css, [%linkto.next.month%]
  std::string NextHref;         // [%linkto.next.href%], [%linkto.next.month.href%]
  std::string ParentLink;       // [%linkto.parent%], .css, [%linkto.parent.by.month%]
  std::string ParentHref;       // [%linkto.parent.href%], [%linkto.parent.by.month.href%]
  std::string PageKeywords;     // [%thispage.metatag.keywords%]
  std::string PageDescription;  // [%thispage.metatag.description%]
};

// Site-wide values, built once per generation run.
struct templateGlobalVars {
  std::string MainTitle;            // [%mainpage.title%], .css
  std::string MainUrl;              // [%mainpage.url%], .css
  std::string MainAbout;            // [%mainpage.about%], .css
  std::string MonthLinksColumn;     // [%links.by.month.column%], .css
  std::string MonthLinksRow;        // [%links.by.month.row%], .css
  std::string StaticLinksColumn;    // [%links.static.column%], .css
  std::string StaticLinksRow;       // [%links.static.row%], .css
  std::string NavbarColumn;         // [%links.navbar.column%]
  std::string NavbarRow;            // [%links.navbar.row%]
  std::string ArticleLinksColumn;   // [%links.articles.column%], .css
  std::string GlobalSpare1;         // no tag
  std::string ArticleLinksRow;      // [%links.articles.row%], .css
  std::string ArticleIndexList;     // no tag (the generator's own use)
  std::string GlobalSpare2;         // no tag
  std::string ParentSiteLink;       // [%linkto.parent.site%], .css
  std::string HomeLink;             // [%linkto.index.mainpage%], .css
  std::string HomeHref;             // [%linkto.index.mainpage.href%]
  std::string ArticleIndexLink;     // [%linkto.index.articles%], .css
  std::string ArticleIndexHref;     // [%linkto.index.articles.href%]
  std::string MonthIndexLink;       // [%linkto.index.by.month%], .css
  std::string MonthIndexHref;       // [%linkto.index.by.month.href%]
  std::string Rss20FileName;        // [%linkto.rss20.href%] (behind the page name prefix)
  std::string Rss091FileName;       // [%linkto.rss091.href%] (behind the page name prefix)
  std::string DefaultKeywords;      // no tag (the generator's own use)
  std::string DefaultDescription;   // no tag (the generator's own use)
  std::string CustomTag1;           // [%custom.tag.1%] ... [%custom.tag.10%]
  std::string CustomTag2;
  std::string CustomTag3;
  std::string CustomTag4;
  std::string CustomTag5;
  std::string CustomTag6;
  std::string CustomTag7;
  std::string CustomTag8;
  std::string CustomTag9;
  std::string CustomTag10;
  std::string CategoryIndexLink;    // [%linkto.index.category%], .css
  std::string CategoryLinksColumn;  // [%links.by.category.column%], .css
  std::string CategoryLinksRow;     // [%links.by.category.row%], .css
  std::string RecentLink;           // [%linkto.index.recententries%], .css
  std::string RecentHref;           // [%linkto.index.recententries.href%]
  std::string SiteLanguage;         // [%site.language%]
};

// ---- Link classes and spans ----------------------------------------------------

// Every `" class="entrylink">`, then every `" class="menulink">`, becomes `">`.
std::string StripLinkClasses(std::string_view links);
// Every `">` becomes `" class="entrylink">`.
std::string AddEntryLinkClass(std::string_view links);
// `<span class="` + cssClass + `">` + value + `</span>`.
std::string span(std::string_view cssClass, std::string_view value);

// ---- Filling -------------------------------------------------------------------

// Returns pageSoFar followed by slice s (1 to 6) of template k (1 to 6) of the
// package, with the entry tags of that slice filled from entry. Only the slice is
// searched. page and global are accepted and not used.
std::string FillEntryTags(const TemplatePackage& package, int k, std::string pageSoFar, int s,
                          const templateEntryVars& entry, const templatePageVars& page,
                          const templateGlobalVars& global);
// The same on the process-wide loaded package.
std::string FillEntryTags(int k, std::string pageSoFar, int s, const templateEntryVars& entry,
                          const templatePageVars& page, const templateGlobalVars& global);
// The same as page = FillEntryTags(k, page, s, ...), appending to the caller's
// page in place: a page of many listed entries is then never copied.
void FillEntryTagsInto(std::string& page, const TemplatePackage& package, int k, int s,
                       const templateEntryVars& entry);
void FillEntryTagsInto(std::string& page, int k, int s, const templateEntryVars& entry);
// The entry tags of one text filled (what FillEntryTags does to the slice).
std::string fillEntryTagsInText(std::string text, const templateEntryVars& entry);
// The same replacements applied one after the other over the whole text, exactly
// as listed: the definition fillEntryTagsInText is held to (it fills in one scan).
std::string fillEntryTagsInOrder(std::string text, const templateEntryVars& entry);

// Returns the page with every page, site, state, category, link and custom tag
// filled, in the fixed order.
std::string FillPageTags(std::string page, const templateGlobalVars& global, const templateEntryVars& entry,
                         const templatePageVars& pageVars);

// The same replacements applied one after the other over the whole text, exactly
// as listed: the definition FillPageTags is held to (it fills in one scan, and
// looks again only where a value could have formed a later tag).
std::string FillPageTagsInOrder(std::string page, const templateGlobalVars& global, const templateEntryVars& entry,
                                const templatePageVars& pageVars);

// The page name prefix that [%linkto.rss20.href%] and [%linkto.rss091.href%]
// carry: the one in force for the generation run, empty until a run sets it.
void SetPageNamePrefix(std::string prefix);
const std::string& PageNamePrefix();

// ---- Commands --------------------------------------------------------------------

// Returns the finished page: [%RANDOM%] replaced by one number for the whole
// page, two command passes (tag ends found by nesting depth; unknown tags and
// commands give nothing; an unclosed "[%" swallows the rest), then the escapes.
std::string ResolveCommands(std::string_view page);
// The same with the page's number drawn beforehand (DrawRandomNumber): a page
// finished on another thread gets the number of its place in the run.
// *usedNumber tells whether the page held [%RANDOM%] (its text then depends
// on the number).
std::string ResolveCommandsWithNumber(std::string_view page, uint32_t number, bool* usedNumber = nullptr);
// Draws the number [%RANDOM%] becomes on the next page (below kRandomRange).
uint32_t DrawRandomNumber();
// The same; the records are accepted and not used.
std::string ResolveCommands(std::string_view page, const templateGlobalVars& global, const templateEntryVars& entry,
                            const templatePageVars& pageVars);

// The text that replaces a command tag. IFNOTBLANK gives the value when the
// field is not empty, IFBLANK when it is; any other command gives nothing.
// Command names ignore case.
std::string EvaluateCommand(std::string_view command, std::string_view arguments);

// The number that [%RANDOM%] becomes: a seam for tests. The source returns a
// number from 0 to 999998; nullptr restores the clock-seeded default. Returns
// the source in force before.
using RandomSource = std::function<uint32_t()>;
RandomSource SetRandomSource(RandomSource source);
inline constexpr uint32_t kRandomRange = 999999;  // [%RANDOM%] is below this

// ---- What a tag is ---------------------------------------------------------------

// What the text between "[%" and "%]" is to the engine: a value it fills in, a
// command it evaluates (IFBLANK, IFNOTBLANK, whose names ignore case, and
// RANDOM), or a name it does not know, which disappears from the page.
enum class TagKind { kVariable, kCommand, kUnknown };
TagKind classifyTag(std::string_view inner);

}  // namespace tessary::templates
