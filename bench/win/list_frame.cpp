// How long a key release in the keyword box takes to update the keyword list,
// with 100,000 notes in the index: the real main window in a temporary ExeDir,
// real key messages into the keyword box, QueryPerformanceCounter from the
// key-up message to the end of the list refresh (and on to the end of the
// list's repaint).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/platform.h"
#include "ui/main_wnd.h"

namespace {

constexpr int kNotes = 100000;
constexpr int kFolders = 100;
constexpr int kRepeats = 30;

LARGE_INTEGER refreshedAt;
void stampRefresh() { QueryPerformanceCounter(&refreshedAt); }

double msBetween(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) /
         static_cast<double>(freq.QuadPart);
}

void pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

void removeTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(path);
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

// 100 sub-folders of 1,000 notes each, in folder order. Every keyword holds
// "k" (a query that lists every note) and one of 100 tags "wNNx" (1% each).
std::string makeIndex() {
  std::string text;
  text.reserve(kNotes * 48);
  char line[128];
  for (int i = 0; i < kNotes; ++i) {
    int folder = i / (kNotes / kFolders);
    std::snprintf(line, sizeof line, "d%02d/2011010100%08d,0,%d,0,k%06d,w%02dx\n", folder, i,
                  i % 3 == 0 ? 1 : 0, i, i % 100);
    text += line;
  }
  return text;
}

struct Figures {
  std::vector<double> refresh, painted;
  std::size_t rows = 0;
};

// Types the last character of query into the keyword box that already holds
// the rest of it, and times the key release.
Figures measure(const std::string& query) {
  tav::App& a = tav::app();
  Figures f;
  const char last = query.back();
  const WPARAM vk = LOBYTE(VkKeyScanA(last));
  for (int r = 0; r < kRepeats + 3; ++r) {
    // Start from a different list each time, as typing does.
    SetWindowTextA(a.keywordBox, r % 2 ? "w55x" : "k");
    SendMessageA(a.keywordBox, WM_KEYUP, VK_SHIFT, 0xC0000001);
    UpdateWindow(a.main);
    pump();
    std::string head = query.substr(0, query.size() - 1);
    SetWindowTextA(a.keywordBox, head.c_str());
    SendMessageA(a.keywordBox, EM_SETSEL, head.size(), head.size());
    SendMessageA(a.keywordBox, WM_KEYDOWN, vk, 1);
    SendMessageA(a.keywordBox, WM_CHAR, static_cast<unsigned char>(last), 1);
    LARGE_INTEGER t0, t2;
    refreshedAt.QuadPart = 0;
    QueryPerformanceCounter(&t0);
    SendMessageA(a.keywordBox, WM_KEYUP, vk, 0xC0000001);
    UpdateWindow(a.main);
    UpdateWindow(a.keywordList);
    QueryPerformanceCounter(&t2);
    pump();
    if (r < 3) continue;  // warm-up
    if (refreshedAt.QuadPart == 0) {
      std::fprintf(stderr, "list_frame_bench: the key release did not refresh the list\n");
      std::exit(1);
    }
    f.refresh.push_back(msBetween(t0, refreshedAt));
    f.painted.push_back(msBetween(t0, t2));
  }
  f.rows = static_cast<std::size_t>(SendMessageA(a.keywordList, LVM_GETITEMCOUNT, 0, 0));
  return f;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void report(const char* name, const Figures& f) {
  std::printf("%-22s rows %6zu   refresh median %6.2f ms  max %6.2f ms   "
              "with repaint median %6.2f ms  max %6.2f ms\n",
              name, f.rows, median(f.refresh), *std::max_element(f.refresh.begin(), f.refresh.end()),
              median(f.painted), *std::max_element(f.painted.begin(), f.painted.end()));
}

}  // namespace

int main() {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string dir = std::string(tmp) + "tav_list_bench_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\data").c_str(), nullptr);
  tav::setExeDir(dir + "\\");
  std::string index = makeIndex();
  if (!tav::writeWholeFile(dir + "\\data\\index2.txt", index)) {
    std::fprintf(stderr, "list_frame_bench: cannot write the index\n");
    return 1;
  }

  tav::App& a = tav::app();
  a.instance = GetModuleHandleA(nullptr);
  tav::loadSettings(a.settings);
  if (!tav::registerClasses(a.instance)) return 1;
  HWND main = tav::createMainWindow(a.instance);
  if (!main) return 1;
  SetWindowPos(main, nullptr, 0, 0, 1000, 800, SWP_NOZORDER | SWP_NOMOVE);
  pump();
  SetFocus(a.keywordBox);
  pump();
  std::printf("list_frame_bench: %zu notes in the index, %d repetitions, goal 16 ms\n",
              a.index.size(), kRepeats);

  tav::listRefreshed = stampRefresh;
  Figures all = measure("k");
  Figures some = measure("w07x");
  tav::listRefreshed = nullptr;
  report("every note listed", all);
  report("narrows to 1%", some);

  a.settings.saveOnExit = false;
  SendMessageA(main, WM_CLOSE, 0, 0);
  pump();
  removeTree(dir);
  bool ok = all.rows == kNotes + kFolders && some.rows == kNotes / 100 + kFolders;
  if (!ok) std::fprintf(stderr, "list_frame_bench: unexpected row counts\n");
  return ok ? 0 : 1;
}
