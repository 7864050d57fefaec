#include "generator/site_naming.h"

#include <cstdio>

#include "util/text.h"

namespace tessary::generator {

ArchiveMode archiveModeOf(int32_t option104) {
  if (option104 == 1) return ArchiveMode::Weekly;
  if (option104 == 2) return ArchiveMode::Daily;
  return ArchiveMode::Monthly;
}

std::string sanitizePagePrefix(std::string_view option203) {
  std::string s(option203);
  for (const char bad : {'\\', '/', ':', '*', '"', '<', '>', '|'})
    for (char& c : s)
      if (c == bad) c = '-';
  return util::trim(s);
}

std::string pageExtensionOf(int32_t option202) { return option202 == 1 ? ".htm" : ".html"; }

namespace {

int weekdayOf(int year, int month, int day) { return util::isoDayOfWeek(util::encodeDate(year, month, day)); }

std::string isoDate(int year, int month, int day) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
  return buf;
}

bool validDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= util::daysInMonth(year, month);
}

}  // namespace

WeekOfMonth weekOfMonth(int year, int month, int day) {
  if (!validDate(year, month, day)) return {year, month, 1};
  const int first = weekdayOf(year, month, 1);
  const int n = (first >= 5) ? day - (8 - first) : day + first - 1;
  if (n <= 0) {
    // The first days before the first week of the month: they belong to the
    // last week of the previous month. That month's last day never falls in
    // such leading days itself, so this recursion is one level deep.
    int py = year, pm = month - 1;
    if (pm == 0) {
      pm = 12;
      --py;
    }
    if (py < 1) return {year, month, 1};
    return weekOfMonth(py, pm, util::daysInMonth(py, pm));
  }
  WeekOfMonth w{year, month, (n + 6) / 7};
  const int last = util::daysInMonth(year, month);
  const int lastWeekday = weekdayOf(year, month, last);
  if (lastWeekday <= 3 && last - day < lastWeekday) {
    w.week = 1;
    if (++w.month == 13) {
      w.month = 1;
      ++w.year;
    }
  }
  return w;
}

int32_t monthKeyOf(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  return t.year * 100 + t.month;
}

int32_t weekKeyOf(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  const WeekOfMonth w = weekOfMonth(t.year, t.month, t.day);
  return w.year * 1000 + w.month * 10 + w.week;
}

int32_t dayKeyOf(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  return t.year * 10000 + t.month * 100 + t.day;
}

std::string monthCaptionOf(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  return util::longMonthName(t.month) + " " + std::to_string(t.year);
}

std::string weekCaptionOf(util::DateTime value) {
  const util::DateTime day = util::dateOf(value);
  const util::DateTime monday = day - (util::isoDayOfWeek(day) - 1);
  const util::CivilTime a = util::decodeDateTime(monday);
  const util::CivilTime b = util::decodeDateTime(monday + 6);
  return isoDate(a.year, a.month, a.day) + " to " + isoDate(b.year, b.month, b.day);
}

std::string dayCaptionOf(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  return isoDate(t.year, t.month, t.day);
}

PeriodKeys periodKeysOf(util::DateTime value) {
  // Every key and caption follows from the calendar day alone, and the passes
  // meet the days of a blog in order: the last day's keys are kept.
  struct Last {
    int year = -1, month = 0, day = 0;
    PeriodKeys keys;
  };
  thread_local Last last;
  const util::CivilTime t = util::decodeDateTime(value);
  if (t.year == last.year && t.month == last.month && t.day == last.day) return last.keys;
  PeriodKeys k;
  k.monthKey = monthKeyOf(value);
  k.weekKey = weekKeyOf(value);
  k.dayKey = dayKeyOf(value);
  k.monthCaption = monthCaptionOf(value);
  k.weekCaption = weekCaptionOf(value);
  k.dayCaption = dayCaptionOf(value);
  last = {t.year, t.month, t.day, k};
  return k;
}

std::string SiteNames::page(std::string_view name) const {
  std::string s = prefix;
  s += name;
  s += ext;
  return s;
}

std::string SiteNames::monthPage(int32_t monthKey) const { return prefix + std::to_string(monthKey) + ext; }
std::string SiteNames::weekPage(int32_t weekKey) const { return prefix + std::to_string(weekKey) + "w" + ext; }
std::string SiteNames::dayPage(int32_t dayKey) const { return prefix + std::to_string(dayKey) + ext; }

std::string SiteNames::archivePage(ArchiveMode mode, const PeriodKeys& keys) const {
  switch (mode) {
    case ArchiveMode::Daily: return dayPage(keys.dayKey);
    case ArchiveMode::Weekly: return weekPage(keys.weekKey);
    case ArchiveMode::Monthly: break;
  }
  return monthPage(keys.monthKey);
}

std::string SiteNames::freeFormatPage(std::string_view blogPageName) const {
  const std::string name = util::trim(blogPageName);
  return name.find('.') == std::string::npos ? prefix + name + ext : prefix + name;
}

std::string SiteNames::feed(std::string_view name) const { return prefix + std::string(name); }

std::string entryAnchor(int32_t blogKey) { return "<A id=\"e" + std::to_string(blogKey) + "\"></A>"; }

std::string EntryLocation(const SiteNames& names, ArchiveMode mode, const store::BlogRec& rec,
                          const PeriodKeys& keys) {
  switch (rec.BlogPageType) {
    case store::kArticlePage:
    case store::kRedirectPage: return names.page(rec.BlogPageName);
    case store::kFreeFormatPage: return names.freeFormatPage(rec.BlogPageName);
    default: break;
  }
  return names.archivePage(mode, keys) + "#e" + std::to_string(rec.BlogKey);
}

}  // namespace tessary::generator
