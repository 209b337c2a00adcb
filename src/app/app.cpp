// The window classes and the main window's creation.
#include "app/app.h"

#include "win/state.h"
#include "platform/platform.h"

namespace tav {

const char* const kMainClass = "タボリン";
const char* const kMainTitle = "Tavolin";
const char* const kMutexName = "_タボリン_Mutex_";

LRESULT CALLBACK mainWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);

bool registerClasses(HINSTANCE instance) {
  App& a = app();
  WNDCLASSA wc {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "IDI_ICON1");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = "IDR_MENU";
  wc.lpszClassName = kMainClass;
  a.iconDir = LoadIconA(instance, "IDI_ICON3");
  a.iconNote = LoadIconA(instance, "IDI_ICON4");
  a.iconChecked = LoadIconA(instance, "IDI_ICON5");
  if (!RegisterClassA(&wc)) return false;

  WNDCLASSA child {};
  child.lpfnWndProc = DefWindowProcA;  // no window of this class is made
  child.hInstance = instance;
  child.lpszClassName = "CHILD";
  return RegisterClassA(&child) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
  // The log folder exists by the time anyone can see the window.
  createFolder(exePath("tavolinlog"));
  // The gray the main window paints between its controls must not cover them:
  // a control uncovered after the main window's repaint would stay gray.
  return CreateWindowExA(0, kMainClass, kMainTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                         nullptr, instance, nullptr);
}

}  // namespace tav
