#include <gtest/gtest.h>

#include "ui/handoff.h"

namespace {

TEST(Handoff, NoCommandLine) {
  // A running window keeps what its keyword box holds.
  tav::HandoffPlan keep = tav::planHandoff("", "会議", false, 0, "x");
  EXPECT_TRUE(keep.onlyRestoreTitle);
  EXPECT_FALSE(keep.setBox);

  tav::HandoffPlan last = tav::planHandoff("", "", false, 0, "前回");
  EXPECT_TRUE(last.setBox);
  EXPECT_EQ(last.boxText, "前回");
  EXPECT_FALSE(last.selectBox);
  EXPECT_FALSE(last.openKeyword);

  tav::HandoffPlan hint = tav::planHandoff("", "", true, 0, "前回");
  EXPECT_EQ(hint.boxText, "ここになにかキーワードを入力して下さい");
  EXPECT_TRUE(hint.selectBox) << "typing replaces the hint";
}

TEST(Handoff, CommandLineOpensOrSearches) {
  tav::HandoffPlan known = tav::planHandoff("会議", "", false, 2, "x");
  EXPECT_TRUE(known.setBox);
  EXPECT_EQ(known.boxText, "会議");
  EXPECT_TRUE(known.openKeyword);
  EXPECT_FALSE(known.search);

  tav::HandoffPlan unknown = tav::planHandoff("探す", "box", false, 0, "x");
  EXPECT_FALSE(unknown.setBox) << "the box keeps its text";
  EXPECT_TRUE(unknown.openKeyword);
  EXPECT_TRUE(unknown.search);
  EXPECT_EQ(unknown.searchText, "探す");
}

TEST(Handoff, HandedTextIsCutTo255Bytes) {
  EXPECT_EQ(tav::cutHandedText(std::string(300, 'a')).size(), 255u);
  EXPECT_EQ(tav::cutHandedText("short"), "short");
}

}  // namespace

// The C runtime's lpCmdLine dropped the first byte of 予 (97 5C): the text is
// taken from the whole command line.
TEST(Handoff, ArgumentsKeepTheirFirstDoubleByteCharacter) {
  EXPECT_EQ(tav::argumentsOf("Tavolin.exe 予算案"), "予算案");
  EXPECT_EQ(tav::argumentsOf("\"C:\\表 ソフト\\Tavolin.exe\"  \tｱｲｳ x"), "ｱｲｳ x");
  EXPECT_EQ(tav::argumentsOf("\"C:\\a b\\Tavolin.exe\"予"), "予");
  EXPECT_EQ(tav::argumentsOf("Tavolin.exe"), "");
  EXPECT_EQ(tav::argumentsOf("\"unterminated"), "");
}
