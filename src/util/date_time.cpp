#include "util/date_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <sys/time.h>

#include "util/text.h"

namespace tessary::util {
namespace {

constexpr int64_t kMsPerDay = 86400000;
// Days from 1970-01-01 back to 1899-12-30.
constexpr int64_t kEpochOffsetDays = 25569;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

std::function<DateTime()>& clockFunction() {
  static std::function<DateTime()> clock;
  return clock;
}

DateTime systemNow() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm tm{};
  const time_t secs = tv.tv_sec;
  localtime_r(&secs, &tm);
  CivilTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  t.millisecond = static_cast<int>(tv.tv_usec / 1000);
  return encodeDateTime(t);
}

// The value in decimal, zeros put before its digits (after a minus sign) up
// to `width` characters in all. Every date of every entry passes here: no
// printf.
std::string pad(int value, int width) {
  const std::string digits = std::to_string(value < 0 ? -static_cast<int64_t>(value) : value);
  std::string out = value < 0 ? "-" : "";
  const size_t w = static_cast<size_t>(std::max(width, 0));
  if (out.size() + digits.size() < w) out.append(w - out.size() - digits.size(), '0');
  out += digits;
  return out;
}

}  // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool tryEncodeDateTime(const CivilTime& t, DateTime& out) {
  if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > daysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
      t.minute > 59 || t.second < 0 || t.second > 59 || t.millisecond < 0 || t.millisecond > 999)
    return false;
  const int64_t days = daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) +
                       kEpochOffsetDays;
  const double fraction =
      ((t.hour * 3600.0 + t.minute * 60.0 + t.second) * 1000.0 + t.millisecond) / kMsPerDay;
  // Before the epoch day the fraction still counts forward into the day.
  out = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return true;
}

DateTime encodeDateTime(const CivilTime& t) {
  DateTime v = 0;
  if (!tryEncodeDateTime(t, v)) throw std::invalid_argument("invalid date or time");
  return v;
}

DateTime encodeDate(int year, int month, int day) {
  CivilTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  return encodeDateTime(t);
}

CivilTime decodeDateTime(DateTime value) {
  CivilTime t;
  if (!std::isfinite(value) || value > 2958465.99999999 || value < -693593.0) return t;
  int64_t days = static_cast<int64_t>(std::trunc(value));
  int64_t ms = std::llround(std::fabs(value - std::trunc(value)) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    days += value >= 0 ? 1 : -1;
  }
  civilFromDays(days - kEpochOffsetDays, t.year, t.month, t.day);
  t.hour = static_cast<int>(ms / 3600000);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.millisecond = static_cast<int>(ms % 1000);
  return t;
}

int isoDayOfWeek(DateTime value) {
  const CivilTime t = decodeDateTime(value);
  const int64_t days = daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
  // 1970-01-01 was a Thursday (4).
  int64_t w = (days % 7 + 7 + 3) % 7;  // 0 = Monday
  return static_cast<int>(w) + 1;
}

DateTime dateOf(DateTime value) {
  const CivilTime t = decodeDateTime(value);
  return encodeDate(t.year, t.month, t.day);
}

const std::string& longMonthName(int month) {
  static const std::string kNames[13] = {"",     "January", "February",  "March",   "April",
                                         "May",  "June",    "July",      "August",  "September",
                                         "October", "November", "December"};
  return kNames[(month >= 1 && month <= 12) ? month : 0];
}

const std::string& shortMonthName(int month) {
  static const std::string kNames[13] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return kNames[(month >= 1 && month <= 12) ? month : 0];
}

