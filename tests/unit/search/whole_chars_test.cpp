// Typed text matches whole characters. In code page 932 a trail byte can look
// like an ASCII letter (ア is 83 41, イ 83 43, Ｂ 82 61) or a backslash (ソ 83 5C,
// 表 95 5C), a half-width katakana (漢 is 8A BF, ｿ is BF), and two neighbours
// can line up as a third character (メ咫 is 83 81 9A 40 and holds ★, 81 9A).
// Every row goes through each way the program looks for text: the search in
// a note both ways, every hit (jump menu, "!go " lines), the keyword filter
// (alone and beside a longer word) and the body filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/find.h"
#include "store/keyword_index.h"
#include "store/match.h"

namespace {

struct Case {
  const char* text;
  const char* needle;
  long first, last;  // the first and last hit without case, -1 for none
  long cased;        // the first hit with case kept
};

const Case kCases[] = {
    {"アイス", "a", -1, -1, -1},
    {"アイス", "C", -1, -1, -1},
    {"アxA末尾", "A", 3, 3, 3},
    {"アxA末尾", "a", 3, 3, -1},
    {"ＡＢ", "a", -1, -1, -1},
    {"メ咫★", "★", 4, 4, 4},
    {"ソ表\\", "\\", 4, 4, 4},
    {"表Z", "\\z", -1, -1, -1},
    {"漢ｿ", "ｿ", 2, 2, 2},
    {"ｱｲｽA", "ｽa", 2, 2, -1},  // half-width katakana are characters of their own
    {"aAア", "a", 0, 1, 0},
    {"末尾Ab", "B", 5, 5, -1},  // at the very end
    {"ア", "\x83", -1, -1, -1},  // half a character ends no hit
};

TEST(WholeChars, Bug_LettersMatchedInsideJapaneseCharacters) {
  for (const Case& c : kCases) {
    const std::string text = c.text, needle = c.needle;
    SCOPED_TRACE(text + " / " + needle);
    EXPECT_EQ(c.first, tav::findForward(text, needle, 0, 0, false));
    EXPECT_EQ(c.last, tav::findBackward(text, needle, text.size(), false));
    EXPECT_EQ(c.cased, tav::findForward(text, needle, 0, 0, true));
    const std::vector<std::size_t> all = tav::TextPattern(needle, false).findAllIn(text);
    EXPECT_EQ(c.first, all.empty() ? -1 : static_cast<long>(all.front()));
    EXPECT_EQ(c.last, all.empty() ? -1 : static_cast<long>(all.back()));

    tav::KeywordIndex idx;
    idx.storeNote(text, text, "a/1", 0, false);
    const std::size_t listed = c.first >= 0 ? 1 : 0;
    std::vector<std::string> rows;
    EXPECT_EQ(listed, idx.collectMatches(needle, rows, "", tav::KeywordIndex::kAnyCheck));
    rows.clear();
    EXPECT_EQ(listed, idx.collectMatches(text + " " + needle, rows, "", tav::KeywordIndex::kAnyCheck));
    rows.clear();
    EXPECT_EQ(listed, idx.collectMatches("", rows, needle, tav::KeywordIndex::kAnyCheck));
  }
}

}  // namespace
