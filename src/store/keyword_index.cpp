#include "store/keyword_index.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <cstring>

#include "platform/platform.h"
#include "store/match.h"
#include "store/rebuild.h"
#include "store/sync_names.h"
#include "store/text.h"

namespace tav {

namespace {

// Index lines of at most this many bytes are blank lines or stray bytes.
constexpr std::size_t kMaxIgnoredLine = 5;

std::string indexPath(const std::string& folder) {
  std::string path = exeDir() + folder;
  path += kPathSep;
  path += "index2.txt";
  return path;
}

}  // namespace

// The query's non-empty words, case-insensitive, longest first (the longest
// is the rarest in practice, so it drives the scan).
struct KeywordIndex::QueryWords {
  std::vector<TextPattern> words;
  bool impossible = false;  // a word holds LF, which no keyword does

  explicit QueryWords(std::string_view query) {
    std::size_t start = 0;
    while (start <= query.size()) {
      std::size_t end = query.find_first_of(", ", start);
      if (end == std::string_view::npos) end = query.size();
      if (end > start) {
        words.emplace_back(query.substr(start, end - start), false);
        if (words.back().bytes().find('\n') != std::string::npos) impossible = true;
      }
      start = end + 1;
    }
    std::stable_sort(words.begin(), words.end(), [](const TextPattern& a, const TextPattern& b) {
      return a.bytes().size() > b.bytes().size();
    });
  }
};

// ---- load, save, clear

void KeywordIndex::load(const std::string& folder) {
  clear();
  folder_ = folder;
  std::string path = indexPath(folder);
  indexStamp_ = fileStampOf(path);
  std::optional<std::string> text = readWholeFile(path);
  if (!text) {
    createFolder(exeDir() + folder);
    // Without its index a folder's notes would all be hidden, and the next
    // save would list only this run's: the note files give the index instead.
    // A missing one is written at once; one that exists but cannot be read
    // (held by another program) is replaced only by the next save.
    const bool missing = pathKind(path) == PathKind::None;
    text = rebuildIndexText(folder);
    if (missing && writeWholeFile(path, *text)) indexStamp_ = fileStampOf(path);
    rebuilt_ = missing ? (text->empty() ? LoadKind::Read : LoadKind::RebuiltMissing)
                       : LoadKind::RebuiltUnreadable;
  }
  parseLines(*text);
  // Another PC's notes that a sync engine kept in a copy of the index when
  // both PCs closed at once: listed from the start, not only after a save.
  mergeIndexCopies();
  if (journal) journal->loaded(*this);
}

void KeywordIndex::parseLines(std::string_view all) {
  entries_.reserve(static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')) + 1);
  byKey_.reserve(entries_.capacity());
  byKeyword_.reserve(entries_.capacity());
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    std::string_view piece = all.substr(start, end - start);
    if (piece.size() > kMaxIgnoredLine) {
      IndexEntry* e = &storage_.emplace_back(IndexEntry::fromLine(piece));
      e->position = entries_.size();
      addToMaps(e);
      entries_.push_back(e);
    }
    start = end + 1;
  }
}

std::optional<FileStamp> KeywordIndex::baseStamp(std::string_view key) const {
  const IndexEntry* e = findByKey(key);
  if (e && e->stampKnown) return e->stamp;
  if (!isSafeNoteKey(key)) return std::nullopt;
  return fileStampOf(notePath(folder_, key));
}

KeywordIndex::DiskVerdict KeywordIndex::checkDisk(IndexEntry* e,
                                                  std::vector<IndexEntry>& copies) {
  const std::string path = pathOf(e->key());
  const std::optional<FileStamp> now = fileStampOf(path);
  if (now == e->stamp) return DiskVerdict::Write;
  const bool deleting = e->saveAction() == IndexEntry::SaveAction::Delete;
  // Gone: deleted there, edited or deleted here; the edit is kept.
  if (!now) return DiskVerdict::Write;
  std::optional<std::string> text = readWholeFile(path);
  // Unreadable (held by its writer): writing over it could lose its change,
  // so the note waits for the next save and the journal keeps it meanwhile.
  if (!text) return deleting ? DiskVerdict::Skip : DiskVerdict::Fail;
  const std::uint64_t theirs = fileContentHash(*text);
  if (theirs == e->baseContent) return DiskVerdict::Write;  // touched, not changed
  if (deleting) {
    // Changed there, deleted here: the changed text stays a note.
    adoptDisk(e, *text, now);
    ++report_.kept;
    return DiskVerdict::Skip;
  }
  const std::uint64_t ours = e->contentHash();
  if (ours == theirs || ours == e->baseContent) {
    // The same text on both sides, or changed only there: the file is right.
    if (ours != theirs) ++report_.taken;
    adoptDisk(e, *text, now);
    return DiskVerdict::Skip;
  }
  IndexEntry copy;
  const bool checked = IndexEntry::fromLine(indexLineFor(e->key(), text)).checked != 0;
  copy.rebuildRecord(e->key(), conflictKeywordAt(noteKeywordOf(*text), localTimeOf(nowSeconds())),
                     noteBodyOf(*text), 0, checked);
  copies.push_back(std::move(copy));
  return DiskVerdict::Write;
}

void KeywordIndex::adoptDisk(IndexEntry* e, const std::string& text,
                             const std::optional<FileStamp>& stamp) {
  removeFromMaps(e);
  IndexEntry fresh = IndexEntry::fromLine(indexLineFor(e->key(), text));
  e->record = std::move(fresh.record);
  e->checked = fresh.checked;
  addToMaps(e);
  tableStale_ = true;
  e->status = EntryStatus::Clean;
  e->setBody(noteBodyOf(text));
  e->stamp = stamp;
  e->stampKnown = true;
  e->baseContent = fileContentHash(text);
}

bool KeywordIndex::save(const std::string& folder, const Progress& progress) {
  // A key that a hand-made index holds twice has its file written or
  // deleted only for the entry that lookups give, never by a later twin.
  auto ownsFile = [this](const IndexEntry* e) {
    return isSafeNoteKey(e->key()) && findByKey(e->key()) == e;
  };
  bool ok = true;
  failures_ = SaveFailures();
  report_ = SaveReport();
  auto failed = [this, &ok](const IndexEntry* e) {
    ok = false;
    failures_.notes.emplace_back(e->keyword().empty() ? e->key() : e->keyword());
  };
  const bool own = folder == folder_;
  // First what other programs did to the files this run read or wrote.
  std::vector<IndexEntry*> toWrite, toDelete;
  std::vector<IndexEntry> copies;
  for (auto& e : entries_) {
    const IndexEntry::SaveAction action = e->saveAction();
    if (action == IndexEntry::SaveAction::Leave) continue;
    DiskVerdict v = DiskVerdict::Write;
    if (own && e->stampKnown && ownsFile(e)) v = checkDisk(e, copies);
    if (v == DiskVerdict::Fail) failed(e);
    if (v != DiskVerdict::Write) continue;
    (action == IndexEntry::SaveAction::Write ? toWrite : toDelete).push_back(e);
  }
  // The other versions become notes beside theirs, written before the file
  // they came from is written over.
  std::vector<IndexEntry*> first;
  for (IndexEntry& c : copies) {
    std::string key(c.key());
    std::string sub(keyPrefix(key));
    if (!sub.empty()) sub.pop_back();
    const std::string copyKey = uniqueKey(sub, key.substr(sub.size() + 1));
    storeNote(c.body, std::string(c.keyword()), copyKey, 0, c.checked != 0);
    if (IndexEntry* made = findByKey(copyKey)) first.push_back(made);
    ++report_.conflicts;
  }
  toWrite.insert(toWrite.begin(), first.begin(), first.end());
  std::size_t written = 0;
  for (IndexEntry* e : toWrite) {
    progress.step(++written, toWrite.size());  // a save is never stopped half way
    // A changed note whose key cannot be a path is not written: a failure,
    // so that no old file is deleted on its account.
    if (!isSafeNoteKey(e->key())) {
      failed(e);
      continue;
    }
    if (!ownsFile(e)) continue;
    const std::string path = notePath(folder, e->key());
    if (!writeWholeFile(path, e->composeNoteFile())) {
      failed(e);
      continue;
    }
    if (own) {
      e->stamp = fileStampOf(path);
      e->stampKnown = true;
      e->baseContent = e->contentHash();
      e->status = EntryStatus::Clean;
    }
  }
  // A note moved to a new key has its old entry Deleted: its file goes only
  // once every new file is safely written.
  // A file that cannot be deleted fails the save too: left out of the index
  // but on disk, the next save would list it as a note again, so the journal
  // must keep the deletion.
  if (ok) {
    for (IndexEntry* e : toDelete)
      if (ownsFile(e) && !deleteFile(notePath(folder, e->key())) &&
          pathKind(notePath(folder, e->key())) != PathKind::None)
        failed(e);
  }
  if (own) reconcileWithDisk();
  std::string text;
  std::size_t total = 0;
  for (auto& e : entries_) total += e->record.size();
  text.reserve(total);
  for (auto& e : entries_) {
    if (e->status == EntryStatus::Deleted) continue;
    std::string_view line = e->lineView();
    text.append(line);
    // load ignores lines of 5 bytes or fewer and drops a CR at a line's end;
    // commas at either end are trimmed anyway, so padding with them keeps
    // such an entry (only a hand-made index has one) as it is.
    if (line.size() <= kMaxIgnoredLine)
      text.append(kMaxIgnoredLine + 1 - line.size(), ',');
    else if (line.back() == '\r')
      text += ',';
    text += '\n';
  }
  if (!writeWholeFile(indexPath(folder), text)) {
    ok = false;
    failures_.index = true;
  } else if (own) {
    indexStamp_ = fileStampOf(indexPath(folder));
    // Their entries are in the index now.
    for (const std::string& copy : indexCopies_) deleteFile(copy);
  }
  indexCopies_.clear();
  if (journal && own) journal->saved(ok);
  return ok;
}

namespace {

// Adds the entries of an index text to lines by key; the first line of a key wins.
void collectLines(std::string_view all, std::unordered_map<std::string, std::string>& lines) {
  for (std::size_t start = 0; start < all.size();) {
    std::size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    std::string_view line = all.substr(start, end - start);
    if (line.size() > kMaxIgnoredLine) {
      IndexEntry e = IndexEntry::fromLine(line);
      if (isSafeNoteKey(e.key())) lines.emplace(std::string(e.key()), e.recordText());
    }
    start = end + 1;
  }
}

}  // namespace

std::vector<std::string> KeywordIndex::readIndexCopies(
    std::unordered_map<std::string, std::string>& known) const {
  const std::string base = exeDir() + folder_ + kPathSep;
  std::vector<std::string> read;
  std::vector<std::pair<std::string, FileStamp>> top;
  listFolderStamps(base, top);
  for (const auto& [name, stamp] : top) {
    if (!isIndexCopyName(name)) continue;
    if (std::optional<std::string> text = readWholeFile(base + name)) {
      collectLines(*text, known);
      read.push_back(base + name);
    }
  }
  return read;
}

void KeywordIndex::mergeIndexCopies() {
  std::unordered_map<std::string, std::string> known;
  if (readIndexCopies(known).empty()) return;
  // Only the notes that exist: a copy may be older than a deletion.
  std::vector<IndexEntry*> added;
  for (const auto& [key, line] : known) {
    if (findByKey(key) || pathKind(pathOf(key)) != PathKind::File) continue;
    added.push_back(&storage_.emplace_back(IndexEntry::fromLine(line)));
  }
  std::sort(added.begin(), added.end(),
            [](const IndexEntry* a, const IndexEntry* b) { return a->key() < b->key(); });
  placeNew(added);
}

void KeywordIndex::reconcileWithDisk() {
  const std::string base = exeDir() + folder_ + kPathSep;
  // What other copies of the index know: one another PC's close wrote over
  // this one's, and the copies a sync engine kept of the losing side.
  std::unordered_map<std::string, std::string> known;
  const std::string path = indexPath(folder_);
  const std::optional<FileStamp> now = fileStampOf(path);
  if (now && !(now == indexStamp_)) {
    if (std::optional<std::string> text = readWholeFile(path)) collectLines(*text, known);
  }
  indexCopies_ = readIndexCopies(known);
  const std::vector<std::string> onDisk = noteKeysOn(folder_);
  std::unordered_set<std::string_view> present(onDisk.begin(), onDisk.end());
  std::vector<IndexEntry*> gone;
  for (IndexEntry* e : entries_) {
    // Only a file that another program deleted: what changed here is kept
    // (a failed write stays Dirty) and a key no file can have is left alone.
    if (e->status == EntryStatus::Clean && isSafeNoteKey(e->key()) && !present.count(e->key()))
      gone.push_back(e);
  }
  removeEntries(gone);
  report_.dropped = gone.size();
  std::vector<IndexEntry*> added;
  for (const std::string& key : onDisk) {
    if (findByKey(key)) continue;  // also one deleted here: its deletion stands
    auto it = known.find(key);
    std::string line = it != known.end() ? it->second
                                         : indexLineFor(key, readWholeFile(base + key));
    added.push_back(&storage_.emplace_back(IndexEntry::fromLine(line)));
  }
  report_.added = added.size();
  placeNew(added);
}

void KeywordIndex::removeEntries(const std::vector<IndexEntry*>& gone) {
  if (gone.empty()) return;
  std::unordered_set<const IndexEntry*> out(gone.begin(), gone.end());
  for (IndexEntry* e : gone) {
    removeFromMaps(e);
    // Out of the list for good; its storage stays until clear, so a row
    // that still points at it reads a deleted entry, never freed memory.
    e->status = EntryStatus::Deleted;
  }
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const IndexEntry* e) { return out.count(e) != 0; }),
                 entries_.end());
  for (std::size_t i = 0; i < entries_.size(); ++i) entries_[i]->position = i;
  tableStale_ = true;
}

