// The values an entry shows on a page: its text formatted from plain line
// breaks into HTML (AutoFormat), the plain-text start of a text for lists and
// feeds (CutTeaser), its date in the owner's chosen format, and its permalink.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "generator/site_naming.h"
#include "store/blog_options.h"
#include "store/blog_rec.h"
#include "templates/tag_engine.h"
#include "util/date_time.h"

namespace tessary::generator {

// The values of option 201 `HTML Formatting`.
inline constexpr int32_t kFormatOwnHtml = 0;     // the text is HTML as the writer wrote it
inline constexpr int32_t kFormatLineBreaks = 1;  // line breaks become <P> and <BR>
inline constexpr int32_t kFormatMarkdown = 2;    // the text is Markdown (CommonMark)

// With kFormatLineBreaks: every two line breaks in a row become "<P>", every
// remaining one "<BR>"; a line break is CR LF, LF or CR alike (texts from files
// and text widgets often use LF alone). With kFormatMarkdown: the HTML of the
// Markdown text. Otherwise the text unchanged.
std::string AutoFormat(std::string_view text, int32_t htmlFormatting);

// The plain-text start of a text: tags dropped, cut at the first blank after
// 256 characters (a CR LF line break counts as one), "..." appended to a long
// result.
std::string CutTeaser(std::string_view text);

// The language tag of option 107 for the pages' lang attribute: letters,
// digits and "-" only (as "en", "de-CH"); anything else, or nothing, is "en".
std::string siteLanguageOf(std::string_view option107);

// The two date texts of an entry for option 106 `Entry Date Format`.
struct EntryDates {
  std::string date;   // EntryDate
  std::string words;  // EntryDateWords
};
EntryDates formatEntryDates(util::DateTime value, int32_t entryDateFormat);

// The permalink of an entry: an article's own page, otherwise its archive page
// in the mode of option 104 followed by "#e" + BlogKey.
std::string EntryPermalinkHref(const SiteNames& names, ArchiveMode mode, const store::BlogRec& rec,
                               const PeriodKeys& keys);

// The entry record of a row for the tag engine: its texts, its dates in the
// format of option 106, an article's teaser form with its "read" link, the
// related link, the permalink. The category fields stay empty.
// `cutTeaser`, when given, is articleCutTeaser of the row, made before.
templates::templateEntryVars FillEntryRecord(const store::BlogRec& rec, const PeriodKeys& keys,
                                             const store::BlogOptionsRec& options, const SiteNames& names,
                                             const std::string* cutTeaser = nullptr);
// The teaser an article without one of its own shows: the start of its
// formatted text.
std::string articleCutTeaser(const store::BlogRec& rec, const store::BlogOptionsRec& options);

// "<A HREF=\"" + url + "\" target=\"_blank\" class=\"entrylink\">" + caption + "</A>", or
// empty when the url is empty.
std::string coolLink(std::string_view url, std::string_view caption);

}  // namespace tessary::generator
