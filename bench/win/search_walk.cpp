// How long F3 takes to walk every row of the keyword list when no listed note
// holds the search text: 10,000 notes listed, the real main window under
// Wine. Timed cold (the index just loaded, no body read yet, as right after
// start, with "bodies.dat" from an earlier run), with the bodies cached, and
// once with no "bodies.dat" at all; beside it, in the same run, grep -rlFi
// over the same note files.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/platform.h"
#include "win/folder_watch.h"
#include "win/search.h"
#include "win/keyword_list.h"
#include "win/state.h"
#include "testsupport.h"
#include "bench_window.h"

namespace {

using benchwin::msSince;
using benchwin::now;
using benchwin::pump;

constexpr int kNotes = 10000;
constexpr int kFolders = 10;
constexpr int kRepeats = 5;
const char* const kMissing = "qzqzq";

// 10 sub-folders of 1,000 notes of about 600 bytes of Japanese and ASCII
// text each; every keyword holds "k", so that query lists them all.
bool makeNotes(const std::string& data) {
  static const char* const lines[] = {"会議の予定を確認する", "Meeting notes for the release",
                                      "ソフトの表示設定を見直す", "買い物: 牛乳, パン, 卵",
                                      "Server budget review and API draft", "旅行の資料を読む"};
  std::string index;
  char folder[16], key[64], kw[64];
  for (int i = 0; i < kNotes; ++i) {
    std::snprintf(folder, sizeof folder, "f%02d", i / (kNotes / kFolders));
    std::snprintf(key, sizeof key, "%s/2011010100%08d", folder, i);
    std::snprintf(kw, sizeof kw, "k%05d,メモ", i);
    CreateDirectoryA((data + "\\" + folder).c_str(), nullptr);
    std::string body;
    for (int l = 0; l < 20; ++l) {
      body += lines[(i + l) % 6];
      body += "\r\n";
    }
    std::string file = std::string("<k>") + kw + ",</k><f>0</f><c>0</c><n>" + body + "</n>";
    if (!benchwin::writeDatedFile(data + "\\" + key, file)) return false;
    index += std::string(key) + ",0,0,0," + kw + "\n";
  }
  return benchwin::writeDatedFile(data + "\\index2.txt", index);
}

// The floor under Wine: only opening, reading and closing every note file.
double timeReadAll() {
  tav::App& a = tav::app();
  LARGE_INTEGER t0 = now();
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < a.index.size(); ++i) {
    std::optional<std::string> t = tav::readWholeFile(a.index.pathOf(a.index.at(i).key()));
    if (t) bytes += t->size();
  }
  double ms = msSince(t0);
  if (bytes == 0) std::exit(1);
  return ms;
}

// The floor of a cold walk that trusts no body it has not checked: listing
// every note file's size and write time.
double timeListAll() {
  const std::string base = tav::exeDir() + "data\\";
  LARGE_INTEGER t0 = now();
  std::vector<std::pair<std::string, tav::FileStamp>> files;
  char sub[16];
  for (int f = 0; f < kFolders; ++f) {
    std::snprintf(sub, sizeof sub, "f%02d", f);
    tav::listFolderStamps(base + sub, files);
  }
  double ms = msSince(t0);
  if (files.size() != static_cast<std::size_t>(kNotes)) std::exit(1);
  return ms;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double walk() {
  LARGE_INTEGER t0 = now();
  int row = tav::findInListedNotes(true, false);
  double ms = msSince(t0);
  if (row >= 0) {
    std::fprintf(stderr, "search_walk_bench: a note holds the missing text\n");
    std::exit(1);
  }
  return ms;
}

}  // namespace

