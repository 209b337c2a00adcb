// The main window procedure: it only routes; each message has its function.
#include "app/app.h"
#include "win/main_controls.h"
#include "win/routes.h"
#include "win/folder_watch.h"
#include "win/state.h"
#include "win/journal.h"

namespace tav {

namespace {

LRESULT onCreate(HWND w) {
  app().main = w;
  createMainControls(w);
  return 0;
}

LRESULT onActivate() {
  App& a = app();
  if (!a.firstActivationDone) {
    a.firstActivationDone = true;
    startupHandoff();
    if (!a.startStatus.empty()) setStatus(StatusPart::Message, a.startStatus);
  }
  return 0;
}

LRESULT onClose(HWND w) {
  if (app().ui.busy) {  // a close asked for by another program: after the work
    app().ui.closeWaiting = true;
    return 0;
  }
  if (saveAtClose()) DestroyWindow(w);
  return 0;
}

// Windows ends the session without WM_CLOSE: keep everything as a close would.
LRESULT onEndSession(WPARAM ending) {
  if (ending) saveAtEndSession();
  return 0;
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT routed = 0;
  switch (msg) {
    case WM_CREATE: return onCreate(w);
    case WM_ACTIVATE: return onActivate();
    case HANDOFF_MESSAGE: startupHandoff(); return 0;
    case WM_CLOSE: return onClose(w);
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: return onEndSession(wp);
    case kFolderNewsMessage: takeFolderNews(); return 0;
    case WM_TIMER:
      if (wp == kFolderNewsTimer) takeFolderNews();
      else journalTick();
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  if (routeMainMessage(w, msg, wp, lp, &routed)) return routed;
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace tav
