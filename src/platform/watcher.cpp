// The folder watcher's shared part: which folders are watched, coalescing,
// own writes and handing batches over. The system's watches and the thread
// are in win32/watcher.cpp and posix/watcher.cpp.
#include "platform/watcher.h"

#include <algorithm>

#include "platform/path.h"
#include "platform/platform.h"
#include "platform/watch_loop.h"

namespace tav {

using Loop = FolderWatcher::Loop;

FolderWatcher::FolderWatcher() = default;
FolderWatcher::~FolderWatcher() { stop(); }

bool FolderWatcher::start(const std::string& folder, Options options) {
  stop();
  loop_ = makeWatchLoop();
  if (!loop_->start(folder, options)) {
    loop_.reset();
    return false;
  }
  return true;
}

void FolderWatcher::stop() {
  if (!loop_) return;
  loop_->halt();
  loop_.reset();
}

bool FolderWatcher::running() const { return loop_ != nullptr; }

bool FolderWatcher::hearsEverything() const { return loop_ && !loop_->deaf_; }

void FolderWatcher::expectOwnWrite(std::string_view key) {
  if (loop_) loop_->expectOwnWrite(key);
}

std::vector<FolderEvent> FolderWatcher::takeEvents() {
  return loop_ ? loop_->take() : std::vector<FolderEvent>{};
}

// ---- the loop's shared part

bool Loop::start(const std::string& folder, const Options& options) {
  folder_ = folder;
  if (!endsWithSeparator(folder_)) folder_ += kPathSep;
  opt_ = options;
  return launch();
}

std::string Loop::pathOf(const std::string& rel) const {
  if (rel.empty()) return folder_.substr(0, folder_.size() - 1);
  // '/' is never a trail byte of a double-byte character; '\\' can be one
  // (表 ends in 0x5C), so the end is tested before the separators go in.
  std::string path = folder_ + rel;
  if (rel.back() == '/') path.pop_back();
  std::replace(path.begin() + folder_.size(), path.end(), '/', kPathSep);
  return path;
}

bool Loop::begin() {
  if (pathKind(pathOf("")) != PathKind::Folder) return false;
  if (!openWatchOf("")) {
    // A network share may not report changes: the owner hears once that it
    // must look for itself. Its sub-folders would fail alike.
    deaf_ = true;
    rescan("", "cannot watch");
    return true;
  }
  // The data folder is watched first, so a sub-folder made meanwhile is not missed.
  std::vector<std::string> subs;
  listFolder(folder_, subs, ListWhat::Folders);
  for (const std::string& sub : subs)
    if (wanted(sub + "/")) watchSub(sub, false);
  return true;
}

void Loop::watchSub(const std::string& sub, bool reportFiles) {
  if (subs_.count(sub)) return;
  if (!openWatchOf(sub)) {
    if (pathKind(pathOf(sub)) == PathKind::Folder) {
      deaf_ = true;
      rescan(sub + "/", "cannot watch " + pathOf(sub));
    }
    return;
  }
  subs_.insert(sub);
  // A sub-folder that arrives whole (moved in, or filled before its watch
  // opened) brings files no notification names.
  if (reportFiles) {
    std::vector<std::string> files;
    listFolder(pathOf(sub), files, ListWhat::Files);
    for (const std::string& f : files) fileEvent(sub + "/" + f, Raw::Added);
  }
}

void Loop::unwatchSub(const std::string& sub) {
  if (subs_.erase(sub)) closeWatch(sub);
}

void Loop::notify(const std::string& sub, const std::string& name, Raw kind) {
  if (!sub.empty()) {
    fileEvent(sub + "/" + name, kind);
    return;
  }
  switch (kind) {
    case Raw::Added:
      if (pathKind(pathOf(name)) == PathKind::Folder) {
        if (wanted(name + "/")) watchSub(name, true);
        return;
      }
      break;
    case Raw::Removed:
      if (subs_.count(name)) {
        // Its files went with it (or under another name, which comes as Added).
        unwatchSub(name);
        rescan(name + "/", "");
        return;
      }
      break;
    case Raw::Changed:
      if (subs_.count(name) || pathKind(pathOf(name)) == PathKind::Folder) return;
      break;
  }
  fileEvent(name, kind);
}

void Loop::fileEvent(const std::string& key, Raw kind) {
  std::size_t slash = key.rfind('/');
  if (isTempFileName(slash == std::string::npos ? key : key.substr(slash + 1))) return;
  if (!wanted(key)) return;
  Clock::time_point now = Clock::now();
  {
    std::lock_guard<std::mutex> lock(m_);
    auto it = own_.find(key);
    if (it != own_.end()) {
      if (now < it->second) return;
      own_.erase(it);
    }
  }
  if (pending_.empty()) batchStart_ = now;
  lastNote_ = now;
  if (pending_.try_emplace(key, Pending{kind}).second) order_.push_back(key);
}

void Loop::rescan(const std::string& key, const std::string& why) {
  if (!why.empty())
    log("watcher: " + why + "; " + (key.empty() ? pathOf("") : pathOf(key)) + " is listed again");
  Clock::time_point now = Clock::now();
  if (pending_.empty()) batchStart_ = now;
  lastNote_ = now;
  auto [it, fresh] = pending_.try_emplace(key, Pending{Raw::Changed});
  it->second.rescan = true;
  if (fresh) order_.push_back(key);
}

void Loop::overflow(const std::string& sub) {
  if (!sub.empty()) {
    rescan(sub + "/", "changes overflowed");
    return;
  }
  rescan("", "changes overflowed");
  // Sub-folders may have come and gone unseen.
  std::vector<std::string> now;
  listFolder(folder_, now, ListWhat::Folders);
  std::set<std::string> there(now.begin(), now.end());
  std::vector<std::string> gone;
  for (const std::string& sub2 : subs_)
    if (!there.count(sub2)) gone.push_back(sub2);
  for (const std::string& sub2 : gone) unwatchSub(sub2);
  for (const std::string& sub2 : now)
    if (wanted(sub2 + "/")) watchSub(sub2, false);
}

void Loop::failed(const std::string& sub, const std::string& why) {
  if (sub.empty()) {
    deaf_ = true;
    closeWatch("");
    rescan("", "cannot watch (" + why + ")");
    return;
  }
  bool there = pathKind(pathOf(sub)) == PathKind::Folder;
  if (there) deaf_ = true;
  unwatchSub(sub);
  // A sub-folder deleted under its watch is no failure worth a log line.
  rescan(sub + "/", there ? "cannot watch (" + why + ")" : "");
}

int Loop::millisToFlush() const {
  if (pending_.empty()) return -1;
  using std::chrono::milliseconds;
  Clock::time_point due = std::min(lastNote_ + milliseconds(opt_.quietMillis),
                                   batchStart_ + milliseconds(opt_.longestBatchMillis));
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(left) + 1;
}

void Loop::flushIfDue() {
  if (pending_.empty() || millisToFlush() > 0) return;
  std::vector<FolderEvent> batch;
  for (const std::string& key : order_) {
    const Pending& p = pending_[key];
    FolderEvent e;
    e.key = key;
    if (p.rescan) {
      e.kind = FolderEvent::Kind::Rescan;
    } else if (pathKind(pathOf(key)) != PathKind::File) {
      e.kind = FolderEvent::Kind::Removed;
    } else {
      // The disk has the last word: a note replaced by a rename (removed,
      // then added) is there, so it changed.
      e.kind = p.first == Raw::Added ? FolderEvent::Kind::Added : FolderEvent::Kind::Changed;
    }
    batch.push_back(std::move(e));
  }
  pending_.clear();
  order_.clear();
  bool call = false;
  {
    std::lock_guard<std::mutex> lock(m_);
    ready_.insert(ready_.end(), batch.begin(), batch.end());
    call = !woken_;
    woken_ = true;
  }
  if (call && opt_.wake) opt_.wake();
}

void Loop::expectOwnWrite(std::string_view key) {
  Clock::time_point now = Clock::now();
  std::lock_guard<std::mutex> lock(m_);
  if (own_.size() > 256) {
    for (auto it = own_.begin(); it != own_.end();) it = it->second <= now ? own_.erase(it) : ++it;
  }
  own_[std::string(key)] = now + std::chrono::milliseconds(opt_.ownWriteMillis);
}

std::vector<FolderEvent> Loop::take() {
  std::lock_guard<std::mutex> lock(m_);
  std::vector<FolderEvent> out;
  out.swap(ready_);
  woken_ = false;
  return out;
}

}  // namespace tav
