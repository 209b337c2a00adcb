// The note pop-up windows' arithmetic: where the windows of a page go, which
// match line each slot shows when paging, and the match lines kept up to date
// with what the windows stored. Plain values, so it is checked without a window.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ui/layout.h"

namespace tav {

constexpr int kNoteWindowsPerPage = 4;

// Screen rectangles of count (1..4) windows tiled over a work area of width
// by height pixels: one fills it, two split it into left and right halves,
// three and four into quarters (left column first; three leave the lower
// right quarter empty). Halves round toward zero.
std::vector<Rect> noteWindowTiles(int count, int width, int height);

// How many match lines the page that starts at first shows: 0 when there is
// no such page (first below 0 or past the last match), so that paging off
// either end changes nothing.
int notePageSize(std::size_t matchCount, long first);

// For paging a set whose table has tableSize slots to the page at first: the
// match line each slot shows, or -1 for a slot that is blanked because the
// matches ran out. Empty when the page does not exist.
std::vector<long> notePageLines(std::size_t matchCount, long first, std::size_t tableSize);

// The note key (first comma field) and keyword (from the fifth field on) of
// an index line.
std::string matchLineKey(std::string_view line);
std::string matchLineKeyword(std::string_view line);

// After a window stored key under keyword: the first line whose key field is
// key becomes key + ",1,0,0," + keyword, so that paging back shows the edit.
// Keys are compared whole: a key is a prefix of its batch variants.
void updateMatchLine(std::vector<std::string>& lines, std::string_view key,
                     std::string_view keyword);

}  // namespace tav
