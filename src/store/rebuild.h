// Regenerating "index2.txt" from the note files, which are the primary data.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/keyword_index.h"
#include "store/progress.h"

namespace tav {

// Called after the index has been reloaded; the main window selects the
// keyword box's text and gives it the focus.
using AfterRebuild = std::function<void()>;

// The index text of a data folder as its note files give it: one line per
// file exactly one level below the folder whose sub-folder and file names can
// make a key (isSafeNoteKey), in listing order, each ended by
// LF; "null" for a file that cannot be read, "null2" for one without "<k>".
std::string rebuildIndexText(const std::string& folder, const Progress& progress = {});

// The note files of a folder that the rebuild takes, as keys ("sub-folder/file").
std::vector<std::string> noteKeysOn(const std::string& folder);

// The index line (without its LF) that the rebuild makes of key's note file
// text (nothing: unreadable).
std::string indexLineFor(std::string_view key, const std::optional<std::string>& text);

// Rewrites ExeDir + folder + "index2.txt" (creating the folder when missing),
// then reloads index from dataFolder (unsaved changes are dropped) and calls
// afterReload when it is set.
void rebuildIndex(const std::string& folder, KeywordIndex& index, const std::string& dataFolder,
                  const AfterRebuild& afterReload = {});

// rebuildIndex for "data", then for "data2", with one progress over the
// notes of both.
void rebuildAllIndexes(KeywordIndex& index, const std::string& dataFolder,
                       const AfterRebuild& afterReload = {}, const Progress& progress = {});

// Saves the index first, so that nothing stored in this run is lost, then
// rebuilds both data folders (the menu's rebuild and the one after a note
// that cannot be read). When the save fails nothing is rebuilt (the reload
// would drop what could not be written) and the result is false.
bool saveAndRebuildAll(KeywordIndex& index, const std::string& dataFolder,
                       const AfterRebuild& afterReload = {}, const Progress& progress = {});

// Removes what saves cut short by a dying process left behind: the temporary
// files of atomic writes in ExeDir, the data folders and their sub-folders.
// Only safe while no other instance can be saving, so after the mutex.
void removeStaleTempFiles();

}  // namespace tav
