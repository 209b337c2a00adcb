#include "store/rebuild.h"

#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "store/note.h"
#include "store/sync_names.h"
#include "store/text.h"

namespace tav {

namespace {

// One value field of the line from a header element: up to a comma, which
// would shift the fields after it.
std::string fieldOf(std::string_view head, const char* tag) {
  std::string v = extractTag(head, tag).value_or("0");
  return v.substr(0, v.find(','));
}

// The lines of the index a rebuild replaces, by key: what it keeps of a note
// it cannot read, and the check marks set from the list since the note's
// file was written.
struct OldIndex {
  std::unordered_map<std::string, std::string> lines;
  std::uint64_t written = 0;  // the index file's write time

  OldIndex() = default;
  explicit OldIndex(const std::string& folder) {
    std::string path = exeDir() + folder + kPathSep + "index2.txt";
    std::optional<FileStamp> st = fileStampOf(path);
    std::optional<std::string> text = st ? readWholeFile(path) : std::nullopt;
    if (!text) return;
    written = st->time;
    std::string_view all(*text);
    for (std::size_t start = 0; start < all.size();) {
      std::size_t end = all.find('\n', start);
      if (end == std::string_view::npos) end = all.size();
      std::string_view line = all.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      std::size_t comma = line.find(',');
      if (comma != std::string_view::npos && comma > 0)
        lines.emplace(std::string(line.substr(0, comma)), std::string(line));
      start = end + 1;
    }
  }
  const std::string* find(const std::string& key) const {
    auto it = lines.find(key);
    return it == lines.end() ? nullptr : &it->second;
  }
};

// The line's check field (its third) set to that of old, when both have one.
void takeCheckMark(std::string& out, std::size_t from, const std::string& old) {
  auto thirdField = [](std::string_view s, std::size_t* at) {
    std::size_t p = 0;
    for (int i = 0; i < 2; ++i) {
      p = s.find(',', p);
      if (p == std::string_view::npos) return false;
      ++p;
    }
    std::size_t end = s.find(',', p);
    if (end == std::string_view::npos) return false;
    at[0] = p;
    at[1] = end;
    return true;
  };
  std::size_t mine[2], theirs[2];
  std::string_view line = std::string_view(out).substr(from);
  if (!thirdField(line, mine) || !thirdField(old, theirs)) return;
  out.replace(from + mine[0], mine[1] - mine[0], old, theirs[0], theirs[1] - theirs[0]);
}

void appendLine(std::string& out, const std::string& sub, const std::string& file,
                const std::optional<std::string>& text, const OldIndex& old,
                const std::optional<FileStamp>& stamp) {
  const std::size_t from = out.size();
  const std::string key = sub + "/" + file;
  const std::string* before = old.find(key);
  // A note that cannot be read now (another program holds it) keeps its
  // line: its keyword is not "null" for good.
  if (!text && before) {
    out += *before;
    out += '\n';
    return;
  }
  out += sub;
  out += '/';
  out += file;
  out += ',';
  // The header elements stand before the body, so a body that holds "<r>"
  // or "<k>" text gives the line nothing; the values are looked for beside
  // the keyword element, so a keyword that holds "<f>" gives nothing either.
  std::string_view head;
  if (text) head = std::string_view(*text).substr(0, text->find("<n>"));
  std::size_t kOpen = head.find("<k>");
  if (!text) {
    out += "0,0,0,null";
  } else if (kOpen != std::string_view::npos) {
    std::size_t kStart = kOpen + 3, kEnd = head.find("</k>", kStart);
    std::string_view keyword = head.substr(kStart, kEnd == std::string_view::npos ? kEnd : kEnd - kStart);
    std::string others(head.substr(0, kOpen));
    if (kEnd != std::string_view::npos) others.append(head.substr(kEnd + 4));
    out += fieldOf(others, "f");
    out += ',';
    out += fieldOf(others, "c");
    out += ',';
    out += fieldOf(others, "r");
    out += ',';
    std::string kw = trimSeparator(keyword, ',', false);
    // A sync engine's copy of a note changed on two PCs stands out beside the
    // note it copies; only the index line says so, the other PC's file is left as it is.
    out += isConflictCopyName(file) ? conflictCopyKeyword(kw) : kw;
  } else {
    out += "0,0,0,null2";
  }
  // A mark set from the list lives in the index until the note is next
  // written: the old line's mark wins over a note file older than the index.
  if (text && before && stamp && stamp->time < old.written) takeCheckMark(out, from, *before);
  // A line break inside an element (or a "<k>" never closed, which runs to the
  // end of the file) would split the line: it becomes a space, as in a stored keyword.
  for (std::size_t i = from; i < out.size(); ++i)
    if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
  out += '\n';
}

}  // namespace

std::string indexLineFor(std::string_view key, const std::optional<std::string>& text) {
  const std::size_t slash = key.find('/');
  std::string line;
  appendLine(line, std::string(key.substr(0, slash)),
             std::string(key.substr(slash == std::string_view::npos ? key.size() : slash + 1)),
             text, OldIndex(), std::nullopt);
  line.pop_back();  // its LF
  return line;
}

// Listed before any is read, so that the reading can tell how far it got.
std::vector<std::string> noteKeysOn(const std::string& folder) {
  std::string base = exeDir() + folder;
  base += kPathSep;
  std::vector<std::string> keys;
  for (const std::string& sub : noteFolders(base)) {
    std::string dir = base + sub;
    if (!isSafeNamePart(sub) || pathKind(dir) != PathKind::Folder) continue;  // never list what no key can name
    // Without other programs' files, and so without the temporary files of a
    // save cut short, whose names start with "~" or ".".
    for (const std::string& file : noteFiles(dir)) {
      // A name that cannot be part of a key (a comma, a line break, a device
      // name...) would give an entry whose note is never read: leave it out.
      if (isSafeNoteKey(sub + "/" + file)) keys.push_back(sub + "/" + file);
    }
  }
  return keys;
}

namespace {

// Steps through the notes of one or both data folders.
struct RebuildSteps {
  const Progress& progress;
  std::size_t done = 0, total = 0;
};

std::string indexTextOf(const std::string& folder, const std::vector<std::string>& keys,
                        RebuildSteps& steps) {
  std::string out;
  const OldIndex old(folder);
  for (const std::string& key : keys) {
    const std::size_t slash = key.find('/');
    std::string sub = key.substr(0, slash), file = key.substr(slash + 1);
    const std::string path = exeDir() + folder + kPathSep + sub + kPathSep + file;
    std::optional<FileStamp> stamp = fileStampOf(path);
    appendLine(out, sub, file, readWholeFile(path), old, stamp);
    // A rebuild is never left half-written: a request to stop is not heard.
    steps.progress.step(++steps.done, steps.total);
  }
  return out;
}

void writeIndexOf(const std::string& folder, const std::vector<std::string>& keys,
                  RebuildSteps& steps) {
  std::string base = exeDir() + folder;
  if (pathKind(base) != PathKind::Folder) createFolder(base);
  writeWholeFile(base + kPathSep + "index2.txt", indexTextOf(folder, keys, steps));
}

void reload(KeywordIndex& index, const std::string& dataFolder, const AfterRebuild& afterReload) {
  index.clear();
  index.load(dataFolder);
  if (afterReload) afterReload();
}

}  // namespace

std::string rebuildIndexText(const std::string& folder, const Progress& progress) {
  const std::vector<std::string> keys = noteKeysOn(folder);
  RebuildSteps steps {progress, 0, keys.size()};
  return indexTextOf(folder, keys, steps);
}

void rebuildIndex(const std::string& folder, KeywordIndex& index, const std::string& dataFolder,
                  const AfterRebuild& afterReload) {
  const std::vector<std::string> keys = noteKeysOn(folder);
  const Progress none;
  RebuildSteps steps {none, 0, keys.size()};
  writeIndexOf(folder, keys, steps);
  reload(index, dataFolder, afterReload);
}

void rebuildAllIndexes(KeywordIndex& index, const std::string& dataFolder,
                       const AfterRebuild& afterReload, const Progress& progress) {
  const std::vector<std::string> first = noteKeysOn("data"), second = noteKeysOn("data2");
  RebuildSteps steps {progress, 0, first.size() + second.size()};
  writeIndexOf("data", first, steps);
  reload(index, dataFolder, afterReload);
  writeIndexOf("data2", second, steps);
  reload(index, dataFolder, afterReload);
}

bool saveAndRebuildAll(KeywordIndex& index, const std::string& dataFolder,
                       const AfterRebuild& afterReload, const Progress& progress) {
  if (!index.save(dataFolder)) return false;
  rebuildAllIndexes(index, dataFolder, afterReload, progress);
  return true;
}

void removeStaleTempFiles() {
  removeTempFiles(exeDir());
  for (const char* data : {"data", "data2"}) {
    std::string base = exeDir() + data + kPathSep;
    removeTempFiles(base);
    for (const std::string& sub : noteFolders(base)) removeTempFiles(base + sub + kPathSep);
  }
}

}  // namespace tav
