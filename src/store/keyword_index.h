// The in-memory catalogue of the notes of one data folder, mirrored by the
// folder's "index2.txt". Entries keep the file's order; hash maps beside them
// make lookups by key and keyword constant-time.
//
// Saving is ordered so that no note is lost to a crash or a failed write:
// every changed note file is written (atomically) first, files of deleted
// entries are removed only after every write has succeeded, and "index2.txt"
// comes last. A note moved to a new key (moveNote, or storeNote of the new key
// plus an empty store of the old one) therefore never loses its old file
// before its new file is on the disk.
//
// Keys and keywords of entries change only through the index (storeNote,
// moveNote): calling IndexEntry::update on an entry directly bypasses the
// hash maps and the match table; call reindex() afterwards if you must.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

#include "store/journal.h"
#include "store/note.h"
#include "store/progress.h"
#include "store/view_table.h"

namespace tav {

inline std::string_view entryKey(const IndexEntry& e) { return e.key(); }
inline std::string_view entryKeyword(const IndexEntry& e) { return e.keyword(); }

class KeywordIndex {
 public:
  // Check filter values of collectMatches.
  static constexpr int kAnyCheck = 3;

  // Replaces the list by folder's "index2.txt". Without a readable one the
  // note files give the list (rebuildIndexText); a missing index is then
  // written at once (the folder created as needed).
  void load(const std::string& folder);
  enum class LoadKind { Read, RebuiltMissing, RebuiltUnreadable };
  // How the last load found "index2.txt".
  LoadKind loadKind() const { return rebuilt_; }
  // Writes changed note files (first) and then "index2.txt" of folder.
  // Returns false when any write failed (the old files stay whole; no file is
  // deleted in a save in which a note file could not be written).
  // Each note file written is a step of progress.
  //
  // Other programs and PCs write the folder too. A note file that changed on
  // disk since it was read or written here is never written over: when
  // neither side's text is the one read, both are kept, the other one as a
  // new note marked in its keyword (conflictKeywordAt); a note deleted here
  // but changed there stays. Then the index is made to list the note files
  // on disk (reconcileWithDisk) before it is written.
  bool save(const std::string& folder, const Progress& progress = {});
  // What the last save did about other programs' changes.
  struct SaveReport {
    std::size_t conflicts = 0;  // versions kept as new notes
    std::size_t taken = 0;      // notes whose other version replaced an unchanged one here
    std::size_t kept = 0;       // notes deleted here, kept as changed there
    std::size_t added = 0;      // note files listed that the index lacked
    std::size_t dropped = 0;    // entries dropped whose files another program deleted
  };
  const SaveReport& lastSaveReport() const { return report_; }
  // Makes the list match the note files on disk: files the list lacks are
  // added (with the lines of an "index2.txt" another program wrote since the
  // load, or of a sync engine's copy of it, else from their headers); entries
  // unchanged in this run whose files are gone are dropped. The index copies
  // read are removed once the index is written.
  void reconcileWithDisk();
  // Forgets the bodies read from files that changed since (one listing of
  // the folder's stamps); bodies changed here stay.
  std::size_t dropChangedBodies();
  // What another program did to key's note file, as a watch of the folder
  // reports it, taken into the list: a file the list lacks is listed
  // (Listed); an entry unchanged here follows its file, its line and body
  // read again (Changed); one unchanged here whose file is gone leaves the
  // list (Dropped). An entry changed here is left to the save, whose
  // conflict rule keeps both versions (Pending). A file with the stamp this
  // run read or wrote is no news (None), so the program's own writes are not.
  enum class DiskNews { None, Listed, Changed, Dropped, Pending };
  DiskNews takeNoteFromDisk(const std::string& key);
  // What the last save could not write: the notes (by keyword, or key when
  // it has none) and whether "index2.txt" was among them.
  struct SaveFailures {
    std::vector<std::string> notes;
    bool index = false;
    bool any() const { return index || !notes.empty(); }
  };
  const SaveFailures& lastSaveFailures() const { return failures_; }
  void clear();
  bool saveAndClear(const std::string& folder);

