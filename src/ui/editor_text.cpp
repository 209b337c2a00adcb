#include "ui/editor_text.h"

#include <algorithm>

#include "commands/insert.h"
#include "store/match.h"
#include "store/text.h"

namespace tav {

EditState commaFieldLeft(const EditState& e, bool extend) {
  std::size_t p = 0;
  for (std::size_t i = 0; i + 1 < e.selStart && i < e.text.size(); ++i) {
    if (e.text[i] == ',') p = i + 1;
  }
  EditState r = e;
  r.selStart = p;
  r.selEnd = extend ? e.selEnd : p;
  return r;
}

EditState commaFieldRight(const EditState& e, bool extend) {
  std::size_t q = e.text.find(',', e.selEnd + 2);
  if (q == std::string::npos || e.selEnd + 2 > e.text.size()) q = e.text.size();
  EditState r = e;
  r.selStart = extend ? e.selStart : q;
  r.selEnd = q;
  return r;
}

EditState appendTimeLine(const EditState& e, std::string_view stamp) {
  EditState r;
  r.text = e.text;
  r.text += "\r\n";
  r.text += stamp;
  r.text += "\r\n";
  r.selStart = r.selEnd = r.text.size();
  return r;
}

EditState insertDroppedFiles(const EditState& e, const std::vector<std::string>& paths) {
  EditState r = e;
  for (std::string path : paths) {
    if (path.find(' ') != std::string::npos) {
      r = insertAtCaret(r, "\"", false, true);
      path += '"';
    }
    r = insertAtCaret(r, path, true, true);
    r = insertAtCaret(r, "", false, true);
  }
  return r;
}

char jumpLabel(std::size_t k) {
  if (k < 10) return static_cast<char>('0' + k);
  if (k >= 60 || k == 24 || k == 32 || k == 56) return '_';
  return static_cast<char>(k + 55);
}

std::vector<JumpItem> jumpMenuItems(std::string_view text, const std::vector<std::string>& words,
                                    bool matchCase) {
  std::vector<std::size_t> positions;
  for (const std::string& w : words) {
    std::vector<std::size_t> hits = TextPattern(w, matchCase).findAllIn(text);
    positions.insert(positions.end(), hits.begin(), hits.end());
  }
  std::sort(positions.begin(), positions.end());
  std::vector<JumpItem> items;
  items.reserve(positions.size());
  for (std::size_t k = 0; k < positions.size(); ++k) {
    std::size_t p = positions[k];
    std::string label = "&";
    label += jumpLabel(k);
    label += ' ';
    label += restOfLine(text, p);
    items.push_back({label, p, p == 0 ? static_cast<int>(text.size()) + 1 : static_cast<int>(p)});
  }
  return items;
}

std::size_t jumpTarget(int id, std::size_t textLength) {
  if (id < 0 || static_cast<std::size_t>(id) > textLength) return 0;
  return static_cast<std::size_t>(id);
}

}  // namespace tav
