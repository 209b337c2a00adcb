// The folder watcher's watches on Windows: ReadDirectoryChangesW on each
// folder (not recursive), completed by a routine the thread runs while it
// waits, so one thread watches any number of sub-folders (a wait on events
// would stop at 64).
#include <windows.h>

#include <future>
#include <map>
#include <thread>

#include "platform/watch_loop.h"

namespace tav {

namespace {

class Win32Loop;

struct Watch {
  Win32Loop* loop = nullptr;
  std::string sub;
  HANDLE dir = INVALID_HANDLE_VALUE;
  OVERLAPPED ov {};
  std::vector<DWORD> buf;  // DWORD-aligned, as the call requires
  bool pending = false;    // a read is under way; its completion will come
};

std::string narrow(const WCHAR* w, int chars) {
  int n = WideCharToMultiByte(CP_ACP, 0, w, chars, nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, w, chars, &s[0], n, nullptr, nullptr);
  return s;
}

class Win32Loop : public FolderWatcher::Loop {
 public:
  ~Win32Loop() override { halt(); }

  bool launch() override {
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!stop_) return false;
    std::promise<bool> started;
    std::future<bool> ok = started.get_future();
    thread_ = std::thread([this, &started] { run(started); });
    if (ok.get()) return true;
    thread_.join();
    CloseHandle(stop_);
    stop_ = nullptr;
    return false;
  }

  void halt() override {
    if (!thread_.joinable()) return;
    SetEvent(stop_);
    thread_.join();
    CloseHandle(stop_);
    stop_ = nullptr;
  }

  bool openWatch(const std::string& sub) override {
    auto w = std::make_unique<Watch>();
    w->loop = this;
    w->sub = sub;
    // Sharing delete as well: the watch must not keep anyone from deleting or
    // renaming the folder.
    w->dir = CreateFileA(pathOf(sub).c_str(), FILE_LIST_DIRECTORY,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (w->dir == INVALID_HANDLE_VALUE) return false;
    w->buf.resize((opt_.bufferBytes + sizeof(DWORD) - 1) / sizeof(DWORD));
    if (!read(*w)) {
      CloseHandle(w->dir);
      return false;
    }
    watches_[sub] = std::move(w);
    return true;
  }

  void closeWatch(const std::string& sub) override {
    auto it = watches_.find(sub);
    if (it == watches_.end()) return;
    retire(std::move(it->second));
    watches_.erase(it);
  }

 private:
  bool read(Watch& w) {
    DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                   FILE_NOTIFY_CHANGE_SIZE;
    if (w.sub.empty()) filter |= FILE_NOTIFY_CHANGE_DIR_NAME;
    w.ov = OVERLAPPED {};
    w.ov.hEvent = &w;  // not used by the system when there is a completion routine
    w.pending = ReadDirectoryChangesW(w.dir, w.buf.data(),
                                      static_cast<DWORD>(w.buf.size() * sizeof(DWORD)), FALSE,
                                      filter, nullptr, &w.ov, &Win32Loop::done) != 0;
    return w.pending;
  }

  static VOID CALLBACK done(DWORD err, DWORD bytes, LPOVERLAPPED ov) {
    Watch* w = static_cast<Watch*>(ov->hEvent);
    w->loop->completed(w, bytes, err);
  }

  // Its buffer stays alive until the cancelled read has completed.
  void retire(std::unique_ptr<Watch> w) {
    if (w->pending) {
      CancelIoEx(w->dir, &w->ov);
      CloseHandle(w->dir);
      w->dir = INVALID_HANDLE_VALUE;
      retired_.push_back(std::move(w));
    } else {
      CloseHandle(w->dir);
    }
  }

  void run(std::promise<bool>& started) {
    if (!begin()) {
      shutDown();
      started.set_value(false);
      return;
    }
    started.set_value(true);
    for (;;) {
      int wait = millisToFlush();
      // Alertable: the reads' completion routines run in here.
      DWORD r = WaitForSingleObjectEx(stop_, wait < 0 ? INFINITE : static_cast<DWORD>(wait), TRUE);
      if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
      flushIfDue();
    }
    shutDown();
  }

  void completed(Watch* w, DWORD bytes, DWORD err) {
    w->pending = false;
    for (auto it = retired_.begin(); it != retired_.end(); ++it) {
      if (it->get() == w) {
        retired_.erase(it);
        return;
      }
    }
    std::string sub = w->sub;
    if (err == ERROR_NOTIFY_ENUM_DIR || (err == 0 && bytes == 0)) {
      overflow(sub);
    } else if (err != 0) {
      failed(sub, "error " + std::to_string(err));
      return;
    } else {
      deliver(*w);
    }
    // What was delivered may have closed watches, but never this one's own.
    auto it = watches_.find(sub);
    if (it != watches_.end() && it->second.get() == w && !read(*w))
      failed(sub, "error " + std::to_string(GetLastError()));
  }

  void deliver(const Watch& w) {
    // Copied first: a notification may open or close other watches.
    std::vector<std::pair<std::string, Raw>> names;
    const char* p = reinterpret_cast<const char*>(w.buf.data());
    for (;;) {
      auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(p);
      Raw kind = Raw::Changed;
      switch (info->Action) {
        case FILE_ACTION_ADDED:
        case FILE_ACTION_RENAMED_NEW_NAME: kind = Raw::Added; break;
        case FILE_ACTION_REMOVED:
        case FILE_ACTION_RENAMED_OLD_NAME: kind = Raw::Removed; break;
        default: kind = Raw::Changed; break;
      }
      int chars = static_cast<int>(info->FileNameLength / sizeof(WCHAR));
      names.emplace_back(narrow(info->FileName, chars), kind);
      if (info->NextEntryOffset == 0) break;
      p += info->NextEntryOffset;
    }
    for (const auto& [name, kind] : names) notify(w.sub, name, kind);
  }

  // Cancels every read and waits for their completions, so no buffer is freed
  // under a read. A completion that never comes (it should) leaks its buffer
  // rather than let the system write into freed memory.
  void shutDown() {
    std::vector<std::string> subs;
    for (const auto& kv : watches_) subs.push_back(kv.first);
    for (const std::string& sub : subs) closeWatch(sub);
    while (!retired_.empty()) {
      if (SleepEx(2000, TRUE) == 0) {
        for (auto& w : retired_) w.release();
        retired_.clear();
      }
    }
  }

  HANDLE stop_ = nullptr;
  std::thread thread_;
  std::map<std::string, std::unique_ptr<Watch>> watches_;
  std::vector<std::unique_ptr<Watch>> retired_;
};

}  // namespace

std::unique_ptr<FolderWatcher::Loop> makeWatchLoop() { return std::make_unique<Win32Loop>(); }

}  // namespace tav
