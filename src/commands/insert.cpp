#include "commands/insert.h"

#include <algorithm>

namespace tav {

std::string spliceText(std::string_view t, std::string_view x, std::size_t p, bool lineEnd) {
  p = std::min(p, t.size());
  std::string out;
  out.reserve(t.size() + x.size() + 2);
  out.append(t.substr(0, p));
  out.append(x);
  if (lineEnd) out.append("\r\n");
  out.append(t.substr(p));
  return out;
}

EditState insertAt(const EditState& e, std::string_view x, std::size_t p, bool lineEnd,
                   bool select) {
  EditState r;
  r.text = spliceText(e.text, x, p, lineEnd);
  std::size_t s = std::min(e.selStart, r.text.size());
  std::size_t n = x.size();
  r.selStart = select ? s : std::min(s + n, r.text.size());
  r.selEnd = std::min(s + n, r.text.size());
  return r;
}

EditState insertAtCaret(const EditState& e, std::string_view x, bool lineEnd, bool select) {
  return insertAt(e, x, e.selEnd, lineEnd, select);
}

std::size_t lineStartAfter(std::string_view t, std::size_t p) {
  std::size_t n = t.size();
  if (p > n) p = n;
  if (p > 0 && p + 1 < n && t[p - 1] == '\n' &&
      (t[p] == '\n' || (t[p] == '\r' && t[p + 1] == '\n')))
    return p;
  std::size_t lf = t.find('\n', p);
  return lf == std::string_view::npos ? n : lf + 1;
}

EditState insertOutput(const EditState& e, std::string_view x) {
  EditState cur = e;
  std::size_t p = lineStartAfter(cur.text, cur.selEnd);
  if (p == cur.text.size()) {
    cur = insertAt(cur, "", p, true, true);
    p += 2;
  }
  cur = insertAt(cur, x, p, true, true);
  cur.selStart = cur.selEnd = p;
  return cur;
}

}  // namespace tav
