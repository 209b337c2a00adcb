#include <gtest/gtest.h>

#include "ui/editor_text.h"

using tav::EditState;

namespace {
EditState at(const std::string& t, std::size_t s, std::size_t e) { return EditState{t, s, e}; }
}  // namespace

TEST(CommaFields, LeftStepsBackFieldByField) {
  EditState e = at("ab,cd,ef", 8, 8);
  std::vector<std::size_t> seen;
  for (int i = 0; i < 4; ++i) {
    e = tav::commaFieldLeft(e, false);
    seen.push_back(e.selStart);
    EXPECT_EQ(e.selStart, e.selEnd);
  }
  EXPECT_EQ((std::vector<std::size_t>{6, 3, 0, 0}), seen);
}

TEST(CommaFields, RightStepsToTheNextComma) {
  EditState e = at("ab,cd,ef", 0, 0);
  std::vector<std::size_t> seen;
  for (int i = 0; i < 4; ++i) {
    e = tav::commaFieldRight(e, false);
    seen.push_back(e.selEnd);
  }
  EXPECT_EQ((std::vector<std::size_t>{2, 5, 8, 8}), seen);
}

TEST(CommaFields, ShiftKeepsTheOtherEnd) {
  EXPECT_EQ(at("ab,cd,ef", 6, 7), tav::commaFieldLeft(at("ab,cd,ef", 7, 7), true));
  EXPECT_EQ(at("ab,cd,ef", 3, 7), tav::commaFieldLeft(at("ab,cd,ef", 6, 7), true));
  EXPECT_EQ(at("ab,cd,ef", 1, 5), tav::commaFieldRight(at("ab,cd,ef", 1, 2), true));
  EXPECT_EQ(at("", 0, 0), tav::commaFieldRight(at("", 0, 0), false));
}

TEST(TimeLine, AppendsAStampLineAndPutsTheCaretAtTheEnd) {
  auto r = tav::appendTimeLine(at("memo", 1, 2), "2011/11/14 18:02:11");
  EXPECT_EQ("memo\r\n2011/11/14 18:02:11\r\n", r.text);
  EXPECT_EQ(4u + 23u, r.selStart);
  EXPECT_EQ(r.selStart, r.selEnd);
}

TEST(DroppedFiles, ReverseOrderQuotesAndCaretInFront) {
  auto r = tav::insertDroppedFiles(at("", 0, 0), {"C:\\a", "C:\\b"});
  EXPECT_EQ("C:\\b\r\nC:\\a\r\n", r.text);
  EXPECT_EQ(0u, r.selStart);
  EXPECT_EQ(0u, r.selEnd);

  r = tav::insertDroppedFiles(at("xy", 1, 1), {"C:\\Program Files\\表"});
  EXPECT_EQ("x\"C:\\Program Files\\表\"\r\ny", r.text);
  EXPECT_EQ(1u, r.selStart);
  EXPECT_EQ(1u, r.selEnd);
}

TEST(JumpMenu, MarksInTextOrderWithTheirLineRest) {
  std::string text = "☆top\r\nx ・mid\r\n★end";
  auto items = tav::jumpMenuItems(text, {"☆", "★", "・"}, false);
  ASSERT_EQ(3u, items.size());
  EXPECT_EQ("&0 ☆top", items[0].label);
  EXPECT_EQ(0u, items[0].position);
  // Neither 0 nor -1: both come back from the menu as "nothing chosen".
  EXPECT_EQ(static_cast<int>(text.size()) + 1, items[0].id);
  EXPECT_EQ(0u, tav::jumpTarget(items[0].id, text.size()));
  EXPECT_EQ("&1 ・mid", items[1].label);
  EXPECT_EQ(static_cast<int>(text.find("・")), items[1].id);
  EXPECT_EQ("&2 ★end", items[2].label);
  EXPECT_EQ(0u, tav::jumpTarget(-1, text.size()));
  EXPECT_EQ(8u, tav::jumpTarget(8, text.size()));
  EXPECT_EQ(0u, tav::jumpTarget(999, text.size()));
}

TEST(JumpMenu, CaseFoldingOverlapsAndDuplicates) {
  std::string text = "aAa";
  EXPECT_EQ(3u, tav::jumpMenuItems(text, {"a"}, false).size());
  EXPECT_EQ(2u, tav::jumpMenuItems(text, {"a"}, true).size());
  EXPECT_EQ(2u, tav::jumpMenuItems(text, {"aa"}, false).size());  // overlapping hits
  EXPECT_EQ(6u, tav::jumpMenuItems(text, {"A", "a"}, false).size());  // duplicates kept
  EXPECT_TRUE(tav::jumpMenuItems(text, {""}, false).empty());
}

TEST(JumpMenu, LabelCharacters) {
  EXPECT_EQ('0', tav::jumpLabel(0));
  EXPECT_EQ('9', tav::jumpLabel(9));
  EXPECT_EQ('A', tav::jumpLabel(10));
  EXPECT_EQ('N', tav::jumpLabel(23));
  EXPECT_EQ('_', tav::jumpLabel(24));
  EXPECT_EQ('_', tav::jumpLabel(32));
  EXPECT_EQ('a', tav::jumpLabel(42));
  EXPECT_EQ('_', tav::jumpLabel(56));
  EXPECT_EQ('r', tav::jumpLabel(59));
  EXPECT_EQ('_', tav::jumpLabel(60));
}