std::string formatDateTime(std::string_view f, DateTime value) {
  static const char* kLongDays[8] = {"", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  static const char* kShortDays[8] = {"", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  const CivilTime t = decodeDateTime(value);
  // With an am/pm code anywhere, hours are shown on the 12-hour clock.
  const bool twelve = findNoCase(f, "am/pm") != std::string_view::npos ||
                      findNoCase(f, "a/p") != std::string_view::npos ||
                      findNoCase(f, "ampm") != std::string_view::npos;
  std::string out;
  bool lastWasHour = false;
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < f.size() && (f[i + n] | 0x20) == c) ++n;
    return n;
  };
  while (i < f.size()) {
    const char c = f[i];
    const char lc = static_cast<char>(c | 0x20);
    if (c == '"' || c == '\'') {
      const size_t end = f.find(c, i + 1);
      const size_t stop = end == std::string_view::npos ? f.size() : end;
      out.append(f.substr(i + 1, stop - i - 1));
      i = stop == f.size() ? stop : stop + 1;
      continue;
    }
    if (startsWithNoCase(f.substr(i), "am/pm")) {
      const bool pm = t.hour >= 12;
      std::string s = pm ? "pm" : "am";
      if (f[i] == 'A' || f[i] == 'P') s = upperAscii(s);
      out += s;
      i += 5;
      continue;
    }
    if (startsWithNoCase(f.substr(i), "a/p")) {
      out += t.hour >= 12 ? (f[i] == 'A' ? "P" : "p") : (f[i] == 'A' ? "A" : "a");
      i += 3;
      continue;
    }
    if (startsWithNoCase(f.substr(i), "ampm")) {
      out += t.hour >= 12 ? "PM" : "AM";
      i += 4;
      continue;
    }
    switch (lc) {
      case 'y': {
        const size_t n = run('y');
        out += n <= 2 ? pad(t.year % 100, 2) : pad(t.year, 4);
        i += n;
        lastWasHour = false;
        continue;
      }
      case 'm': {
        const size_t n = run('m');
        if (lastWasHour && n <= 2) {
          out += n == 2 ? pad(t.minute, 2) : std::to_string(t.minute);
        } else if (n >= 4) {
          out += longMonthName(t.month);
        } else if (n == 3) {
          out += shortMonthName(t.month);
        } else {
          out += n == 2 ? pad(t.month, 2) : std::to_string(t.month);
        }
        i += n;
        lastWasHour = false;
        continue;
      }
      case 'd': {
        const size_t n = run('d');
        const int wd = isoDayOfWeek(value);
        if (n >= 4) out += kLongDays[wd];
        else if (n == 3) out += kShortDays[wd];
        else out += n == 2 ? pad(t.day, 2) : std::to_string(t.day);
        i += n;
        lastWasHour = false;
        continue;
      }
      case 'h': {
        const size_t n = run('h');
        int h = t.hour;
        if (twelve) {
          h %= 12;
          if (h == 0) h = 12;
        }
        out += n >= 2 ? pad(h, 2) : std::to_string(h);
        i += n;
        lastWasHour = true;
        continue;
      }
      case 'n': {
        const size_t n = run('n');
        out += n >= 2 ? pad(t.minute, 2) : std::to_string(t.minute);
        i += n;
        lastWasHour = false;
        continue;
      }
      case 's': {
        const size_t n = run('s');
        out += n >= 2 ? pad(t.second, 2) : std::to_string(t.second);
        i += n;
        lastWasHour = false;
        continue;
      }
      case 'z': {
        const size_t n = run('z');
        out += n >= 3 ? pad(t.millisecond, 3) : std::to_string(t.millisecond);
        i += n;
        lastWasHour = false;
        continue;
      }
      default:
        break;
    }
    if (c == '/') out += '/';
    else if (c == ':') out += ':';
    else out += c;
    // Separators and blanks between an hour and "mm" keep the minute reading.
    if (c != ':' && c != ' ') lastWasHour = false;
    ++i;
  }
  return out;
}

std::string toStorageText(DateTime value) {
  const CivilTime t = decodeDateTime(value);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.millisecond);
  return buf;
}

bool parseStorageText(std::string_view text, DateTime& out) {
  CivilTime t;
  t.hour = t.minute = t.second = t.millisecond = 0;
  const std::string s = trim(text);
  auto digits = [&](size_t pos, size_t n, int& v) {
    if (pos + n > s.size()) return false;
    int r = 0;
    for (size_t k = 0; k < n; ++k) {
      const char c = s[pos + k];
      if (c < '0' || c > '9') return false;
      r = r * 10 + (c - '0');
    }
    v = r;
    return true;
  };
  if (!digits(0, 4, t.year) || s.size() < 10 || s[4] != '-' || !digits(5, 2, t.month) || s[7] != '-' ||
      !digits(8, 2, t.day))
    return false;
  size_t pos = 10;
  if (pos < s.size()) {
    if ((s[pos] != ' ' && s[pos] != 'T') || !digits(pos + 1, 2, t.hour) || pos + 3 >= s.size() ||
        s[pos + 3] != ':' || !digits(pos + 4, 2, t.minute))
      return false;
    pos += 6;
    if (pos < s.size()) {
      if (s[pos] != ':' || !digits(pos + 1, 2, t.second)) return false;
      pos += 3;
      if (pos < s.size()) {
        if (s[pos] != '.' || !digits(pos + 1, 3, t.millisecond) || pos + 4 != s.size()) return false;
      }
    }
  }
  return tryEncodeDateTime(t, out);
}

DateTime now() {
  auto& clock = clockFunction();
  return clock ? clock() : systemNow();
}

void setClock(std::function<DateTime()> clock) { clockFunction() = std::move(clock); }

int utcOffsetMinutes(DateTime local) {
  const CivilTime c = decodeDateTime(local);
  std::tm tm{};
  tm.tm_year = c.year - 1900;
  tm.tm_mon = c.month - 1;
  tm.tm_mday = c.day;
  tm.tm_hour = c.hour;
  tm.tm_min = c.minute;
  tm.tm_sec = c.second;
  tm.tm_isdst = -1;
  const time_t t = mktime(&tm);
  std::tm back{};
  localtime_r(&t, &back);
  return static_cast<int>(back.tm_gmtoff / 60);
}

}  // namespace tessary::util
