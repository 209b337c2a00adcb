// Search in the note editor and on through the notes of the keyword list.
#pragma once

#include <windows.h>

#include <string_view>

namespace tav {

// Moves the editor's caret to the nearest of the comma-separated targets
// (selecting it with selectMatch) and scrolls it into view; false when none
// was found (the caret is then at the end, or at 0 going backward).
bool jumpToNearest(HWND editor, std::string_view targets, bool forward, bool selectMatch);
// Ctrl+Down / Ctrl+Up: the next or previous jump mark of "warp".
void jumpToNearest(HWND editor, bool forward);

// The listed row whose note holds the whole search text, walking from the
// selected row in the direction given; -1 when none does, kSearchStopped
// when the user stopped a long walk with Esc.
constexpr int kSearchStopped = -2;
int findInListedNotes(bool forward, bool fromEditor);

// F3: the search text in the shown note, then on through the listed notes
// (Shift: backward). fromEditor is 1 from the note editor, 0 from the keyword
// box, the list or the start-up hand-off.
void searchAgain(int fromEditor);

}  // namespace tav