void KeywordIndex::placeNew(std::vector<IndexEntry*>& added) {
  if (added.empty()) return;
  // As storeNote places one new note, in one pass for all: each joins the
  // first run of its sub-folder's entries, or goes at the end.
  std::unordered_map<std::string_view, std::vector<IndexEntry*>> bySub;
  std::vector<std::string_view> order;
  for (IndexEntry* e : added) {
    std::string_view sub = keyPrefix(e->key());
    auto& v = bySub[sub];
    if (v.empty()) order.push_back(sub);
    v.push_back(e);
  }
  std::vector<IndexEntry*> merged;
  merged.reserve(entries_.size() + added.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    merged.push_back(entries_[i]);
    std::string_view sub = keyPrefix(entries_[i]->key());
    bool runEnds = i + 1 < entries_.size() && keyPrefix(entries_[i + 1]->key()) != sub;
    auto it = bySub.find(sub);
    if (runEnds && it != bySub.end() && !it->second.empty()) {
      merged.insert(merged.end(), it->second.begin(), it->second.end());
      it->second.clear();
    }
  }
  for (std::string_view sub : order) {
    auto& v = bySub[sub];
    merged.insert(merged.end(), v.begin(), v.end());
  }
  entries_ = std::move(merged);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    entries_[i]->position = i;
  }
  for (IndexEntry* e : added) addToMaps(e);
  tableStale_ = true;
}

