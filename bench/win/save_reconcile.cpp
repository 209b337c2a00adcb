// What making the index match the note files costs a save at 100,000 notes
// (100 sub-folders of 1,000) under Wine: the listing and comparison alone,
// the whole save with nothing changed, and a save that finds 1,000 notes
// another PC added. Medians of 5, in ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/keyword_index.h"

namespace {

constexpr int kFolders = 100;
constexpr int kPerFolder = 1000;
constexpr int kRepeats = 5;

double msSince(const LARGE_INTEGER& t0) {
  LARGE_INTEGER freq, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t1);
  return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
}

template <typename F>
double timed(F&& f) {
  LARGE_INTEGER t0;
  QueryPerformanceCounter(&t0);
  f();
  return msSince(t0);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// A plain write: the atomic one of the program would make generating take minutes.
bool put(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) && n == text.size();
  CloseHandle(h);
  return ok;
}

// The note's key, with sep between sub-folder and file name ("/" in the
// index, "\\" in a path; never searched for afterwards: 表 ends in 0x5C).
std::string key(int folder, int n, int base, char sep) {
  char k[64];
  std::snprintf(k, sizeof k, "表%02d%c2011010100%08d", folder, sep, base + n);
  return k;
}

}  // namespace

int main() {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  const std::string home = std::string(tmp) + "tav_reconcile_bench_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(home.c_str(), nullptr);
  tav::setExeDir(home + "\\");
  const std::string data = home + "\\data";
  CreateDirectoryA(data.c_str(), nullptr);
  std::string index;
  for (int f = 0; f < kFolders; ++f) {
    char sub[16];
    std::snprintf(sub, sizeof sub, "表%02d", f);
    CreateDirectoryA((data + "\\" + sub).c_str(), nullptr);
    for (int n = 0; n < kPerFolder; ++n) {
      const std::string kw = "ソフト一覧" + std::to_string(f * kPerFolder + n);
      if (!put(data + "\\" + key(f, n, f * kPerFolder, '\\'),
               "<k>" + kw + ",</k><f>0</f><c>0</c><n>会議の予定</n>"))
        return 1;
      index += key(f, n, f * kPerFolder, '/') + ",0,0,0," + kw + "\n";
    }
  }
  if (!put(data + "\\index2.txt", index)) return 1;

  tav::KeywordIndex idx;
  idx.load("data");
  std::vector<double> alone, whole;
  for (int r = 0; r < kRepeats; ++r) {
    alone.push_back(timed([&] { idx.reconcileWithDisk(); }));
    whole.push_back(timed([&] { idx.save("data"); }));
  }
  if (idx.size() != static_cast<std::size_t>(kFolders * kPerFolder)) return 1;
  // Another PC's notes arrive: 10 in each sub-folder.
  for (int f = 0; f < kFolders; ++f)
    for (int n = 0; n < 10; ++n)
      put(data + "\\" + key(f, n, 900000 + f * 10, '\\'), "<k>届いた,</k><f>0</f><c>0</c><n>x</n>");
  const double arrivals = timed([&] { idx.save("data"); });
  if (idx.lastSaveReport().added != kFolders * 10u) return 1;

  std::printf("save of an index of %d notes under Wine, medians of %d (ms)\n", kFolders * kPerFolder, kRepeats);
  std::printf("  matching the index to the files alone   %8.1f\n", median(alone));
  std::printf("  whole save, nothing changed             %8.1f\n", median(whole));
  std::printf("  whole save finding %d new notes        %8.1f\n", kFolders * 10, arrivals);
  return 0;
}
