// The editor's pop-ups: the date, the bookmark menu, the jump menu, and the
// jump to a history or bookmark item.
#pragma once

#include <windows.h>

namespace tav {

void insertDate(HWND edit);         // Ctrl+Shift+T
void showBookmarkPopup(HWND editor);  // Ctrl+M
void showGoMenu(HWND editor);         // Ctrl+Shift+M
void jumpToKeyword(int id);           // history and bookmark items

}  // namespace tav
