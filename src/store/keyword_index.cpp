#include "store/keyword_index.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "store/match.h"
#include "store/rebuild.h"
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
  std::optional<std::string> text = readWholeFile(path);
  if (!text) {
    createFolder(exeDir() + folder);
    // Without its index a folder's notes would all be hidden, and the next
    // save would list only this run's: the note files give the index instead.
    // A missing one is written at once; one that exists but cannot be read
    // (held by another program) is replaced only by the next save.
    const bool missing = pathKind(path) == PathKind::None;
    text = rebuildIndexText(folder);
    if (missing) writeWholeFile(path, *text);
    rebuilt_ = missing ? (text->empty() ? LoadKind::Read : LoadKind::RebuiltMissing)
                       : LoadKind::RebuiltUnreadable;
  }
  parseLines(*text);
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

bool KeywordIndex::save(const std::string& folder, const Progress& progress) {
  // A key that a hand-made index holds twice has its file written or
  // deleted only for the entry that lookups give, never by a later twin.
  auto ownsFile = [this](const IndexEntry* e) {
    return isSafeNoteKey(e->key()) && findByKey(e->key()) == e;
  };
  bool ok = true;
  failures_ = SaveFailures();
  auto failed = [this, &ok](const IndexEntry* e) {
    ok = false;
    failures_.notes.emplace_back(e->keyword().empty() ? e->key() : e->keyword());
  };
  std::size_t toWrite = 0, written = 0;
  if (progress.report) {
    for (auto& e : entries_) toWrite += e->saveAction() == IndexEntry::SaveAction::Write;
  }
  for (auto& e : entries_) {
    if (e->saveAction() != IndexEntry::SaveAction::Write) continue;
    progress.step(++written, toWrite);  // a save is never stopped half way
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
    if (folder == folder_) {
      e->stamp = fileStampOf(path);
      e->stampKnown = true;
    }
  }
  // A note moved to a new key has its old entry Deleted: its file goes only
  // once every new file is safely written.
  if (ok) {
    for (auto& e : entries_)
      if (e->saveAction() == IndexEntry::SaveAction::Delete && ownsFile(e)) deleteFile(notePath(folder, e->key()));
  }
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
  }
  if (journal && folder == folder_) journal->saved(ok);
  return ok;
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
  if (body.empty()) return;
  IndexEntry* created = &storage_.emplace_back();
  created->rebuildRecord(key, keyword, body, caret, checked);
  created->status = EntryStatus::Dirty;
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
  forEachKeywordMatch(query, [&](std::size_t i) {
    IndexEntry* e = entries_[i];
    if (stopped || e->status == EntryStatus::Deleted) return;
    if (checkFilter != kAnyCheck && static_cast<std::uint32_t>(checkFilter) != e->checked) return;
    if (!grep.empty()) {
      if (!progress.step(i, entries_.size())) {
        stopped = true;
        return;
      }
      if (!e->bodyContainsAll(grep, folder_)) return;
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
