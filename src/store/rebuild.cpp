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

}  // namespace

std::string rebuildIndexText(const std::string& folder) {
  std::string base = exeDir() + folder;
  base += kPathSep;
  std::vector<std::string> subs;
  listFolder(base, subs, ListWhat::Folders);
  std::string out;
  for (const std::string& sub : subs) {
    std::string dir = base + sub;
    if (!isSafeNamePart(sub) || pathKind(dir) != PathKind::Folder) continue;  // never list what no key can name
    std::vector<std::string> files;
    listFolder(dir, files, ListWhat::Files);
    for (const std::string& file : files) {
      if (isTempFileName(file)) continue;  // a save cut short, not a note
      // A name that cannot be part of a key (a comma, a line break, a device
      // name...) would give an entry whose note is never read: leave it out.
      if (!isSafeNoteKey(sub + "/" + file)) continue;
      appendLine(out, sub, file, readWholeFile(dir + kPathSep + file));
    }
  }
  return out;
}

void rebuildIndex(const std::string& folder, KeywordIndex& index, const std::string& dataFolder,
                  const AfterRebuild& afterReload) {
  std::string base = exeDir() + folder;
  if (pathKind(base) != PathKind::Folder) createFolder(base);
  writeWholeFile(base + kPathSep + "index2.txt", rebuildIndexText(folder));
  index.clear();
  index.load(dataFolder);
  if (afterReload) afterReload();
}

void rebuildAllIndexes(KeywordIndex& index, const std::string& dataFolder,
                       const AfterRebuild& afterReload) {
  rebuildIndex("data", index, dataFolder, afterReload);
  rebuildIndex("data2", index, dataFolder, afterReload);
}

void saveAndRebuildAll(KeywordIndex& index, const std::string& dataFolder,
                       const AfterRebuild& afterReload) {
  index.save(dataFolder);
  rebuildAllIndexes(index, dataFolder, afterReload);
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
