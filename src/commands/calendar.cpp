#include "commands/calendar.h"

#include <cstdint>
#include <cstdio>

#include "store/text.h"

namespace tav {

bool isLeapYear(long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(long year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && isLeapYear(year)) return 29;
  return kDays[month - 1];
}

int weekdayOf(long year, int month, int day) {
  // Negative years count as before the calendar too, instead of wrapping
  // around to huge unsigned values.
  if (year < 1582) return 7;
  if (year == 1582 && (month < 10 || (month == 10 && day < 15))) return 7;
  std::uint64_t y = static_cast<std::uint64_t>(year);
  std::uint64_t m = static_cast<std::uint64_t>(month < 0 ? 0 : month);
  std::uint64_t d = static_cast<std::uint64_t>(day < 0 ? 0 : day);
  if (year != 1582 && m <= 2) {  // January and February end the previous year
    y -= 1;
    m += 12;
  }
  return static_cast<int>((d + (13 * m + 8) / 5 + y + y / 4 - y / 100 + y / 400) % 7);
}

const char* weekdayName(int weekday) {
  static const char* const kNames[6] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri"};
  return weekday >= 0 && weekday < 6 ? kNames[weekday] : "Sat";
}

std::string makeCalendar(std::string_view month) {
  long y = textToInt(month) / 100;
  int m = month.size() > 4 ? textToInt(month.substr(4)) : 0;
  int n = daysInMonth(y, m);
  if (n == 0) return std::string();
  // The prefix is the text as written, not re-formatted from y and m.
  std::string prefix(month.substr(0, 4));
  prefix += '/';
  prefix.append(month.substr(4));
  std::string out;
  out.reserve(static_cast<std::size_t>(n) * (prefix.size() + 14) + 16);
  for (int d = 1; d <= n; ++d) {
    int w = weekdayOf(y, m, d);
    char day[16];
    std::snprintf(day, sizeof day, "%02d", d);
    out += prefix;
    out += '/';
    out += day;
    out += " (";
    out += weekdayName(w);
    out += ")\r\n";
    if (w == 0) out += "\r\n";
  }
  return out;
}

}  // namespace tav
