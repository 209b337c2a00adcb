#include <gtest/gtest.h>

#include "ui/layout.h"

using tav::layoutMain;
using tav::Rect;

TEST(Layout, ListShownPlacesEveryControl) {
  int side = 200;
  auto l = layoutMain(800, 600, 200, side);
  EXPECT_EQ((Rect{0, 26, 200, 550}), l.keywordList);
  EXPECT_EQ((Rect{0, 0, 518, 25}), l.keywordBox);
  EXPECT_EQ((Rect{520, 0, 130, 25}), l.checkFilter);
  EXPECT_EQ((Rect{650, 0, 150, 25}), l.filterBox);
  EXPECT_EQ((Rect{205, 26, 595, 529}), l.noteEditor);
  EXPECT_EQ((Rect{205, 555, 100, 21}), l.checkButton);
  EXPECT_EQ(200, side);
}

TEST(Layout, HiddenListGivesTheEditorTheWholeWidth) {
  int side = 200;
  auto l = layoutMain(640, 480, 0, side);
  EXPECT_EQ(0, l.keywordList.w);
  EXPECT_EQ((Rect{5, 26, 635, 409}), l.noteEditor);
  // The right-hand controls stay glued to the right edge, the check box near the bottom.
  EXPECT_EQ(640, l.filterBox.x + l.filterBox.w);
  EXPECT_EQ(l.filterBox.x, l.checkFilter.x + l.checkFilter.w);
  EXPECT_EQ(480 - 45, l.checkButton.y);
}

TEST(Layout, SideSizeIsClampedButTheShownWidthIsNot) {
  int side = 30;
  layoutMain(800, 600, 0, side);
  EXPECT_EQ(50, side);
  side = 900;
  auto l = layoutMain(800, 600, 150, side);
  EXPECT_EQ(795, side);
  EXPECT_EQ(150, l.keywordList.w);
  side = 795;  // within 10 px of the edge: still clamped
  layoutMain(800, 600, 0, side);
  EXPECT_EQ(795, side);
  side = 900;  // a zero-width client (minimised) leaves the width alone
  layoutMain(0, 0, 0, side);
  EXPECT_EQ(900, side);
}

TEST(Splitter, CursorOnlyNearTheEdgeOfAShownList) {
  EXPECT_TRUE(tav::onSplitter(200, 200));
  EXPECT_TRUE(tav::onSplitter(196, 200));
  EXPECT_FALSE(tav::onSplitter(195, 200));
  EXPECT_FALSE(tav::onSplitter(205, 200));
  EXPECT_FALSE(tav::onSplitter(2, 0));
  EXPECT_EQ(300, tav::splitterWidth(300, 800));
  EXPECT_EQ(-1, tav::splitterWidth(10, 800));
  EXPECT_EQ(-1, tav::splitterWidth(790, 800));
  EXPECT_EQ(11, tav::splitterWidth(11, 800));
}
