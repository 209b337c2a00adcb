#include "store/note.h"

#include <cstring>

#include "platform/path.h"
#include "platform/platform.h"
#include "store/journal.h"
#include "store/match.h"
#include "store/sync_names.h"
#include "store/text.h"

namespace tav {

namespace {

constexpr std::string_view kOpenBody = "<n>";
constexpr std::string_view kCloseBody = "</n>";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isDeviceName(std::string_view part) {
  std::size_t dot = part.find('.');
  std::string_view base = part.substr(0, dot);
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string up;
  for (char c : base) up += (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
  if (up == "CON" || up == "PRN" || up == "AUX" || up == "NUL" || up == "CONIN$" ||
      up == "CONOUT$")
    return true;
  return up.size() == 4 && (up.compare(0, 3, "COM") == 0 || up.compare(0, 3, "LPT") == 0) &&
         up[3] >= '1' && up[3] <= '9';
}

// Where the body starts in a file of the written form
// "<k>kw,</k><f>digits</f><c>x</c><n>", or npos when the text is not of it.
std::size_t writtenBodyStart(std::string_view text) {
  if (text.substr(0, 3) != "<k>") return std::string_view::npos;
  constexpr std::string_view kMid = ",</k><f>";
  for (std::size_t p = text.find(kMid, 3); p != std::string_view::npos;
       p = text.find(kMid, p + 1)) {
    std::size_t q = p + kMid.size();
    while (q < text.size() && isDigit(text[q])) ++q;
    if (text.substr(q, 7) != "</f><c>") continue;
    q += 7;
    if (q >= text.size()) break;
    ++q;  // the check character
    if (text.substr(q, 7) == "</c><n>") return q + 7;
  }
  return std::string_view::npos;
}

// The query's words: split at "," and at " "; empty words match anything and are dropped.
template <typename Fn>
bool allWords(std::string_view query, const char* seps, Fn&& fn) {
  std::size_t start = 0;
  while (start <= query.size()) {
    std::size_t end = query.find_first_of(seps, start);
    if (end == std::string_view::npos) end = query.size();
    if (end > start && !fn(query.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

const std::string& emptyText() {
  static const std::string empty;
  return empty;
}

}  // namespace

// ---- keys

std::string makeNoteKey(std::string_view subFolder, std::string_view stamp, char batch) {
  std::string key;
  key.reserve(subFolder.size() + stamp.size() + 2);
  key.append(subFolder);
  key += '/';
  key.append(stamp);
  if (batch) key += batch;
  return key;
}

std::string bumpStamp(std::string_view stamp, int k) {
  if (k <= 0) return std::string(stamp);
  bool fourDigits = stamp.size() >= 4;
  for (std::size_t i = fourDigits ? stamp.size() - 4 : 0; fourDigits && i < stamp.size(); ++i)
    fourDigits = isDigit(stamp[i]);
  if (fourDigits) {
    long long value = textToInt(stamp.substr(stamp.size() - 4)) + static_cast<long long>(k);
    if (value <= 9999) {
      std::string four = std::to_string(value);
      std::string s(stamp.substr(0, stamp.size() - 4));
      s.append(4 - four.size(), '0');
      return s + four;
    }
  }
  return std::string(stamp) + "-" + std::to_string(k);
}

std::string batchKey(std::string_view subFolder, std::string_view stamp, int n) {
  if (n < 1) n = 1;
  char digit = static_cast<char>('0' + (n - 1) % 10);
  return makeNoteKey(subFolder, bumpStamp(stamp, (n - 1) / 10), digit);
}

std::string_view keyPrefix(std::string_view key) {
  std::size_t slash = key.find('/');
  return slash == std::string_view::npos ? std::string_view() : key.substr(0, slash + 1);
}

namespace {
// Characters Windows refuses in a file name, looked for character by character:
// a trail byte such as the 0x5C of ソ or the 0x7C of some kanji is no separator.
bool hasForbiddenChar(std::string_view part) {
  for (std::size_t p = 0; p < part.size();) {
    unsigned char c = static_cast<unsigned char>(part[p]);
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) return true;
    p += isLeadByte(c) && p + 1 < part.size() ? 2 : 1;
  }
  return false;
}
}  // namespace

bool isSafeNamePart(std::string_view part) {
  if (part.empty() || part == "." || part == "..") return false;
  if (part.back() == '.' || part.back() == ' ') return false;
  if (hasForbiddenChar(part)) return false;
  // Bytes below 0x40 are never trail bytes, so these are looked for byte by
  // byte: a comma would split the index line at the key, and a "/" or ":"
  // after a lead byte is still a separator or a drive mark.
  for (char c : part)
    if (c == ',' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  return !isDeviceName(part);
}

bool isDataFolderFileName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return lower == "index2.txt" || lower == "journal.dat" || lower == "bodies.dat" ||
         isAsideJournalName(lower) || isTempFileName(lower);
}

std::string safeFolderName(std::string_view name) {
  return isSafeNamePart(name) && !isDataFolderFileName(name) && !isForeignEntry(name)
             ? std::string(name)
                                                             : std::string("default");
}

bool isSafeNoteKey(std::string_view key) {
  std::size_t slash = key.find('/');
  if (slash == std::string_view::npos) return false;
  return isSafeNamePart(key.substr(0, slash)) && isSafeNamePart(key.substr(slash + 1));
}

std::string notePath(std::string_view folder, std::string_view key) {
  std::string path = exeDir();
  path.append(folder);
  path += kPathSep;
  path.append(key);
  return path;
}

// ---- note files

std::string composeNoteFile(std::string_view keyword, unsigned caret, bool checked,
                            std::string_view body) {
  std::string out;
  out.reserve(keyword.size() + body.size() + 40);
  out += "<k>";
  out.append(keyword);
  out += ",</k><f>";
  out += std::to_string(caret);
  out += checked ? "</f><c>1</c><n>" : "</f><c>0</c><n>";
  out.append(body);
  out += kCloseBody;
  return out;
}

std::string noteBodyOf(std::string_view text) {
  std::size_t start = writtenBodyStart(text);
  if (start == std::string_view::npos) {
    std::size_t open = text.find(kOpenBody);
    if (open == std::string_view::npos) return std::string(text);
    start = open + kOpenBody.size();
  }
  std::size_t end = text.rfind(kCloseBody);
  if (end == std::string_view::npos || end < start) end = text.size();
  return std::string(text.substr(start, end - start));
}

std::string noteKeywordOf(std::string_view text) {
  std::string_view head = text.substr(0, text.find(kOpenBody));
  std::size_t open = head.find("<k>");
  if (open == std::string_view::npos) return std::string();
  std::size_t start = open + 3, end = head.find("</k>", start);
  return trimSeparator(head.substr(start, end == std::string_view::npos ? end : end - start), ',',
                       false);
}

std::uint64_t noteContentHash(std::string_view keyword, std::string_view body) {
  // FNV-1a: the same on every run and machine; a NUL keeps "ab"+"c" apart from "a"+"bc".
  std::uint64_t h = 14695981039346656037ull;
  auto mix = [&h](std::string_view s) {
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  };
  mix(keyword);
  h = (h ^ 0) * 1099511628211ull;
  mix(body);
  return h;
}

std::uint64_t fileContentHash(std::string_view text) {
  return noteContentHash(noteKeywordOf(text), noteBodyOf(text));
}

// ---- entries

IndexEntry IndexEntry::fromLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  IndexEntry e;
  e.record = trimSeparator(line, ',', true);
  std::string_view check = e.field(3);
  e.checked = (!check.empty() && check[0] == '0') ? 0 : 1;
  return e;
}

std::string IndexEntry::recordText() const { return std::string(lineView()); }

std::string_view IndexEntry::field(int n) const {
  if (n <= 0) return std::string_view();
  std::string_view r(record);
  std::size_t start = 0;  // position of the n-th comma
  for (int i = 0; i < n; ++i) {
    start = r.find(',', i == 0 ? 0 : start + 1);
    if (start == std::string_view::npos || start + 1 >= r.size()) return std::string_view();
  }
  std::size_t end = r.find(',', start + 1);
  if (end == std::string_view::npos) return std::string_view();
  return r.substr(start + 1, end - start - 1);
}

std::string_view IndexEntry::keyword() const {
  std::string_view r(record);
  std::size_t p = 0;
  for (int i = 0; i < 5; ++i) {
    p = r.find(',', i == 0 ? 0 : p + 1);
    if (p == std::string_view::npos) return std::string_view();
  }
  if (p + 1 >= r.size()) return std::string_view();
  return r.substr(p + 1, r.size() - p - 2);
}

void IndexEntry::rebuildRecord(std::string_view key, std::string_view keyword,
                               std::string_view text, unsigned caretPos, bool check) {
  std::string line;
  line.reserve(key.size() + keyword.size() + 24);
  line.append(key);
  line += ',';
  line += std::to_string(caretPos);
  line += check ? ",1,0," : ",0,0,";
  std::size_t kw = line.size();
  line.append(keyword);
  for (std::size_t i = kw; i < line.size(); ++i)
    if (line[i] == '\r' || line[i] == '\n') line[i] = ' ';
  record = trimSeparator(line, ',', true);
  checked = check ? 1 : 0;
  checkedAtStore = check;
  body.assign(text);
  bodyLoaded = true;
  caret = caretPos;
}

void IndexEntry::update(std::string_view keyword, std::string_view text, unsigned caretPos,
                        bool check) {
  std::string key(this->key());
  rebuildRecord(key, keyword, text, caretPos, check);
}

bool IndexEntry::hasKey(std::string_view k) const { return !k.empty() && key() == k; }

bool IndexEntry::keywordEquals(std::string_view text) const {
  return !text.empty() && keyword() == text;
}

IndexEntry::SaveAction IndexEntry::saveAction() const {
  switch (status) {
    case EntryStatus::Deleted: return SaveAction::Delete;
    case EntryStatus::Dirty: return SaveAction::Write;
    default: return SaveAction::Leave;
  }
}

const std::string* IndexEntry::loadBody(std::string_view folder) {
  if (status == EntryStatus::Deleted) return &emptyText();
  if (bodyLoaded || !body.empty()) return &body;
  std::string_view k = key();
  if (!isSafeNoteKey(k)) return nullptr;
  const std::string path = notePath(folder, k);
  // The stamp first: a write by another program between the two makes the
  // stamp older than the text, which only ever asks for a conflict copy.
  std::optional<FileStamp> st = fileStampOf(path);
  std::optional<std::string> text = readWholeFile(path);
  if (!text) return nullptr;
  if (!stampKnown) {
    stamp = st;
    stampKnown = true;
    baseContent = fileContentHash(*text);
  }
  body = noteBodyOf(*text);
  bodyLoaded = true;
  return &body;
}

bool IndexEntry::dropStaleBody(std::string_view folder) {
  if (status != EntryStatus::Clean || !bodyLoaded || !stampKnown || !isSafeNoteKey(key()))
    return false;
  std::optional<FileStamp> now = fileStampOf(notePath(folder, key()));
  if (!now || now == stamp) return false;
  forgetBody(false);  // opened again: what the editor shows is the new text
  return true;
}

std::string IndexEntry::composeNoteFile() const {
  return tav::composeNoteFile(keyword(), caret, checkedAtStore, body);
}

void IndexEntry::setBody(std::string text) {
  body = std::move(text);
  bodyLoaded = true;
}

bool IndexEntry::prependLine(std::string_view text, std::string_view folder) {
  const std::string* b = loadBody(folder);
  if (!b || b->empty() || status == EntryStatus::Deleted) return false;
  std::string joined;
  joined.reserve(text.size() + 2 + b->size());
  joined.append(text);
  joined += "\r\n";
  joined += *b;
  setBody(std::move(joined));
  return true;
}

bool IndexEntry::keywordMatches(std::string_view query) const {
  std::string_view kw = keyword();
  return allWords(query, ", ",
                  [&](std::string_view word) { return containsText(kw, word, false); });
}

bool IndexEntry::bodyContainsAll(std::string_view grep, std::string_view folder) {
  if (grep.empty()) return true;
  if (containsText(record, kNoGrep, true)) return false;
  const std::string* b = loadBody(folder);
  return bodyContainsAll(grep, b ? std::optional<std::string_view>(*b) : std::nullopt);
}

bool IndexEntry::bodyContainsAll(std::string_view grep,
                                 std::optional<std::string_view> body) const {
  if (grep.empty()) return true;
  if (!body || containsText(record, kNoGrep, true)) return false;
  return allWords(grep, ",",
                  [&](std::string_view word) { return containsText(*body, word, false); });
}

}  // namespace tav
