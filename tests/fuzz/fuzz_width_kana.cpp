// The width and kana tables ("!zen", "!han", "!kata", "!kana") and the line
// transforms ("!sort", "!desc", "!same") over any bytes.
// Properties: line ends and characters without a counterpart pass unchanged;
// half width of full width gives back printable ASCII (but the backslash,
// which has no counterpart) and half-width katakana; hiragana to katakana and
// back gives the hiragana; kana mappings keep the length; sorting is ordered
// and idempotent, duplicate removal keeps each line once.
#include <algorithm>
#include <set>

#include "commands/transforms.h"
#include "fuzz_check.h"
#include "store/text.h"

namespace {

std::string map(std::string_view t, tav::TextMap how) {
  std::optional<std::string> out = tav::convertWidthOrKana(t, how);
  FUZZ_CHECK(out.has_value(), "the mapping never fails off Windows");
  return *out;
}

std::size_t count(const std::string& s, char c) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), c)); }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  tav::splitText(text, out, '\n');
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  // Any bytes: nothing grows beyond the buffer LCMapStringA is given, and the
  // kana mappings change no length.
  for (auto how : {tav::TextMap::FullWidth, tav::TextMap::HalfWidth, tav::TextMap::Katakana, tav::TextMap::Hiragana}) {
    std::string out = map(text, how);
    FUZZ_CHECK(out.size() <= 2 * text.size(), "a mapping fits twice the text");
    if (how == tav::TextMap::Katakana || how == tav::TextMap::Hiragana)
      FUZZ_CHECK(out.size() == text.size(), "kana mappings keep the length");
    if (how == tav::TextMap::HalfWidth) FUZZ_CHECK(out.size() <= text.size(), "half width never grows");
  }

  // Round trips: printable ASCII and half-width katakana through full width;
  // hiragana through katakana. The input's bytes are folded into each range.
  std::string ascii, halfKana, hiragana;
  for (unsigned char c : text) {
    char a = static_cast<char>(0x20 + c % 95);
    if (a != '\\') ascii += a;
    halfKana += static_cast<char>(0xA1 + c % 63);
    int h = 0x9F + c % (0xF1 - 0x9F + 1);
    hiragana += '\x82';
    hiragana += static_cast<char>(h);
  }
  FUZZ_CHECK(map(map(ascii, tav::TextMap::FullWidth), tav::TextMap::HalfWidth) == ascii,
             "printable ASCII comes back from full width");
  FUZZ_CHECK(count(map(ascii, tav::TextMap::FullWidth), '\n') == 0, "full width of ASCII has no line break");
  std::string fullKana = map(halfKana, tav::TextMap::FullWidth);
  FUZZ_CHECK(map(fullKana, tav::TextMap::HalfWidth) == halfKana, "half-width katakana comes back from full width");
  FUZZ_CHECK(map(map(hiragana, tav::TextMap::Katakana), tav::TextMap::Hiragana) == hiragana,
             "hiragana comes back from katakana");
  std::string mixed = text;
  for (auto how : {tav::TextMap::FullWidth, tav::TextMap::HalfWidth, tav::TextMap::Katakana, tav::TextMap::Hiragana}) {
    std::string out = map(mixed, how);
    // CR and LF never belong to a character here unless after a lead byte.
    bool plainBreaks = true;
    for (std::size_t i = 0; i + 1 < mixed.size(); ++i)
      if (static_cast<unsigned char>(mixed[i]) >= 0x81) plainBreaks = false;
    if (plainBreaks) FUZZ_CHECK(count(out, '\n') == count(mixed, '\n'), "line ends pass unchanged");
  }

  // Line transforms.
  // Lines are compared with their CR and written without any CR, so a byte
  // below CR (a tab) after a common start, or a CR inside a line, orders
  // differently the second time: only without them is a second sort a no-op.
  std::string sorted = tav::sortLines(text, false);
  bool lowBytes = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if ((c >= 0 && c < '\r' && c != '\n') || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
      lowBytes = true;
  }
  if (!lowBytes) FUZZ_CHECK(tav::sortLines(sorted, false) == sorted, "sorting a sorted text changes nothing");
  std::vector<std::string> sl = lines(sorted);
  for (const std::string& l : sl) FUZZ_CHECK(l.size() >= 2 && l.back() == '\r', "every sorted line ends with CR LF");
  if (!lowBytes) FUZZ_CHECK(std::is_sorted(sl.begin(), sl.end()), "sorted lines are in order");
  if (!lowBytes) FUZZ_CHECK(tav::sortLines(tav::sortLines(text, true), false) == sorted, "descending holds the same lines");
  std::string same = tav::removeDuplicateLines(text);
  FUZZ_CHECK(tav::removeDuplicateLines(same) == same, "removing duplicates twice changes nothing");
  std::vector<std::string> dl = lines(same);
  FUZZ_CHECK(std::set<std::string>(dl.begin(), dl.end()).size() == dl.size(), "each line is kept once");
  FUZZ_CHECK(count(same, '\n') <= count(text, '\n') + 1, "duplicate removal adds no lines");
  return 0;
}
