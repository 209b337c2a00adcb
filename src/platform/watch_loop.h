// Inside the folder watcher: what both platforms share (which folders are
// watched, coalescing, own writes, handing over) and what each supplies (the
// thread and the system's watches). Not for users of the watcher.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "platform/watcher.h"

namespace tav {

struct FolderWatcher::Loop {
  using Clock = std::chrono::steady_clock;
  // What one system notification says of one name.
  enum class Raw { Added, Removed, Changed };

  virtual ~Loop() = default;

  // ---- the platform's part, each called on the watcher's thread but launch and halt.
  // Starts the thread, which calls run(); halt makes it return and joins it.
  virtual bool launch() = 0;
  virtual void halt() = 0;
  // Opens the watch of a sub-folder ("" for the data folder itself).
  virtual bool openWatch(const std::string& sub) = 0;
  virtual void closeWatch(const std::string& sub) = 0;

  // ---- the shared part.
  bool start(const std::string& folder, const Options& options);
  // On the thread, first: watches the data folder, then each sub-folder.
  // Tells start whether the data folder can be watched.
  bool begin();
  // A notification from the watch of sub ("" for the data folder).
  void notify(const std::string& sub, const std::string& name, Raw kind);
  // The watch of sub lost notifications (its buffer or queue overflowed).
  void overflow(const std::string& sub);
  // The watch of sub stopped working; what the system said.
  void failed(const std::string& sub, const std::string& why);
  // Milliseconds until the pending batch is due; -1 when nothing is pending.
  int millisToFlush() const;
  // Hands over the pending batch when it is due.
  void flushIfDue();

  void expectOwnWrite(std::string_view key);
  std::vector<FolderEvent> take();

  // The full path of a sub-folder (no separator at its end), or of the data folder.
  std::string pathOf(const std::string& sub) const;
  std::string folder_;  // ends with the separator
  Options opt_;
  // A folder that is there could not be watched, or its watch failed.
  std::atomic<bool> deaf_{false};

 private:
  struct Pending {
    Raw first;
    bool rescan = false;
  };
  void fileEvent(const std::string& key, Raw kind);
  void rescan(const std::string& key, const std::string& why);
  void watchSub(const std::string& sub, bool reportFiles);
  // openWatch, unless a fault test says the system refused it.
  bool openWatchOf(const std::string& sub) {
    return injectedFault(FileOp::Watch, pathOf(sub)) == FileFault::None && openWatch(sub);
  }
  void unwatchSub(const std::string& sub);
  bool wanted(std::string_view key) const { return !opt_.wanted || opt_.wanted(key); }
  void log(const std::string& line) const {
    if (opt_.log) opt_.log(line);
  }

  // Only the watcher's thread.
  std::set<std::string> subs_;  // sub-folders with a watch
  std::vector<std::string> order_;  // pending keys, first noticed first
  std::unordered_map<std::string, Pending> pending_;
  Clock::time_point batchStart_, lastNote_;

  // Shared with the owner.
  mutable std::mutex m_;
  std::unordered_map<std::string, Clock::time_point> own_;  // key -> hidden until
  std::vector<FolderEvent> ready_;
  bool woken_ = false;  // wake called, takeEvents not yet
};

// The platform's loop (win32/watcher.cpp or posix/watcher.cpp).
std::unique_ptr<FolderWatcher::Loop> makeWatchLoop();

}  // namespace tav
