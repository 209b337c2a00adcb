#include "ui/side_lists.h"

#include "store/text.h"

namespace tav {

std::vector<std::string> sideListFromText(std::string_view text) {
  std::vector<std::string> out;
  splitText(text, out, '\n');
  for (std::string& s : out) {
    // Every CR before the LF goes: an entry ending in CR would lose it at the
    // next write and read, and no edit control gives one.
    while (!s.empty() && s.back() == '\r') s.pop_back();
  }
  return out;
}

std::vector<std::string> stampsFromText(std::string_view text) {
  std::vector<std::string> out;
  splitText(text, out, '\n');
  return out;
}

std::string recentFileText(const std::vector<std::string>& history) {
  std::string t;
  std::size_t first = history.size() > 16 ? history.size() - 16 : 0;
  for (std::size_t i = first; i < history.size(); ++i) t += history[i] + "\n";
  return t;
}

std::string dirFileText(const std::vector<std::string>& dirs) {
  std::string t;
  for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) t += *it + "\n";
  return t;
}

std::string stampFileText(const std::vector<std::string>& stamps) {
  std::string t;
  for (const std::string& s : stamps) t += s + "\n";
  return t;
}

}  // namespace tav
