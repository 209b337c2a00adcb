// Follows the note files of one data folder that other programs change, on a
// thread of its own, and hands the news to its owner in batches.
//
// Notes lie one level below the data folder, so the watcher watches the data
// folder itself (for sub-folders that come and go and for its own files such
// as "index2.txt") and each sub-folder on its own, not recursively: Wine
// reports nothing from a recursive watch for sub-folders that existed before
// the watch began.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

struct FolderEvent {
  enum class Kind {
    Changed,  // the file is there and its contents or stamp changed
    Added,    // a file that was not there is (a new file, or one renamed to this name)
    Removed,  // the file is gone (deleted, or renamed away)
    Rescan,   // changes were lost: list the folder's files and their stamps again
  };
  Kind kind = Kind::Changed;
  // "sub-folder/file" for a file in a sub-folder (the form of a note's key),
  // "name" for a file of the data folder itself. For Rescan: "sub-folder/"
  // for one sub-folder, "" for the whole data folder.
  std::string key;
  bool operator==(const FolderEvent& o) const { return kind == o.kind && key == o.key; }
};

class FolderWatcher {
 public:
  struct Options {
    // Which keys the owner hears of; also asked with "sub-folder/" before a
    // sub-folder is watched at all. Null: every key. The watcher itself drops
    // only the temporary files of writeWholeFile; which names are other
    // programs' is the caller's to say.
    std::function<bool(std::string_view key)> wanted;
    // Called on the watcher's thread when events are ready and the owner has
    // taken every earlier batch: once per takeEvents, however many arrive.
    std::function<void()> wake;
    // One line for the program's log, called on the watcher's thread when
    // changes were lost or a folder cannot be watched.
    std::function<void(const std::string&)> log;
    // Notifications of one file closer together than this make one event.
    int quietMillis = 200;
    // A batch is handed over at the latest this long after its first
    // notification, even while a file keeps changing.
    int longestBatchMillis = 1000;
    // expectOwnWrite hides a key's notifications for this long.
    int ownWriteMillis = 2000;
    // Room for the notifications of one folder gathered between two reads;
    // more than that is lost and the folder is reported as Rescan.
    std::size_t bufferBytes = 64 * 1024;
  };

  FolderWatcher();
  ~FolderWatcher();  // stops
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  // Starts watching folder (a full path, with or without the separator at its
  // end), stopping an earlier watch first. False when there is no such folder
  // or the thread cannot start (nothing runs then). A folder that is there but
  // cannot be watched gives one Rescan of "" and a log line.
  bool start(const std::string& folder, Options options);
  // Stops the thread and forgets events not taken. Prompt, also when the
  // folder was deleted meanwhile. Not from within Options::wake.
  void stop();
  bool running() const;
  // False once a folder that is there could not be watched or its watch
  // failed (a network share that does not report changes), as against news
  // lost in a flood: its changes may then go unheard, and the owner must
  // check the files itself.
  bool hearsEverything() const;

  // The program is about to write this key (a note file or "index2.txt"):
  // its notifications in the next Options::ownWriteMillis are not reported.
  void expectOwnWrite(std::string_view key);

  // The events ready so far, oldest first; each key at most once per batch.
  // A file's kind says what the disk showed when its batch was handed over.
  std::vector<FolderEvent> takeEvents();

  struct Loop;

 private:
  std::unique_ptr<Loop> loop_;
};

}  // namespace tav