  // Exact key; whatever its status. nullptr when absent or empty.
  IndexEntry* findByKey(std::string_view key);
  const IndexEntry* findByKey(std::string_view key) const;
  // First entry in list order whose keyword equals keyword; whatever its status.
  IndexEntry* findByKeyword(std::string_view keyword);

  // Records the editor's state of one note; an empty key stores nothing.
  void storeNote(const std::string& body, const std::string& keyword, const std::string& key,
                 unsigned caret, bool checked);
  // The note's body (owned by the entry), check mark and caret; false when the
  // key is unknown or its file unreadable (outputs untouched then). A body
  // read earlier is read again when its file's stamp has changed since.
  bool fetchNote(std::string_view key, const std::string** body, bool* checked,
                 unsigned* caret);
  void setChecked(std::string_view key, char mark);

  // Appends the index lines of the matching live entries, in list order, and
  // returns the number of texts now in out.
  std::size_t collectMatches(std::string_view query, std::vector<std::string>& out,
                             std::string_view grep, int checkFilter);
  // The same filter, giving the entries themselves (no copies): for a list
  // that asks for its rows' texts only when it draws them. A body filter may
  // read note files: it tells its progress, and asked to stop it gives the
  // matches found so far.
  std::size_t collectMatchEntries(std::string_view query, std::vector<const IndexEntry*>& out,
                                  std::string_view grep, int checkFilter,
                                  const Progress& progress = {});
  // The same into out and runs (both emptied first), with the sub-folder run
  // of each entry: runs[k] is the run of out[k]. Neighbours in list order
  // whose keys share a sub-folder ("memo/") have one run; a key without one
  // is a run of its own. A list grouped by sub-folder then reads the key of
  // an entry only where the run changes.
  std::size_t collectMatchEntries(std::string_view query, std::vector<const IndexEntry*>& out,
                                  std::vector<std::uint32_t>& runs, std::string_view grep,
                                  int checkFilter, const Progress& progress = {});
  std::size_t countMatches(std::string_view query) const;
  // Puts text as a new first line before the body of every matching live note
  // except the one with skipKey (the note open in the editor, which takes the
  // text itself). Changed notes become Dirty, so the line reaches their files
  // at the next save.
  void prependToMatches(std::string_view query, std::string_view text, std::string_view skipKey);

  // A key not in the index and without a file, made from the stamp (its last
  // four digits are counted up while the key is taken).
  std::string uniqueKey(const std::string& subFolder, const std::string& stamp) const;
  // The key for the n-th (1-based) note of a batch (see batchKey in note.h),
  // counted on past keys already taken, so it is new even when two batches
  // fall in one second. Store each key before asking for the next.
  std::string uniqueBatchKey(const std::string& subFolder, const std::string& stamp,
                             int n) const;

  // Files the note under newKey: its body (read from its file when not cached)
  // goes to a new Dirty entry with the same keyword and check mark, the old
  // entry becomes Deleted. False (nothing changed) when oldKey is unknown, its
  // body cannot be read, or newKey is taken. The old file goes at the next
  // save, after the new one has been written.
  bool moveNote(std::string_view oldKey, const std::string& newKey, unsigned caret);

  // The stamp a journal record of key carries: the note file's when its body
  // was read or last written in this run, else the file's now (nothing for
  // no file).
  std::optional<FileStamp> baseStamp(std::string_view key) const;

  // Full path of the note file of key in this index's folder.
  std::string pathOf(std::string_view key) const { return notePath(folder_, key); }

  // Rebuilds the lookup maps and the match table after entries were changed directly.
  void reindex();

  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const IndexEntry& at(std::size_t i) const { return *entries_[i]; }
  IndexEntry& at(std::size_t i) { return *entries_[i]; }