int main() {
  // Z:\tmp is /tmp, where grep finds the same files.
  const std::string name = "tav_search_bench_" + std::to_string(GetCurrentProcessId());
  const std::string dir = "Z:\\tmp\\" + name;
  const std::string unixData = "/tmp/" + name + "/data";
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\data").c_str(), nullptr);
  tav::setExeDir(dir + "\\");
  if (!makeNotes(dir + "\\data")) {
    std::fprintf(stderr, "search_walk_bench: cannot write the notes\n");
    return 1;
  }

  tav::App& a = tav::app();
  a.instance = GetModuleHandleA(nullptr);
  tav::loadSettings(a.settings);
  if (!tav::registerClasses(a.instance)) return 1;
  HWND main = tav::createMainWindow(a.instance);
  if (!main) return 1;
  // Unwatched, as on a share that reports no changes: the walk must check
  // the files' stamps itself. The watched case is live_folder_bench's.
  tav::stopWatchingDataFolder();
  pump();

  std::vector<double> cold, warm, rechecked, grep, reads, lists;
  std::size_t rows = 0;
  // The first walk of all: no "bodies.dat" yet, so every file is read; then
  // the cache file is written, as searchAgain does after its answer.
  a.index.load(a.settings.dataFolder());
  SetWindowTextA(a.keywordBox, "k");
  tav::refreshList();
  pump();
  tav::selectOnlyListRow(0);
  a.ui.searchText = kMissing;
  const double first = walk();
  if (!a.searchBodies.cache().saveIfChanged() || a.searchBodies.cache().records().size() != static_cast<std::size_t>(kNotes)) {
    std::fprintf(stderr, "search_walk_bench: the body cache was not written whole\n");
    return 1;
  }
  for (int r = 0; r < kRepeats; ++r) {
    // As right after start: the index freshly loaded, no body read yet,
    // "bodies.dat" on the disk.
    a.index.load(a.settings.dataFolder());
    SetWindowTextA(a.keywordBox, "k");
    tav::refreshList();
    pump();
    rows = a.listRows.size();
    tav::selectOnlyListRow(0);
    a.ui.searchText = kMissing;
    cold.push_back(walk());
    for (int w = 0; w < 3; ++w) warm.push_back(walk());
    {
      // F3 after a pause: the note files' stamps are listed again first.
      LARGE_INTEGER t0 = now();
      a.searchBodies.cache().recheck(0);
      double listing = msSince(t0);
      rechecked.push_back(listing + walk());
    }
    const std::string grepLine =
        std::string("/usr/bin/grep -rlFi ") + kMissing + " " + unixData + "/f*";
    grep.push_back(benchwin::timeNativeGrep(dir, "/tmp/" + name, grepLine));
    reads.push_back(timeReadAll());
    lists.push_back(timeListAll());
  }
  const double g = median(grep);
  std::printf("search_walk_bench: %zu rows listed, %d repetitions (medians)\n", rows, kRepeats);
  std::printf("  walk, bodies cached   %8.2f ms   (goal 100 ms)\n", median(warm));
  std::printf("  walk, after a pause   %8.2f ms   (bodies cached, stamps listed again)\n",
              median(rechecked));
  std::printf("  walk, cold            %8.2f ms   (bodies.dat there, nothing read yet)\n",
              median(cold));
  std::printf("  walk, first of all    %8.2f ms   (no bodies.dat: every file read; once)\n",
              first);
  std::printf("  reading every file    %8.2f ms   (open, read, close; nothing else)\n",
              median(reads));
  std::printf("  listing every file     %8.2f ms   (sizes and write times; nothing else)\n",
              median(lists));
  if (g >= 0) {
    std::printf("  grep -rlFi            %8.2f ms   cold walk / grep = %.2f (goal 1.5)\n", g,
                median(cold) / g);
  } else {
    std::printf("  grep -rlFi            could not be started\n");
  }

  a.ui.saveOnExit = false;
  SendMessageA(main, WM_CLOSE, 0, 0);
  pump();
  tavtest::removeTree(dir);
  return rows == static_cast<std::size_t>(kNotes + kFolders) ? 0 : 1;
}
