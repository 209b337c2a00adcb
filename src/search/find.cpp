#include "search/find.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "store/text.h"

namespace tav {

namespace {

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// Does pattern (already folded unless matchCase) occur at p?
bool occursAt(std::string_view text, std::string_view pattern, std::size_t p, bool matchCase) {
  if (matchCase) return text.compare(p, pattern.size(), pattern) == 0;
  for (std::size_t j = 0; j < pattern.size(); ++j) {
    if (fold(text[p + j]) != pattern[j]) return false;
  }
  return true;
}

}  // namespace

long findForward(std::string_view text, std::string_view pattern, std::size_t from,
                 std::size_t offset, bool matchCase) {
  const std::size_t start = from + offset;
  if (start < from || start > text.size() || pattern.size() > text.size() - start) return -1;
  if (matchCase) {
    std::size_t p = text.find(pattern, start);
    return p == std::string_view::npos ? -1 : static_cast<long>(p);
  }
  const std::string folded = foldLower(pattern);
  if (folded.empty()) return static_cast<long>(start);
  // Candidates are found by their first byte: memchr for a non-letter, a
  // two-way test for a letter.
  const char first = folded[0];
  const bool letter = first >= 'a' && first <= 'z';
  const char upper = letter ? static_cast<char>(first - ('a' - 'A')) : first;
  const std::size_t last = text.size() - folded.size();
  const char* t = text.data();
  for (std::size_t p = start; p <= last; ++p) {
    if (!letter) {
      const void* hit = std::memchr(t + p, first, last - p + 1);
      if (!hit) return -1;
      p = static_cast<std::size_t>(static_cast<const char*>(hit) - t);
    } else if (t[p] != first && t[p] != upper) {
      continue;
    }
    if (occursAt(text, folded, p, false)) return static_cast<long>(p);
  }
  return -1;
}

long findBackward(std::string_view text, std::string_view pattern, std::size_t before,
                  bool matchCase) {
  if (before == 0 || pattern.size() > text.size()) return -1;
  const std::string folded = matchCase ? std::string(pattern) : foldLower(pattern);
  std::size_t p = std::min(before - 1, text.size() - folded.size());
  for (;; --p) {
    if (occursAt(text, folded, p, matchCase)) return static_cast<long>(p);
    if (p == 0) return -1;
  }
}

JumpResult jumpToNearest(const EditState& e, std::string_view targets, bool forward,
                         bool selectMatch, bool matchCase) {
  const std::size_t offset = forward && !selectMatch ? 2 : 0;
  std::vector<std::string> words;
  splitText(targets, words, ',');
  long best = -1;
  std::size_t bestLength = 0;
  for (const std::string& w : words) {
    long p = forward ? findForward(e.text, w, e.selEnd, offset, matchCase)
                     : findBackward(e.text, w, e.selStart, matchCase);
    if (p < 0) continue;
    if (best < 0 || (forward ? p < best : p > best)) {
      best = p;
      bestLength = w.size();
    }
  }
  JumpResult r;
  r.state.text = e.text;
  r.found = best >= 0;
  if (!r.found) {
    r.state.selStart = r.state.selEnd = forward ? e.text.size() : 0;
    return r;
  }
  r.state.selStart = static_cast<std::size_t>(best);
  r.state.selEnd = selectMatch ? r.state.selStart + bestLength : r.state.selStart;
  return r;
}

std::size_t walkOrder(int n, int selected, bool forward, bool fromEditor, std::vector<int>& out) {
  out.clear();
  if (n <= 0) return 0;
  const int step = forward ? 1 : n - 1;  // one row on or one row back, modulo n
  int first;
  int count = n;
  if (selected < 0 || selected >= n) {
    first = forward ? 0 : n - 1;  // nothing selected: every row from the end the walk enters at
  } else if (fromEditor) {
    first = (selected + step) % n;  // the shown note's row was searched already
    count = n - 1;
  } else {
    first = selected;
  }
  out.reserve(static_cast<std::size_t>(count));
  for (int k = 0, r = first; k < count; ++k, r = (r + step) % n) out.push_back(r);
  return out.size();
}

}  // namespace tav
