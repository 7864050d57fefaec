#include "generator/entry_format.h"

#include <algorithm>

#include "generator/markdown.h"
#include "util/text.h"

namespace tessary::generator {

namespace {

constexpr size_t kTeaserCut = 256;

// The length of the line break at text[i] (CR LF, LF or CR), 0 when there is none.
size_t lineBreakAt(std::string_view text, size_t i) {
  if (i >= text.size()) return 0;
  if (text[i] == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  return text[i] == '\n' ? 1 : 0;
}

}  // namespace

namespace {

std::string formatText(std::string_view text, int32_t htmlFormatting) {
  if (htmlFormatting == kFormatMarkdown) return markdownToHtml(text);
  if (htmlFormatting != kFormatLineBreaks) return std::string(text);
  // Two line breaks make a paragraph, a remaining one a line break, left to
  // right: three in a row give "<P><BR>".
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  size_t i = 0;
  while (i < text.size()) {
    const size_t first = lineBreakAt(text, i);
    if (first == 0) {
      const size_t stop = std::min(text.find_first_of("\r\n", i), text.size());
      out.append(text, i, stop - i);
      i = stop;
      continue;
    }
    const size_t second = lineBreakAt(text, i + first);
    if (second != 0) {
      out += "<P>";
      i += first + second;
    } else {
      out += "<BR>";
      i += first;
    }
  }
  return out;
}

}  // namespace

// A run formats an entry's text for its list entry, then for its own page or its
// feed item, one right after the other: the second time takes the first's
// result. Comparing a text costs far less than formatting it (Markdown above all).
std::string AutoFormat(std::string_view text, int32_t htmlFormatting) {
  struct Last {
    std::string text, formatted;
    int32_t mode = -1;
  };
  if (htmlFormatting != kFormatLineBreaks && htmlFormatting != kFormatMarkdown) return std::string(text);
  static thread_local Last last;
  if (last.mode == htmlFormatting && last.text == text) return last.formatted;
  std::string formatted = formatText(text, htmlFormatting);
  last.text.assign(text);
  last.formatted = formatted;
  last.mode = htmlFormatting;
  return formatted;
}

std::string CutTeaser(std::string_view text) {
  std::string out;
  size_t copied = 0;
  bool inTag = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (copied >= kTeaserCut && c == ' ') break;
    if (c == '<') {
      inTag = true;
      continue;
    }
    if (c == '>') {
      inTag = false;
      continue;
    }
    if (inTag) continue;
    out += c;
    // A character is counted at its first byte; continuation bytes follow it.
    // A CR LF pair is one line break, counted once (at its CR), like a lone LF.
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && !(c == '\n' && i > 0 && text[i - 1] == '\r')) ++copied;
  }
  // A result that reached the cut length is marked as continued; a shorter one
  // is the whole text and stays as it is. (The cut only happens at a blank, so
  // it never splits a character.)
  if (copied >= kTeaserCut) out += "...";
  return out;
}

std::string siteLanguageOf(std::string_view option107) {
  const std::string tag = util::trim(option107);
  bool ok = !tag.empty() && tag.size() <= 35 && tag.front() != '-' && tag.back() != '-';
  for (char c : tag) ok = ok && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-');
  return ok ? tag : "en";
}

EntryDates formatEntryDates(util::DateTime value, int32_t entryDateFormat) {
  const char* date = "yyyy-mm-dd hh:nn";
  const char* words = "mmmm d, yyyy hh:nn";
  switch (entryDateFormat) {
    case 1: words = "mmmm d, yyyy  h:nn am/pm"; break;
    case 2: date = "yyyy-mm-dd"; words = "mmmm d, yyyy"; break;
    case 3: words = "yyyy-mm-dd hh:nn"; break;
    case 4: date = words = "yyyy-mm-dd"; break;
    case 5: date = words = "dd-mm-yyyy"; break;
    case 6: date = words = "dd-mm-yyyy hh:nn"; break;
    case 7: date = words = "dd-mm-yyyy h:nn am/pm"; break;
    default: break;
  }
  return {util::formatDateTime(date, value), util::formatDateTime(words, value)};
}

std::string EntryPermalinkHref(const SiteNames& names, ArchiveMode mode, const store::BlogRec& rec,
                               const PeriodKeys& keys) {
  if (rec.BlogPageType == store::kArticlePage) return names.page(rec.BlogPageName);
  return names.archivePage(mode, keys) + "#e" + std::to_string(rec.BlogKey);
}

std::string coolLink(std::string_view url, std::string_view caption) {
  if (url.empty()) return {};
  return "<A HREF=\"" + std::string(url) + "\" target=\"_blank\" class=\"entrylink\">" + std::string(caption) +
         "</A>";
}

std::string articleCutTeaser(const store::BlogRec& rec, const store::BlogOptionsRec& options) {
  return CutTeaser(AutoFormat(rec.BlogText, options.HTMLFormatting));
}

templates::templateEntryVars FillEntryRecord(const store::BlogRec& rec, const PeriodKeys& keys,
                                             const store::BlogOptionsRec& options, const SiteNames& names,
                                             const std::string* cutTeaser) {
  templates::templateEntryVars e;
  e.EntryId = std::to_string(rec.BlogKey);
  e.EntryTitle = rec.BlogTitle;
  EntryDates dates = formatEntryDates(rec.BlogDateTime, options.EntryDateFormat);
  e.EntryDate = std::move(dates.date);
  e.EntryDateWords = std::move(dates.words);
  if (rec.BlogPageType == store::kArticlePage) {
    std::string teaser = util::charCount(rec.BlogTeaser) >= 2 ? rec.BlogTeaser
                         : cutTeaser                         ? *cutTeaser
                                                             : articleCutTeaser(rec, options);
    e.EntryText = teaser + " <A HREF=\"" + names.page(rec.BlogPageName) + "\" class=\"entrylink\">" +
                  options.ReadThisArticleCaption + "</A>";
  } else {
    e.EntryText = AutoFormat(rec.BlogText, options.HTMLFormatting);
    e.EntryUrlRelated = coolLink(rec.BlogCoolURL, options.CoolLinkCaption);
  }
  e.EntryTeaser = rec.BlogTeaser;
  e.EntryKeywords = rec.BlogKeywords;
  e.EntrySidebar = rec.BlogSidebar;
  e.EntryCustomField1 = rec.BlogExtra1;
  e.EntryCustomField2 = rec.BlogExtra2;
  e.EntryCustomTitle1 = rec.BlogTitle1;
  e.EntryCustomTitle2 = rec.BlogTitle2;
  e.EntryDescription = rec.BlogMetaDesc;
  e.EntryPermalinkHref = EntryPermalinkHref(names, archiveModeOf(options.ArchiveByDate), rec, keys);
  return e;
}

}  // namespace tessary::generator
