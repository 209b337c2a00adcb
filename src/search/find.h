// Finding text in a note and choosing where a jump lands, as pure functions
// over code page 932 bytes. Positions are byte offsets.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "store/edit_state.h"

namespace tav {

// Both match as TextPattern does (store/match.h): only at character
// boundaries, and unless matchCase "A"-"Z" equal "a"-"z" where they are
// characters of their own.

// The lowest p >= from + offset at which pattern occurs; -1 when none does.
// An empty pattern occurs at every character boundary up to the end of the text.
long findForward(std::string_view text, std::string_view pattern, std::size_t from,
                 std::size_t offset, bool matchCase);
// The highest p < before at which pattern occurs; -1 when none does.
long findBackward(std::string_view text, std::string_view pattern, std::size_t before,
                  bool matchCase);

struct JumpResult {
  EditState state;
  bool found = false;
};

// Where the nearest of the comma-separated targets lies, after the selection
// (forward) or before it (backward). Found: the match is selected
// (selectMatch) or the caret put in front of it. Forward without selecting
// skips the two bytes after the caret, so that a repeated jump moves on past
// the double-byte mark it stands at. Nothing found: the caret goes to the end
// (forward) or to 0 (backward).
JumpResult jumpToNearest(const EditState& e, std::string_view targets, bool forward,
                         bool selectMatch, bool matchCase);

// The rows the search across the keyword list tests, in order, for n rows of
// which selected (-1: none) is selected: every other row once when started
// from the editor; every row once, the selected one first, when started from
// the keyword box or the list. Walking wraps around at either end. Writes them
// to out (its memory reused) and returns their number.
std::size_t walkOrder(int n, int selected, bool forward, bool fromEditor, std::vector<int>& out);

}  // namespace tav
