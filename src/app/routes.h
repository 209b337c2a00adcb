// The places where the main window hands work to the keyword box, list,
// editor, search and side lists. Each is one named function, so that the code
// of a feature fills in exactly one place.
#pragma once

#include <windows.h>

namespace tav {

// WM_CREATE: builds the controls, loads the index and the side lists.
void buildMainWindow(HWND main);
// F3: the search text in the shown note, then on through the listed notes
// (Shift: backward). fromEditor is 1 from the note editor, 0 from the keyword
// box, the list or the start-up hand-off. (search/search_wnd.cpp)
void searchAgain(int fromEditor);
// Writes "recent.txt", "dir.txt" and "hanko.txt".
void writeSideLists();
// The main window procedure's messages that the controls' code handles
// (WM_SIZE, WM_COMMAND, WM_NOTIFY, ...). Returns true when handled.
bool routeMainMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
// The window procedure of the keyword box (also the class "CHILD").
LRESULT CALLBACK keywordBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace tav
