// Drives a running Tavolin from outside, for the end-to-end scripts:
//   tavctl wait [seconds]      wait until the main window exists
//   tavctl title               print the main window's title
//   tavctl text NAME           print the text of a control: box, editor, filter
//   tavctl close               close the main window (WM_CLOSE) and wait
//   tavctl gone [seconds]      wait until no main window exists
//   tavctl focus               bring the main window to the front and activate it
//   tavctl focused             print the control with the keyboard focus (box,
//                              editor, list, filter, main or none)
//   tavctl status PART         print the text of a part of the status bar
//   tavctl rows                print the keyword list's rows, "column 0|column 1" a line
//   tavctl command ID          post a menu command (WM_COMMAND) to the main window
//   tavctl post-close          post WM_CLOSE and return at once
//   tavctl clip TEXT           put TEXT (or "hex:" bytes) on the clipboard
//   tavctl box [seconds]       wait for a message box of Tavolin, print its text
//   tavctl answer ID           press the button ID (IDOK 1, IDCANCEL 2, IDYES 6,
//                              IDCLOSE 8, ...) of the program's dialog or message
//                              box; "close" closes it as its title bar's button does
//   tavctl hold PATH FLAG      hold PATH open without sharing, as another
//                              program may, until the file FLAG exists
//   tavctl expect WHAT VALUE [seconds]
//                              wait until WHAT ("text NAME", "status PART",
//                              "focused" or "rows", one argument) prints VALUE
//                              (VALUE may be "hex:" and its bytes in hex);
//                              on a time-out print what it printed last, exit 1
// Controls are found by class and place, not by id (several share an id).
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

// The frontmost visible dialog or message box of the program that has a
// button with id (any, for id 0), or null.
HWND programDialog(HWND main, int id) {
  struct Find {
    DWORD pid;
    int id;
    HWND found;
  } f {0, id, nullptr};
  GetWindowThreadProcessId(main, &f.pid);
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Find*>(p);
        char cls[16] = {0};
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        GetClassNameA(w, cls, sizeof cls);
        if (pid != f->pid || !IsWindowVisible(w) || std::strcmp(cls, "#32770") != 0) return TRUE;
        if (f->id != 0 && !GetDlgItem(w, f->id)) return TRUE;
        f->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.found;
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

// The main window's controls by name: the editor is the multi-line edit
// control, the keyword box the single-line one at the left, the filter box
// the other one.
HWND control(HWND main, const std::string& name) {
  HWND found = nullptr;
  int foundX = 0;
  for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[64] = {0};
    GetClassNameA(c, cls, sizeof cls);
    std::string k = cls;
    if (name == "list" && k == "SysListView32") return c;
    if (name == "status" && k == "msctls_statusbar32") return c;
    if (lstrcmpiA(cls, "Edit") != 0) continue;
    bool multi = (GetWindowLongA(c, GWL_STYLE) & ES_MULTILINE) != 0;
    if (name == "editor" && multi) return c;
    if (multi || (name != "box" && name != "filter")) continue;
    RECT r;
    GetWindowRect(c, &r);
    bool better = !found || (name == "box" ? r.left < foundX : r.left > foundX);
    if (better) {
      found = c;
      foundX = r.left;
    }
  }
  return found;
}

std::string focusedName(HWND main) {
  GUITHREADINFO gi {};
  gi.cbSize = sizeof gi;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &gi) || !gi.hwndFocus) {
    return "none";
  }
  for (const char* n : {"box", "editor", "filter", "list"}) {
    if (control(main, n) == gi.hwndFocus) return n;
  }
  return gi.hwndFocus == main ? "main" : "other";
}

bool statusText(HWND main, int part, std::string& out) {
  HWND bar = control(main, "status");
  if (!bar) return false;
  Remote r(bar);
  if (!r.ok()) return false;
  SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(r.at(0)));
  out = r.text(0);
  return true;
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

bool rowsText(HWND main, std::string& out) {
  HWND list = control(main, "list");
  if (!list) return false;
  Remote r(list);
  if (!r.ok()) return false;
  out.clear();
  int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) out += cell(list, r, i, 0) + "|" + cell(list, r, i, 1) + "\n";
  return true;
}

