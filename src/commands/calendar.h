// The day list of one month, one line per day with its weekday.
#pragma once

#include <string>
#include <string_view>

namespace tav {

bool isLeapYear(long year);
// 0 for a month outside 1..12.
int daysInMonth(long year, int month);
// 0 Sunday .. 6 Saturday; 7 before 15 October 1582 (no Gregorian weekday).
int weekdayOf(long year, int month, int day);
// "Sun" .. "Fri"; every other number gives "Sat".
const char* weekdayName(int weekday);

// Lines "YYYY/MM/DD (Www)" CR LF for month text "YYYYMM", an empty line after
// every Sunday. The year and month are read like atoi; a month outside 1..12
// gives an empty text.
std::string makeCalendar(std::string_view month);

}  // namespace tav
