#include "store/journal.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/system.h"
#include "store/keyword_index.h"
#include "store/text.h"

namespace tav {

const char* const kJournalName = "journal.dat";
const char* const kRecoveredMark = " (復元)";

bool isAsideJournalName(std::string_view name) {
  constexpr std::string_view head = "journal-", tail = ".dat";
  if (name.size() <= head.size() + tail.size() || name.substr(0, head.size()) != head ||
      name.substr(name.size() - tail.size()) != tail)
    return false;
  std::string_view digits = name.substr(head.size(), name.size() - head.size() - tail.size());
  return digits.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string journalPath(const std::string& folder) {
  std::string path = exeDir() + folder;
  path += kPathSep;
  path += kJournalName;
  return path;
}

namespace {

// CRC-32 (the polynomial of zip and PNG).
std::uint32_t crc32(std::string_view a, std::string_view b) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t {};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::string_view s : {a, b})
    for (unsigned char ch : s) c = table[(c ^ ch) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

constexpr std::size_t kHeader = 1 + 8 + 8 + 1;

std::string hex8(std::uint32_t v) {
  static const char digits[] = "0123456789abcdef";
  std::string s(8, '0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = digits[v & 15];
  return s;
}

bool parseHex8(std::string_view s, std::uint32_t* out) {
  std::uint32_t v = 0;
  for (char c : s) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) return false;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  *out = v;
  return true;
}

void putField(std::string& out, std::string_view field) {
  out += std::to_string(field.size());
  out += ':';
  out.append(field);
}

// Reads the fields of a payload one by one; any fault makes ok() false.
class Fields {
 public:
  explicit Fields(std::string_view s) : s_(s) {}
  std::string_view next() {
    std::size_t colon = s_.find(':', pos_);
    if (!ok_ || colon == std::string_view::npos || colon == pos_ || colon - pos_ > 10) {
      ok_ = false;
      return {};
    }
    std::size_t len = 0;
    for (std::size_t i = pos_; i < colon; ++i) {
      if (s_[i] < '0' || s_[i] > '9') {
        ok_ = false;
        return {};
      }
      len = len * 10 + static_cast<std::size_t>(s_[i] - '0');
    }
    if (len > s_.size() - colon - 1) {
      ok_ = false;
      return {};
    }
    pos_ = colon + 1 + len;
    return s_.substr(colon + 1, len);
  }
  bool ok() const { return ok_; }
  bool done() const { return pos_ == s_.size(); }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

bool parseCaret(std::string_view s, unsigned* out) {
  if (s.empty() || s.size() > 9) return false;
  unsigned v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  *out = v;
  return true;
}

std::string stampText(const std::optional<FileStamp>& st) {
  return st ? std::to_string(st->size) + "." + std::to_string(st->time) : std::string();
}

bool parseNumber(std::string_view s, std::uint64_t* out) {
  if (s.empty() || s.size() > 19 || s.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  std::uint64_t v = 0;
  for (char c : s) v = v * 10 + static_cast<std::uint64_t>(c - '0');
  *out = v;
  return true;
}

bool parseStamp(std::string_view s, std::optional<FileStamp>* out) {
  if (s.empty()) {
    out->reset();
    return true;
  }
  std::size_t dot = s.find('.');
  FileStamp st;
  if (dot == std::string_view::npos || !parseNumber(s.substr(0, dot), &st.size) ||
      !parseNumber(s.substr(dot + 1), &st.time))
    return false;
  *out = st;
  return true;
}

// A T record during a replay: applied where the note file is as this
// journal's run left it, else its texts go to a new note beside the file.
bool applyStamped(KeywordIndex& index, std::string_view key, std::string_view keyword,
                  unsigned caret, bool checked, std::string_view body, Replay& r) {
  std::string k(key), kw(keyword), b(body);
  Replay::Note* n = r.find(key);
  if (!n) return false;  // learn saw every record
  if (n->verdict == 0) {
    const std::string path = index.pathOf(key);
    std::optional<FileStamp> now = fileStampOf(path);
    bool ours = std::find(n->bases.begin(), n->bases.end(), now) != n->bases.end();
    if (!ours && !now) {
      // Gone: a deletion of this run got that far, or someone else deleted
      // it, and then the text comes back, which loses nothing.
      ours = true;
    }
    if (!ours) {
      std::optional<std::string> text = readWholeFile(path);
      ours = text && std::find(n->bodies.begin(), n->bodies.end(), noteBodyOf(*text)) !=
                         n->bodies.end();
    }
    n->verdict = ours ? 1 : 2;
  }
  if (n->verdict == 1) {
    index.storeNote(b, kw, k, caret, checked);
    return true;
  }
  if (n->copy.empty()) {
    if (body.empty()) {  // the other version stays; the deletion is not done
      ++r.kept;
      return true;
    }
    std::string sub(keyPrefix(key));
    if (!sub.empty()) sub.pop_back();
    n->copy = index.uniqueKey(sub, std::string(key.substr(sub.size() + 1)));
    if (!isSafeNoteKey(n->copy)) {
      n->copy.clear();
      return false;
    }
    ++r.copies;
  }
  index.storeNote(b, kw + kRecoveredMark, n->copy, caret, checked);
  return true;
}

bool applyStore(KeywordIndex& index, Fields& f, bool stamped, Replay* r) {
  std::string_view key = f.next(), keyword = f.next(), caretText = f.next(), check = f.next(),
                   body = f.next();
  std::optional<FileStamp> base;
  if (stamped && !parseStamp(f.next(), &base)) return false;
  unsigned caret = 0;
  if (!f.ok() || !f.done() || !isSafeNoteKey(key) || !parseCaret(caretText, &caret) ||
      (check != "0" && check != "1"))
    return false;
  if (stamped && r) return applyStamped(index, key, keyword, caret, check == "1", body, *r);
  index.storeNote(std::string(body), std::string(keyword), std::string(key), caret, check == "1");
  return true;
}

bool applyCheck(KeywordIndex& index, Fields& f) {
  std::string_view key = f.next(), mark = f.next();
  if (!f.ok() || !f.done() || !isSafeNoteKey(key) || (mark != "0" && mark != "1") ||
      !index.findByKey(key))
    return false;
  index.setChecked(key, mark[0]);
  return true;
}

}  // namespace

std::string frameRecord(std::string_view payload) {
  std::string len = hex8(static_cast<std::uint32_t>(payload.size()));
  std::string out;
  out.reserve(kHeader + payload.size() + 1);
  out += '@';
  out += len;
  out += hex8(crc32(len, payload));
  out += ' ';
  out.append(payload);
  out += '\n';
  return out;
}

std::vector<std::string> readRecords(std::string_view text, std::size_t* validBytes) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (text.size() - pos >= kHeader + 1) {
    std::uint32_t len = 0, crc = 0;
    std::string_view lenText = text.substr(pos + 1, 8);
    if (text[pos] != '@' || !parseHex8(lenText, &len) ||
        !parseHex8(text.substr(pos + 9, 8), &crc) || text[pos + 17] != ' ' ||
        len > text.size() - pos - kHeader - 1 || text[pos + kHeader + len] != '\n')
      break;
    std::string_view payload = text.substr(pos + kHeader, len);
    if (crc32(lenText, payload) != crc) break;
    out.emplace_back(payload);
    pos += kHeader + len + 1;
  }
  if (validBytes) *validBytes = pos;
  return out;
}

std::string storeRecord(std::string_view body, std::string_view keyword, std::string_view key,
                        unsigned caret, bool checked, const std::optional<FileStamp>* base) {
  std::string out;
  out.reserve(body.size() + keyword.size() + key.size() + 64);
  out += base ? 'T' : 'S';
  putField(out, key);
  putField(out, keyword);
  putField(out, std::to_string(caret));
  putField(out, checked ? "1" : "0");
  putField(out, body);
  if (base) putField(out, stampText(*base));
  return out;
}

std::string checkRecord(std::string_view key, char mark) {
  std::string out = "C";
  putField(out, key);
  putField(out, std::string_view(&mark, 1));
  return out;
}

std::string batchRecord(const std::vector<std::string>& payloads) {
  std::string out = "B";
  for (const std::string& p : payloads) putField(out, p);
  return out;
}

std::string machineRecord(std::string_view machine) {
  std::string out = "M";
  putField(out, machine);
  return out;
}

Replay::Note* Replay::find(std::string_view key) {
  for (auto& n : notes)
    if (n.first == key) return &n.second;
  return nullptr;
}

void Replay::learn(std::string_view payload) {
  if (payload.empty()) return;
  Fields f(payload.substr(1));
  if (payload[0] == 'B') {
    while (f.ok() && !f.done()) {
      std::string_view part = f.next();
      if (f.ok()) learn(part);
    }
    return;
  }
  if (payload[0] != 'T') return;
  std::string_view key = f.next();
  f.next();
  f.next();
  f.next();
  std::string_view body = f.next();
  std::optional<FileStamp> base;
  if (!f.ok() || !parseStamp(f.next(), &base) || !f.ok()) return;
  Note* n = find(key);
  if (!n) n = &notes.emplace_back(std::string(key), Note()).second;
  n->bases.push_back(base);
  n->bodies.emplace_back(body);
}

bool applyRecord(KeywordIndex& index, std::string_view payload, Replay* replay) {
  if (payload.empty()) return false;
  Fields f(payload.substr(1));
  switch (payload[0]) {
    case 'S': return applyStore(index, f, false, replay);
    case 'T': return applyStore(index, f, true, replay);
    case 'C': return applyCheck(index, f);
    case 'B': {
      bool any = false;
      while (f.ok() && !f.done()) {
        std::string_view part = f.next();
        if (f.ok() && applyRecord(index, part, replay)) any = true;
      }
      return any;
    }
    default: return false;
  }
}

bool storeWouldChange(const KeywordIndex& index, std::string_view body, std::string_view keyword,
                      std::string_view key, unsigned caret, bool checked) {
  const IndexEntry* e = index.findByKey(key);
  if (!e) return !body.empty();
  if (body.empty()) return e->status != EntryStatus::Deleted;
  if (e->status == EntryStatus::Deleted || body != e->body || !e->keywordEquals(keyword))
    return true;
  return e->field(2) != std::to_string(caret) || (e->checked != 0) != checked;
}

// ---- Journal

Journal& Journal::operator=(Journal&& other) noexcept {
  if (this != &other) {
    closeFile();
    folder_ = std::move(other.folder_);
    fileName_ = std::move(other.fileName_);
    others_ = other.others_;
    file_ = std::exchange(other.file_, nullptr);
    unflushed_ = std::exchange(other.unflushed_, false);
    batchDepth_ = std::exchange(other.batchDepth_, 0);
    batch_ = std::move(other.batch_);
    last_ = std::move(other.last_);
    pending_ = std::move(other.pending_);
    goodBytes_ = other.goodBytes_;
    unread_ = other.unread_;
    keptAside_ = std::move(other.keptAside_);
    appliedAside_ = std::move(other.appliedAside_);
    replay_ = std::move(other.replay_);
    recovered_ = other.recovered_;
    fileOps_ = other.fileOps_;
  }
  return *this;
}

void Journal::closeFile() {
  closeOpen(file_);
  file_ = nullptr;
  unflushed_ = false;
}

namespace {

std::string folderPath(const std::string& folder, std::string_view name) {
  std::string path = exeDir() + folder;
  path += kPathSep;
  path.append(name);
  return path;
}

// A name for a journal beside "journal.dat", read at a later start after the
// journals named before it (the names hold the clock).
std::string asideName() {
  std::string name = std::to_string(fileClockNow());
  return "journal-" + std::string(name.size() < 20 ? 20 - name.size() : 0, '0') + name + ".dat";
}

// Does a journal's first record name a machine other than this one?
bool writtenElsewhere(const std::vector<std::string>& records) {
  if (records.empty() || records.front().empty() || records.front()[0] != 'M') return false;
  Fields f(std::string_view(records.front()).substr(1));
  std::string_view machine = f.next();
  return f.ok() && machine != machineName();
}

}  // namespace

bool Journal::setAside() {
  std::string name = asideName();
  if (!moveFile(journalPath(folder_), folderPath(folder_, name))) return false;
  ++fileOps_;
  keptAside_ = name;
  unread_ = false;
  return true;
}

void Journal::removeFile() {
  closeFile();
  batch_.clear();
  last_.clear();
  pending_.clear();
  goodBytes_ = 0;
  if (folder_.empty()) return;
  // A journal this run could not read is never deleted: out of the way with it.
  if (unread_ && !setAside()) return;
  const std::string path = folderPath(folder_, fileName_);
  if (pathKind(path) == PathKind::File) {
    deleteFile(path);
    ++fileOps_;
  }
  for (const std::string& name : appliedAside_) deleteFile(folderPath(folder_, name));
  appliedAside_.clear();
}

void Journal::loaded(KeywordIndex& index) {
  closeFile();
  batch_.clear();
  last_.clear();
  pending_.clear();
  goodBytes_ = 0;
  unread_ = false;
  keptAside_.clear();
  appliedAside_.clear();
  replay_ = Replay();
  folder_ = index.folder();
  fileName_ = kJournalName;
  others_ = 0;
  recovered_ = 0;
  // Journals set aside by earlier starts come first, oldest first (their
  // names hold the clock), then this folder's journal.
  std::vector<std::string> names, files;
  if (anyMatch(folderPath(folder_, "journal-*.dat"))) {
    listFolder(exeDir() + folder_, files, ListWhat::Files);
    for (const std::string& f : files)
      if (isAsideJournalName(f)) names.push_back(f);
    std::sort(names.begin(), names.end());
  }
  const bool current = pathKind(journalPath(folder_)) == PathKind::File;
  if (names.empty() && !current) return;
  if (current) names.push_back(kJournalName);
  std::vector<std::string> applied, records;
  for (const std::string& name : names) {
    std::optional<std::string> text = readWholeFile(folderPath(folder_, name));
    if (!text) {
      // Held by another program, or damaged: kept for a later start.
      if (name == kJournalName && !setAside()) unread_ = true;
      continue;
    }
    std::vector<std::string> read = readRecords(*text);
    if (writtenElsewhere(read)) {
      // Another PC's state, copied here by a sync engine: not ours to apply,
      // delete or continue.
      ++others_;
      if (name == kJournalName) fileName_ = asideName();
      continue;
    }
    for (std::string& r : read) records.push_back(std::move(r));
    applied.push_back(name);
  }
  // Every stamp and text of every journal first: a note's later records
  // tell whether its file is as this journal's run left it.
  for (const std::string& r : records) replay_.learn(r);
  index.journal = nullptr;
  for (const std::string& r : records)
    if (applyRecord(index, r, &replay_)) ++recovered_;
  bool saved = recovered_ == 0 || index.save(folder_);
  index.journal = this;
  for (const std::string& name : applied) {
    if (name != kJournalName) appliedAside_.push_back(name);
    else if (saved) {
      deleteFile(journalPath(folder_));
      ++fileOps_;
    }
  }
  if (saved) {
    for (const std::string& name : appliedAside_) deleteFile(folderPath(folder_, name));
    appliedAside_.clear();
  }
}

void Journal::saved(bool ok) {
  if (ok) removeFile();
}

void Journal::stored(std::string_view body, std::string_view keyword, std::string_view key,
                     unsigned caret, bool checked, const std::optional<FileStamp>* base) {
  append(storeRecord(body, keyword, key, caret, checked, base));
}

void Journal::checked(std::string_view key, char mark) { append(checkRecord(key, mark)); }

void Journal::endBatch() {
  if (batchDepth_ == 0 || --batchDepth_ > 0 || batch_.empty()) return;
  std::vector<std::string> parts = std::move(batch_);
  batch_.clear();
  append(parts.size() == 1 ? std::move(parts[0]) : batchRecord(parts));
}

void Journal::append(std::string payload) {
  if (batchDepth_ > 0) {
    batch_.push_back(std::move(payload));
    return;
  }
  if (folder_.empty()) return;
  pending_.push_back(std::move(payload));
  writePending();
}

bool Journal::retry() { return pending_.empty() || writePending(); }

bool Journal::writePending() {
  if (!file_ && !openFile()) return false;
  std::size_t done = 0;
  for (; done < pending_.size(); ++done) {
    std::string frame = frameRecord(pending_[done]);
    ++fileOps_;
    if (!appendOpen(file_, frame)) {
      // Whatever part of the record reached the file goes again, so that the
      // next record does not follow a torn one; when even that fails, the
      // next open cuts the tail.
      truncateOpen(file_, goodBytes_);
      closeFile();
      break;
    }
    goodBytes_ += frame.size();
    unflushed_ = true;
    last_ = std::move(pending_[done]);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(done));
  return pending_.empty();
}

bool Journal::openFile() {
  // A journal.dat this run could not read must not get our records behind its own.
  if (unread_ && !setAside()) return false;
  const std::string path = folderPath(folder_, fileName_);
  // A journal left by an earlier run (its save failed) or by a failed append
  // is continued; new records must follow its last whole one, not a torn
  // tail, or they could never be read back.
  std::uint64_t valid = 0, size = 0;
  if (std::optional<FileStamp> st = fileStampOf(path)) {
    // The size on the disk, not the text's: a tail of NUL bytes (a power cut)
    // ends the text early but would still stand before new records.
    std::optional<std::string> text = readWholeFile(path);
    if (!text) return false;
    std::size_t whole = 0;
    readRecords(*text, &whole);
    valid = whole;
    size = st->size;
  }
  file_ = openForAppend(path);
  ++fileOps_;
  if (!file_) return false;
  if (valid < size && !truncateOpen(file_, valid)) {
    closeFile();
    return false;
  }
  goodBytes_ = valid;
  if (valid == 0) {
    // A new journal says whose it is before its first record.
    std::string mark = frameRecord(machineRecord(machineName()));
    ++fileOps_;
    if (!appendOpen(file_, mark)) {
      truncateOpen(file_, 0);
      closeFile();
      return false;
    }
    goodBytes_ = mark.size();
  }
  return true;
}

void Journal::flush() {
  if (!pending_.empty()) writePending();
  if (!file_ || !unflushed_) return;
  ++fileOps_;
  if (flushOpen(file_)) unflushed_ = false;
}

void Journal::discard() {
  // Exit without saving drops this run's changes, not an unread journal's.
  removeFile();
}

}  // namespace tav
