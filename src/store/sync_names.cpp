#include "store/sync_names.h"

#include <cstdio>

#include "platform/path.h"
#include "platform/platform.h"
#include "store/note.h"

namespace tav {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
  };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool digitsAt(std::string_view s, std::size_t at, std::size_t n) {
  if (at + n > s.size()) return false;
  for (std::size_t i = at; i < at + n; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// "<name>.sync-conflict-yyyymmdd-hhmmss-<device>", the device id being
// letters and digits, perhaps followed by the copied note's extension.
bool isSyncthingConflict(std::string_view name) {
  constexpr std::string_view kTag = ".sync-conflict-";
  for (std::size_t p = name.find(kTag, 1); p != std::string_view::npos;
       p = name.find(kTag, p + 1)) {
    std::size_t q = p + kTag.size();
    if (!digitsAt(name, q, 8) || q + 8 >= name.size() || name[q + 8] != '-' ||
        !digitsAt(name, q + 9, 6) || q + 15 >= name.size() || name[q + 15] != '-')
      continue;
    q += 16;
    std::size_t device = q;
    auto idChar = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); };
    while (q < name.size() && idChar(name[q])) ++q;
    if (q > device && (q == name.size() || name[q] == '.')) return true;
  }
  return false;
}

std::vector<std::string> ownEntries(const std::string& folder, ListWhat what) {
  std::vector<FolderEntry> entries;
  listFolderEntries(folder, entries, what);
  std::vector<std::string> out;
  for (FolderEntry& e : entries)
    if (!isForeignEntry(e.name, e.hidden)) out.push_back(std::move(e.name));
  return out;
}

// "<name> (<...>marker<...>)": the marker inside a bracket that a space opens
// after the copied note's name. The marker is looked for at character boundaries.
bool hasBracketedMarker(std::string_view name, std::string_view marker) {
  for (std::size_t p = name.find(marker); p != std::string_view::npos;
       p = name.find(marker, p + 1)) {
    if (!isCharStart(name, p)) continue;
    std::size_t open = name.rfind(" (", p);
    std::size_t close = name.find(')', p + marker.size());
    if (open != std::string_view::npos && open > 0 && close != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

bool isForeignEntry(std::string_view name, bool hidden) {
  if (hidden || name.empty() || name[0] == '.' || name[0] == '~') return true;
  return equalsNoCase(name, "desktop.ini") || equalsNoCase(name, "Thumbs.db");
}

std::vector<std::string> noteFolders(const std::string& base) {
  return ownEntries(base, ListWhat::Folders);
}

std::vector<std::string> noteFiles(const std::string& folder) {
  return ownEntries(folder, ListWhat::Files);
}

void forEachFileStamp(const std::string& dataFolder,
                      const std::function<void(const std::string&, const FileStamp&)>& fn) {
  const std::string base = exeDir() + dataFolder + kPathSep;
  std::vector<std::pair<std::string, FileStamp>> files;
  std::string key;
  for (const std::string& sub : noteFolders(base)) {
    if (!isSafeNamePart(sub)) continue;
    files.clear();
    listFolderStamps(base + sub, files);
    for (const auto& [name, stamp] : files) {
      key.assign(sub).append(1, '/').append(name);
      fn(key, stamp);
    }
  }
}

bool isConflictCopyName(std::string_view name) {
  return isSyncthingConflict(name) || hasBracketedMarker(name, "conflicted copy") ||
         hasBracketedMarker(name, "競合コピー");
}

std::string conflictCopyKeyword(std::string_view keyword) {
  std::string out(keyword);
  if (out.size() < kConflictMark.size() ||
      out.compare(out.size() - kConflictMark.size(), kConflictMark.size(), kConflictMark) != 0)
    out.append(kConflictMark);
  return out;
}

bool isIndexCopyName(std::string_view name) {
  return name.size() > 6 && equalsNoCase(name.substr(0, 6), "index2") && isConflictCopyName(name);
}

bool isWatchedKey(std::string_view key) {
  // '/' is never a trail byte, so the key splits byte-wise.
  std::size_t slash = key.find('/');
  if (slash == std::string_view::npos)
    return equalsNoCase(key, "index2.txt") || isIndexCopyName(key);
  std::string_view sub = key.substr(0, slash), file = key.substr(slash + 1);
  if (isForeignEntry(sub)) return false;
  return file.empty() || (file.find('/') == std::string_view::npos && !isForeignEntry(file));
}

std::string conflictKeywordAt(std::string_view keyword, const std::tm& when) {
  char at[40];
  std::snprintf(at, sizeof at, "%04d/%02d/%02d %02d:%02d", when.tm_year + 1900, when.tm_mon + 1,
                when.tm_mday, when.tm_hour, when.tm_min);
  std::string out(keyword);
  out += " (競合コピー ";
  out += at;
  out += ')';
  return out;
}

}  // namespace tav