  // A watch of the folder takes every change of a note file into the index
  // as it comes (takeNoteFromDisk): bodies in memory are current, and a body
  // filter need not list the files' stamps.
  bool bodiesFollowDisk = false;
  // Where the body filter takes the body of a note not in memory, while the
  // watch keeps such bodies current (a cache of the files' texts), instead
  // of opening each file. Null: the file. Nothing returned: unreadable.
  std::function<std::optional<std::string_view>(std::string_view key)> filterBody;

  // Where every change is journaled before it is made (none when null); load
  // applies a journal it finds, a successful save removes it.
  Journal* journal = nullptr;
  // Counts clears and loads: whatever was derived from the entries' files is
  // stale once it changes.
  std::uint64_t loadCount() const { return loads_; }
  // The data folder the entries' files live in ("data" or "data2").
  const std::string& folder() const { return folder_; }

 private:
  struct QueryWords;

  // The maps hold views into the entries' records: take an entry out before
  // its record changes and put it back after.
  void parseLines(std::string_view all);
  void addToMaps(IndexEntry* e);
  void removeFromMaps(IndexEntry* e);
  std::size_t placementOf(std::string_view key) const;
  void insertAt(std::size_t pos, IndexEntry* e);
  void refreshTable() const;
  // Calls fn(i) for every entry whose keyword matches the query, in list order.
  template <typename Fn>
  void forEachKeywordMatch(std::string_view query, Fn&& fn) const;
  // The entries the list shows: keyword match, not deleted, check filter, grep.
  template <typename Fn>
  void forEachListedMatch(std::string_view query, std::string_view grep, int checkFilter,
                          const Progress& progress,
                          Fn&& fn);
  bool keyTaken(const std::string& key) const;
  enum class DiskVerdict { Write, Skip, Fail };
  DiskVerdict checkDisk(IndexEntry* e, std::vector<IndexEntry>& copies);
  // The entry takes the file's text, keyword and marks as they are on disk.
  void adoptDisk(IndexEntry* e, const std::string& text, const std::optional<FileStamp>& stamp);
  void placeNew(std::vector<IndexEntry*>& added);
  // Adds the lines of the index copies a sync engine left to known; their paths.
  std::vector<std::string> readIndexCopies(
      std::unordered_map<std::string, std::string>& known) const;
  // At load: entries of those copies whose note files exist and the index lacks.
  void mergeIndexCopies();
  void removeEntries(const std::vector<IndexEntry*>& gone);
  std::size_t collectListed(std::string_view query, std::vector<const IndexEntry*>& out,
                            std::vector<std::uint32_t>* runs, std::string_view grep,
                            int checkFilter, const Progress& progress);

  // Entries live in storage_ (stable addresses, allocated in blocks) and are
  // ordered by entries_. Deleted entries stay until clear.
  std::deque<IndexEntry> storage_;
  std::vector<IndexEntry*> entries_;
  ViewTable<IndexEntry, &entryKey> byKey_;
  ViewTable<IndexEntry, &entryKeyword> byKeyword_;
  std::string folder_ = "data";
  LoadKind rebuilt_ = LoadKind::Read;
  SaveFailures failures_;
  SaveReport report_;
  std::uint64_t loads_ = 0;
  // "index2.txt" as loaded or last written here: another stamp means another
  // program wrote it since.
  std::optional<FileStamp> indexStamp_;
  // Copies of "index2.txt" a sync engine left, merged by reconcileWithDisk.
  std::vector<std::string> indexCopies_;
  // The body filter words the bodies were last checked against the disk for.
  std::string checkedGrep_;

  // Match table: every keyword folded to lower case, in list order, each
  // followed by LF (which no keyword holds), and where each starts; the
  // sub-folder run of each entry (collectMatchEntries). Rebuilt lazily after
  // an insertion or a keyword change.
  mutable std::string folded_;
  mutable std::vector<std::uint32_t> starts_;
  mutable std::vector<std::uint32_t> runs_;
  mutable bool tableStale_ = true;
};

}  // namespace tav
