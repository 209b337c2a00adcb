// The folder watcher against the real file system: natively (inotify) and
// under Wine (ReadDirectoryChangesW). One walk through what other programs do
// to a data folder while the program runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

#include "platform/platform.h"
#include "platform/watcher.h"
#include "testsupport.h"

namespace {

using tav::FolderEvent;
using Kind = FolderEvent::Kind;

// What the program will pass: other programs' names (a leading "." or "~")
// are never news, and of the data folder's own files only "index2.txt" is.
bool programWants(std::string_view key) {
  std::size_t slash = key.find('/');
  if (slash == std::string_view::npos) return key == "index2.txt";
  for (std::string_view part : {key.substr(0, slash), key.substr(slash + 1)})
    if (!part.empty() && (part[0] == '.' || part[0] == '~')) return false;
  return true;
}

// The owner's side, as the window will do it: woken on the watcher's thread,
// it takes the events on its own. hold keeps the watcher's thread in wake, as
// an owner slow to answer would, so that changes pile up meanwhile.
struct Owner {
  tav::FolderWatcher watcher;
  std::mutex m;
  std::condition_variable cv;
  bool woken = false, hold = false, holding = false;
  std::vector<FolderEvent> seen;  // everything taken, in order

  tav::FolderWatcher::Options options() {
    tav::FolderWatcher::Options o;
    o.wanted = programWants;
    o.bufferBytes = 2048;
    o.wake = [this] {
      std::unique_lock<std::mutex> lock(m);
      woken = true;
      cv.notify_all();
      while (hold) {
        holding = true;
        cv.notify_all();
        cv.wait(lock);
      }
      holding = false;
    };
    return o;
  }

  // Takes events until one of key and kind (any of kinds) is among those
  // taken since `from`, or a generous time has passed.
  bool waitFor(std::size_t from, const std::string& key, std::vector<Kind> kinds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      for (std::size_t i = from; i < seen.size(); ++i)
        if (seen[i].key == key &&
            std::find(kinds.begin(), kinds.end(), seen[i].kind) != kinds.end())
          return true;
      std::unique_lock<std::mutex> lock(m);
      if (!cv.wait_until(lock, deadline, [this] { return woken; })) return false;
      woken = false;
      lock.unlock();
      for (FolderEvent& e : watcher.takeEvents()) seen.push_back(std::move(e));
    }
  }

  std::vector<std::string> keysFrom(std::size_t from) const {
    std::vector<std::string> keys;
    for (std::size_t i = from; i < seen.size(); ++i) keys.push_back(seen[i].key);
    return keys;
  }
};

// Renames over an existing file, as an editor's atomic save does.
bool replaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

