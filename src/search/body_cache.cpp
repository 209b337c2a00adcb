#include "search/body_cache.h"

#include <optional>
#include <vector>

#include "platform/system.h"
#include "store/note.h"
#include "store/sync_names.h"

namespace tav {

namespace {

// The first line names the machine that wrote the file: a sync engine may
// bring another PC's cache, whose stamps are not this PC's to trust.
constexpr std::string_view kHeader = "Tavolin bodies 2\t";

// A write this close before the listing may still be followed by one that
// leaves the stamp as it is (FAT keeps write times in 2 s steps): such a body
// is not kept.
constexpr std::uint64_t kSettle = 3u * 10000000u;

// Decimal digits up to sep at p; false on anything else or overflow.
bool readNumber(std::string_view text, std::size_t& p, char sep, std::uint64_t& out) {
  std::size_t start = p;
  out = 0;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
    std::uint64_t digit = static_cast<std::uint64_t>(text[p] - '0');
    if (out > (UINT64_MAX - digit) / 10) return false;
    out = out * 10 + digit;
    ++p;
  }
  if (p == start || p >= text.size() || text[p] != sep) return false;
  ++p;
  return true;
}

}  // namespace

std::string BodyCache::compose() const {
  std::string out(kHeader);
  out += machineName();
  out += '\n';
  std::size_t total = out.size();
  for (const auto& [key, r] : records_) total += key.size() + r.body.size() + 64;
  out.reserve(total);
  for (const auto& [key, r] : records_) {
    out += key;
    out += '\t';
    out += std::to_string(r.stamp.size);
    out += '\t';
    out += std::to_string(r.stamp.time);
    out += '\t';
    out += std::to_string(r.body.size());
    out += '\n';
    out += r.body;
    out += '\n';
  }
  return out;
}

void BodyCache::parse(std::string whole) {
  records_.clear();
  own_.clear();
  text_ = std::move(whole);
  writer_.clear();
  const std::string_view text(text_);
  if (text.substr(0, kHeader.size()) != kHeader) return;
  std::size_t p = text.find('\n', kHeader.size());
  if (p == std::string_view::npos) return;
  writer_.assign(text.substr(kHeader.size(), p - kHeader.size()));
  ++p;
  while (p < text.size()) {
    std::size_t tab = text.find('\t', p);
    if (tab == std::string_view::npos) return;
    std::string_view key = text.substr(p, tab - p);
    p = tab + 1;
    Record r;
    std::uint64_t length = 0;
    if (!readNumber(text, p, '\t', r.stamp.size) || !readNumber(text, p, '\t', r.stamp.time) ||
        !readNumber(text, p, '\n', length))
      return;
    if (length >= text.size() - p || text[p + length] != '\n') return;  // cut short
    r.body = text.substr(p, length);
    if (isSafeNoteKey(key)) records_.emplace(key, r);
    p += length + 1;
  }
}

void BodyCache::open(const std::string& folder) {
  folder_ = folder;
  changed_ = false;
  std::optional<std::string> text = readWholeFile(exeDir() + folder + kPathSep + kFileName);
  parse(text ? std::move(*text) : std::string());
  if (writer_ != machineName()) records_.clear();  // another PC's: rewritten as ours
  list();
}

void BodyCache::recheck(unsigned maxAgeSeconds) {
  if (folder_.empty() || fileClockNow() - listedAt_ <= maxAgeSeconds * 10000000ull) return;
  list();
}

void BodyCache::list() {
  for (auto& [key, r] : records_) r.listed = false;
  unknown_.clear();
  listedAt_ = fileClockNow();
  forEachFileStamp(folder_, [this](const std::string& key, const FileStamp& stamp) {
    auto it = records_.find(key);
    if (it != records_.end() && it->second.stamp == stamp) it->second.listed = true;
    else unknown_.emplace(key, stamp);
  });
  for (auto it = records_.begin(); it != records_.end();) {
    if (it->second.listed) {
      ++it;
    } else {
      it = records_.erase(it);
      changed_ = true;  // the file should forget it too
    }
  }
}

std::optional<std::string_view> BodyCache::find(std::string_view key) const {
  auto it = records_.find(key);
  if (it == records_.end()) return std::nullopt;
  return it->second.body;
}

std::optional<FileStamp> BodyCache::listedStamp(std::string_view key) const {
  auto r = records_.find(key);
  if (r != records_.end() && r->second.listed) return r->second.stamp;
  lookup_.assign(key);
  auto u = unknown_.find(lookup_);
  if (u == unknown_.end()) return std::nullopt;
  return u->second;
}

void BodyCache::drop(std::string_view key) {
  if (records_.erase(key) > 0) changed_ = true;
  lookup_.assign(key);
  unknown_.erase(lookup_);  // its stamp is old: nothing learned from it is kept
}

void BodyCache::learn(std::string_view key, std::string_view body) {
  scratch_.assign(key);
  auto s = unknown_.find(scratch_);
  FileStamp stamp;
  if (s != unknown_.end() && s->second.time + kSettle <= listedAt_) {
    stamp = s->second;
    unknown_.erase(s);
  } else {
    // Not listed, or too young then (a file the watch reported since, one
    // listed while it was being written): its stamp now, taken after the
    // read, so a write in between makes it too young to keep.
    if (folder_.empty() || !isSafeNoteKey(key)) return;
    std::optional<FileStamp> now = fileStampOf(notePath(folder_, key));
    if (!now || now->time + kSettle > fileClockNow()) return;
    stamp = *now;
  }
  const std::string& k = own_.emplace_back(key);
  const std::string& b = own_.emplace_back(body);
  records_.erase(key);
  records_.emplace(k, Record{stamp, b, true});
  changed_ = true;
}

bool BodyCache::saveIfChanged() {
  if (!changed_ || folder_.empty()) return true;
  if (!writeWholeFile(exeDir() + folder_ + kPathSep + kFileName, compose())) return false;
  changed_ = false;
  return true;
}

}  // namespace tav
