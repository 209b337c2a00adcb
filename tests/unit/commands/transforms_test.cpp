#include <gtest/gtest.h>

#include "commands/transforms.h"
#include "platform/system.h"

namespace {

using tav::TextMap;

std::string map(const std::string& s, TextMap how) {
  std::optional<std::string> r = tav::convertWidthOrKana(s, how);
  EXPECT_TRUE(r.has_value());
  return r.value_or("<failed>");
}

TEST(SortLines, EmptyLinesGoAndEveryLineEndsWithCrLf) {
  std::string t = "b\r\na\r\n\r\nc";
  EXPECT_EQ(tav::sortLines(t, false), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(tav::sortLines(t, true), "c\r\nb\r\na\r\n");
  EXPECT_EQ(tav::sortLines("", false), "");
  EXPECT_EQ(tav::removeDuplicateLines(""), "");
}

TEST(SortLines, ComparesWithTheCrStillAttached) {
  // CR (0x0D) sorts below space, so "abc" CR comes before "abc d" CR.
  EXPECT_EQ(tav::sortLines("abc d\r\nabc\r\nx", false), "abc\r\nabc d\r\nx\r\n");
  // The last line has no CR and sorts before the same text with one.
  EXPECT_EQ(tav::sortLines("ab\r\nab", true), "ab\r\nab\r\n");
  EXPECT_EQ(tav::sortLines("ab\r\na", false), "a\r\nab\r\n");
}

TEST(SortLines, BytesNotReadings) {
  // Upper-case before lower-case; double-byte characters by their unsigned
  // code page 932 bytes (あ 82A0 < ア 8341 < 亜 889F), after ASCII.
  EXPECT_EQ(tav::sortLines("b\r\n亜\r\nア\r\nB\r\nあ\r\na", false),
            "B\r\na\r\nb\r\nあ\r\nア\r\n亜\r\n");
}

TEST(RemoveDuplicateLines, KeepsFirstOccurrencesAndTheFirstEmptyLine) {
  EXPECT_EQ(tav::removeDuplicateLines("a\r\nb\r\na\r\n\r\nb\r\n\r\n"), "a\r\nb\r\n\r\n");
  EXPECT_EQ(tav::removeDuplicateLines("A\r\na"), "A\r\na\r\n");
  EXPECT_EQ(tav::removeDuplicateLines("x\ny\r\nx\r"), "x\r\ny\r\n");
}

// The expected bytes are the same natively (our tables) and under Windows
// (LCMapStringA with the Japanese user locale).
TEST(WidthAndKana, AsciiAndSpaceToFullWidthAndBack) {
  EXPECT_EQ(map("abc 123", TextMap::FullWidth), "ａｂｃ　１２３");
  EXPECT_EQ(map("abc 123", TextMap::FullWidth).size(), 14u);
  EXPECT_EQ(map("ａｂｃ　１２３", TextMap::HalfWidth), "abc 123");

  std::string ascii = " !\"#$%&'()*+,-./0189:;<=>?@AZ[]^_`az{|}~";
  std::string full = map(ascii, TextMap::FullWidth);
  EXPECT_EQ(full,
            "\x81\x40\x81\x49\xFA\x57\x81\x94\x81\x90\x81\x93\x81\x95\xFA\x56\x81\x69\x81\x6A"
            "\x81\x96\x81\x7B\x81\x43\x81\x7C\x81\x44\x81\x5E\x82\x4F\x82\x50\x82\x57\x82\x58"
            "\x81\x46\x81\x47\x81\x83\x81\x81\x81\x84\x81\x48\x81\x97\x82\x60\x82\x79\x81\x6D"
            "\x81\x6E\x81\x4F\x81\x51\x81\x4D\x82\x81\x82\x9A\x81\x6F\x81\x62\x81\x70\x81\x60");
  EXPECT_EQ(map(full, TextMap::HalfWidth), ascii);
  // The second encodings of ＂ and ＇ come back to ASCII too.
  EXPECT_EQ(map("\xEE\xFC\xEE\xFB", TextMap::HalfWidth), "\"'");
}

TEST(WidthAndKana, HalfWidthKatakanaWithVoicingMarks) {
  std::string half = "ｶﾞｷﾞﾊﾟﾎﾟｳﾞｱｲｳｴｵｧｯｬｰ｡｢｣､･ﾝｦﾎ";
  std::string full = "ガギパポヴアイウエオァッャー。「」、・ンヲホ";
  EXPECT_EQ(map(half, TextMap::FullWidth), full);
  EXPECT_EQ(map(full, TextMap::HalfWidth), half);
  EXPECT_EQ(map("゛゜", TextMap::HalfWidth), "ﾞﾟ");
  // Katakana without a half-width form stay.
  EXPECT_EQ(map("ヮヰヱヵヶ", TextMap::HalfWidth), "ヮヰヱヵヶ");
}

TEST(WidthAndKana, HiraganaAndKatakana) {
  std::string hira = "あいうえおがぱぁっゃをんゐゑゎゝゞ";
  std::string kata = "アイウエオガパァッャヲンヰヱヮヽヾ";
  EXPECT_EQ(map(hira, TextMap::Katakana), kata);
  EXPECT_EQ(map(kata, TextMap::Hiragana), hira);
  // ヴ, ヵ and ヶ have no hiragana in code page 932: they keep their form.
  EXPECT_EQ(map("ヴヵヶ", TextMap::Hiragana), "ヴヵヶ");
  // Kana conversion leaves half-width katakana, width leaves hiragana.
  EXPECT_EQ(map("ｶﾞｱ", TextMap::Hiragana), "ｶﾞｱ");
  EXPECT_EQ(map("ｶﾞｱ", TextMap::Katakana), "ｶﾞｱ");
  EXPECT_EQ(map("あが", TextMap::HalfWidth), "あが");
}

TEST(WidthAndKana, OtherTextPassesUnchanged) {
  std::string other = "表示\r\n能力\t予定\r\n";  // trail bytes 0x5C among them
  for (TextMap how : {TextMap::FullWidth, TextMap::HalfWidth, TextMap::Katakana, TextMap::Hiragana}) {
    EXPECT_EQ(map(other, how), other);
    EXPECT_EQ(map("", how), "");
  }
  // Arrows and marks have no code page 932 half-width form: they must not
  // turn into question marks.
  EXPECT_EQ(map("a←→↑↓■○?", TextMap::HalfWidth), "a←→↑↓■○?");
  EXPECT_EQ(map("x?ヵ", TextMap::Hiragana), "x?ヵ");
}

TEST(WidthAndKana, RoundTripOverAWholeNote) {
  std::string note = "買い物 list:\r\nｶﾞﾑ 2個, ﾊﾟﾝ (ok)\r\nきっぷ\r\n";
  std::string zen = map(note, TextMap::FullWidth);
  EXPECT_EQ(zen, "買い物　ｌｉｓｔ：\r\nガム　２個，　パン　（ｏｋ）\r\nきっぷ\r\n");
  EXPECT_EQ(map(zen, TextMap::HalfWidth), "買い物 list:\r\nｶﾞﾑ 2個, ﾊﾟﾝ (ok)\r\nきっぷ\r\n");
  EXPECT_EQ(map(map(zen, TextMap::Katakana), TextMap::Hiragana),
            "買い物　ｌｉｓｔ：\r\nがむ　２個，　ぱん　（ｏｋ）\r\nきっぷ\r\n");
}

}  // namespace
