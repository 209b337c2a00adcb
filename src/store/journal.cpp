#include "store/journal.h"

#include <array>
#include <utility>

#include "store/keyword_index.h"
#include "store/text.h"

namespace tav {

const char* const kJournalName = "journal.dat";

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

bool applyStore(KeywordIndex& index, Fields& f) {
  std::string_view key = f.next(), keyword = f.next(), caretText = f.next(), check = f.next(),
                   body = f.next();
  unsigned caret = 0;
  if (!f.ok() || !f.done() || !isSafeNoteKey(key) || !parseCaret(caretText, &caret) ||
      (check != "0" && check != "1"))
    return false;
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
                        unsigned caret, bool checked) {
  std::string out;
  out.reserve(body.size() + keyword.size() + key.size() + 32);
  out += 'S';
  putField(out, key);
  putField(out, keyword);
  putField(out, std::to_string(caret));
  putField(out, checked ? "1" : "0");
  putField(out, body);
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

bool applyRecord(KeywordIndex& index, std::string_view payload) {
  if (payload.empty()) return false;
  Fields f(payload.substr(1));
  switch (payload[0]) {
    case 'S': return applyStore(index, f);
    case 'C': return applyCheck(index, f);
    case 'B': {
      bool any = false;
      while (f.ok() && !f.done()) {
        std::string_view part = f.next();
        if (f.ok() && applyRecord(index, part)) any = true;
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
    file_ = std::exchange(other.file_, nullptr);
    unflushed_ = std::exchange(other.unflushed_, false);
    batchDepth_ = std::exchange(other.batchDepth_, 0);
    batch_ = std::move(other.batch_);
    last_ = std::move(other.last_);
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

void Journal::removeFile() {
  closeFile();
  batch_.clear();
  last_.clear();
  if (!folder_.empty() && pathKind(journalPath(folder_)) == PathKind::File) {
    deleteFile(journalPath(folder_));
    ++fileOps_;
  }
}

void Journal::loaded(KeywordIndex& index, bool recover) {
  closeFile();
  batch_.clear();
  last_.clear();
  folder_ = index.folder();
  recovered_ = 0;
  const std::string path = journalPath(folder_);
  if (!recover || pathKind(path) != PathKind::File) return;
  std::optional<std::string> text = readWholeFile(path);
  if (!text) return;  // held by another program: left for a later start
  std::vector<std::string> records = readRecords(*text);
  index.journal = nullptr;
  for (const std::string& r : records)
    if (applyRecord(index, r)) ++recovered_;
  bool saved = records.empty() || index.save(folder_);
  index.journal = this;
  if (saved) deleteFile(path);
}

void Journal::saved(bool ok) {
  if (ok) removeFile();
}

void Journal::stored(std::string_view body, std::string_view keyword, std::string_view key,
                     unsigned caret, bool checked) {
  append(storeRecord(body, keyword, key, caret, checked));
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
  if (folder_.empty() || (!file_ && !openFile())) return;
  appendOpen(file_, frameRecord(payload));
  ++fileOps_;
  unflushed_ = true;
  last_ = std::move(payload);
}

bool Journal::openFile() {
  const std::string path = journalPath(folder_);
  // A journal left by an earlier run (its save failed, or its index could not
  // be read) is continued; new records must follow its last whole one, not a
  // torn tail, or they could never be read back.
  if (pathKind(path) == PathKind::File) {
    std::optional<std::string> text = readWholeFile(path);
    std::size_t valid = 0;
    if (text) readRecords(*text, &valid);
    if (text && valid < text->size()) writeWholeFile(path, std::string_view(*text).substr(0, valid));
  }
  file_ = openForAppend(path);
  ++fileOps_;
  return file_ != nullptr;
}

void Journal::flush() {
  if (!file_ || !unflushed_) return;
  flushOpen(file_);
  ++fileOps_;
  unflushed_ = false;
}

void Journal::discard() { removeFile(); }

}  // namespace tav
