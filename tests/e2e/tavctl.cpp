// Drives a running Tavolin from outside, for the end-to-end scripts:
//   tavctl wait [seconds]      wait until the main window exists
//   tavctl title               print the main window's title
//   tavctl text ID             print the text of the child control with id ID
//   tavctl close               close the main window (WM_CLOSE) and wait
//   tavctl gone [seconds]      wait until no main window exists
//   tavctl focus               bring the main window to the front and activate it
//   tavctl status PART         print the text of a part of the status bar
//   tavctl rows                print the keyword list's rows, "column 0|column 1" a line
//   tavctl command ID          post a menu command (WM_COMMAND) to the main window
// Texts are printed as they are (code page 932 bytes). Exit 0 on success.
#include <windows.h>
#include <commctrl.h>

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

// Messages whose buffers must lie in the program's own memory.
class Remote {
 public:
  explicit Remote(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) {
      mem_ = VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~Remote() {
    if (mem_) VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  bool ok() const { return mem_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(mem_) + offset; }
  void put(std::size_t offset, const void* data, std::size_t n) {
    WriteProcessMemory(process_, at(offset), data, n, nullptr);
  }
  std::string text(std::size_t offset) {
    char buf[1024] = {0};
    ReadProcessMemory(process_, at(offset), buf, sizeof buf - 1, nullptr);
    return buf;
  }

 private:
  HANDLE process_ = nullptr;
  void* mem_ = nullptr;
};

constexpr int kKeywordList = 103;
constexpr int kStatusBar = 106;

int printStatus(HWND main, int part) {
  HWND bar = GetDlgItem(main, kStatusBar);
  Remote r(bar);
  if (!bar || !r.ok()) return 1;
  SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(r.at(0)));
  std::string t = r.text(0);
  std::fwrite(t.data(), 1, t.size(), stdout);
  return 0;
}

std::string cell(HWND list, Remote& r, int row, int column) {
  LVITEMA it {};
  it.iSubItem = column;
  it.pszText = r.at(1024);
  it.cchTextMax = 1024;
  r.put(0, &it, sizeof it);
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(r.at(0)));
  return r.text(1024);
}

int printRows(HWND main) {
  HWND list = GetDlgItem(main, kKeywordList);
  Remote r(list);
  if (!list || !r.ok()) return 1;
  int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::string line = cell(list, r, i, 0) + "|" + cell(list, r, i, 1) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
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
  if (cmd == "focus") {
    SetForegroundWindow(w);
    SetActiveWindow(w);
    return 0;
  }
  if (cmd == "status" && argc > 2) return printStatus(w, std::atoi(argv[2]));
  if (cmd == "rows") return printRows(w);
  if (cmd == "command" && argc > 2) {
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
    return 0;
  }
  if (cmd == "close") {
    PostMessageA(w, WM_CLOSE, 0, 0);
    return waitFor(false, 20);
  }
  return 2;
}
