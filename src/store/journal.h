// The edit journal: a write-ahead log of what changed in the index since its
// last save, so that a crash, a kill or a power cut loses at most the last
// moments of typing.
//
// One file per data folder, "journal.dat" directly in the data folder (the
// rebuild and the folder listings look only at sub-folders and the files in
// them, so it is never taken for a note). It exists only between the first
// change after a save and the next save: a successful save removes it, exit
// without saving removes it unapplied, and a start that finds one applies it
// to the freshly loaded index, saves at once and removes it.
//
// Each record is self-checking text, so a torn last record is recognised:
//   "@" length (8 hex digits) CRC-32 (8 hex digits) " " payload LF
// where the CRC covers the length digits and the payload. A payload is a kind
// character and fields, each written as its length in decimal, ":" and its
// bytes: S (store: key, keyword, caret, check, body), C (check mark: key,
// mark) and B (batch: the payloads of one operation that changed many notes).
// Every record carries the resulting state, never a difference, so applying
// a record twice gives what applying it once gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace tav {

class KeywordIndex;

// The journal's file name inside a data folder.
extern const char* const kJournalName;
// exeDir() + folder + separator + kJournalName.
std::string journalPath(const std::string& folder);

// ---- the record format

std::string frameRecord(std::string_view payload);
// The payloads in order, up to the first record that is torn or fails its
// check; validBytes (when given) receives where that record starts.
std::vector<std::string> readRecords(std::string_view text, std::size_t* validBytes = nullptr);

std::string storeRecord(std::string_view body, std::string_view keyword, std::string_view key,
                        unsigned caret, bool checked);
std::string checkRecord(std::string_view key, char mark);
std::string batchRecord(const std::vector<std::string>& payloads);

// Applies one payload to the index; false (nothing changed) when it cannot be
// parsed, names a key that is not a safe path, or cannot be applied. A batch
// applies what it can of its parts.
bool applyRecord(KeywordIndex& index, std::string_view payload);

// Would storeNote with these values change the index (or a cached body)?
bool storeWouldChange(const KeywordIndex& index, std::string_view body, std::string_view keyword,
                      std::string_view key, unsigned caret, bool checked);

// ---- the journal of one index

class Journal {
 public:
  Journal() = default;
  ~Journal() { closeFile(); }
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;
  Journal(Journal&& other) noexcept { *this = std::move(other); }
  Journal& operator=(Journal&& other) noexcept;

  // Called by the index it is attached to (KeywordIndex::journal).
  // After a load of folder: a journal found there is applied in order, the
  // index is saved and the journal removed (kept when the save fails). An
  // index that exists but could not be read is not recovered into (the save
  // would replace it by a smaller one); its journal waits for a later start.
  void loaded(KeywordIndex& index, bool recover = true);
  // After a save: a successful one makes the journal unneeded.
  void saved(bool ok);
  void stored(std::string_view body, std::string_view keyword, std::string_view key,
              unsigned caret, bool checked);
  void checked(std::string_view key, char mark);

  // Records made between beginBatch and the matching endBatch become one.
  void beginBatch() { ++batchDepth_; }
  void endBatch();

  // Puts what was written since the last flush on the disk.
  void flush();
  bool unflushed() const { return unflushed_; }
  // Removes the journal without applying it (exit without saving).
  void discard();

  // Records applied by the last load that found a journal.
  std::size_t recovered() const { return recovered_; }
  // File operations so far (opening, writing, flushing, removing).
  std::uint64_t fileOps() const { return fileOps_; }
  // The payload appended last since the journal was last removed, or "".
  const std::string& lastRecord() const { return last_; }

 private:
  void append(std::string payload);
  bool openFile();
  void closeFile();
  void removeFile();

  std::string folder_;
  OpenFile file_ = nullptr;
  bool unflushed_ = false;
  int batchDepth_ = 0;
  std::vector<std::string> batch_;
  std::string last_;
  std::size_t recovered_ = 0;
  std::uint64_t fileOps_ = 0;
};

// Makes the records of one operation one record; does nothing without a journal.
class JournalBatch {
 public:
  explicit JournalBatch(Journal* j) : j_(j) {
    if (j_) j_->beginBatch();
  }
  ~JournalBatch() {
    if (j_) j_->endBatch();
  }
  JournalBatch(const JournalBatch&) = delete;
  JournalBatch& operator=(const JournalBatch&) = delete;

 private:
  Journal* j_;
};

// When the editor's text is journaled and the journal flushed, on the ticks
// of the one timer (times in milliseconds, as GetTickCount gives them). Keys
// only note their time here; the file work happens on ticks.
struct JournalPace {
  static constexpr std::uint32_t kPauseMs = 1000;  // no key this long: a pause
  // While typing goes on without a pause, the text is still journaled (written
  // to the system's cache, not flushed) this often, so a kill loses no more.
  static constexpr std::uint32_t kMaxGapMs = 1000;
  static constexpr std::uint32_t kFlushGapMs = 1000;

  std::uint32_t lastKey = 0;
  std::uint32_t firstKey = 0;  // the first key since the last snapshot
  std::uint32_t lastFlush = 0;
  bool touched = false;        // a key since the last snapshot

  void keyed(std::uint32_t now) {
    if (!touched) firstKey = now;
    lastKey = now;
    touched = true;
  }
  bool pausing(std::uint32_t now) const { return now - lastKey >= kPauseMs; }
  bool snapshotDue(std::uint32_t now) const {
    return touched && (pausing(now) || now - firstKey >= kMaxGapMs);
  }
  void snapshotTaken() { touched = false; }
  bool flushDue(std::uint32_t now) const {
    return pausing(now) && now - lastFlush >= kFlushGapMs;
  }
};

}  // namespace tav
