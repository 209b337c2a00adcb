// The few operating-system services the core needs. One implementation per
// platform (platform/win32, platform/posix); the same tests run against both.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav {

// Path separator of this platform ('\\' on Windows, '/' elsewhere).
extern const char kPathSep;

// ---- files and folders. Paths are code page 932 bytes.

// Whole file, or nothing when it cannot be opened or read. A NUL byte ends the
// text, as it does for every user of the text.
std::optional<std::string> readWholeFile(const std::string& path);

// Replaces the file atomically: a temporary file in the same folder is written,
// flushed and renamed over the target. On failure the old file is left whole
// and no temporary file remains. Returns false on failure.
bool writeWholeFile(const std::string& path, std::string_view text);

// Is this file name one of the temporary files writeWholeFile uses?
bool isTempFileName(std::string_view name);
// Deletes those temporary files in folder (which ends with the separator).
void removeTempFiles(const std::string& folder);

// Appends to the file, creating it when missing.
bool appendToFile(const std::string& path, std::string_view text);

bool deleteFile(const std::string& path);

// A file kept open for appending (the edit journal); nullptr when it cannot be
// opened. Writes go to the system's cache; flushOpen puts them on the disk.
using OpenFile = void*;
OpenFile openForAppend(const std::string& path);
bool appendOpen(OpenFile f, std::string_view text);
bool flushOpen(OpenFile f);
// Cuts the file back to size bytes; later appends follow them.
bool truncateOpen(OpenFile f, std::uint64_t size);
void closeOpen(OpenFile f);

// Fault tests: when set, asked before each file operation (reads included);
// a fault other than None makes the operation fail as that error would,
// without doing it (an append writes half its text first, as a disk that
// fills up midway does). Null in the program.
enum class FileOp { Read, Create, Write, Flush, Rename, Delete, Append, Truncate, Folder, Watch };
enum class FileFault { None, DiskFull, AccessDenied, SharingViolation };
extern FileFault (*fileOpFault)(FileOp op, const std::string& path);
inline FileFault injectedFault(FileOp op, const std::string& path) {
  return fileOpFault ? fileOpFault(op, path) : FileFault::None;
}

// Crash tests: when set, called right after every file operation that changes
// the disk (creating, writing, flushing, renaming, deleting a file, creating a
// folder); an append to an open file is written in two halves with a call after
// each, so that a stop between them leaves a torn record. Null in the program.
extern void (*afterFileOp)();
inline void fileOpDone() {
  if (afterFileOp) afterFileOp();
}
bool createFolder(const std::string& path);
bool removeFolder(const std::string& path);  // empty folders only
bool moveFile(const std::string& from, const std::string& to);  // fails if `to` exists

enum class PathKind { None, Folder, File };
// What is at path. One trailing separator is ignored.
PathKind pathKind(const std::string& path);

// Appends names (no paths) in the file system's order: the sub-folders
// (without "." and "..") or the files. A missing folder appends nothing.
enum class ListWhat { Folders, Files };
void listFolder(const std::string& folder, std::vector<std::string>& out, ListWhat what);
// listFolder with what the file system says of each entry besides its name.
struct FolderEntry {
  std::string name;
  bool hidden = false;  // the hidden or system attribute; never set where there are none
};
void listFolderEntries(const std::string& folder, std::vector<FolderEntry>& out, ListWhat what);

// A file's size and last write time. The time counts 100 ns steps on the
// clock fileClockNow reads; a stamp is only compared whole.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t time = 0;
  bool operator==(const FileStamp& o) const { return size == o.size && time == o.time; }
};
// One file's stamp; nothing when there is no file (or it cannot be asked).
std::optional<FileStamp> fileStampOf(const std::string& path);
// Appends the files of folder (not its sub-folders, nor links) with their
// stamps, in the file system's order. A missing folder appends nothing.
void listFolderStamps(const std::string& folder,
                      std::vector<std::pair<std::string, FileStamp>>& out);
// The present moment in FileStamp::time's steps.
std::uint64_t fileClockNow();

// True when any entry matches the wildcard pattern ('*' and '?' in the last part).
bool anyMatch(const std::string& pattern);

// ---- the executable's folder, ending with the separator.

// Folder of the running executable with its trailing separator, or empty on failure.
std::string moduleFolder();
// The folder every relative file is resolved against. Tests point it elsewhere.
const std::string& exeDir();
void setExeDir(const std::string& dir);
// exeDir() + name.
std::string exePath(std::string_view name);

// ---- INI files, with the semantics of the Windows private-profile calls:
// a missing file, section or key gives the default; the result is cut to
// bufSize - 1 bytes; a write replaces one key and keeps the rest of the file.
std::string iniRead(const std::string& section, const std::string& key,
                    const std::string& def, const std::string& path,
                    std::size_t bufSize = 256);
bool iniWrite(const std::string& section, const std::string& key,
              const std::string& value, const std::string& path);

// ---- clock. Seconds since the epoch; tests replace the source.
std::time_t nowSeconds();
void setClock(std::function<std::time_t()> source);  // empty function: the real clock
std::tm localTimeOf(std::time_t t);

// Pauses the thread; used for short retries.
void sleepMillis(int ms);

}  // namespace tav
