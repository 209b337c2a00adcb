// File and folder services on Windows, through the ANSI (code page 932) calls.
#include <windows.h>

#include <string>

#include "platform/path.h"
#include "platform/platform.h"

namespace tav {

const char kPathSep = '\\';

namespace {

std::string stripOneSeparator(const std::string& path) {
  if (path.size() > 1 && endsWithSeparator(path)) return path.substr(0, path.size() - 1);
  return path;
}

bool writeAll(HANDLE h, std::string_view text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(h, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    left -= written;
  }
  return true;
}

// Virus scanners and indexers hold fresh files for tens of milliseconds.
bool isTransientError(DWORD e) {
  return e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED || e == ERROR_LOCK_VIOLATION;
}

// An injected fault as the error it stands for.
bool failAs(FileFault f) {
  if (f == FileFault::None) return false;
  SetLastError(f == FileFault::DiskFull       ? ERROR_DISK_FULL
               : f == FileFault::AccessDenied ? ERROR_ACCESS_DENIED
                                              : ERROR_SHARING_VIOLATION);
  return true;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
  // Read and write sharing: an editor or a sync engine that holds a note open
  // (even for writing) must not make it unreadable here. What is read is
  // checked by the callers (stamps), not guaranteed by locking.
  if (failAs(injectedFault(FileOp::Read, path))) return std::nullopt;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size {};
  if (!GetFileSizeEx(h, &size) || size.QuadPart > 0x7FFFFFFF) {
    CloseHandle(h);
    return std::nullopt;
  }
  std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t got = 0;
  while (got < data.size()) {
    DWORD n = 0;
    if (!ReadFile(h, &data[got], static_cast<DWORD>(data.size() - got), &n, nullptr)) {
      CloseHandle(h);
      return std::nullopt;
    }
    if (n == 0) break;
    got += n;
  }
  CloseHandle(h);
  data.resize(got);
  std::size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  return data;
}

bool writeWholeFile(const std::string& path, std::string_view text) {
  // A read-only file is refused at once rather than after the retries below.
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) &&
      !(attrs & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  // The name holds the process id; a file left by a killed process of the
  // same id is stepped over, not taken as a failed write.
  static unsigned counter = 0;
  std::string tmp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    tmp = folderOf(path) + "~tav" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(++counter) + ".tmp";
    if (failAs(injectedFault(FileOp::Create, tmp))) return false;
    h = CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  if (h == INVALID_HANDLE_VALUE) return false;
  fileOpDone();
  bool ok = !failAs(injectedFault(FileOp::Write, path)) && writeAll(h, text);
  fileOpDone();
  ok = ok && FlushFileBuffers(h);
  ok = CloseHandle(h) && ok;
  fileOpDone();
  if (ok) {
    ok = false;
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (!failAs(injectedFault(FileOp::Rename, path)) &&
          MoveFileExA(tmp.c_str(), path.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = true;
        fileOpDone();
        break;
      }
      if (!isTransientError(GetLastError())) break;
      Sleep(30);
    }
  }
  if (!ok) DeleteFileA(tmp.c_str());
  return ok;
}

bool appendToFile(const std::string& path, std::string_view text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
            writeAll(h, text);
  return CloseHandle(h) && ok;
}

bool deleteFile(const std::string& path) {
  if (failAs(injectedFault(FileOp::Delete, path))) return false;
  bool ok = DeleteFileA(path.c_str()) != 0;
  fileOpDone();
  return ok;
}

bool createFolder(const std::string& path) {
  if (failAs(injectedFault(FileOp::Folder, path))) return false;
  bool ok = CreateDirectoryA(path.c_str(), nullptr) != 0;
  fileOpDone();
  return ok;
}

OpenFile openForAppend(const std::string& path) {
  if (failAs(injectedFault(FileOp::Create, path))) return nullptr;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  fileOpDone();
  if (SetFilePointer(h, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    CloseHandle(h);
    return nullptr;
  }
  return h;
}

bool appendOpen(OpenFile f, std::string_view text) {
  HANDLE h = static_cast<HANDLE>(f);
  if (!h) return false;
  if (FileFault fault = injectedFault(FileOp::Append, std::string()); fault != FileFault::None) {
    // A disk that fills up midway: part of the text is there.
    if (fault == FileFault::DiskFull) writeAll(h, text.substr(0, text.size() / 2));
    return !failAs(fault);
  }
  std::size_t half = afterFileOp ? text.size() / 2 : text.size();
  bool ok = writeAll(h, text.substr(0, half));
  fileOpDone();
  if (half < text.size()) {
    ok = ok && writeAll(h, text.substr(half));
    fileOpDone();
  }
  return ok;
}

bool flushOpen(OpenFile f) {
  if (failAs(injectedFault(FileOp::Flush, std::string()))) return false;
  bool ok = f && FlushFileBuffers(static_cast<HANDLE>(f));
  fileOpDone();
  return ok;
}

bool truncateOpen(OpenFile f, std::uint64_t size) {
  HANDLE h = static_cast<HANDLE>(f);
  if (!h || failAs(injectedFault(FileOp::Truncate, std::string()))) return false;
  LARGE_INTEGER at {};
  at.QuadPart = static_cast<LONGLONG>(size);
  bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  fileOpDone();
  return ok;
}

void closeOpen(OpenFile f) {
  if (f) CloseHandle(static_cast<HANDLE>(f));
}

bool removeFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool moveFile(const std::string& from, const std::string& to) {
  if (failAs(injectedFault(FileOp::Rename, from))) return false;
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}

PathKind pathKind(const std::string& path) {
  if (path.empty()) return PathKind::None;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(stripOneSeparator(path).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return PathKind::None;
  FindClose(h);
  return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

namespace {

// Calls f for every entry of folder ("." and ".." included).
template <typename F>
void forEachEntry(const std::string& folder, F f) {
  std::string pattern = folder;
  if (!endsWithSeparator(pattern)) pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do f(fd);
  while (FindNextFileA(h, &fd));
  FindClose(h);
}

}  // namespace

void listFolderEntries(const std::string& folder, std::vector<FolderEntry>& out, ListWhat what) {
  if (pathKind(folder) != PathKind::Folder) return;
  forEachEntry(folder, [&](const WIN32_FIND_DATAA& fd) {
    bool isDir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string name = fd.cFileName;
    if (isDir ? what != ListWhat::Folders || name == "." || name == ".." : what != ListWhat::Files)
      return;
    bool hidden = (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    out.push_back(FolderEntry {std::move(name), hidden});
  });
}

void listFolder(const std::string& folder, std::vector<std::string>& out, ListWhat what) {
  std::vector<FolderEntry> entries;
  listFolderEntries(folder, entries, what);
  for (FolderEntry& e : entries) out.push_back(std::move(e.name));
}

namespace {
FileStamp stampOf(DWORD sizeHigh, DWORD sizeLow, const FILETIME& written) {
  FileStamp st;
  st.size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
  st.time = (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  return st;
}
}  // namespace

std::optional<FileStamp> fileStampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA fa {};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa) ||
      (fa.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return std::nullopt;
  return stampOf(fa.nFileSizeHigh, fa.nFileSizeLow, fa.ftLastWriteTime);
}

void listFolderStamps(const std::string& folder,
                      std::vector<std::pair<std::string, FileStamp>>& out) {
  forEachEntry(folder, [&](const WIN32_FIND_DATAA& fd) {
    // A link's own stamp does not change with what it points to.
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return;
    out.emplace_back(fd.cFileName, stampOf(fd.nFileSizeHigh, fd.nFileSizeLow, fd.ftLastWriteTime));
  });
}

std::uint64_t fileClockNow() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool anyMatch(const std::string& pattern) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

std::string moduleFolder() {
  std::string buf(1024, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
    if (n == 0) return std::string();
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  return folderOf(buf);
}

std::tm localTimeOf(std::time_t t) {
  std::tm tm {};
  localtime_s(&tm, &t);
  return tm;
}

void sleepMillis(int ms) { Sleep(static_cast<DWORD>(ms)); }

}  // namespace tav
