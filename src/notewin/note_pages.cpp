#include "notewin/note_pages.h"

#include "store/text.h"

namespace tav {

std::vector<Rect> noteWindowTiles(int count, int width, int height) {
  const int hw = width / 2, hh = height / 2;
  switch (count) {
    case 1: return {{0, 0, width, height}};
    case 2: return {{0, 0, hw, height}, {hw, 0, hw, height}};
    case 3: return {{0, 0, hw, hh}, {0, hh, hw, hh}, {hw, 0, hw, hh}};
    case 4: return {{0, 0, hw, hh}, {0, hh, hw, hh}, {hw, 0, hw, hh}, {hw, hh, hw, hh}};
    default: return {};
  }
}

int notePageSize(std::size_t matchCount, long first) {
  if (first < 0 || static_cast<std::size_t>(first) >= matchCount) return 0;
  std::size_t n = matchCount - static_cast<std::size_t>(first);
  return n > kNoteWindowsPerPage ? kNoteWindowsPerPage : static_cast<int>(n);
}

std::vector<long> notePageLines(std::size_t matchCount, long first, std::size_t tableSize) {
  const int n = notePageSize(matchCount, first);
  if (n == 0) return {};
  std::vector<long> lines(tableSize, -1);
  for (std::size_t i = 0; i < tableSize && i < static_cast<std::size_t>(n); ++i)
    lines[i] = first + static_cast<long>(i);
  return lines;
}

std::string matchLineKey(std::string_view line) { return commaField(line, 1); }

std::string matchLineKeyword(std::string_view line) { return commaTail(line, 5); }

void updateMatchLine(std::vector<std::string>& lines, std::string_view key,
                     std::string_view keyword) {
  for (std::string& line : lines) {
    if (matchLineKey(line) != key) continue;
    line = std::string(key) + ",1,0,0," + std::string(keyword);
    return;
  }
}

}  // namespace tav
