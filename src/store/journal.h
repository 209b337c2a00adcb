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
// bytes: T (store: key, keyword, caret, check, body, and the stamp the note
// file had when the record was made: "size.time", or empty for no file),
// S (a store without a stamp, as earlier versions wrote it), C (check mark:
// key, mark) and B (batch: the payloads of one operation that changed many
// notes). Every record carries the resulting state, never a difference, so
// applying a record twice gives what applying it once gives.
//
// A store record is applied only while the note file still has the stamp it
// names (or holds the record's text already). Where another program changed
// the file since, the file stays as it is and the record's text becomes a new
// note beside it, its keyword marked with kRecoveredMark; a deletion is then
// not carried out.
//
// A sync engine may copy the journal to other PCs, where it must never be
// applied: every journal starts with an M record naming the machine that
// wrote it. A journal that names another machine is neither applied nor
// deleted nor continued; while "journal.dat" is one, this run journals under
// a name of its own ("journal-<clock>.dat"), which the next start here reads
// as it reads a journal set aside. A journal without an M record (written
// before there were marks) is this machine's.
//
// A journal that exists but cannot be read at start is set aside under a
// name of its own ("journal-<clock>.dat") and read at a later start; it is
// never deleted unread. A record that cannot be appended (a full disk) stays
// pending and is tried again; the file is cut back to its last whole record,
// so no torn record ever stands in front of good ones.
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
// What a note recovered beside a changed file gets after its keyword.
extern const char* const kRecoveredMark;
// Is name a journal set aside ("journal-" digits ".dat")?
bool isAsideJournalName(std::string_view name);
// exeDir() + folder + separator + kJournalName.
std::string journalPath(const std::string& folder);

// ---- the record format

std::string frameRecord(std::string_view payload);
// The payloads in order, up to the first record that is torn or fails its
// check; validBytes (when given) receives where that record starts.
std::vector<std::string> readRecords(std::string_view text, std::size_t* validBytes = nullptr);

// With base (the note file's stamp before the change; nothing for no file) a
// T record, without it an S record.
std::string storeRecord(std::string_view body, std::string_view keyword, std::string_view key,
                        unsigned caret, bool checked,
                        const std::optional<FileStamp>* base = nullptr);
std::string checkRecord(std::string_view key, char mark);
std::string batchRecord(const std::vector<std::string>& payloads);
// The record a journal starts with: the machine that writes it.
std::string machineRecord(std::string_view machine);

// What a replay knows of each note its store records name: every stamp the
// records found and every text they hold, read before the first is applied.
// A note file that has one of those stamps, or holds one of those texts, is
// as this journal's run left it; any other was changed by someone else.
struct Replay {
  struct Note {
    std::vector<std::optional<FileStamp>> bases;
    std::vector<std::string> bodies;
    int verdict = 0;   // 0 not yet looked at, 1 ours, 2 changed elsewhere
    std::string copy;  // changed elsewhere: the key the record's texts go to
  };
  std::vector<std::pair<std::string, Note>> notes;
  std::size_t copies = 0;  // texts that went to a new note beside a changed file
  std::size_t kept = 0;    // deletions not done: the file had changed
  Note* find(std::string_view key);
  // Learns the stamps and texts of a payload (a batch's parts too).
  void learn(std::string_view payload);
};

// Applies one payload to the index; false (nothing changed) when it cannot be
// parsed, names a key that is not a safe path, or cannot be applied. A batch
// applies what it can of its parts. Stamps are checked only with a replay.
bool applyRecord(KeywordIndex& index, std::string_view payload, Replay* replay = nullptr);

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
  // After a load of folder: the journals set aside earlier (oldest first)
  // and the journal found there are applied in order, the index is saved and
  // they are removed (kept when the save fails). One that cannot be read is
  // set aside for a later start, or, when even that fails, left alone.
  void loaded(KeywordIndex& index);
  // After a save: a successful one makes the journal unneeded.
  void saved(bool ok);
  void stored(std::string_view body, std::string_view keyword, std::string_view key,
              unsigned caret, bool checked, const std::optional<FileStamp>* base = nullptr);
  void checked(std::string_view key, char mark);

  // Records made between beginBatch and the matching endBatch become one.
  void beginBatch() { ++batchDepth_; }
  void endBatch();

  // Puts what was written since the last flush on the disk.
  void flush();
  bool unflushed() const { return unflushed_; }
  // Tries again to write the records a failed append left pending; true when
  // none is pending any more.
  bool retry();
  // Records not yet in the file (its last append failed).
  bool failing() const { return !pending_.empty(); }
  // Removes the journal without applying it (exit without saving).
  void discard();

  // Records applied by the last load that found a journal.
  std::size_t recovered() const { return recovered_; }
  // Of those, texts that went to a new note beside a changed file, and
  // deletions not carried out because the file had changed.
  std::size_t recoveredBeside() const { return replay_.copies + replay_.kept; }
  // The name a journal that could not be read was set aside under ("" none);
  // unreadable(): it could not even be set aside and stays where it is.
  const std::string& keptAside() const { return keptAside_; }
  bool unreadable() const { return unread_; }
  // Journals of other machines the last load left alone.
  std::size_t othersLeft() const { return others_; }
  // File operations so far (opening, writing, flushing, removing).
  std::uint64_t fileOps() const { return fileOps_; }
  // The payload appended (or pending) last since the journal was last removed, or "".
  const std::string& lastRecord() const { return pending_.empty() ? last_ : pending_.back(); }

 private:
  void append(std::string payload);
  bool writePending();
  bool openFile();
  void closeFile();
  void removeFile();
  // Moves an unreadable journal.dat out of the way; false when it stays.
  bool setAside();

  std::string folder_;
  std::string fileName_ = kJournalName;  // this run's journal in folder_
  std::size_t others_ = 0;
  OpenFile file_ = nullptr;
  bool unflushed_ = false;
  int batchDepth_ = 0;
  std::vector<std::string> batch_;
  std::string last_;
  std::vector<std::string> pending_;
  std::uint64_t goodBytes_ = 0;  // the file's whole records
  bool unread_ = false;          // journal.dat is one this run could not read
  std::string keptAside_;
  std::vector<std::string> appliedAside_;  // removed with the next successful save
  Replay replay_;
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
