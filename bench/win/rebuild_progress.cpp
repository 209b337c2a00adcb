// What showing the progress costs a rebuild: 10,000 notes in 10 sub-folders,
// the real main window under Wine, the menu's rebuild with its progress in the
// status bar against the same rebuild without, taking turns, medians of 5.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench_window.h"
#include "store/rebuild.h"
#include "win/control_text.h"
#include "win/keyword_list.h"
#include "win/state.h"

namespace {

constexpr int kNotes = 10000;
constexpr int kRepeats = 5;

double timed(void (*f)()) {
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  f();
  QueryPerformanceCounter(&t1);
  return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void plainRebuild() {
  tav::App& a = tav::app();
  tav::saveAndRebuildAll(a.index, a.settings.dataFolder(),
                         [] { tav::selectAllAndFocus(tav::app().keywordBox); });
}

}  // namespace

int main() {
  const std::string home = benchwin::makeHome("tav_rebuild_bench_");
  const std::string data = home + "\\data";
  CreateDirectoryA(data.c_str(), nullptr);
  char sub[16], key[64];
  for (int i = 0; i < kNotes; ++i) {
    std::snprintf(sub, sizeof sub, "表%02d", i % 10);
    std::snprintf(key, sizeof key, "%s\\2011010100%08d", sub, i);
    CreateDirectoryA((data + "\\" + sub).c_str(), nullptr);
    std::string text = "<k>ソフト一覧" + std::to_string(i) + ",メモ,</k><f>0</f><c>0</c><n>";
    for (int l = 0; l < 20; ++l) text += "会議の予定を確認する Meeting notes\r\n";
    text += "</n>";
    if (!tav::writeWholeFile(data + "\\" + key, text)) return 1;
  }
  HWND main = benchwin::startMainWindow();
  if (!main) return 1;
  std::vector<double> plain, shown;
  for (int r = 0; r < kRepeats; ++r) {
    plain.push_back(timed(plainRebuild));
    shown.push_back(timed(tav::rebuildWithProgress));
  }
  if (tav::app().index.size() != static_cast<std::size_t>(kNotes)) return 1;
  const double p = median(plain), s = median(shown);
  std::printf("rebuild of %d notes, medians of %d (ms)\n", kNotes, kRepeats);
  std::printf("  without progress      %8.1f\n", p);
  std::printf("  with progress shown   %8.1f   ratio %.3f (goal at most 1.05)\n", s, s / p);
  tav::app().ui.saveOnExit = false;
  DestroyWindow(main);
  return 0;
}
