// Not built yet: stamps, date insertion,
// bookmark and "!go" pop-ups, history stepping and menu,
// the bookmark dialog and the directory menu. Their keys and
// commands already arrive here, so each feature fills in exactly one body.
#include "ui/pending_wnd.h"

namespace tav {

void stampCommand(HWND) {}
void insertDate(HWND) {}
void showBookmarkPopup(HWND) {}
void showGoMenu(HWND) {}
void navigateHistory(WPARAM) {}
void openBookmarkDialog(HWND) {}
void jumpToKeyword(int) {}
void showDirectoryMenu() {}
void historyMenuChanged() {}
void loadBookmarkMenu() {}

}  // namespace tav
