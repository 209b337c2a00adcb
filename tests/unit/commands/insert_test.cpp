#include <gtest/gtest.h>

#include "commands/insert.h"

namespace {

tav::EditState state(const std::string& text, std::size_t s, std::size_t e) {
  tav::EditState st;
  st.text = text;
  st.selStart = s;
  st.selEnd = e;
  return st;
}

TEST(InsertOutput, GoesUnderTheCaretLineWithTheCaretBeforeIt) {
  tav::EditState r = tav::insertOutput(state("ab\r\ncd", 1, 1), "XY");
  EXPECT_EQ(r, state("ab\r\nXY\r\ncd", 4, 4));
}

TEST(InsertOutput, LastLineWithoutLineEndGetsOneFirst) {
  for (std::size_t caret : {0u, 1u, 2u}) {
    tav::EditState r = tav::insertOutput(state("ab", caret, caret), "XY");
    EXPECT_EQ(r, state("ab\r\nXY\r\n", 4, 4)) << caret;
  }
  EXPECT_EQ(tav::insertOutput(state("", 0, 0), "XY"), state("\r\nXY\r\n", 2, 2));
}

TEST(InsertOutput, CaretAtTheStartOfAnEmptyLineInsertsThere) {
  tav::EditState r = tav::insertOutput(state("ab\r\n\r\ncd", 4, 4), "XY");
  EXPECT_EQ(r, state("ab\r\nXY\r\n\r\ncd", 4, 4));
}

TEST(InsertOutput, SelectionCountsFromItsEnd) {
  tav::EditState r = tav::insertOutput(state("ab\r\ncd\r\nef", 0, 5), "XY");
  EXPECT_EQ(r, state("ab\r\ncd\r\nXY\r\nef", 8, 8));
}

TEST(InsertAt, SelectFlagAndSelectionCountedFromTheOldStart) {
  EXPECT_EQ(tav::insertAt(state("abcd", 2, 2), "XY", 2, false, true), state("abXYcd", 2, 4));
  EXPECT_EQ(tav::insertAt(state("abcd", 2, 2), "XY", 2, false, false), state("abXYcd", 4, 4));
  // After a selection the text goes behind it, the selection from its start.
  EXPECT_EQ(tav::insertAtCaret(state("abcdef", 1, 3), "XY", false, true), state("abcXYdef", 1, 3));
  EXPECT_EQ(tav::insertAtCaret(state("abcdef", 1, 3), "XY", true, false),
            state("abcXY\r\ndef", 3, 3));
}

TEST(InsertAt, EmptyInsertionAfterASelectedOneLeavesTheCaretInFront) {
  tav::EditState first = tav::insertAtCaret(state("ab", 1, 1), "X", false, true);
  EXPECT_EQ(first, state("aXb", 1, 2));
  tav::EditState second = tav::insertAtCaret(first, "", false, true);
  EXPECT_EQ(second, state("aXb", 1, 1));
  EXPECT_EQ(tav::insertAtCaret(second, "Y", false, false), state("aYXb", 2, 2));
}

TEST(SpliceText, EndsAndBeyond) {
  EXPECT_EQ(tav::spliceText("ab", "X", 0, false), "Xab");
  EXPECT_EQ(tav::spliceText("ab", "X", 2, true), "abX\r\n");
  EXPECT_EQ(tav::spliceText("ab", "X", 99, false), "abX");
  EXPECT_EQ(tav::lineStartAfter("ab", 99), 2u);
}

}  // namespace