KeywordIndex::DiskNews KeywordIndex::takeNoteFromDisk(const std::string& key) {
  if (!isSafeNoteKey(key)) return DiskNews::None;
  const std::string path = pathOf(key);
  const std::optional<FileStamp> now =
      pathKind(path) == PathKind::File ? fileStampOf(path) : std::nullopt;
  IndexEntry* e = findByKey(key);
  if (!e) {
    if (!now) return DiskNews::None;
    std::vector<IndexEntry*> added{&storage_.emplace_back(
        IndexEntry::fromLine(indexLineFor(key, readWholeFile(path))))};
    placeNew(added);
    return DiskNews::Listed;
  }
  if (e->status == EntryStatus::Deleted) return DiskNews::None;  // its deletion stands
  if (!now) {
    if (e->status != EntryStatus::Clean) return DiskNews::Pending;  // the edit is kept
    removeEntries({e});
    return DiskNews::Dropped;
  }
  if (e->stampKnown && now == e->stamp) return DiskNews::None;
  if (e->status != EntryStatus::Clean) return DiskNews::Pending;
  std::optional<std::string> text = readWholeFile(path);
  if (!text) return DiskNews::None;  // held by its writer: the next news reads it
  adoptDisk(e, *text, now);
  return DiskNews::Changed;
}

