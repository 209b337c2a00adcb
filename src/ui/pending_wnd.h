// Features reached from keys and menu commands of the main window but built
// in their own files: the one declaration each, so the controls need not know
// where a feature lives.
#pragma once

#include <windows.h>

#include <string>

namespace tav {

void stampCommand(HWND edit);                                     // Ctrl+T
void insertDate(HWND edit);                                       // Ctrl+Shift+T
void showBookmarkPopup(HWND editor);                              // Ctrl+M
void showGoMenu(HWND editor);                                     // Ctrl+Shift+M
void navigateHistory(WPARAM key);                                 // Alt+Left / Alt+Right
void openSettingsDialog(HWND owner);                              // "設定"
void openBookmarkDialog(HWND owner);                              // "編集" (bookmarks)
void jumpToKeyword(int id);                                       // history and bookmark items
void showDirectoryMenu();                                         // right click in the list
void historyMenuChanged();                                        // after addToHistory
void loadBookmarkMenu();                                          // at start

}  // namespace tav
