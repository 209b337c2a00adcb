// The main window's messages that the controls' code handles, and the side
// lists written at close.
#pragma once

#include <windows.h>

namespace tav {

// WM_SIZE, WM_COMMAND, WM_NOTIFY, ... Returns true when handled.
bool routeMainMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
// Writes "recent.txt", "dir.txt" and "hanko.txt".
void writeSideLists();

}  // namespace tav