std::size_t KeywordIndex::dropChangedBodies() {
  std::size_t dropped = 0;
  forEachFileStamp(folder_, [&](const std::string& key, const FileStamp& stamp) {
    IndexEntry* e = findByKey(key);
    if (!e || e->status != EntryStatus::Clean || !e->bodyLoaded || !e->stampKnown ||
        e->stamp == stamp)
      return;
    e->forgetBody(true);
    ++dropped;
  });
  return dropped;
}

void KeywordIndex::clear() {
  ++loads_;
  entries_.clear();
  storage_.clear();
  byKey_.clear();
  byKeyword_.clear();
  folded_.clear();
  starts_.clear();
  runs_.clear();
  tableStale_ = true;
  rebuilt_ = LoadKind::Read;
  indexStamp_.reset();
  indexCopies_.clear();
  checkedGrep_.clear();
}

bool KeywordIndex::saveAndClear(const std::string& folder) {
  bool ok = save(folder);
  clear();
  return ok;
}

// ---- lookups

void KeywordIndex::addToMaps(IndexEntry* e) {
  byKey_.insert(e);
  if (!e->keyword().empty()) byKeyword_.insert(e);
}

void KeywordIndex::removeFromMaps(IndexEntry* e) {
  byKey_.erase(e);
  byKeyword_.erase(e);
}

