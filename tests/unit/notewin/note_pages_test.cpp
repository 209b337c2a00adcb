#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notewin/note_pages.h"

using tav::Rect;

TEST(NoteWindowTiles, OneToFourWindowsOnAnOddSizedWorkArea) {
  // 1023 x 767: every half rounds down, and the work area's origin is not added.
  EXPECT_EQ((std::vector<Rect>{{0, 0, 1023, 767}}), tav::noteWindowTiles(1, 1023, 767));
  EXPECT_EQ((std::vector<Rect>{{0, 0, 511, 767}, {511, 0, 511, 767}}),
            tav::noteWindowTiles(2, 1023, 767));
  // Three fill the left column first and leave the lower right quarter empty.
  EXPECT_EQ((std::vector<Rect>{{0, 0, 511, 383}, {0, 383, 511, 383}, {511, 0, 511, 383}}),
            tav::noteWindowTiles(3, 1023, 767));
  EXPECT_EQ((std::vector<Rect>{{0, 0, 511, 383},
                               {0, 383, 511, 383},
                               {511, 0, 511, 383},
                               {511, 383, 511, 383}}),
            tav::noteWindowTiles(4, 1023, 767));
  EXPECT_TRUE(tav::noteWindowTiles(0, 1023, 767).empty());
  EXPECT_TRUE(tav::noteWindowTiles(5, 1023, 767).empty());
}

TEST(NotePages, SixMatchesPageByFourAndBlankPastTheLast) {
  EXPECT_EQ(4, tav::notePageSize(6, 0));
  EXPECT_EQ(2, tav::notePageSize(6, 4));
  EXPECT_EQ((std::vector<long>{0, 1, 2, 3}), tav::notePageLines(6, 0, 4));
  EXPECT_EQ((std::vector<long>{4, 5, -1, -1}), tav::notePageLines(6, 4, 4));
  // Off either end there is no page: nothing is refilled, blanked or saved.
  EXPECT_TRUE(tav::notePageLines(6, -4, 4).empty());
  EXPECT_TRUE(tav::notePageLines(6, 8, 4).empty());
  EXPECT_EQ(0, tav::notePageSize(6, 6));
  EXPECT_EQ(0, tav::notePageSize(0, 0));
  // Exactly four matches: one page, "→" finds nothing.
  EXPECT_EQ(4, tav::notePageSize(4, 0));
  EXPECT_EQ(0, tav::notePageSize(4, 4));
  // A table smaller than a page (a note could not be read) has only its slots.
  EXPECT_EQ((std::vector<long>{4, 5, -1}), tav::notePageLines(6, 4, 3));
}

TEST(NotePages, KeyAndKeywordOfAMatchLine) {
  const std::string line = "表/201101010000000000,7,1,0,ソフト,表計算";
  EXPECT_EQ("表/201101010000000000", tav::matchLineKey(line));
  EXPECT_EQ("ソフト,表計算", tav::matchLineKeyword(line));
}

TEST(NotePages, StoredKeywordReplacesTheLineOfThatKeyOnly) {
  std::vector<std::string> lines = {"a/2011010100000000001,0,0,0,batch",
                                    "a/201101010000000000,5,0,0,old",
                                    "b/201101010000000000,0,1,0,other"};
  // The batch variant starts with the key text but is another note.
  tav::updateMatchLine(lines, "a/201101010000000000", "新しい,キー");
  EXPECT_EQ((std::vector<std::string>{"a/2011010100000000001,0,0,0,batch",
                                      "a/201101010000000000,1,0,0,新しい,キー",
                                      "b/201101010000000000,0,1,0,other"}),
            lines);
  // An unknown key changes nothing.
  auto before = lines;
  tav::updateMatchLine(lines, "c/201101010000000000", "x");
  EXPECT_EQ(before, lines);
}
