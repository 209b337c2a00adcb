// What other programs keep among the notes. A data folder may be one that a
// sync engine, a cloud drive or the shell also writes: their own files and
// folders are never notes, while a sync engine's conflict copy of a note is
// one, marked in its keyword so that it stands out beside the note it copies.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace tav {

// Is this file or folder another program's: hidden (a name starting with "."
// or "~", or the hidden or system attribute), "desktop.ini" or "Thumbs.db"
// (in any case)? Sync engines' folders and temporary files (".stfolder",
// ".stversions", "~syncthing~*.tmp", ".syncthing.*.tmp") are of this kind.
bool isForeignEntry(std::string_view name, bool hidden = false);

// The sub-folders of a data folder (base ends with the separator) that can
// hold notes, in the file system's order: every listing of sub-folders goes
// through here, so no other program's folder is listed, moved or emptied.
std::vector<std::string> noteFolders(const std::string& base);

// The files of one sub-folder that can be notes, in the file system's order.
std::vector<std::string> noteFiles(const std::string& folder);

// Calls fn(key, stamp) for every file in the sub-folders of the data folder
// (relative to the executable's folder) that can hold notes: one listing of
// each, with the files' stamps.
void forEachFileStamp(const std::string& dataFolder,
                      const std::function<void(const std::string& key,
                                               const FileStamp& stamp)>& fn);

// Is this file name a sync engine's conflict copy of a note:
// "<name>.sync-conflict-<yyyymmdd>-<hhmmss>-<device>[.ext]", or
// "<name> (<...>conflicted copy<...>)" and its Japanese form with "競合コピー"?
bool isConflictCopyName(std::string_view name);

// What a conflicting copy's keyword ends with.
inline constexpr std::string_view kConflictMark = " (競合コピー)";

// The keyword with kConflictMark after it, once.
std::string conflictCopyKeyword(std::string_view keyword);

// Is this file name a sync engine's conflict copy of "index2.txt"?
bool isIndexCopyName(std::string_view name);

// Is a change the folder watcher saw news for the program? Its key is a note
// file's ("sub-folder/file"), a sub-folder's ("sub-folder/", asked before the
// sub-folder is watched) or a file of the data folder itself, of which only
// "index2.txt" and a sync engine's copies of it are news (this PC's journal
// and body cache are its own). Other programs' names (isForeignEntry, by
// name alone) never are.
bool isWatchedKey(std::string_view key);

// The keyword of the other program's version of a note that both it and
// Tavolin changed: marked, with the local time the save found it.
std::string conflictKeywordAt(std::string_view keyword, const std::tm& when);

}  // namespace tav
