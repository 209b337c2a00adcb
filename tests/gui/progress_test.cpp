// Long work keeps the window alive: a rebuild of thousands of notes shows its
// progress in the status bar, and what other threads and programs send the
// window is answered while it runs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "win/busy.h"
#include "win/keyword_list.h"
#include "win/state.h"
#include "gui_support.h"

using tav::app;

namespace {

class Busy : public tavgui::MainWindowTest {
 public:
  Busy() : MainWindowTest("busy") {}
};

TEST_F(Busy, RebuildShowsItsProgressAndTheWindowAnswers) {
  constexpr int kNotes = 2000;
  start(numbered(kNotes, "ソフト一覧", "本文、予定表", "表", 4));
  tav::App& a = app();
  // Shown at once and answered every 10 ms: several steps even on a fast machine.
  const tav::BusyTiming before = tav::busyTiming();
  tav::busyTiming() = {0, 10};

  // Another thread asks for the status text, as another program would ask
  // the window anything: it is answered only while the window thread pumps.
  std::atomic<bool> running {true};
  std::mutex m;
  std::set<std::string> seen;
  std::thread watcher([&] {
    while (running) {
      char text[256] = {0};
      DWORD_PTR r = 0;
      if (SendMessageTimeoutA(a.statusBar, SB_GETTEXTA, 3, reinterpret_cast<LPARAM>(text),
                              SMTO_NORMAL, 5000, &r) && running) {
        std::lock_guard<std::mutex> lock(m);
        seen.insert(text);
      }
      Sleep(5);
    }
  });
  tav::rebuildWithProgress();
  running = false;
  watcher.join();
  tav::busyTiming() = before;

  int progressTexts = 0;
  for (const std::string& t : seen)
    if (t.rfind("インデックスを再作成しています… ", 0) == 0 && t.find(" / 2,000") != std::string::npos)
      ++progressTexts;
  EXPECT_GE(progressTexts, 2) << "the progress did not move while the rebuild ran";
  EXPECT_EQ(static_cast<std::size_t>(kNotes), a.index.size());
  EXPECT_FALSE(a.ui.busy);
  EXPECT_EQ("", tavgui::statusText(3));
}

}  // namespace
