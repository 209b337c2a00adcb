// The watched data folder under Wine, every comparison in one run:
// - F3 over 10,000 listed notes, nothing found, a second or more after start
//   ("bodies.dat" there from an earlier run), beside grep -rlFi over the same
//   files;
// - the first list refresh with a body-filter word, a second or more after
//   start, at 10,000 and 100,000 notes;
// - how soon a change by another program (/bin/cp) shows in the list, the
//   open note and F3's answer;
// - start to a usable window of the real Tavolin.exe at 100,000 notes and with
//   an empty data folder.
// A "start" in this process is what the program does at start and after a
// switch of folders: the index loaded, the watch started, "bodies.dat" opened
// in the background.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench_window.h"
#include "platform/platform.h"
#include "search/body_cache.h"
#include "win/control_text.h"
#include "win/folder_watch.h"
#include "win/keyword_list.h"
#include "win/search.h"
#include "win/state.h"

namespace {

using benchwin::msSince;
using benchwin::now;
using benchwin::pump;

constexpr int kSmall = 10000;
constexpr int kLarge = 100000;
constexpr int kFolders = 10;
constexpr int kRepeats = 5;
constexpr int kChanges = 20;
const char* const kMissing = "qzqzq";
const char* const kFilterWord = "表計算";  // in one note of 100

// Pumps messages until ms have passed since t0.
void pumpUntil(const LARGE_INTEGER& t0, double ms) {
  for (double left = ms - msSince(t0); left > 0; left = ms - msSince(t0)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    pump();
  }
}

double median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double worst(const std::vector<double>& v) {
  return v.empty() ? -1 : *std::max_element(v.begin(), v.end());
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "live_folder_bench: %s\n", what);
  std::exit(1);
}

// A note's key and text; every keyword holds "k", so that query lists them all.
std::string keyOf(int i) {
  char key[48];
  std::snprintf(key, sizeof key, "f%02d/2011010100%08d", i % kFolders, i);
  return key;
}

std::string bodyOf(int i) {
  static const char* const lines[] = {"会議の予定を確認する", "Meeting notes for the release",
                                      "ソフトの表示設定を見直す", "買い物: 牛乳, パン, 卵",
                                      "Server budget review and API draft", "旅行の資料を読む"};
  std::string body;
  for (int l = 0; l < 20; ++l) {
    body += lines[(i + l) % 6];
    body += "\r\n";
  }
  if (i % 100 == 7) body += "表計算ソフトで集計する\r\n";
  return body;
}

std::string keywordOf(int i) {
  char kw[32];
  std::snprintf(kw, sizeof kw, "k%06d,メモ", i);
  return kw;
}

std::string noteText(const std::string& keyword, const std::string& body) {
  return "<k>" + keyword + ",</k><f>0</f><c>0</c><n>" + body + "</n>";
}

std::string runShell(const std::string& home, const std::string& unixHome, std::string script);

