// The folder watcher's watches on Linux: one inotify watch per folder (inotify
// is never recursive), read on the watcher's thread; a pipe wakes it to stop.
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <map>
#include <thread>

#include "platform/watch_loop.h"

namespace tav {

namespace {

class PosixLoop : public FolderWatcher::Loop {
 public:
  ~PosixLoop() override { halt(); }

  bool launch() override {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return false;
    if (pipe2(stop_, O_CLOEXEC) != 0) {
      ::close(fd_);
      fd_ = -1;
      return false;
    }
    std::promise<bool> started;
    std::future<bool> ok = started.get_future();
    thread_ = std::thread([this, &started] { run(started); });
    if (ok.get()) return true;
    thread_.join();
    closeAll();
    return false;
  }

  void halt() override {
    if (!thread_.joinable()) return;
    char c = 0;
    while (::write(stop_[1], &c, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    closeAll();
  }

  bool openWatch(const std::string& sub) override {
    uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                    IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    int wd = inotify_add_watch(fd_, pathOf(sub).c_str(), mask);
    if (wd < 0) return false;
    subOf_[wd] = sub;
    wdOf_[sub] = wd;
    return true;
  }

  void closeWatch(const std::string& sub) override {
    auto it = wdOf_.find(sub);
    if (it == wdOf_.end()) return;
    inotify_rm_watch(fd_, it->second);
    subOf_.erase(it->second);
    wdOf_.erase(it);
  }

 private:
  void closeAll() {
    if (fd_ >= 0) ::close(fd_);
    if (stop_[0] >= 0) ::close(stop_[0]);
    if (stop_[1] >= 0) ::close(stop_[1]);
    fd_ = stop_[0] = stop_[1] = -1;
    subOf_.clear();
    wdOf_.clear();
  }

  void run(std::promise<bool>& started) {
    bool ok = begin();
    started.set_value(ok);
    if (!ok) return;
    for (;;) {
      pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      int n = ::poll(fds, 2, millisToFlush());
      if (n < 0 && errno != EINTR) break;
      if (fds[1].revents) break;
      if (n > 0 && fds[0].revents) readAll();
      flushIfDue();
    }
  }

  // One read round takes what queued up since the last: as a Windows buffer
  // gathers a folder's notifications between two reads, more than
  // bufferBytes of them for one folder (counted as Windows sizes them) is an
  // overflow of that folder.
  void readAll() {
    struct Note {
      int wd;
      std::string name;
      Raw kind;
    };
    std::vector<Note> notes;
    std::map<int, std::size_t> bytes;
    bool queueOverflow = false;
    bool topGone = false;
    alignas(inotify_event) char buf[64 * 1024];
    for (;;) {
      ssize_t got = ::read(fd_, buf, sizeof buf);
      if (got <= 0) break;
      for (char* p = buf; p < buf + got;) {
        auto* ev = reinterpret_cast<inotify_event*>(p);
        p += sizeof(inotify_event) + ev->len;
        if (ev->mask & IN_Q_OVERFLOW) {
          queueOverflow = true;
          continue;
        }
        if (ev->len == 0) {
          // The data folder itself went; a sub-folder's going is told by the data folder's watch.
          auto it = subOf_.find(ev->wd);
          bool top = it != subOf_.end() && it->second.empty();
          if (top && (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF))) topGone = true;
          continue;
        }
        std::string name(ev->name);
        Raw kind = (ev->mask & (IN_CREATE | IN_MOVED_TO))     ? Raw::Added
                   : (ev->mask & (IN_DELETE | IN_MOVED_FROM)) ? Raw::Removed
                                                              : Raw::Changed;
        bytes[ev->wd] += 12 + 2 * name.size();
        notes.push_back({ev->wd, std::move(name), kind});
      }
    }
    std::map<int, std::string> overflowed;
    for (const auto& [wd, size] : bytes) {
      auto it = subOf_.find(wd);
      if (size > opt_.bufferBytes && it != subOf_.end()) overflowed[wd] = it->second;
    }
    if (queueOverflow) {
      overflow("");
      return;
    }
    for (const Note& n : notes) {
      if (overflowed.count(n.wd)) continue;
      auto it = subOf_.find(n.wd);
      if (it != subOf_.end()) notify(std::string(it->second), n.name, n.kind);
    }
    for (const auto& kv : overflowed) overflow(kv.second);
    if (topGone) failed("", "the folder was deleted or moved");
  }

  int fd_ = -1;
  int stop_[2] = {-1, -1};
  std::thread thread_;
  std::map<int, std::string> subOf_;
  std::map<std::string, int> wdOf_;
};

}  // namespace

std::unique_ptr<FolderWatcher::Loop> makeWatchLoop() { return std::make_unique<PosixLoop>(); }

}  // namespace tav
