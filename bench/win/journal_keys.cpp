// Typing with the edit journal on: the real main window under Wine, key
// messages into the note editor at a typing pace, with the program's timer
// running between them. Counts the file operations made while a key message
// is handled (the goal is none) and those made on the timer's ticks.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "bench_window.h"
#include "platform/platform.h"
#include "win/state.h"

namespace {

long fileOps = 0;
void countOp() { ++fileOps; }

// Dispatches what comes for ms milliseconds: the timer's ticks among it.
void pumpFor(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  MSG m;
  do {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(5);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

void sendKey(HWND w, char c) {
  WPARAM vk = LOBYTE(VkKeyScanA(c));
  SendMessageA(w, WM_KEYDOWN, vk, 1);
  SendMessageA(w, WM_CHAR, static_cast<unsigned char>(c), 1);
  SendMessageA(w, WM_KEYUP, vk, 0xC0000001);
}

}  // namespace

int main() {
  std::string dir = benchwin::makeHome("tav_journal_bench_");
  tav::App& a = tav::app();
  HWND main = benchwin::startMainWindow();
  if (!main) return 1;
  pumpFor(200);
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "journal");
  SendMessageA(a.keywordBox, WM_KEYDOWN, VK_RETURN, 1);
  pumpFor(200);

  tav::afterFileOp = countOp;
  long onKeys = 0, onTicks = 0, keys = 0;
  const char* text = "typing along without a pause, ";
  for (int burst = 0; burst < 3; ++burst) {
    for (int i = 0; i < 60; ++i, ++keys) {
      long before = fileOps;
      sendKey(a.noteEditor, text[i % 30]);
      onKeys += fileOps - before;
      before = fileOps;
      pumpFor(40);  // about 25 keys a second
      onTicks += fileOps - before;
    }
    long before = fileOps;
    pumpFor(1600);  // a pause
    onTicks += fileOps - before;
  }
  tav::afterFileOp = nullptr;
  std::printf("journal_keys_bench: %ld keys typed in 3 bursts with pauses: file operations "
              "while handling keys %ld (goal 0), on timer ticks %ld, journal file operations "
              "%llu\n",
              keys, onKeys, onTicks, static_cast<unsigned long long>(a.journal.fileOps()));
  a.ui.saveOnExit = false;
  SendMessageA(main, WM_CLOSE, 0, 0);
  pumpFor(100);
  std::string from = dir + '\0';  // a list of one path, ended by two NULs
  SHFILEOPSTRUCTA op {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&op);
  return onKeys == 0 ? 0 : 1;
}
