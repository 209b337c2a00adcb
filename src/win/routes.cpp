// Where the main window hands work to the controls' code.
#include "win/main_controls.h"
#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/routes.h"
#include "win/state.h"

#include "win/menu_commands.h"
#include "platform/platform.h"
#include "ui/side_lists.h"

namespace tav {

void writeSideLists() {
  App& a = app();
  writeWholeFile(exePath("recent.txt"), recentFileText(a.historyList));
  writeWholeFile(exePath("dir.txt"), dirFileText(a.dirList));
  writeWholeFile(exePath("hanko.txt"), stampFileText(a.stampList));
}

namespace {

bool onKeyDown(HWND w, WPARAM wp) {
  if (commonKeyDown(w, wp)) return true;
  if (wp == VK_TAB || wp == VK_ESCAPE || (wp == 'K' && ctrlHeld())) focusFilterOrKeyword();
  return true;
}

}  // namespace

bool routeMainMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  *result = 0;
  switch (msg) {
    case WM_SIZE: layoutMainWindow(w, wp, lp); return false;
    case WM_PAINT: paintMainWindow(w); return true;
    case WM_NOTIFY: *result = listNotify(reinterpret_cast<NMHDR*>(lp)); return true;
    case WM_KEYDOWN: return onKeyDown(w, wp);
    case WM_COMMAND: runMenuCommand(w, wp, lp); return false;
    case WM_MENUCHAR: *result = MNC_CLOSE << 16; return true;
    case WM_MOUSEMOVE: *result = splitterMouseMove(w, lp); return true;
    case WM_LBUTTONDOWN: SetCapture(w); return false;
    case WM_LBUTTONUP: splitterButtonUp(w, wp, lp); return false;
    default: return false;
  }
}

}  // namespace tav