namespace {

// The first entry in list order among those the table gives for text.
template <typename Table>
IndexEntry* firstOf(const Table& table, std::string_view text) {
  IndexEntry* first = nullptr;
  table.forEach(text, [&](IndexEntry* e) {
    if (!first || e->position < first->position) first = e;
  });
  return first;
}

}  // namespace

void KeywordIndex::reindex() {
  byKey_.clear();
  byKeyword_.clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    entries_[i]->position = i;
    addToMaps(entries_[i]);
  }
  tableStale_ = true;
}

// No entry has the empty key (hasKey): a line without one in a hand-made
// index must not be found, or a store under it would shift its fields.
IndexEntry* KeywordIndex::findByKey(std::string_view key) {
  return key.empty() ? nullptr : firstOf(byKey_, key);
}

const IndexEntry* KeywordIndex::findByKey(std::string_view key) const {
  return key.empty() ? nullptr : firstOf(byKey_, key);
}

IndexEntry* KeywordIndex::findByKeyword(std::string_view keyword) {
  if (keyword.empty()) return nullptr;
  return firstOf(byKeyword_, keyword);
}

bool KeywordIndex::keyTaken(const std::string& key) const {
  if (findByKey(key)) return true;
  return isSafeNoteKey(key) && pathKind(notePath(folder_, key)) != PathKind::None;
}

std::string KeywordIndex::uniqueKey(const std::string& subFolder,
                                    const std::string& stamp) const {
  for (int k = 0;; ++k) {
    std::string key = makeNoteKey(safeFolderName(subFolder), bumpStamp(stamp, k));
    if (!keyTaken(key)) return key;
  }
}

std::string KeywordIndex::uniqueBatchKey(const std::string& subFolder, const std::string& stamp,
                                         int n) const {
  if (n < 1) n = 1;
  for (int k = 0;; ++k) {
    std::string key = batchKey(safeFolderName(subFolder), stamp, n + 10 * k);
    if (!keyTaken(key)) return key;
  }
}

// ---- storing

std::size_t KeywordIndex::placementOf(std::string_view key) const {
  // New notes join the run of their sub-folder's entries. The last entry is
  // never examined, so a run at the very end is followed, not joined.
  std::string_view prefix = keyPrefix(key);
  if (prefix.empty()) prefix = key;
  const std::size_t n = entries_.size();
  bool remembered = false;
  std::size_t after = 0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    std::string_view k = entries_[i]->key();
    if (k.substr(0, prefix.size()) == prefix) {
      remembered = true;
      after = i;
    } else if (remembered) {
      return after + 1;
    }
  }
  return n;
}

void KeywordIndex::insertAt(std::size_t pos, IndexEntry* e) {
  addToMaps(e);
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(pos), e);
  for (std::size_t i = pos; i < entries_.size(); ++i) entries_[i]->position = i;
  tableStale_ = true;
}

