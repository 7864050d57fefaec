#include "generator/entry_format.h"

#include "util/text.h"

namespace tessary::generator {

std::string AutoFormat(std::string_view text, int32_t htmlFormatting) {
  if (htmlFormatting != 1) return std::string(text);
  return util::replaceAll(util::replaceAll(text, "\r\n\r\n", "<P>"), "\r\n", "<BR>");
}

namespace {
constexpr size_t kTeaserCut = 256;
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
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++copied;
  }
  // A result that reached the cut length is marked as continued; a shorter one
  // is the whole text and stays as it is. (The cut only happens at a blank, so
  // it never splits a character.)
  if (copied >= kTeaserCut) out += "...";
  return out;
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

templates::templateEntryVars FillEntryRecord(const store::BlogRec& rec, const PeriodKeys& keys,
                                             const store::BlogOptionsRec& options, const SiteNames& names) {
  templates::templateEntryVars e;
  e.EntryId = std::to_string(rec.BlogKey);
  e.EntryTitle = rec.BlogTitle;
  EntryDates dates = formatEntryDates(rec.BlogDateTime, options.EntryDateFormat);
  e.EntryDate = std::move(dates.date);
  e.EntryDateWords = std::move(dates.words);
  if (rec.BlogPageType == store::kArticlePage) {
    std::string teaser = util::charCount(rec.BlogTeaser) >= 2
                             ? rec.BlogTeaser
                             : CutTeaser(AutoFormat(rec.BlogText, options.HTMLFormatting));
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