// A home folder (as Tavolin.exe's folder) with n notes in "data" and the
// "bodies.dat" an earlier run would have left. The note files are written by
// /bin/sh: Wine creates a file in a folder of thousands many times slower.
void makeHome(const std::string& home, const std::string& unixHome, int n) {
  CreateDirectoryA(home.c_str(), nullptr);
  CreateDirectoryA((home + "\\data").c_str(), nullptr);
  if (n == 0) return;
  std::string sh = "cd '" + unixHome + "/data' || exit 1\n"
                   "mkdir f00 f01 f02 f03 f04 f05 f06 f07 f08 f09\n";
  for (int k = 0; k < 6; ++k) sh += "b" + std::to_string(k) + "='" + bodyOf(k) + "'\n";
  sh += "m='表計算ソフトで集計する\r\n'\nw='メモ'\ni=0\n";
  sh += "while [ $i -lt " + std::to_string(n) + " ]; do\n"
        "  p=$((1000000 + i)); p=${p#1}; eval b=\\$b$((i % 6)); x=\n"
        "  [ $((i % 100)) -eq 7 ] && x=$m\n"
        "  printf '<k>k%s,%s,</k><f>0</f><c>0</c><n>%s%s</n>' $p \"$w\" \"$b\" \"$x\" "
        ">f0$((i % 10))/201101010000$p\n"
        "  i=$((i + 1))\ndone\n"
        "find . -type f -name '2011*' -exec touch -d '1 day ago' {} +\n";
  LARGE_INTEGER t0 = now();
  runShell(home, unixHome, sh);
  std::printf("  %d notes written by /bin/sh in %.1f s\n", n, msSince(t0) / 1000);
  std::string index;
  // In key order, one run of rows per sub-folder, as the list shows them.
  for (int f = 0; f < kFolders; ++f)
    for (int i = f; i < n; i += kFolders) index += keyOf(i) + ",0,0,0," + keywordOf(i) + "\n";
  if (!benchwin::writeDatedFile(home + "\\data\\index2.txt", index))
    fail("cannot write index2.txt");
  tav::setExeDir(home + "\\");
  tav::BodyCache cache;
  cache.open("data");
  for (int i = 0; i < n; ++i) cache.learn(keyOf(i), bodyOf(i));
  if (!cache.saveIfChanged() || cache.records().size() != static_cast<std::size_t>(n))
    fail("the notes or bodies.dat were not written whole");
}

std::string runShell(const std::string& home, const std::string& unixHome, std::string script) {
  std::optional<std::string> r = benchwin::runShell(home, unixHome, std::move(script));
  if (!r) fail("/bin/sh did not run");
  return *r;
}

double timeGrep(const std::string& home, const std::string& unixHome, const std::string& grep) {
  const double ms = benchwin::timeNativeGrep(home, unixHome, grep);
  if (ms < 0) fail("grep did not run");
  return ms;
}

// What the program does at start: the index loaded, the watch started (and
// with it "bodies.dat" opened in the background), the notes listed. The
// index load's and the watch's start's ms go to loadMs and watchMs.
LARGE_INTEGER start(double* loadMs = nullptr, double* watchMs = nullptr) {
  tav::App& a = tav::app();
  tav::stopWatchingDataFolder();
  LARGE_INTEGER t0 = now();
  a.index.load(a.settings.dataFolder());
  if (loadMs) *loadMs = msSince(t0);
  LARGE_INTEGER w0 = now();
  tav::watchDataFolder();
  if (watchMs) *watchMs = msSince(w0);
  SetWindowTextA(a.filterBox, "");
  SetWindowTextA(a.keywordBox, "k");
  tav::refreshList();
  pump();
  return t0;
}

double timeWalk() {
  LARGE_INTEGER t0 = now();
  int row = tav::findInListedNotes(true, false);
  double ms = msSince(t0);
  if (row >= 0) fail("a note holds the missing text");
  return ms;
}

// The filter box's text set and the list refreshed, as Enter there does,
// until the window has painted it. The word is in one note of 100.
double timeFilter(std::size_t notes) {
  tav::App& a = tav::app();
  SetWindowTextA(a.filterBox, kFilterWord);
  LARGE_INTEGER t0 = now();
  tav::refreshList();
  UpdateWindow(a.main);
  double ms = msSince(t0);
  if (a.listRows.size() <= notes / 100 || a.listRows.size() > notes / 50)
    fail("the body filter listed other rows");
  SetWindowTextA(a.filterBox, "");
  tav::refreshList();
  pump();
  return ms;
}

int rowOfKey(const std::string& key) {
  std::string keyword, k;
  for (int r = 0; r < static_cast<int>(tav::app().listRows.size()); ++r)
    if (tav::listedNote(r, &keyword, &k) && k == key) return r;
  return -1;
}

// Another program writes a note: the text goes to a staging file, which
// /bin/cp copies over (or beside) the notes. Then messages are pumped until
// shown() says the window shows the change. The ms to then from starting cp,
// and from the write time cp left on the file.
struct Latency {
  std::vector<double> fromStart, fromWrite;
};