void KeywordIndex::storeNote(const std::string& body, const std::string& keyword,
                             const std::string& key, unsigned caret, bool checked) {
  if (key.empty()) return;  // its line would lose the key field
  if (journal && storeWouldChange(*this, body, keyword, key, caret, checked)) {
    std::optional<FileStamp> base = baseStamp(key);
    journal->stored(body, keyword, key, caret, checked, &base);
  }
  IndexEntry* e = findByKey(key);
  if (e) {
    if (body.empty()) {
      e->status = EntryStatus::Deleted;
      return;
    }
    // A Deleted entry that gets its text back is live again, even when the
    // text equals the cached body.
    if (e->status == EntryStatus::Deleted || body != e->body || !e->keywordEquals(keyword))
      e->status = EntryStatus::Dirty;
    std::string oldKeyword(e->keyword());
    removeFromMaps(e);
    e->update(keyword, body, caret, checked);
    addToMaps(e);
    if (e->keyword() != oldKeyword) tableStale_ = true;
    return;
  }
  IndexEntry* created = nullptr;
  if (body.empty()) {
    // A file without an entry: a save that could not delete it left it out
    // of the index, and the journal's deletion comes back. It must go, or
    // the next save would list it again as a note on disk.
    if (!isSafeNoteKey(key) || pathKind(pathOf(key)) != PathKind::File) return;
    created = &storage_.emplace_back();
    created->rebuildRecord(key, keyword, "", caret, checked);
    created->status = EntryStatus::Deleted;
  } else {
    created = &storage_.emplace_back();
    created->rebuildRecord(key, keyword, body, caret, checked);
    created->status = EntryStatus::Dirty;
  }
  insertAt(placementOf(key), created);
}

bool KeywordIndex::moveNote(std::string_view oldKey, const std::string& newKey, unsigned caret) {
  IndexEntry* e = findByKey(oldKey);
  if (!e || e->status == EntryStatus::Deleted || keyTaken(newKey) || !isSafeNoteKey(newKey))
    return false;
  const std::string* b = e->loadBody(folder_);
  if (!b || b->empty()) return false;
  std::string body = *b;
  std::string keyword(e->keyword());
  bool checked = e->checked != 0;
  JournalBatch batch(journal);
  if (journal) {
    std::optional<FileStamp> base = baseStamp(oldKey);
    journal->stored("", keyword, oldKey, 0, false, &base);
  }
  e->status = EntryStatus::Deleted;
  storeNote(body, keyword, newKey, caret, checked);
  return true;
}

bool KeywordIndex::fetchNote(std::string_view key, const std::string** body, bool* checked,
                             unsigned* caret) {
  IndexEntry* e = findByKey(key);
  if (!e) return false;
  // One stamp check: a note another program changed opens with its new text.
  e->dropStaleBody(folder_);
  const std::string* b = e->loadBody(folder_);
  if (!b) return false;
  if (body) *body = b;
  if (checked) *checked = e->checked != 0;
  if (caret) *caret = static_cast<unsigned>(std::max(0, textToInt(e->field(2))));
  return true;
}

void KeywordIndex::setChecked(std::string_view key, char mark) {
  IndexEntry* e = findByKey(key);
  if (!e || !e->loadBody(folder_)) return;
  if (journal) journal->checked(key, mark);
  std::string& r = e->record;
  std::size_t p = 0;
  for (int i = 0; i < 3 && p != std::string::npos; ++i) p = r.find(',', i == 0 ? 0 : p + 1);
  // A line without a check field (only a hand-made index has one) keeps its
  // mark: a mark set only in memory would be lost at the next save.
  if (p == std::string::npos || p + 1 >= r.size()) return;
  removeFromMaps(e);
  if (r[p + 1] == ',')
    r.insert(p + 1, 1, mark);  // an empty check field gets the mark
  else
    r[p + 1] = mark;
  addToMaps(e);
  e->checked = mark == '1' ? 1 : 0;
  e->checkedAtStore = mark == '1';
}

// ---- matching

void KeywordIndex::refreshTable() const {
  if (!tableStale_) return;
  folded_.clear();
  starts_.clear();
  std::size_t total = 0;
  for (auto& e : entries_) total += e->keyword().size() + 1;
  folded_.reserve(total);
  starts_.reserve(entries_.size() + 1);
  runs_.clear();
  runs_.reserve(entries_.size());
  std::uint32_t run = 0;
  std::string_view folder;
  for (auto& e : entries_) {
    const std::string_view next = keyPrefix(e->key());
    if (!runs_.empty() && (next.empty() || next != folder)) ++run;
    runs_.push_back(run);
    folder = next;
    starts_.push_back(static_cast<std::uint32_t>(folded_.size()));
    std::size_t at = folded_.size();
    folded_.append(e->keyword());
    foldLowerInPlace(folded_, at);
    folded_ += '\n';
  }
  starts_.push_back(static_cast<std::uint32_t>(folded_.size()));
  tableStale_ = false;
}

