// How long a key release in the keyword box takes to update the keyword list,
// with 100,000 notes in the index, against a bare owner-data list view of the
// same size showing the same row counts in the same run.
//
// Tavolin: the real main window in a temporary ExeDir, real key messages into
// the keyword box, QueryPerformanceCounter from the key-up message to the end
// of the list refresh ("updated") and on to the end of the repaint
// ("painted"). The bare lists: a window of the main window's size holding two
// owner-data list views of the keyword list's size, styles, columns and
// icons, one plain and one with LVS_EX_DOUBLEBUFFER; "updated" is their
// LVM_SETITEMCOUNT, "painted" that plus their repaint. Each repetition runs
// all three one after the other, so a busy machine slows them alike.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench_window.h"
#include "platform/platform.h"
#include "win/main_controls.h"
#include "win/keyword_list.h"
#include "win/state.h"

namespace {

using benchwin::now;
using benchwin::pump;

constexpr int kNotes = 100000;
constexpr int kFolders = 100;
constexpr int kRepeats = 30;
constexpr int kWarmUp = 3;
constexpr int kWidth = 1000, kHeight = 800;

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

int itemCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

// ---- the bare list views

struct Bare {
  HWND window = nullptr;
  HWND plain = nullptr;
  HWND buffered = nullptr;
};
Bare bare;

// Row texts of the same length as the keyword list's, an icon per row.
void bareRow(int item, UINT mask, int* image, char* text, int size) {
  if (mask & LVIF_IMAGE) *image = item % 3;
  if ((mask & LVIF_TEXT) && text && size > 0) std::snprintf(text, size, "k%06d,w%02dx", item, item % 100);
}

LRESULT CALLBACK bareProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    NMHDR* h = reinterpret_cast<NMHDR*>(lp);
    if (h->code == LVN_GETDISPINFOA) {
      LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(h)->item;
      bareRow(it.iItem, it.mask, &it.iImage, it.pszText, it.cchTextMax);
    } else if (h->code == LVN_GETDISPINFOW) {
      LVITEMW& it = reinterpret_cast<NMLVDISPINFOW*>(h)->item;
      char t[64];
      bareRow(it.iItem, it.mask, &it.iImage, t, sizeof t);
      if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0)
        MultiByteToWideChar(932, 0, t, -1, it.pszText, it.cchTextMax);
    }
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

HWND bareList(const RECT& r, DWORD exStyle) {
  tav::App& a = tav::app();
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, nullptr,
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, bare.window,
                              nullptr, a.instance, nullptr);
  LVCOLUMNA c {};
  c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  c.fmt = LVCFMT_LEFT;
  c.cx = r.right - r.left;
  c.pszText = const_cast<char*>("キー");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&c));
  c.cx = 0;
  c.iSubItem = 1;
  c.pszText = const_cast<char*>("キーワード");
  SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&c));
  HIMAGELIST il = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 3, 0);
  for (HICON icon : {a.iconDir, a.iconNote, a.iconChecked}) ImageList_ReplaceIcon(il, -1, icon);
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(il));
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ~0u, LVS_EX_FULLROWSELECT | exStyle);
  return list;
}

// The bare window has the main window's size and sits beside it (partly off
// the screen), so neither covers the other's list. Its two lists have the
// keyword list's rectangle, side by side.
bool makeBare() {
  tav::App& a = tav::app();
  WNDCLASSA wc {};
  wc.lpfnWndProc = bareProc;
  wc.hInstance = a.instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "TavBareListBench";
  if (!RegisterClassA(&wc)) return false;
  bare.window = CreateWindowExA(WS_EX_NOACTIVATE, wc.lpszClassName, "bare list view",
                                WS_OVERLAPPEDWINDOW, kWidth + 40, 0, kWidth, kHeight, nullptr,
                                nullptr, a.instance, nullptr);
  if (!bare.window) return false;
  ShowWindow(bare.window, SW_SHOWNOACTIVATE);
  RECT r;
  GetWindowRect(a.keywordList, &r);
  MapWindowPoints(nullptr, a.main, reinterpret_cast<POINT*>(&r), 2);
  bare.plain = bareList(r, 0);
  OffsetRect(&r, r.right - r.left + 10, 0);
  bare.buffered = bareList(r, LVS_EX_DOUBLEBUFFER);
  pump();
  return bare.plain && bare.buffered;
}

// ---- measuring

struct Times {
  std::vector<double> updated, painted;
  void add(double u, double p) {
    updated.push_back(u);
    painted.push_back(p);
  }
};

struct Figures {
  Times ours, plain, buffered;
  int rows = 0;
};

// A correct list has no horizontal scroll bar: its column is as wide as the
// client area will be with rows listed, as the keyword list's is.
void fitBareColumn(HWND list, int rows) {
  RECT r;
  GetWindowRect(list, &r);
  int width = r.right - r.left;
  if (rows > SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)) width -= GetSystemMetrics(SM_CXVSCROLL);
  if (SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0) != width) SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, width);
}

