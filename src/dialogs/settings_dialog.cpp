#include "dialogs/settings_dialog.h"

#include <algorithm>

#include "platform/platform.h"
#include "store/rebuild.h"
#include "store/sync_names.h"
#include "store/text.h"

namespace tav {

namespace {

// Adds text to list unless it is there already.
void addOnce(NameList& list, const std::string& text) {
  if (!listContains(list, text)) list.push_back(text);
}

// The sub-folders the set keeps in "data": every field after the name.
NameList setMembers(std::string_view entry) {
  NameList fields;
  splitText(entry, fields, ',');
  NameList members;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    if (!fields[i].empty()) members.push_back(fields[i]);
  }
  return members;
}

std::string dataFolderPath(const char* name) { return exePath(name) + kPathSep; }

NameList subFolders(const char* name) {
  std::string folder = dataFolderPath(name);
  if (pathKind(folder) != PathKind::Folder) createFolder(exePath(name));
  return noteFolders(folder);
}

// Moves the listed names from one data folder to the other; true when it tried any.
bool moveFolders(const NameList& names, const char* from, const char* to) {
  for (const std::string& name : names)
    moveFile(dataFolderPath(from) + name, dataFolderPath(to) + name);
  return !names.empty();
}

}  // namespace

bool listContains(const NameList& list, std::string_view text) {
  return std::find(list.rbegin(), list.rend(), text) != list.rend();
}

void moveSelected(NameList& from, int row, NameList& to) {
  if (row < 0 || static_cast<std::size_t>(row) >= from.size()) return;
  addOnce(to, from[static_cast<std::size_t>(row)]);
  from.erase(from.begin() + row);
}

void moveAll(NameList& from, NameList& to) {
  while (!from.empty()) {
    addOnce(to, from.back());
    from.pop_back();
  }
}

std::string dirSetName(std::string_view entry) { return commaField(entry, 1); }

NameList dirSetNames(const NameList& dirList) {
  NameList names;
  for (const std::string& entry : dirList) {
    std::string name = dirSetName(entry);
    if (!name.empty()) addOnce(names, name);
  }
  return names;
}

bool usableSetName(std::string_view name) {
  return !name.empty() && name.find(',') == std::string_view::npos;
}

std::string dirSetText(std::string_view name, const NameList& left) {
  std::string text(name);
  text += ',';
  for (const std::string& item : left) text += "," + item;
  return text;
}

const std::string* findDirSet(const NameList& dirList, std::string_view name) {
  for (const std::string& entry : dirList) {
    if (dirSetName(entry) == name) return &entry;
  }
  return nullptr;
}

void applyDirSet(std::string_view entry, NameList& left, NameList& right) {
  NameList members = setMembers(entry);
  moveAll(left, right);
  NameList rest;
  for (const std::string& item : right) {
    if (listContains(members, item)) addOnce(left, item);
    else rest.push_back(item);
  }
  right.swap(rest);
}

void saveDirSet(NameList& dirList, std::string_view name, std::string_view replaced,
                const NameList& left) {
  if (!replaced.empty()) deleteDirSet(dirList, replaced);
  deleteDirSet(dirList, name);
  dirList.push_back(dirSetText(name, left));
}

void deleteDirSet(NameList& dirList, std::string_view name) {
  dirList.erase(std::remove_if(dirList.begin(), dirList.end(),
                               [&](const std::string& e) { return dirSetName(e) == name; }),
                dirList.end());
}

NameList foldersToMove(const NameList& listing, const NameList& keep, const NameList& skip) {
  NameList out;
  for (const std::string& name : listing) {
    if (!listContains(keep, name) && !listContains(skip, name)) out.push_back(name);
  }
  return out;
}

DataSides readDataSides() { return {subFolders("data"), subFolders("data2")}; }

bool moveUnlistedFolders(const NameList& dataSide, const NameList& data2Side) {
  NameList toData2 = foldersToMove(subFolders("data"), dataSide);
  bool moved = moveFolders(toData2, "data", "data2");
  // The second pass lists "data2" after the first pass's moves, but never
  // sends back what the first pass just brought.
  NameList toData = foldersToMove(subFolders("data2"), data2Side, toData2);
  return moveFolders(toData, "data2", "data") || moved;
}

SettingsDialogData settingsDialogStart(const Settings& s, const NameList& dirList) {
  SettingsDialogData d;
  d.defdir = s.defdir;
  d.warp = s.warp;
  d.current = s.dataFolder();
  d.dirList = dirList;
  DataSides sides = readDataSides();
  d.dataSide = std::move(sides.data);
  d.data2Side = std::move(sides.data2);
  return d;
}

SettingsOutcome applySettingsDialog(const SettingsDialogData& d, Settings& s,
                                   KeywordIndex& index, const Progress& progress) {
  SettingsOutcome out;
  s.defdir = d.defdir;
  s.warp = d.warp;
  // Unsaved notes must not be dropped: when they cannot be written, the
  // folders stay as they are and the index keeps them for the next save.
  if (!index.save(s.dataFolder())) {
    out.saved = false;
    return out;
  }
  index.clear();
  s.current = d.current;
  writeCurrentFolder(s);
  out.moved = moveUnlistedFolders(d.dataSide, d.data2Side);
  if (out.moved) rebuildAllIndexes(index, s.dataFolder(), {}, progress);
  index.clear();
  index.load(s.dataFolder());
  return out;
}

}  // namespace tav
