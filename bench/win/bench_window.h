// What the Windows benchmarks share: a temporary ExeDir and the real main window in it.
#pragma once

#include <windows.h>

#include <string>

#include "app/app.h"
#include "platform/platform.h"

namespace benchwin {

// A fresh folder under the temporary folder, made ExeDir; its path without
// the trailing separator.
inline std::string makeHome(const char* name) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string dir = std::string(tmp) + name + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  tav::setExeDir(dir + "\\");
  return dir;
}

// The main window as the program starts it; null on failure.
inline HWND startMainWindow() {
  tav::App& a = tav::app();
  a.instance = GetModuleHandleA(nullptr);
  tav::loadSettings(a.settings);
  if (!tav::registerClasses(a.instance)) return nullptr;
  return tav::createMainWindow(a.instance);
}

}  // namespace benchwin