void changeBy(const std::string& unixHome, const std::string& stage, const std::string& key,
              const std::string& text, Latency& out, bool (*shown)(const std::string&)) {
  if (!benchwin::writeDatedFile(stage, text)) fail("cannot write the staging file");
  std::string cmd = "/bin/cp " + unixHome + "/stage.txt " + unixHome + "/data/" + key;
  STARTUPINFOA si {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi {};
  LARGE_INTEGER t0 = now();
  if (!CreateProcessA("Z:\\bin\\cp", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    fail("cannot start /bin/cp");
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  while (!shown(key)) {
    if (msSince(t0) > 10000) fail("a change did not show within 10 s");
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    pump();
  }
  const double ms = msSince(t0);
  const std::uint64_t at = tav::fileClockNow();
  std::optional<tav::FileStamp> written = tav::fileStampOf(tav::app().index.pathOf(key));
  if (!written) fail("the changed note is gone");
  out.fromStart.push_back(ms);
  out.fromWrite.push_back(static_cast<double>(at - written->time) / 1e4);
}

std::string& marker() {
  static std::string m;
  return m;
}

bool listed(const std::string& key) {
  static std::size_t rows = 0;  // the rows are searched only when their number changed
  if (tav::app().listRows.size() == rows) return false;
  rows = tav::app().listRows.size();
  return rowOfKey(key) >= 0;
}

bool editorShows(const std::string&) {
  return tav::windowText(tav::app().noteEditor).find(marker()) != std::string::npos;
}

bool f3Finds(const std::string& key) {
  tav::app().ui.searchText = marker();
  std::string keyword, k;
  int row = tav::findInListedNotes(true, false);
  return row >= 0 && tav::listedNote(row, &keyword, &k) && k == key;
}

void printLatency(const char* what, const Latency& l) {
  std::printf("  %-24s from cp's start: median %4.0f ms, worst %4.0f; from the write %.0f, %.0f\n",
              what, median(l.fromStart), worst(l.fromStart), median(l.fromWrite),
              worst(l.fromWrite));
}

// The real program started in home, timed until its main window answers and
// its filter box holds a typed word; then ended without saving.
HWND windowOf(DWORD pid) {
  struct Find {
    DWORD pid;
    HWND found;
  } f {pid, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Find*>(p);
        char cls[32] = {0};
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        GetClassNameA(w, cls, sizeof cls);
        if (owner != f->pid || std::string(cls) != tav::kMainClass) return TRUE;
        f->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.found;
}

// The filter box: the single-line edit control at the right. (Text typed
// into the keyword box would be stored with the open note, and the next
// start would take it from the edit journal.)
HWND filterBoxOf(HWND main) {
  HWND found = nullptr;
  LONG left = 0;
  for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[16] = {0};
    GetClassNameA(c, cls, sizeof cls);
    if (lstrcmpiA(cls, "Edit") != 0 || (GetWindowLongA(c, GWL_STYLE) & ES_MULTILINE)) continue;
    RECT r;
    GetWindowRect(c, &r);
    if (!found || r.left > left) {
      found = c;
      left = r.left;
    }
  }
  return found;
}

double timeStart(const std::string& home) {
  const std::string exe = home + "\\Tavolin.exe";
  std::string cmd = "\"" + exe + "\"";
  STARTUPINFOA si {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi {};
  LARGE_INTEGER t0 = now();
  if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, home.c_str(),
                      &si, &pi))
    fail("cannot start Tavolin.exe");
  double ms = -1;
  while (msSince(t0) < 60000) {
    HWND w = windowOf(pi.dwProcessId);
    DWORD_PTR r = 0;
    HWND box = w ? filterBoxOf(w) : nullptr;
    if (box && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r) &&
        SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("k000042"), SMTO_NORMAL,
                            30000, &r)) {
      char got[16] = {0};
      SendMessageTimeoutA(box, WM_GETTEXT, sizeof got, reinterpret_cast<LPARAM>(got), SMTO_NORMAL,
                          30000, &r);
      if (std::string(got) == "k000042") {
        ms = msSince(t0);
        break;
      }
    }
    Sleep(2);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (ms < 0) fail("Tavolin.exe showed no usable window within 60 s");
  return ms;
}

double loadAverage() {
  double l = -1;
  if (FILE* f = std::fopen("Z:\\proc\\loadavg", "r")) {
    if (std::fscanf(f, "%lf", &l) != 1) l = -1;
    std::fclose(f);
  }
  return l;
}

}  // namespace

