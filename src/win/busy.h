// Long work on the window thread (a rebuild, a search or filter that reads
// note files): after a moment its progress shows in the status bar, the
// window keeps painting and answering other programs, input that could change
// the notes is dropped meanwhile, and where stopping is safe Esc stops it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/progress.h"

namespace tav {

class BusyWork {
 public:
  enum class Stop { Never, OnEscape };
  // what: the work in Japanese, as the status bar shows it before the counts.
  BusyWork(std::string what, Stop stop);
  ~BusyWork();
  BusyWork(const BusyWork&) = delete;
  BusyWork& operator=(const BusyWork&) = delete;

  const Progress& progress() const { return progress_; }
  bool stopped() const { return stopped_; }

 private:
  bool step(std::size_t done, std::size_t total);
  void pump();

  std::string what_;
  bool canStop_;
  bool stopped_ = false;
  bool shown_ = false;
  bool wasBusy_;
  std::uint32_t start_;
  std::uint32_t last_;
  Progress progress_;
};

// How soon the progress shows (quick work shows nothing) and how often the
// window is answered meanwhile; a test shortens them to see several steps.
struct BusyTiming {
  std::uint32_t showAfterMs = 250;
  std::uint32_t pumpEveryMs = 100;
};
BusyTiming& busyTiming();

// "12,345": counts in the status bar.
std::string groupedCount(std::size_t n);

}  // namespace tav
