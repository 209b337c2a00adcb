#include <gtest/gtest.h>

#include "commands/editing_aids.h"
#include "testsupport.h"

using tav::MenuItem;

TEST(EditingAids, DateTextsForEachFormat) {
  tavtest::FakeClock clock(tavtest::localSeconds(2026, 12, 6, 9, 5, 7));
  EXPECT_EQ("20261206", tav::dateText(1));
  EXPECT_EQ("2026/12/06", tav::dateText(2));
  EXPECT_EQ("2026/12/06 09:05:07", tav::dateText(3));
  EXPECT_FALSE(tav::dateText(0));
  EXPECT_FALSE(tav::dateText(4));
  EXPECT_EQ((std::vector<MenuItem>{{1, "YYYYMMDD"}, {2, "YYYY/MM/DD"},
                                   {3, "YYYY/MM/DD HH:MM:DD"}}),
            tav::dateFormatItems());
}

TEST(EditingAids, GoMenuPutsTheLastOccurrenceOnTop) {
  std::string text = "!go alpha\r\nsee !go ベータ\r\nend";
  EXPECT_EQ((std::vector<MenuItem>{{2, "!go ベータ"}, {1, "!go alpha"}}),
            tav::goMenuItems(text, {0, 15}));
  EXPECT_TRUE(tav::goMenuItems(text, {}).empty());
}
