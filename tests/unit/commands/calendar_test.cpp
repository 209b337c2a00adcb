#include <gtest/gtest.h>

#include <vector>

#include "commands/calendar.h"
#include "store/text.h"

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  tav::splitText(text, out, '\n');
  for (std::string& l : out) {
    EXPECT_FALSE(l.empty() || l.back() != '\r') << "every line ends with CR LF";
    if (!l.empty()) l.pop_back();
  }
  return out;
}

std::size_t dayLines(const std::string& text) {
  std::size_t n = 0;
  for (const std::string& l : linesOf(text)) n += !l.empty();
  return n;
}

TEST(Calendar, November2011StartsOnTuesdayWithAnEmptyLineAfterSunday) {
  std::vector<std::string> l = linesOf(tav::makeCalendar("201111"));
  ASSERT_EQ(l.size(), 30u + 4u);  // Sundays 6, 13, 20, 27
  EXPECT_EQ(l[0], "2011/11/01 (Tue)");
  EXPECT_EQ(l[4], "2011/11/05 (Sat)");
  EXPECT_EQ(l[5], "2011/11/06 (Sun)");
  EXPECT_EQ(l[6], "");
  EXPECT_EQ(l[7], "2011/11/07 (Mon)");
  EXPECT_EQ(l.back(), "2011/11/30 (Wed)");
}

TEST(Calendar, FebruaryLengthFollowsTheLeapYearRule) {
  EXPECT_EQ(dayLines(tav::makeCalendar("201102")), 28u);
  EXPECT_EQ(dayLines(tav::makeCalendar("201202")), 29u);
  EXPECT_EQ(dayLines(tav::makeCalendar("190002")), 28u);
  EXPECT_EQ(dayLines(tav::makeCalendar("200002")), 29u);
  // 2012/02/29 was a Wednesday; January and February count with the year before.
  EXPECT_EQ(tav::weekdayOf(2012, 2, 29), 3);
  EXPECT_EQ(tav::weekdayOf(2000, 1, 1), 6);
  EXPECT_EQ(tav::weekdayOf(1900, 3, 1), 4);
}

TEST(Calendar, OctoberOf1582HasNoWeekdayBeforeTheFifteenth) {
  std::vector<std::string> l = linesOf(tav::makeCalendar("158210"));
  ASSERT_EQ(l.size(), 31u + 3u);  // Sundays 17, 24, 31
  for (int d = 0; d < 14; ++d) EXPECT_EQ(l[d].substr(11), "(Sat)") << d + 1;
  EXPECT_EQ(l[14], "1582/10/15 (Fri)");
  EXPECT_EQ(l[15], "1582/10/16 (Sat)");
  EXPECT_EQ(l[16], "1582/10/17 (Sun)");
  EXPECT_EQ(l[17], "");
  EXPECT_EQ(tav::weekdayOf(1582, 9, 30), 7);
  EXPECT_EQ(tav::weekdayOf(1000, 1, 1), 7);
  EXPECT_EQ(tav::weekdayOf(-5, 1, 1), 7);
}

TEST(Calendar, LastSundayEndsWithTwoLineEnds) {
  std::string jul = tav::makeCalendar("201107");  // 2011/07/31 was a Sunday
  EXPECT_EQ(jul.substr(jul.size() - 20), "2011/07/31 (Sun)\r\n\r\n");
}

TEST(Calendar, MonthOutsideTheYearOrNonDigitsGiveNothing) {
  EXPECT_EQ(tav::makeCalendar("201113"), "");
  EXPECT_EQ(tav::makeCalendar("201100"), "");
  EXPECT_EQ(tav::makeCalendar("2011/1"), "");  // year 20, month 0
  EXPECT_EQ(tav::makeCalendar(""), "");
  EXPECT_EQ(tav::daysInMonth(2011, 13), 0);
}

TEST(Calendar, PrefixKeepsTheTextAsWritten) {
  // " 20111" reads as year 201 and month 11, but is shown as written.
  std::string c = tav::makeCalendar(" 20111");
  EXPECT_EQ(c.substr(0, 18), " 201/11/01 (Sat)\r\n");
  EXPECT_STREQ(tav::weekdayName(7), "Sat");
  EXPECT_STREQ(tav::weekdayName(0), "Sun");
}

}  // namespace
