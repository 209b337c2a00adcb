#include "store/rebuild.h"

#include <vector>

#include "platform/platform.h"
#include "store/note.h"
#include "store/text.h"

namespace tav {

namespace {

// One value field of the line from a header element: up to a comma, which
// would shift the fields after it.
std::string fieldOf(std::string_view head, const char* tag) {
  std::string v = extractTag(head, tag).value_or("0");
  return v.substr(0, v.find(','));
}

void appendLine(std::string& out, const std::string& sub, const std::string& file,
                const std::optional<std::string>& text) {
  const std::size_t from = out.size();
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
    out += trimSeparator(keyword, ',', false);
  } else {
    out += "0,0,0,null2";
  }
  // A line break inside an element (or a "<k>" never closed, which runs to the
  // end of the file) would split the line: it becomes a space, as in a stored keyword.
  for (std::size_t i = from; i < out.size(); ++i)
    if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
  out += '\n';
}

// The note files of a folder that the rebuild takes, as "sub-folder/file".
// Listed before any is read, so that the reading can tell how far it got.
std::vector<std::string> noteKeysOn(const std::string& folder) {
  std::string base = exeDir() + folder;
  base += kPathSep;
  std::vector<std::string> subs, keys;
  listFolder(base, subs, ListWhat::Folders);
  for (const std::string& sub : subs) {
    std::string dir = base + sub;
    if (!isSafeNamePart(sub) || pathKind(dir) != PathKind::Folder) continue;  // never list what no key can name
    std::vector<std::string> files;
    listFolder(dir, files, ListWhat::Files);
    for (const std::string& file : files) {
      if (isTempFileName(file)) continue;  // a save cut short, not a note
      // A name that cannot be part of a key (a comma, a line break, a device
      // name...) would give an entry whose note is never read: leave it out.
      if (isSafeNoteKey(sub + "/" + file)) keys.push_back(sub + "/" + file);
    }
  }
  return keys;
}

// Steps through the notes of one or both data folders.
struct RebuildSteps {
  const Progress& progress;
  std::size_t done = 0, total = 0;
};

std::string indexTextOf(const std::string& folder, const std::vector<std::string>& keys,
                        RebuildSteps& steps) {
  std::string out;
  for (const std::string& key : keys) {
    const std::size_t slash = key.find('/');
    std::string sub = key.substr(0, slash), file = key.substr(slash + 1);
    appendLine(out, sub, file, readWholeFile(notePath(folder, key)));
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

void saveAndRebuildAll(KeywordIndex& index, const std::string& dataFolder,
                       const AfterRebuild& afterReload, const Progress& progress) {
  index.save(dataFolder);
  rebuildAllIndexes(index, dataFolder, afterReload, progress);
}

void removeStaleTempFiles() {
  removeTempFiles(exeDir());
  for (const char* data : {"data", "data2"}) {
    std::string base = exeDir() + data + kPathSep;
    removeTempFiles(base);
    std::vector<std::string> subs;
    listFolder(base, subs, ListWhat::Folders);
    for (const std::string& sub : subs) removeTempFiles(base + sub + kPathSep);
  }
}

}  // namespace tav
