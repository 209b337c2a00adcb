// An in-memory file system behind the platform layer's file calls, for the
// fuzz targets: fast (no disk, no fsync), reset for every input, and it
// records every path the code under test touches, so a target can check that
// nothing outside the data folder was ever opened, written or deleted.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzfs {

// The folder the fake program runs from (exeDir()).
constexpr const char* kExeDir = "/tav/";

enum class Op { Read, Write, Append, Delete, MakeFolder, RemoveFolder, MoveFrom, MoveTo, Kind, List, Match };

struct Access {
  Op op;
  std::string path;  // as the caller built it
};

// Empties the file system (only kExeDir exists), the journal, and points
// exeDir() at kExeDir.
void reset();

// Puts a file or a folder (and every folder above it) straight into the tree,
// without a journal entry. The path is relative to kExeDir, '/' separated.
// As on a disk, nothing is put below a file, and no file where a folder is.
void putFile(const std::string& relPath, std::string_view content);
void putFolder(const std::string& relPath);
// The file's content, or nullptr; no journal entry.
const std::string* fileAt(const std::string& relPath);

const std::vector<Access>& journal();
void clearJournal();

// Does path (as built by the code) stay within kExeDir + folder when read with
// Windows' rules: both '\' (standing as a character of its own, code page 932)
// and '/' separate, trailing dots and spaces of a part are dropped, "." and
// ".." are resolved, and a part holding ':' or naming a device leaves the
// folder? depth receives the number of parts below the folder.
bool staysIn(const std::string& path, const std::string& folder, int* depth);

// Checks the journal: every access lies in kExeDir + folder, at depth 0 (the
// folder itself), 1 (only the name `topFile`) or 2 (sub-folder and file).
// Aborts with a message naming the path otherwise.
void checkConfined(const std::string& folder, const std::string& topFile);

// Aborts when any access of the journal used exactly this path.
void checkUntouched(const std::string& path);

}  // namespace fuzzfs
