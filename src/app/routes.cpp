// Until the controls exist, the main window is an empty frame: these are the
// places the keyword box, list, editor and side-list code fill in.
#include "app/routes.h"

#include "app/app.h"

namespace tav {

void buildMainWindow(HWND) {
  App& a = app();
  a.index.load(a.settings.dataFolder());
}

void openKeywordFromBox() {}
void refreshList() {}
void searchAgain(int) {}
void storeOpenNote() {}
void writeSideLists() {}

bool routeMainMessage(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return false; }

LRESULT CALLBACK keywordBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace tav