TEST(FolderWatcher, FollowsWhatOtherProgramsDoToTheNotes) {
  tavtest::DataFolder data;
  // Before the watch: a sub-folder whose second byte is '\', with a note,
  // and a sync engine's folder.
  data.writeNote("表/a.txt", "one");
  ASSERT_TRUE(tav::createFolder(data.path(".stfolder")));

  Owner o;
  EXPECT_FALSE(o.watcher.start(data.path("missing"), o.options()));
  EXPECT_FALSE(o.watcher.running());
  ASSERT_TRUE(o.watcher.start(data.path(), o.options()));

  // Written in a sub-folder that existed before the watch began.
  std::size_t from = o.seen.size();
  tavtest::writeFileBytes(data.path("表/b.txt"), "new");
  ASSERT_TRUE(o.waitFor(from, "表/b.txt", {Kind::Added}));
  // Two writes in quick succession are one piece of news.
  ASSERT_TRUE(tav::appendToFile(data.path("表/a.txt"), " two"));
  tav::sleepMillis(50);
  ASSERT_TRUE(tav::appendToFile(data.path("表/a.txt"), " three"));
  ASSERT_TRUE(o.waitFor(from, "表/a.txt", {Kind::Changed}));

  // A sub-folder made after the watch began, and a note in it.
  ASSERT_TRUE(tav::createFolder(data.path("ソフト")));
  tavtest::writeFileBytes(data.path("ソフト/c.txt"), "c");
  ASSERT_TRUE(o.waitFor(from, "ソフト/c.txt", {Kind::Added}));
  EXPECT_EQ(o.keysFrom(from), (std::vector<std::string>{"表/b.txt", "表/a.txt", "ソフト/c.txt"}));

  // A sync engine's atomic replace: its temporary file, renamed over the note.
  from = o.seen.size();
  tavtest::writeFileBytes(data.path("表/~syncthing~a.txt.tmp"), "three");
  tavtest::writeFileBytes(data.path(".stfolder/x"), "");
  ASSERT_TRUE(replaceFile(data.path("表/~syncthing~a.txt.tmp"), data.path("表/a.txt")));
  ASSERT_TRUE(o.waitFor(from, "表/a.txt", {Kind::Changed, Kind::Added}));
  tavtest::writeFileBytes(data.path("index2.txt"), "from another PC");
  ASSERT_TRUE(o.waitFor(from, "index2.txt", {Kind::Added, Kind::Changed}));
  EXPECT_EQ(o.keysFrom(from), (std::vector<std::string>{"表/a.txt", "index2.txt"}))
      << "the note once, never as removed; no name of the sync engine's";

  // Deleted.
  from = o.seen.size();
  ASSERT_TRUE(tav::deleteFile(data.path("ソフト/c.txt")));
  ASSERT_TRUE(o.waitFor(from, "ソフト/c.txt", {Kind::Removed}));

  // The program's own writes (its temporary file and rename included) are no news.
  from = o.seen.size();
  o.watcher.expectOwnWrite("表/a.txt");
  ASSERT_TRUE(tav::writeWholeFile(data.path("表/a.txt"), "mine"));
  o.watcher.expectOwnWrite("index2.txt");
  ASSERT_TRUE(tav::writeWholeFile(data.path("index2.txt"), "mine"));
  tavtest::writeFileBytes(data.path("表/marker.txt"), "after");
  ASSERT_TRUE(o.waitFor(from, "表/marker.txt", {Kind::Added}));
  EXPECT_EQ(o.keysFrom(from), std::vector<std::string>{"表/marker.txt"});

  // Overflow: hundreds of files arrive while the owner is slow to take the
  // news; the folder is to be listed again.
  {
    std::unique_lock<std::mutex> lock(o.m);
    o.hold = true;
  }
  from = o.seen.size();
  tavtest::writeFileBytes(data.path("表/first.txt"), "");
  {
    std::unique_lock<std::mutex> lock(o.m);
    ASSERT_TRUE(o.cv.wait_for(lock, std::chrono::seconds(10), [&] { return o.holding; }));
  }
  for (int i = 0; i < 400; ++i)
    tavtest::writeFileBytes(data.path("表/flood" + std::to_string(i) + ".txt"), "x");
  {
    std::unique_lock<std::mutex> lock(o.m);
    o.hold = false;
    o.cv.notify_all();
  }
  EXPECT_TRUE(o.waitFor(from, "表/", {Kind::Rescan}));

  // Stopped and started again; then the data folder is deleted under it,
  // and the watcher still stops and lets go of every folder (under Wine a
  // folder deleted while a watch holds it goes only when the watch closes).
  o.watcher.stop();
  EXPECT_TRUE(o.watcher.takeEvents().empty());
  ASSERT_TRUE(o.watcher.start(data.path(), o.options()));
  from = o.seen.size();
  tavtest::writeFileBytes(data.path("ソフト/d.txt"), "d");
  EXPECT_TRUE(o.waitFor(from, "ソフト/d.txt", {Kind::Added}));
  tavtest::removeTree(data.path());
  o.watcher.stop();
  tavtest::removeTree(data.path());
  EXPECT_EQ(tav::pathKind(data.path()), tav::PathKind::None);
}

}  // namespace
