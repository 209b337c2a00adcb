// The settings dialog's logic: the two lists of sub-folders (which stay in
// "data", which in "data2"), the directory sets kept in dirList, and what OK
// does with the folders, the settings and the keyword index.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"
#include "store/keyword_index.h"
#include "store/progress.h"

namespace tav {

using NameList = std::vector<std::string>;

// ---- the two lists ("data:" on the left, "data2:" on the right)

// True when an item equals text byte for byte.
bool listContains(const NameList& list, std::string_view text);
// Moves item `row` of from to `to` (never twice into `to`); nothing when row
// is not an item.
void moveSelected(NameList& from, int row, NameList& to);
// Moves every item of from to `to`, last item first.
void moveAll(NameList& from, NameList& to);

// ---- directory sets: name + "," + "," + each sub-folder of "data"

std::string dirSetName(std::string_view entry);
// The names of the sets, each once, in list order.
NameList dirSetNames(const NameList& dirList);
// A name that can be read back from its entry: not empty and without ",".
bool usableSetName(std::string_view name);
// name + "," then "," + item for each item of left, in order ("a,,x,y").
std::string dirSetText(std::string_view name, const NameList& left);
// The first entry named name, or null.
const std::string* findDirSet(const NameList& dirList, std::string_view name);
// Leaves on the left exactly the set's sub-folders found on either side; all
// others go to the right. The set's own name is not one of its sub-folders.
void applyDirSet(std::string_view entry, NameList& left, NameList& right);
// Stores left as the set `name` at the end of dirList, in place of the set
// chosen before (`replaced`, empty for none) and of any set already so named,
// so that every name stays one set.
void saveDirSet(NameList& dirList, std::string_view name, std::string_view replaced,
                const NameList& left);
// Removes every set named name.
void deleteDirSet(NameList& dirList, std::string_view name);

// ---- the data folders and OK

// The sub-folders of listing that are in neither keep nor skip, in listing order.
NameList foldersToMove(const NameList& listing, const NameList& keep, const NameList& skip = {});

struct DataSides {
  NameList data, data2;
};
// Creates ExeDir "data" and "data2" when missing and lists their sub-folders.
DataSides readDataSides();

// Moves each sub-folder of "data" that dataSide does not hold into "data2",
// then each sub-folder of "data2" that data2Side does not hold (and that was
// not just moved there) into "data". A folder whose name is taken on the other
// side stays where it is. True when any move was attempted.
bool moveUnlistedFolders(const NameList& dataSide, const NameList& data2Side);

// What the dialog edits. dirList changes at once ("更新", "削除"), whether the
// dialog ends with OK or not; the rest counts only on OK.
struct SettingsDialogData {
  std::string defdir;   // 10070
  std::string warp;     // 10080
  std::string current;  // 1028: "data" or "data2"
  NameList dirList;
  NameList dataSide, data2Side;  // the two lists as OK found them
};

// The data as the dialog starts: the settings' values, dirList, the folders' listings.
SettingsDialogData settingsDialogStart(const Settings& s, const NameList& dirList);

struct SettingsOutcome {
  bool saved = true;   // the index of the old data folder was written
  bool moved = false;  // a sub-folder move was attempted (and both indexes rebuilt)
};

// OK, in order: defdir and warp taken; the index saved and cleared under the
// old data folder; current taken and written to "init.ini"; the unlisted sub-folders moved, "data"
// first; both indexes rebuilt when a move was attempted; the index loaded from
// the folder now in use. When the index cannot be saved, only defdir and warp
// are taken: the folders, current and the index in memory stay as they were.
// The rebuilds tell their progress.
SettingsOutcome applySettingsDialog(const SettingsDialogData& d, Settings& s,
                                    KeywordIndex& index, const Progress& progress = {});

}  // namespace tav
