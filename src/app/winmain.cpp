// Entry point: single instance, hand-off to a running copy, message loop.
#include <windows.h>

#include "app/app.h"
#include "platform/platform.h"
#include "store/rebuild.h"
#include "ui/handoff.h"

using namespace tav;

namespace {

// A second start: raise the running window, hand it our command line through
// its title and HANDOFF_MESSAGE, and leave.
int handOver(HANDLE mutex, const char* commandLine) {
  HWND first = FindWindowA(kMainClass, nullptr);
  if (first) {
    if (IsIconic(first)) ShowWindow(first, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(first));
  }
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  if (first) {
    SetWindowTextA(first, commandLine ? commandLine : "");
    SendMessageA(first, HANDOFF_MESSAGE, 0, 0);
  }
  return 0;
}

}  // namespace

// The C runtime's lpCmdLine loses the first byte of a text that starts with a
// double-byte character, so the text is taken from the whole command line.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string commandLine = argumentsOf(GetCommandLineA());
  App& a = app();
  a.instance = instance;
  // The settings are read (and the daily step run) before anything else, also
  // in a second instance that only hands over its command line.
  loadSettings(a.settings);

  HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) return handOver(mutex, commandLine.c_str());

  if (!registerClasses(instance)) return -1;
  a.commandLineText = commandLine;
  removeStaleTempFiles();
  HWND main = createMainWindow(instance);
  createFolder(exePath("tavolinlog"));
  if (!main) return -1;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