int main() {
  // Z:\tmp is /tmp, where the Unix programs find the same files.
  const std::string name = "tav_live_bench_" + std::to_string(GetCurrentProcessId());
  const std::string root = "Z:\\tmp\\" + name, unixRoot = "/tmp/" + name;
  const std::string small = root + "\\small", large = root + "\\large", empty = root + "\\empty";
  CreateDirectoryA(root.c_str(), nullptr);
  LARGE_INTEGER g0 = now();
  makeHome(small, unixRoot + "/small", kSmall);
  makeHome(large, unixRoot + "/large", kLarge);
  makeHome(empty, unixRoot + "/empty", 0);
  std::printf("live_folder_bench: notes written in %.1f s; load average %.2f\n",
              msSince(g0) / 1000, loadAverage());
  std::fflush(stdout);

  tav::App& a = tav::app();
  tav::setExeDir(small + "\\");
  a.instance = GetModuleHandleA(nullptr);
  tav::loadSettings(a.settings);
  if (!tav::registerClasses(a.instance)) return 1;
  HWND main = tav::createMainWindow(a.instance);
  if (!main) return 1;
  pump();
  if (!a.index.bodiesFollowDisk) fail("the data folder is not watched");
  const std::size_t smallRows = kSmall + kFolders;
  std::string grepCmd = "/usr/bin/grep -rlFi " + std::string(kMissing);
  char sub[16];
  for (int f = 0; f < kFolders; ++f) {
    std::snprintf(sub, sizeof sub, "/f%02d", f);
    grepCmd += " " + unixRoot + "/small/data" + sub;  // the note files alone
  }

  // F3 and the body filter, each the first use of the bodies a second after
  // a start, then F3 again; grep in between.
  std::vector<double> f3First, f3Again, grep, filterSmall, filterLarge, loadLarge, watchLarge;
  for (int r = 0; r < kRepeats; ++r) {
    LARGE_INTEGER t0 = start();
    if (a.listRows.size() != smallRows) fail("not every note is listed");
    pumpUntil(t0, 1000);
    tav::selectOnlyListRow(0);
    a.ui.searchText = kMissing;
    f3First.push_back(timeWalk());
    for (int w = 0; w < 3; ++w) f3Again.push_back(timeWalk());
    grep.push_back(timeGrep(small, unixRoot + "/small", grepCmd));
    t0 = start();
    pumpUntil(t0, 1000);
    filterSmall.push_back(timeFilter(kSmall));
  }

  // Other programs' changes: a new note, the open note, a note F3 then finds.
  Latency inList, inEditor, inF3;
  const std::string stage = small + "\\stage.txt", unixSmall = unixRoot + "/small";
  start();
  char word[32];
  for (int i = 0; i < kChanges; ++i) {
    std::snprintf(word, sizeof word, "k9%05d", i);
    changeBy(unixSmall, stage, keyOf(kSmall + 3 + i * kFolders), noteText(word, bodyOf(i)),
             inList, listed);
  }
  const std::string open = keyOf(4321);
  tav::selectOnlyListRow(rowOfKey(open));
  tav::openSelectedNote(tav::RowOpen::ByUser);
  pump();
  for (int i = 0; i < kChanges; ++i) {
    std::snprintf(word, sizeof word, "追記%02d", i);
    marker() = word;
    changeBy(unixSmall, stage, open, noteText("k004321,メモ", bodyOf(4321) + word + "\r\n"),
             inEditor, editorShows);
  }
  // The open note put its keyword in the keyword box: every note listed again.
  SetWindowTextA(a.keywordBox, "k");
  tav::refreshList();
  tav::selectOnlyListRow(0);
  for (int i = 0; i < kChanges; ++i) {
    std::snprintf(word, sizeof word, "新表記%02d", i);
    marker() = word;
    const int n = 7001 + i * 131;
    std::snprintf(word, sizeof word, "k%06d,メモ", n);
    changeBy(unixSmall, stage, keyOf(n), noteText(word, bodyOf(n) + marker() + "\r\n"), inF3,
             f3Finds);
  }

  // The body filter at 100,000 notes, and the start's own parts there. The
  // open note is closed first: the other folder's note of that key differs,
  // and the edit journal would keep the shown text for it.
  a.ui.currentKey.clear();
  SetWindowTextA(a.noteEditor, "");
  tav::setExeDir(large + "\\");
  for (int r = 0; r < kRepeats; ++r) {
    double load = 0, watch = 0;
    LARGE_INTEGER t0 = start(&load, &watch);
    loadLarge.push_back(load);
    watchLarge.push_back(watch);
    pumpUntil(t0, 1000);
    filterLarge.push_back(timeFilter(kLarge));
  }

  tav::stopWatchingDataFolder();

  // The real program, started alternately at 100,000 notes and empty.
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string exe(self);
  exe = exe.substr(0, exe.find_last_of('\\')) + "\\..\\src\\app\\Tavolin.exe";
  if (!CopyFileA(exe.c_str(), (large + "\\Tavolin.exe").c_str(), FALSE) ||
      !CopyFileA(exe.c_str(), (empty + "\\Tavolin.exe").c_str(), FALSE))
    fail("cannot copy Tavolin.exe");
  std::vector<double> startLarge, startEmpty;
  for (int r = 0; r < kRepeats; ++r) {
    startEmpty.push_back(timeStart(empty));
    startLarge.push_back(timeStart(large));
  }

  const double g = median(grep);
  std::printf("live_folder_bench: folder watched, medians of %d starts; load average %.2f\n",
              kRepeats, loadAverage());
  std::printf(" 10,000 notes listed, F3 finding nothing (goal: at most grep)\n");
  std::printf("  F3, first after 1 s     %8.2f ms  (worst %.2f)   / grep = %.2f\n",
              median(f3First), worst(f3First), median(f3First) / g);
  std::printf("  F3 again                %8.2f ms  (worst %.2f)   / grep = %.2f\n",
              median(f3Again), worst(f3Again), median(f3Again) / g);
  std::printf("  grep -rlFi              %8.2f ms  (worst %.2f)\n", g, worst(grep));
  std::printf(" first body filter after 1 s, \"bodies.dat\" there (goals 100 ms, 500 ms)\n");
  std::printf("  10,000 notes            %8.2f ms  (worst %.2f)\n", median(filterSmall),
              worst(filterSmall));
  std::printf("  100,000 notes           %8.2f ms  (worst %.2f)\n", median(filterLarge),
              worst(filterLarge));
  std::printf(" another program's change shown, %d changes each (goal: median 1 s)\n", kChanges);
  printLatency("new note in the list", inList);
  printLatency("open note's new text", inEditor);
  printLatency("F3 finds the new text", inF3);
  std::printf(" start to a usable window, Tavolin.exe\n");
  std::printf("  empty data folder       %8.0f ms  (worst %.0f)\n", median(startEmpty),
              worst(startEmpty));
  std::printf("  100,000 notes           %8.0f ms  (worst %.0f)\n", median(startLarge),
              worst(startLarge));
  std::printf("  in this process at 100,000 notes: index load %.0f ms, the watch's start %.2f ms\n",
              median(loadLarge), median(watchLarge));

  a.ui.saveOnExit = false;
  SendMessageA(main, WM_CLOSE, 0, 0);
  pump();
  runShell(root, unixRoot, "rm -rf " + unixRoot + "/small " + unixRoot + "/large " + unixRoot +
                             "/empty");
  tav::setExeDir(root + "\\");
  DeleteFileA((root + "\\out").c_str());
  DeleteFileA((root + "\\run.sh").c_str());
  RemoveDirectoryA(root.c_str());
  return 0;
}
