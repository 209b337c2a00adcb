#include "store/rebuild.h"

#include <vector>

#include "platform/platform.h"
#include "store/text.h"

namespace tav {

namespace {

void appendLine(std::string& out, const std::string& sub, const std::string& file,
                const std::optional<std::string>& text) {
  const std::size_t from = out.size();
  out += sub;
  out += '/';
  out += file;
  out += ',';
  // The tags are read from the header only: a body may well contain "<r>1,2</r>".
  std::string_view head;
  if (text) head = std::string_view(*text).substr(0, text->find("<n>"));
  if (!text) {
    out += "0,0,0,null";
  } else if (std::optional<std::string> k = extractTag(head, "k")) {
    out += extractTag(head, "f").value_or("0");
    out += ',';
    out += extractTag(head, "c").value_or("0");
    out += ',';
    out += extractTag(head, "r").value_or("0");
    out += ',';
    out += trimSeparator(*k, ',', false);
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
  listFolder(base, subs, 0);
  std::string out;
  for (const std::string& sub : subs) {
    std::string dir = base + sub;
    if (pathKind(dir) != 1) continue;
    std::vector<std::string> files;
    listFolder(dir, files, 1);
    for (const std::string& file : files) {
      if (isTempFileName(file)) continue;  // a save cut short, not a note
      appendLine(out, sub, file, readWholeFile(dir + kPathSep + file));
    }
  }
  return out;
}

void rebuildIndex(const std::string& folder, KeywordIndex& index, const std::string& dataFolder,
                  const AfterRebuild& afterReload) {
  std::string base = exeDir() + folder;
  if (pathKind(base) != 1) createFolder(base);
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
    listFolder(base, subs, 0);
    for (const std::string& sub : subs) removeTempFiles(base + sub + kPathSep);
  }
}

}  // namespace tav
