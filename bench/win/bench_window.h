// What the Windows benchmarks share: a temporary ExeDir and the real main window in it.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <optional>
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

inline LARGE_INTEGER now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

inline double msSince(const LARGE_INTEGER& t0) {
  LARGE_INTEGER f, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t1);
  return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
}

// Dispatches every message waiting for this thread.
inline void pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

// The main window as the program starts it; null on failure.
inline HWND startMainWindow() {
  tav::App& a = tav::app();
  a.instance = GetModuleHandleA(nullptr);
  tav::loadSettings(a.settings);
  if (!tav::registerClasses(a.instance)) return nullptr;
  return tav::createMainWindow(a.instance);
}

// Writes a file dated a day back, as notes written earlier are.
inline bool writeDatedFile(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
            done == text.size();
  ULARGE_INTEGER t;
  t.QuadPart = tav::fileClockNow() - 864000000000ull;
  FILETIME ft {t.LowPart, t.HighPart};
  ok = SetFileTime(h, nullptr, nullptr, &ft) && ok;
  CloseHandle(h);
  return ok;
}

// Runs a script with /bin/sh from Wine (home is a Windows path, unixHome the
// same folder as Linux names it); what the script left in $r, nothing when it
// did not run. Wine's wait for a Unix program ends as soon as the program is
// started, so the script's last act, the file "out" in home, is waited for.
inline std::optional<std::string> runShell(const std::string& home, const std::string& unixHome,
                                           std::string script) {
  const std::string out = home + "\\out";
  DeleteFileA(out.c_str());
  script += "\necho \"$r\" >" + unixHome + "/out.tmp && mv " + unixHome + "/out.tmp " + unixHome +
            "/out\n";
  if (!tav::writeWholeFile(home + "\\run.sh", script)) return std::nullopt;
  std::string cmd = "/bin/sh " + unixHome + "/run.sh";
  STARTUPINFOA si {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi {};
  if (!CreateProcessA("Z:\\bin\\sh", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return std::nullopt;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  const ULONGLONG t0 = GetTickCount64();
  std::optional<std::string> r;
  while (!(r = tav::readWholeFile(out))) {
    if (GetTickCount64() - t0 > 600000) return std::nullopt;
    Sleep(5);
  }
  return r;
}

// The ms of a grep command line over the note files, natively: its run as
// /bin/sh starts it, less the cost of the clock readings around it; -1 when
// it did not run.
inline double timeNativeGrep(const std::string& home, const std::string& unixHome,
                             const std::string& grep) {
  const std::optional<std::string> ns = runShell(
      home, unixHome,
      "a=$(date +%s%N); " + grep + "; b=$(date +%s%N); c=$(date +%s%N); r=$((b - a - (c - b)))");
  return ns ? std::atof(ns->c_str()) / 1e6 : -1;
}

}  // namespace benchwin
