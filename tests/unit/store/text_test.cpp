#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/text.h"

namespace {

using Pieces = std::vector<std::string>;

TEST(Text, SplitKeepsLeadingAndInnerEmptyPiecesButNotATrailingOne) {
  struct Case {
    std::string text;
    Pieces pieces;
  } cases[] = {
      {"a,,b", {"a", "", "b"}},
      {"a,b,", {"a", "b"}},
      {",a", {"", "a"}},
      {",", {""}},
      {"", {}},
      {"abc", {"abc"}},
  };
  for (const auto& c : cases) {
    Pieces out{"kept"};
    std::size_t n = tav::splitText(c.text, out, ',');
    Pieces expected{"kept"};
    expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
    EXPECT_EQ(out, expected) << c.text;  // appends, never clears
    EXPECT_EQ(n, c.pieces.size()) << c.text;
    EXPECT_EQ(tav::countTokens(c.text, ','), c.pieces.size()) << c.text;
  }
}

TEST(Text, SplitAtLfLeavesCrToTheCaller) {
  Pieces out;
  tav::splitText("a\r\nb\n", out, '\n');
  EXPECT_EQ(out, (Pieces{"a\r", "b"}));
}

TEST(Text, TrimSeparatorRemovesEveryLeadingAndTrailingCopy) {
  EXPECT_EQ(tav::trimSeparator(",,x,y,,", ',', false), "x,y");
  EXPECT_EQ(tav::trimSeparator(",,x,y,,", ',', true), ",x,y,");
  EXPECT_EQ(tav::trimSeparator("", ',', true), ",,");
  EXPECT_EQ(tav::trimSeparator(",,,", ',', false), "");
  EXPECT_EQ(tav::trimSeparator(",,,", ',', true), ",,");
  EXPECT_EQ(tav::trimSeparator("会議", ',', true), ",会議,");
}

TEST(Text, CommaFieldAndTail) {
  EXPECT_EQ(tav::commaField("k,12,1,0,word", 5), "word");
  EXPECT_EQ(tav::commaField("k,12,1,0,word", 6), "");
  EXPECT_EQ(tav::commaField("k,12,1,0,word", 1), "k");
  EXPECT_EQ(tav::commaField("k,12,1,0,word", 0), "");
  EXPECT_EQ(tav::commaField("k,,1", 2), "");
  EXPECT_EQ(tav::commaTail(",k,12,1,0,a,b,", 6), "a,b,");
  EXPECT_EQ(tav::commaTail("k,12,1,0,a,b", 5), "a,b");
  EXPECT_EQ(tav::commaTail("k,12", 1), "k,12");
  EXPECT_EQ(tav::commaTail("k,12", 4), "");
  EXPECT_EQ(tav::commaTail("k,12", 0), "");
}

TEST(Text, ExtractTagTakesFirstOpeningToFirstClosing) {
  EXPECT_FALSE(tav::extractTag("no tags", "n").has_value());
  EXPECT_EQ(tav::extractTag("<n></n>", "n").value(), "");
  EXPECT_EQ(tav::extractTag("<k>a,</k><n>x</n>y</n>", "n").value(), "x");
  EXPECT_EQ(tav::extractTag("<f>12</f>", "f").value(), "12");
  // A closing mark before the opening one is not taken.
  EXPECT_EQ(tav::extractTag("</n><n>ab", "n").value(), "ab");
}

TEST(Text, ReplaceAllNeverSearchesInsertedText) {
  std::string s = "aba";
  tav::replaceAll(s, "a", "aa");
  EXPECT_EQ(s, "aabaa");
  s = "xyz";
  tav::replaceAll(s, "", "q");
  EXPECT_EQ(s, "xyz");
  s = "%d-%d";
  tav::replaceAll(s, "%d", "12");
  EXPECT_EQ(s, "12-12");
}

TEST(Text, SelectedRangeDropsAFinalLineBreak) {
  std::string t = "abc\r\ndef";
  EXPECT_EQ(tav::selectedRange(t, 0, 5), "abc");
  EXPECT_EQ(tav::selectedRange(t, 0, 3), "abc");
  EXPECT_EQ(tav::selectedRange(t, 3, 5), "");  // only the line break
  EXPECT_EQ(tav::selectedRange(t, 2, 2), "");
  EXPECT_EQ(tav::selectedRange(t, 5, 100), "def");
}

TEST(Text, NumbersAndLines) {
  EXPECT_EQ(tav::intToText(-12), "-12");
  EXPECT_EQ(tav::textToInt("  42abc"), 42);
  EXPECT_EQ(tav::textToInt("0abc"), 0);
  EXPECT_EQ(tav::textToInt("x"), 0);
  EXPECT_EQ(tav::textToInt("-7"), -7);
  EXPECT_EQ(tav::textToInt("99999999999"), 2147483647);
  EXPECT_EQ(tav::restOfLine("ab\r\ncd", 1), "b");
  EXPECT_EQ(tav::restOfLine("ab\r\ncd", 4), "cd");
  EXPECT_EQ(tav::restOfLine("ab", 7), "");
}

// Only single-byte capitals fold: ア (83 41) keeps its trail byte, and
// full-width letters and half-width katakana stay as they are.
TEST(Text, FoldLowerTouchesOnlySingleByteCapitals) {
  EXPECT_EQ(tav::foldLower("ABC xyz 09"), "abc xyz 09");
  EXPECT_EQ(tav::foldLower("アAｱBＡ表Z"), "アaｱbＡ表z");
}

}  // namespace

// Wine's edit control counts 漢字 CR LF ab as 6 positions; the core counts 8 bytes.
TEST(Text, EditPositionsConvertBetweenCharactersAndBytes) {
  const std::string t = "漢字\r\nab";
  const std::size_t bytes[] = {0, 2, 4, 5, 6, 7, 8};
  for (std::size_t c = 0; c <= 6; ++c) {
    EXPECT_EQ(tav::charsToBytes(t, c), bytes[c]) << c;
    EXPECT_EQ(tav::bytesToChars(t, bytes[c]), c) << c;
  }
  EXPECT_EQ(tav::charsToBytes(t, 99), 8u);
  EXPECT_EQ(tav::bytesToChars("ソ\\", 3), 2u);  // a 0x5C trail byte is no character of its own
}
