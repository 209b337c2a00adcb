#include <gtest/gtest.h>

#include "platform/path.h"

namespace {

// ソ is 83 5C and 表 is 95 5C: their trail bytes look like a backslash.
TEST(Path, TrailByte0x5CIsNotASeparator) {
  std::string so = "C:\\ソ";
  EXPECT_EQ(tav::lastSeparatorPos(so), 2u);
  EXPECT_FALSE(tav::endsWithSeparator(so));
  EXPECT_TRUE(tav::endsWithSeparator(so + "\\"));
  EXPECT_EQ(tav::folderOf("C:\\表\\memo.exe"), "C:\\表\\");
  EXPECT_EQ(tav::fileNameOf("C:\\表\\能.txt"), "能.txt");
  EXPECT_FALSE(tav::containsBackslashChar("表予能"));
  EXPECT_TRUE(tav::containsBackslashChar("表\\予"));
  EXPECT_EQ(tav::folderOf("plain"), "");
}

TEST(Path, CharStart) {
  std::string s = "aソb";
  EXPECT_TRUE(tav::isCharStart(s, 0));
  EXPECT_TRUE(tav::isCharStart(s, 1));
  EXPECT_FALSE(tav::isCharStart(s, 2));
  EXPECT_TRUE(tav::isCharStart(s, 3));
}

}  // namespace
