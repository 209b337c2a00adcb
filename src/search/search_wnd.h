// Search in the note editor and on through the notes of the keyword list.
// searchAgain itself is declared in app/routes.h, where its callers reach it.
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
// selected row in the direction given; -1 when none does.
int findInListedNotes(bool forward, bool fromEditor);

}  // namespace tav