namespace {

// The row whose slice of the keyword table holds byte at, searching on from
// row (whose start is at or before it). Hits come in order and mostly close
// together (a word in every keyword hits every row), so the search gallops
// forward from row instead of halving everything after it.
std::size_t rowAt(const std::vector<std::uint32_t>& starts, std::size_t row, std::uint32_t at) {
  std::size_t lo = row, hi = row + 1, step = 1;
  while (hi < starts.size() && starts[hi] <= at) {
    lo = hi;
    hi += step;
    step *= 2;
  }
  if (hi > starts.size()) hi = starts.size();
  auto first = starts.begin();
  return static_cast<std::size_t>(std::upper_bound(first + static_cast<std::ptrdiff_t>(lo),
                                                   first + static_cast<std::ptrdiff_t>(hi), at) -
                                  first) -
         1;
}

// table.find(word, from) with plain loops for the nearest bytes: when most
// keywords hold the word, the next hit is a few bytes on, and a library call
// per hit costs more than looking there.
std::size_t findWord(std::string_view table, std::string_view word, std::size_t from) {
  const std::size_t n = word.size();
  if (n == 0 || from > table.size() || n > table.size() - from) return std::string_view::npos;
  const char* t = table.data();
  const char* last = t + (table.size() - n);  // where the last possible hit starts
  const char first = word[0];
  for (const char* p = t + from; p <= last; ++p) {
    const char* near = last - p < 16 ? last + 1 : p + 16;
    while (p < near && *p != first) ++p;
    if (p == near) {
      if (near > last) break;
      p = static_cast<const char*>(std::memchr(p, first, static_cast<std::size_t>(last - p) + 1));
      if (!p) break;
    }
    std::size_t k = 1;
    while (k < n && p[k] == word[k]) ++k;
    if (k == n) return static_cast<std::size_t>(p - t);
  }
  return std::string_view::npos;
}

}  // namespace

template <typename Fn>
void KeywordIndex::forEachKeywordMatch(std::string_view query, Fn&& fn) const {
  QueryWords q(query);
  if (q.impossible) return;
  const std::size_t n = entries_.size();
  if (q.words.empty()) {
    for (std::size_t i = 0; i < n; ++i) fn(i);
    return;
  }
  refreshTable();
  // One search over all folded keywords for the longest word; each hit names
  // its row. The fast byte search does not know where characters start, so
  // the hit counts only if it is one within its keyword (ア holds an "A");
  // the keyword is then checked for the other words.
  std::string_view table(folded_);
  const TextPattern& lead = q.words[0];
  std::size_t from = 0;
  std::size_t row = 0;
  for (;;) {
    std::size_t hit = findWord(table, lead.bytes(), from);
    if (hit == std::string_view::npos) break;
    // A word in most keywords hits the row the search started in.
    if (starts_[row + 1] <= hit) row = rowAt(starts_, row, static_cast<std::uint32_t>(hit));
    std::string_view slice = table.substr(starts_[row], starts_[row + 1] - starts_[row] - 1);
    if (!lead.at(slice, hit - starts_[row])) {
      from = hit + 1;
      continue;
    }
    bool all = true;
    for (std::size_t w = 1; w < q.words.size() && all; ++w)
      all = q.words[w].findInFolded(slice) != TextPattern::npos;
    if (all) fn(row);
    from = starts_[row + 1];
    ++row;
  }
}

template <typename Fn>
void KeywordIndex::forEachListedMatch(std::string_view query, std::string_view grep,
                                      int checkFilter, const Progress& progress, Fn&& fn) {
  bool stopped = false;
  // Bodies read before may have changed on disk since: checked once for each
  // new set of filter words, never on every key release.
  if (!grep.empty() && grep != checkedGrep_ && !bodiesFollowDisk) {
    dropChangedBodies();
    checkedGrep_.assign(grep);
  }
  forEachKeywordMatch(query, [&](std::size_t i) {
    IndexEntry* e = entries_[i];
    if (stopped || e->status == EntryStatus::Deleted) return;
    if (checkFilter != kAnyCheck && static_cast<std::uint32_t>(checkFilter) != e->checked) return;
    if (!grep.empty()) {
      if (!progress.step(i, entries_.size())) {
        stopped = true;
        return;
      }
      const bool held = e->bodyLoaded || !filterBody;
      if (held ? !e->bodyContainsAll(grep, folder_)
               : !e->bodyContainsAll(grep, filterBody(e->key())))
        return;
    }
    fn(i, e);
  });
}

