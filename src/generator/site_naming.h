// How the generated site is named. The site is one flat folder: every page,
// feed, picture and file lies directly in the output folder, and every internal
// link is a bare file name. Two run-wide strings shape every page name: the
// page name prefix (so several blogs can share one web folder) and the page
// extension. Entries are grouped into archive periods (month, week, day), each
// with an integer key that becomes a file name and a caption shown to readers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/blog_rec.h"
#include "util/date_time.h"

namespace tessary::generator {

// The archive mode of option 104 `Archive by Date`.
enum class ArchiveMode { Monthly, Weekly, Daily };
// 1 weekly, 2 daily, any other value monthly.
ArchiveMode archiveModeOf(int32_t option104);

// Option 203 with \ / : * " < > | each replaced by "-", then trimmed.
std::string sanitizePagePrefix(std::string_view option203);
// ".htm" when option 202 `HTML Extension` is 1, else ".html".
std::string pageExtensionOf(int32_t option202);

// The week a date belongs to: weeks run Monday to Sunday and belong to the
// month in which their Thursday falls, numbered from 1 within that month.
struct WeekOfMonth {
  int year = 0;
  int month = 0;
  int week = 0;  // 1 to 5
};
WeekOfMonth weekOfMonth(int year, int month, int day);

// The three period keys and captions of one date.
struct PeriodKeys {
  int32_t monthKey = 0;    // year * 100 + month
  int32_t weekKey = 0;     // week year * 1000 + week month * 10 + week number
  int32_t dayKey = 0;      // year * 10000 + month * 100 + day
  std::string monthCaption;  // "mmmm yyyy"
  std::string weekCaption;   // Monday " to " Sunday, both "yyyy-mm-dd"
  std::string dayCaption;    // "yyyy-mm-dd"
};
PeriodKeys periodKeysOf(util::DateTime value);

int32_t monthKeyOf(util::DateTime value);
int32_t weekKeyOf(util::DateTime value);
int32_t dayKeyOf(util::DateTime value);
std::string monthCaptionOf(util::DateTime value);
std::string weekCaptionOf(util::DateTime value);
std::string dayCaptionOf(util::DateTime value);

// The names (and addresses) of the files of the site. `prefix` is the page
// name prefix, `ext` the page extension.
struct SiteNames {
  std::string prefix;
  std::string ext;

  // prefix + name + ext: home page, index pages, category pages, articles...
  std::string page(std::string_view name) const;
  std::string monthPage(int32_t monthKey) const;  // prefix + key + ext
  std::string weekPage(int32_t weekKey) const;    // prefix + key + "w" + ext
  std::string dayPage(int32_t dayKey) const;      // prefix + key + ext
  // The archive page of a period in the given mode.
  std::string archivePage(ArchiveMode mode, const PeriodKeys& keys) const;
  // prefix + trimmed name, + ext only when the trimmed name holds no ".".
  std::string freeFormatPage(std::string_view blogPageName) const;
  // prefix + name, without extension.
  std::string feed(std::string_view name) const;
};

// The address of an entry wherever a page links to it: its own page for an
// article or redirect, its file for a free-format page, otherwise its archive
// page in the mode of option 104 followed by "#e" + BlogKey.
std::string EntryLocation(const SiteNames& names, ArchiveMode mode, const store::BlogRec& rec,
                          const PeriodKeys& keys);

// The anchor that precedes an entry on its archive page.
std::string entryAnchor(int32_t blogKey);

}  // namespace tessary::generator
