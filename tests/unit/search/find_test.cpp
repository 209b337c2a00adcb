#include "search/find.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tav::EditState;
using tav::findBackward;
using tav::findForward;
using tav::jumpToNearest;

TEST(Find, StepsThroughOccurrencesWithAndWithoutCase) {
  // F3, F3, F3 over "abcABC" from the caret at 0.
  EXPECT_EQ(0, findForward("abcABC", "abc", 0, 0, false));
  EXPECT_EQ(3, findForward("abcABC", "abc", 3, 0, false));
  EXPECT_EQ(-1, findForward("abcABC", "abc", 6, 0, false));
  EXPECT_EQ(-1, findForward("abcABC", "abc", 3, 0, true));
  EXPECT_EQ(3, findForward("abcABC", "ABC", 0, 0, true));
  // Shift+F3 from the end finds the last one; before 3 the first.
  EXPECT_EQ(3, findBackward("abcABC", "abc", 6, false));
  EXPECT_EQ(0, findBackward("abcABC", "abc", 3, false));
  EXPECT_EQ(-1, findBackward("abcABC", "abc", 0, false));
  // Japanese text before the occurrence: byte positions; ソ and 表 end in 0x5C.
  EXPECT_EQ(5, findForward("ソ表\\Zebra", "zebra", 0, 0, false));
  EXPECT_EQ(2, findForward("ソ表\\Zebra", "表", 0, 0, false));
  EXPECT_EQ(4, findForward("ソ表\\Zebra", "\\", 0, 0, true));  // not the trail byte of ソ
  // Offsets past the text, empty patterns.
  EXPECT_EQ(-1, findForward("ab", "b", 1, 5, false));
  EXPECT_EQ(2, findForward("ab", "", 1, 1, false));
  EXPECT_EQ(-1, findForward("ab", "", 2, 1, false));
  EXPECT_EQ(1, findBackward("ab", "", 2, false));
  EXPECT_EQ(-1, findBackward("ab", "abc", 2, false));
}

TEST(JumpToNearest, WalksTheMarksAndLandsAtTheEndsWhenNoneIsLeft) {
  // ★ at byte 4, ☆ at 10, caret at 0: Ctrl+Down three times.
  EditState e {"abcd★efxx☆gh", 0, 0};
  auto r = jumpToNearest(e, "☆,★,・", true, false, false);
  EXPECT_TRUE(r.found);
  EXPECT_EQ(4u, r.state.selEnd);
  r = jumpToNearest(r.state, "☆,★,・", true, false, false);
  EXPECT_EQ(10u, r.state.selStart);
  r = jumpToNearest(r.state, "☆,★,・", true, false, false);
  EXPECT_FALSE(r.found);
  EXPECT_EQ(e.text.size(), r.state.selStart);
  EXPECT_EQ(e.text, r.state.text);
  // Ctrl+Up from the end finds ☆, then ★, then nothing: the caret goes to 0.
  r = jumpToNearest(r.state, "☆,★,・", false, false, false);
  EXPECT_EQ(10u, r.state.selStart);
  r = jumpToNearest(r.state, "☆,★,・", false, false, false);
  EXPECT_EQ(4u, r.state.selStart);
  r = jumpToNearest(r.state, "☆,★,・", false, false, false);
  EXPECT_FALSE(r.found);
  EXPECT_EQ(0u, r.state.selStart);
  EXPECT_EQ(0u, r.state.selEnd);
}

TEST(JumpToNearest, SelectsTheNearestWordOfTheSearchText) {
  EditState e {"日本 Zebra yak ZEBRA", 0, 0};
  auto r = jumpToNearest(e, "yak,zebra", true, true, false);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(5u, r.state.selStart);
  EXPECT_EQ(10u, r.state.selEnd);
  r = jumpToNearest(r.state, "yak,zebra", true, true, false);  // from the selection's end
  EXPECT_EQ(11u, r.state.selStart);
  EXPECT_EQ(14u, r.state.selEnd);
  // Backward from the end; with case kept "zebra" is nowhere.
  e = {"日本 Zebra yak ZEBRA", 20, 20};
  EXPECT_EQ(15u, jumpToNearest(e, "yak,zebra", false, true, false).state.selStart);
  EXPECT_EQ(11u, jumpToNearest(e, "yak,zebra", false, true, true).state.selStart);
}

TEST(WalkOrder, VisitsEveryRowOnceFromTheListAndEveryOtherRowFromTheEditor) {
  std::vector<int> rows;
  tav::walkOrder(5, 3, true, false, rows);
  EXPECT_EQ((std::vector<int>{3, 4, 0, 1, 2}), rows);
  tav::walkOrder(5, 1, false, false, rows);
  EXPECT_EQ((std::vector<int>{1, 0, 4, 3, 2}), rows);
  tav::walkOrder(5, 3, true, true, rows);
  EXPECT_EQ((std::vector<int>{4, 0, 1, 2}), rows);
  // Nothing selected: every row, entered from the end the walk starts at.
  tav::walkOrder(3, -1, true, true, rows);
  EXPECT_EQ((std::vector<int>{0, 1, 2}), rows);
  tav::walkOrder(3, -1, false, false, rows);
  EXPECT_EQ((std::vector<int>{2, 1, 0}), rows);
  EXPECT_EQ(0u, tav::walkOrder(1, 0, true, true, rows));
  // Every row exactly once, whatever the start.
  for (int s = 0; s < 7; ++s) {
    for (bool fwd : {true, false}) {
      tav::walkOrder(7, s, fwd, false, rows);
      std::vector<int> seen(7, 0);
      for (int r : rows) ++seen[r];
      EXPECT_EQ(std::vector<int>(7, 1), seen) << s << fwd;
    }
  }
}
