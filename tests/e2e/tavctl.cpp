// Drives a running Tavolin from outside, for the end-to-end scripts:
//   tavctl wait [seconds]      wait until the main window exists
//   tavctl title               print the main window's title
//   tavctl text ID             print the text of the child control with id ID
//   tavctl close               close the main window (WM_CLOSE) and wait
//   tavctl gone [seconds]      wait until no main window exists
// Texts are printed as they are (code page 932 bytes). Exit 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kMainClass = "タボリン";

HWND mainWindow() { return FindWindowA(kMainClass, nullptr); }

std::string textOf(HWND w) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return "";
  std::string s(len + 1, '\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutA(w, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(&s[0]), SMTO_ABORTIFHUNG,
                      5000, &got);
  s.resize(got);
  return s;
}

int waitFor(bool present, double seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    if ((mainWindow() != nullptr) == present) return 0;
    Sleep(50);
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string cmd = argv[1];
  double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
  if (cmd == "wait") return waitFor(true, seconds);
  if (cmd == "gone") return waitFor(false, seconds);
  HWND w = mainWindow();
  if (!w) return 1;
  if (cmd == "title") {
    std::string t = textOf(w);
    std::fwrite(t.data(), 1, t.size(), stdout);
    return 0;
  }
  if (cmd == "text" && argc > 2) {
    HWND c = GetDlgItem(w, std::atoi(argv[2]));
    if (!c) return 1;
    std::string t = textOf(c);
    std::fwrite(t.data(), 1, t.size(), stdout);
    return 0;
  }
  if (cmd == "close") {
    PostMessageA(w, WM_CLOSE, 0, 0);
    return waitFor(false, 20);
  }
  return 2;
}