// The bare list goes from the row count ours started from to the one it
// ended with, as one LVM_SETITEMCOUNT and a repaint.
void measureBare(HWND list, int from, int to, Times* t, bool keep) {
  fitBareColumn(list, from);
  SendMessageA(list, LVM_SETITEMCOUNT, from, 0);
  UpdateWindow(bare.window);
  pump();
  LARGE_INTEGER t0 = now();
  fitBareColumn(list, to);
  SendMessageA(list, LVM_SETITEMCOUNT, to, 0);
  LARGE_INTEGER t1 = now();
  UpdateWindow(bare.window);
  UpdateWindow(list);
  LARGE_INTEGER t2 = now();
  pump();
  if (keep) t->add(msBetween(t0, t1), msBetween(t0, t2));
}

// Types the last character of query into the keyword box that already holds
// the rest of it, and times the key release; then the bare lists.
Figures measure(const std::string& query) {
  tav::App& a = tav::app();
  Figures f;
  const char last = query.back();
  const WPARAM vk = LOBYTE(VkKeyScanA(last));
  const std::string head = query.substr(0, query.size() - 1);
  for (int r = 0; r < kRepeats + kWarmUp; ++r) {
    const bool keep = r >= kWarmUp;
    // Start from a different list each time, as typing does.
    SetWindowTextA(a.keywordBox, r % 2 ? "w55x" : "k");
    SendMessageA(a.keywordBox, WM_KEYUP, VK_SHIFT, 0xC0000001);
    UpdateWindow(a.main);
    pump();
    const int from = itemCount(a.keywordList);
    SetWindowTextA(a.keywordBox, head.c_str());
    SendMessageA(a.keywordBox, EM_SETSEL, head.size(), head.size());
    SendMessageA(a.keywordBox, WM_KEYDOWN, vk, 1);
    SendMessageA(a.keywordBox, WM_CHAR, static_cast<unsigned char>(last), 1);
    // The typed character shows before the key comes up, as it does when a
    // person types: its repaint belongs to the key press, not the release.
    UpdateWindow(a.main);
    refreshedAt.QuadPart = 0;
    LARGE_INTEGER t0 = now();
    SendMessageA(a.keywordBox, WM_KEYUP, vk, 0xC0000001);
    UpdateWindow(a.main);
    UpdateWindow(a.keywordList);
    LARGE_INTEGER t2 = now();
    pump();
    if (refreshedAt.QuadPart == 0) {
      std::fprintf(stderr, "list_frame_bench: the key release did not refresh the list\n");
      std::exit(1);
    }
    f.rows = itemCount(a.keywordList);
    if (keep) f.ours.add(msBetween(t0, refreshedAt), msBetween(t0, t2));
    measureBare(bare.plain, from, f.rows, &f.plain, keep);
    measureBare(bare.buffered, from, f.rows, &f.buffered, keep);
  }
  return f;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double maxOf(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

void line(const char* name, const Times& t) {
  std::printf("  %-26s %7.2f  %7.2f      %7.2f  %7.2f\n", name, median(t.updated),
              maxOf(t.updated), median(t.painted), maxOf(t.painted));
}

// The goals: updated within 1.15 times the bare LVM_SETITEMCOUNT plus 1 ms,
// painted within 1.15 times the bare double-buffered list's update and paint.
bool report(const char* name, const Figures& f) {
  std::printf("%s, %d rows          updated ms       updated and painted ms\n", name, f.rows);
  std::printf("  %-26s  median      max       median      max\n", "");
  line("Tavolin", f.ours);
  line("bare list view", f.plain);
  line("bare, double-buffered", f.buffered);
  const double ours = median(f.ours.updated), ourPaint = median(f.ours.painted);
  const double count = median(f.plain.updated), paint = median(f.buffered.painted);
  const bool updatedOk = ours <= 1.15 * count + 1.0;
  const bool paintedOk = ourPaint <= 1.15 * paint;
  std::printf("  updated: %.2f x the bare LVM_SETITEMCOUNT; goal 1.15 x + 1 ms = %.2f ms: %s\n",
              ours / count, 1.15 * count + 1.0, updatedOk ? "met" : "NOT met");
  std::printf("  painted: %.2f x the bare double-buffered list (%.2f x the plain one); "
              "goal 1.15 x: %s\n",
              ourPaint / paint, ourPaint / median(f.plain.painted), paintedOk ? "met" : "NOT met");
  return updatedOk && paintedOk;
}

// ---- where the time goes: the steps of a key release, one by one, on the
// real window showing every note

void step(const char* name, const std::function<void()>& what) {
  tav::App& a = tav::app();
  std::vector<double> t;
  for (int r = 0; r < kRepeats + kWarmUp; ++r) {
    UpdateWindow(a.main);
    pump();
    LARGE_INTEGER t0 = now();
    what();
    UpdateWindow(a.main);
    LARGE_INTEGER t1 = now();
    if (r >= kWarmUp) t.push_back(msBetween(t0, t1));
  }
  std::printf("  %-58s %7.2f  %7.2f\n", name, median(t), maxOf(t));
}

void breakdown() {
  tav::App& a = tav::app();
  SetWindowTextA(a.keywordBox, "k");
  SendMessageA(a.keywordBox, WM_KEYUP, VK_SHIFT, 0xC0000001);
  pump();
  std::printf("where the time goes (every note listed; each step with the repaint it causes)\n");
  std::printf("  %-58s  median      max\n", "");
  // Buffers kept from one key release to the next, as the program keeps them.
  std::vector<const tav::IndexEntry*> hits;
  std::vector<std::uint32_t> runs;
  std::vector<tav::ListRow> rows;
  step("filter and rows (our code alone)", [&] {
    a.index.collectMatchEntries("k", hits, runs, "", tav::checkFilterNow());
    tav::buildRows(hits, runs, rows);
  });
  step("  of which the filter", [&] {
    a.index.collectMatchEntries("k", hits, runs, "", tav::checkFilterNow());
  });
  step("  of which the rows built", [&] { tav::buildRows(hits, runs, rows); });
  step("key release, every note listed again", [&a] {
    SendMessageA(a.keywordBox, WM_KEYUP, VK_SHIFT, 0xC0000001);
  });
  step("layoutMainWindow with nothing changed", [&a] { tav::layoutMainWindow(a.main, 0, 0); });
  step("list invalidated", [&a] { InvalidateRect(a.keywordList, nullptr, TRUE); });
  step("LVM_GETNEXTITEM selected, nothing selected", [&a] {
    SendMessageA(a.keywordList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  });
  step("LVM_GETNEXTITEM focused, nothing focused", [&a] {
    SendMessageA(a.keywordList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
  });
  step("LVM_GETSELECTEDCOUNT", [&a] { SendMessageA(a.keywordList, LVM_GETSELECTEDCOUNT, 0, 0); });
  step("rows below the header invalidated", [&a] {
    RECT r, h;
    GetClientRect(a.keywordList, &r);
    GetWindowRect(reinterpret_cast<HWND>(SendMessageA(a.keywordList, LVM_GETHEADER, 0, 0)), &h);
    r.top = h.bottom - h.top;
    InvalidateRect(a.keywordList, &r, TRUE);
  });
  step("LVM_SETITEMCOUNT, same count", [&a] {
    SendMessageA(a.keywordList, LVM_SETITEMCOUNT, itemCount(a.keywordList),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  });
  step("LVM_SETCOLUMN, same width", [&a] {
    LVCOLUMNA c {};
    c.mask = LVCF_WIDTH;
    c.cx = static_cast<int>(SendMessageA(a.keywordList, LVM_GETCOLUMNWIDTH, 0, 0));
    SendMessageA(a.keywordList, LVM_SETCOLUMNA, 0, reinterpret_cast<LPARAM>(&c));
  });
  step("MoveWindow of the list, same rectangle", [&a] {
    RECT r;
    GetWindowRect(a.keywordList, &r);
    MapWindowPoints(nullptr, a.main, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(a.keywordList, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  });
  step("status bar WM_SIZE", [&a] { SendMessageA(a.statusBar, WM_SIZE, 0, 0); });
  step("status text set again, same text", [&a] {
    SendMessageA(a.statusBar, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>("一覧表示"));
  });
  step("EnableWindow on the enabled list", [&a] { EnableWindow(a.keywordList, TRUE); });
}

}  // namespace

int main() {
  std::string dir = benchwin::makeHome("tav_list_bench_");
  CreateDirectoryA((dir + "\\data").c_str(), nullptr);
  std::string index = makeIndex();
  if (!tav::writeWholeFile(dir + "\\data\\index2.txt", index)) {
    std::fprintf(stderr, "list_frame_bench: cannot write the index\n");
    return 1;
  }

  tav::App& a = tav::app();
  HWND main = benchwin::startMainWindow();
  if (!main) return 1;
  SetWindowPos(main, nullptr, 0, 0, kWidth, kHeight, SWP_NOZORDER);
  pump();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "k");
  SendMessageA(a.keywordBox, WM_KEYUP, VK_SHIFT, 0xC0000001);  // shows and lays out the list
  pump();
  if (!makeBare()) return 1;
  RECT lr;
  GetClientRect(a.keywordList, &lr);
  std::printf("list_frame_bench: %zu notes in the index, windows %dx%d, list %ldx%ld, "
              "%d repetitions (medians and maxima in ms)\n",
              a.index.size(), kWidth, kHeight, lr.right, lr.bottom, kRepeats);

  tav::listRefreshed = stampRefresh;
  Figures all = measure("k");
  Figures some = measure("w07x");
  bool met = report("every note listed", all);
  met = report("narrows to 1%", some) && met;
  std::printf("goals %s\n", met ? "met" : "NOT met");
  breakdown();
  tav::listRefreshed = nullptr;

  a.ui.saveOnExit = false;
  DestroyWindow(bare.window);
  SendMessageA(main, WM_CLOSE, 0, 0);
  pump();
  removeTree(dir);
  bool ok = all.rows == kNotes + kFolders && some.rows == kNotes / 100 + kFolders;
  if (!ok) std::fprintf(stderr, "list_frame_bench: unexpected row counts\n");
  return ok ? 0 : 1;
}