// What one query prints; false when it cannot be asked.
bool query(HWND w, const std::string& what, std::string& out) {
  if (what == "title") {
    out = textOf(w);
    return true;
  }
  if (what == "focused") {
    out = focusedName(w);
    return true;
  }
  if (what == "rows") return rowsText(w, out);
  std::size_t sp = what.find(' ');
  if (sp == std::string::npos) return false;
  std::string kind = what.substr(0, sp), arg = what.substr(sp + 1);
  if (kind == "status") return statusText(w, std::atoi(arg.c_str()), out);
  if (kind == "text") {
    HWND c = control(w, arg);
    if (!c) return false;
    out = textOf(c);
    return true;
  }
  return false;
}

void print(const std::string& t) { std::fwrite(t.data(), 1, t.size(), stdout); }

// Rows end with a line end each; the scripts' texts come without the last one.
std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

// "hex:" followed by the bytes in hex: texts in code page 932 cannot pass a
// UTF-8 command line unchanged.
std::string unhex(const std::string& arg) {
  if (arg.compare(0, 4, "hex:") != 0) return arg;
  std::string out;
  for (std::size_t i = 4; i + 1 < arg.size(); i += 2) {
    out += static_cast<char>(std::strtol(arg.substr(i, 2).c_str(), nullptr, 16));
  }
  return out;
}

int expect(const std::string& what, const std::string& wanted, double seconds) {
  const std::string value = unhex(wanted);
  std::string last = "<no window>";
  for (int i = 0; i <= seconds * 10; ++i) {
    HWND w = mainWindow();
    std::string got;
    if (w && query(w, what, got)) {
      if (trimmed(got) == trimmed(value)) return 0;
      last = got;
    }
    Sleep(100);
  }
  print(last);
  return 1;
}

// A visible dialog (message box) of the process that owns the main window.
HWND messageBox() {
  HWND main = mainWindow();
  if (!main) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w;
       w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

int hold(const std::string& path, const std::string& flag) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  print("held\n");
  std::fflush(stdout);
  for (int i = 0; i < 600 * 10 && GetFileAttributesA(flag.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(100);
  CloseHandle(h);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string cmd = argv[1];
  double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
  if (cmd == "wait") return waitFor(true, seconds);
  if (cmd == "gone") return waitFor(false, seconds);
  if (cmd == "expect" && argc > 3) return expect(argv[2], argv[3], argc > 4 ? std::atof(argv[4]) : 20);
  if (cmd == "clip" && argc > 2) {
    const std::string text = unhex(argv[2]);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!mem || !OpenClipboard(nullptr)) return 1;
    std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, mem) != nullptr;
    CloseClipboard();
    return ok ? 0 : 1;
  }
  if (cmd == "hold" && argc > 3) return hold(unhex(argv[2]), unhex(argv[3]));
  if (cmd == "box") {
    for (int i = 0; i < seconds * 10; ++i) {
      if (HWND box = messageBox()) {
        print(textOf(GetDlgItem(box, 0xFFFF)));
        return 0;
      }
      Sleep(100);
    }
    return 1;
  }
  HWND w = mainWindow();
  if (!w) return 1;
  if (cmd == "focus") {
    SetForegroundWindow(w);
    SetActiveWindow(w);
    return 0;
  }
  if (cmd == "command" && argc > 2) {
    PostMessageA(w, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
    return 0;
  }
  if (cmd == "answer" && argc > 2) {
    const int id = std::atoi(argv[2]);  // 0 for "close"
    HWND d = programDialog(w, id);
    for (int i = 0; !d && i < 200; ++i) {  // up to 10 s for it to appear
      Sleep(50);
      d = programDialog(w, id);
    }
    if (!d) return 1;
    if (std::strcmp(argv[2], "close") == 0) PostMessageA(d, WM_CLOSE, 0, 0);
    else PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return 0;
  }
  if (cmd == "post-close") {
    PostMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  }
  if (cmd == "close") {
    PostMessageA(w, WM_CLOSE, 0, 0);
    return waitFor(false, seconds);
  }
  std::string what = cmd;
  if ((cmd == "text" || cmd == "status") && argc > 2) what += std::string(" ") + argv[2];
  std::string out;
  if (!query(w, what, out)) return 2;
  print(out);
  return 0;
}
