#include <gtest/gtest.h>

#include "ui/side_lists.h"

TEST(SideLists, RecentKeepsTheNewestSixteenOldestFirst) {
  std::vector<std::string> h;
  for (int i = 1; i <= 20; ++i) h.push_back("k" + std::to_string(i));
  std::string expected;
  for (int i = 5; i <= 20; ++i) expected += "k" + std::to_string(i) + "\n";
  EXPECT_EQ(expected, tav::recentFileText(h));
  EXPECT_EQ("", tav::recentFileText({}));
}

TEST(SideLists, DirsReversedStampsInOrder) {
  EXPECT_EQ("c\nb\na\n", tav::dirFileText({"a", "b", "c"}));
  EXPECT_EQ("a\n\nc\n", tav::stampFileText({"a", "", "c"}));
  EXPECT_EQ("", tav::dirFileText({}));
  EXPECT_EQ("", tav::stampFileText({}));
}

TEST(SideLists, FilesReadBackWithCrTolerated) {
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), tav::sideListFromText("a\r\nb\n"));
  EXPECT_TRUE(tav::sideListFromText("").empty());
}

TEST(SideLists, StampsKeepACrBeforeTheLf) {
  EXPECT_EQ(tav::stampsFromText("line\r\n\nlast"),
            (std::vector<std::string> {"line\r", "", "last"}));
}
