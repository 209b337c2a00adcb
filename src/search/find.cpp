#include "search/find.h"

#include <string>
#include <vector>

#include "store/match.h"
#include "store/text.h"

namespace tav {

long findForward(std::string_view text, std::string_view pattern, std::size_t from,
                 std::size_t offset, bool matchCase) {
  const std::size_t start = from + offset;
  if (start < from) return -1;
  std::size_t p = TextPattern(pattern, matchCase).findIn(text, start);
  return p == TextPattern::npos ? -1 : static_cast<long>(p);
}

long findBackward(std::string_view text, std::string_view pattern, std::size_t before,
                  bool matchCase) {
  std::size_t p = TextPattern(pattern, matchCase).findLastIn(text, before);
  return p == TextPattern::npos ? -1 : static_cast<long>(p);
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
