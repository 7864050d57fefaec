// Date and time as the program keeps them: a double day number counting whole
// days since 30 December 1899 plus the fraction of the day, local time without a
// zone. Before that day the whole part counts backwards while the fraction still
// gives the time of day (-1.25 is 29 December 1899, 06:00).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tessary::util {

using DateTime = double;

struct CivilTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Returns false (leaving `out` alone) when a part is out of range.
bool tryEncodeDateTime(const CivilTime& t, DateTime& out);
// REQUIRES: every part in range (throws std::invalid_argument otherwise).
DateTime encodeDateTime(const CivilTime& t);
DateTime encodeDate(int year, int month, int day);
CivilTime decodeDateTime(DateTime value);

// 1 = Monday ... 7 = Sunday.
int isoDayOfWeek(DateTime value);
bool isLeapYear(int year);
int daysInMonth(int year, int month);
// The whole day of a value (its time part dropped).
DateTime dateOf(DateTime value);

// English month names (the C locale): "January" ... "December".
const std::string& longMonthName(int month);
const std::string& shortMonthName(int month);

// The format codes: yyyy yy mmmm mmm mm m dddd ddd dd d hh h nn n ss s zzz,
// am/pm a/p ampm, "/" the date separator, ":" the time separator, quoted text
// in '' or "". m and mm directly after h or hh mean minutes.
std::string formatDateTime(std::string_view format, DateTime value);

// The stored form in a blog file: "YYYY-MM-DD HH:MM:SS.zzz".
std::string toStorageText(DateTime value);
// Accepts "YYYY-MM-DD", "YYYY-MM-DD HH:MM", "YYYY-MM-DD HH:MM:SS" and with ".zzz".
bool parseStorageText(std::string_view text, DateTime& out);

// The local clock. Tests pin it through setClock; an empty function
// restores the system clock.
DateTime now();
void setClock(std::function<DateTime()> clock);

// The local offset from UTC, in minutes, at the given local time.
int utcOffsetMinutes(DateTime local);

}  // namespace tessary::util