std::size_t KeywordIndex::collectMatchEntries(std::string_view query,
                                              std::vector<const IndexEntry*>& out,
                                              std::string_view grep, int checkFilter,
                                              const Progress& progress) {
  return collectListed(query, out, nullptr, grep, checkFilter, progress);
}

std::size_t KeywordIndex::collectMatchEntries(std::string_view query,
                                              std::vector<const IndexEntry*>& out,
                                              std::vector<std::uint32_t>& runs,
                                              std::string_view grep, int checkFilter,
                                              const Progress& progress) {
  out.clear();
  runs.clear();
  refreshTable();  // an empty query does not search the table, but needs its runs
  return collectListed(query, out, &runs, grep, checkFilter, progress);
}

std::size_t KeywordIndex::collectListed(std::string_view query,
                                        std::vector<const IndexEntry*>& out,
                                        std::vector<std::uint32_t>* runs, std::string_view grep,
                                        int checkFilter, const Progress& progress) {
  if (!grep.empty()) {
    forEachListedMatch(query, grep, checkFilter, progress, [&](std::size_t i, IndexEntry* e) {
      out.push_back(e);
      if (runs) runs->push_back(runs_[i]);
    });
    return out.size();
  }
  // Without a body filter, the keyword hits are taken first and their
  // entries looked at afterwards: those loads (one per listed entry, spread
  // over memory) then overlap instead of each waiting behind the search.
  const std::size_t from = out.size();
  if (query.find_first_not_of(", ") == std::string_view::npos) {
    // No word: every entry, copied as a block.
    out.insert(out.end(), entries_.begin(), entries_.end());
    if (runs) runs->insert(runs->end(), runs_.begin(), runs_.end());
  } else if (runs) {
    forEachKeywordMatch(query, [&](std::size_t i) {
      out.push_back(entries_[i]);
      runs->push_back(runs_[i]);
    });
  } else {
    forEachKeywordMatch(query, [&](std::size_t i) { out.push_back(entries_[i]); });
  }
  std::size_t kept = from;
  const std::size_t n = out.size();
  for (std::size_t k = from; k < n; ++k) {
    const IndexEntry* e = out[k];
    if (e->status == EntryStatus::Deleted) continue;
    if (checkFilter != kAnyCheck && static_cast<std::uint32_t>(checkFilter) != e->checked) continue;
    if (kept != k) {
      out[kept] = e;
      if (runs) (*runs)[kept - from] = (*runs)[k - from];
    }
    ++kept;
  }
  out.resize(kept);
  if (runs) runs->resize(kept - from);
  return out.size();
}

std::size_t KeywordIndex::collectMatches(std::string_view query, std::vector<std::string>& out,
                                         std::string_view grep, int checkFilter) {
  forEachListedMatch(query, grep, checkFilter, Progress{},
                     [&](std::size_t, IndexEntry* e) { out.emplace_back(e->lineView()); });
  return out.size();
}

std::size_t KeywordIndex::countMatches(std::string_view query) const {
  std::size_t count = 0;
  forEachKeywordMatch(query, [&](std::size_t i) {
    if (entries_[i]->status != EntryStatus::Deleted) ++count;
  });
  return count;
}

void KeywordIndex::prependToMatches(std::string_view query, std::string_view text,
                                    std::string_view skipKey) {
  std::vector<IndexEntry*> hits;
  forEachKeywordMatch(query, [&](std::size_t i) { hits.push_back(entries_[i]); });
  JournalBatch batch(journal);
  for (IndexEntry* e : hits) {
    if (e->status == EntryStatus::Deleted || e->hasKey(skipKey)) continue;
    if (!e->prependLine(text, folder_)) continue;
    // Written at the next save with the values the index line holds.
    e->status = EntryStatus::Dirty;
    e->checkedAtStore = e->checked != 0;
    e->caret = static_cast<std::uint32_t>(std::max(0, textToInt(e->field(2))));
    if (journal) {
      std::optional<FileStamp> base = baseStamp(e->key());
      journal->stored(e->body, e->keyword(), e->key(), e->caret, e->checkedAtStore, &base);
    }
  }
}

}  // namespace tav
