// File and folder services on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "platform/path.h"
#include "platform/platform.h"

namespace tav {

const char kPathSep = '/';

namespace {

std::string stripOneSeparator(const std::string& path) {
  if (path.size() > 1 && endsWithSeparator(path)) return path.substr(0, path.size() - 1);
  return path;
}

bool writeAll(int fd, std::string_view text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// An injected fault as the error it stands for.
bool failAs(FileFault f) {
  if (f == FileFault::None) return false;
  errno = f == FileFault::DiskFull ? ENOSPC : f == FileFault::AccessDenied ? EACCES : EBUSY;
  return true;
}

std::size_t charLen(std::string_view s, std::size_t i) {
  return isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// Wildcard match of a file name with the rules of the Windows find calls:
// '*' any run, '?' one character (a double-byte one too), ASCII letters
// without case, no other special characters (so "[" is a plain character).
bool wildMatch(std::string_view mask, std::string_view name) {
  std::size_t m = 0, n = 0;
  std::size_t starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starM = ++m;
      starN = n;
      continue;
    }
    if (m < mask.size()) {
      std::size_t lm = charLen(mask, m), ln = charLen(name, n);
      bool same = mask[m] == '?' ||
                  (lm == ln && (lm == 2 ? mask.compare(m, 2, name.substr(n, 2)) == 0
                                        : foldAscii(mask[m]) == foldAscii(name[n])));
      if (same) {
        m += lm;
        n += ln;
        continue;
      }
    }
    if (starM == std::string_view::npos) return false;
    m = starM;
    starN += charLen(name, starN);
    n = starN;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
  // Non-blocking, so that a pipe standing in a folder cannot stall a listing's reader.
  if (failAs(injectedFault(FileOp::Read, path))) return std::nullopt;
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string data;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  std::size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  return data;
}

bool writeWholeFile(const std::string& path, std::string_view text) {
  // A file the user made read-only stays as it is (as it does on Windows,
  // where the rename is refused); a replaced file keeps its permissions.
  struct stat st {};
  const bool existed = ::stat(path.c_str(), &st) == 0;
  if (existed && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) return false;
  // The name holds the process id; a file left by a killed process of the
  // same id is stepped over, not taken as a failed write.
  static unsigned counter = 0;
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = folderOf(path) + ".~tav" + std::to_string(::getpid()) + "_" +
          std::to_string(++counter) + ".tmp";
    if (failAs(injectedFault(FileOp::Create, tmp))) return false;
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  fileOpDone();
  bool ok = !failAs(injectedFault(FileOp::Write, path)) && writeAll(fd, text);
  fileOpDone();
  ok = ok && (!existed || !S_ISREG(st.st_mode) || ::fchmod(fd, st.st_mode & 07777) == 0) &&
       ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  fileOpDone();
  if (ok) {
    ok = !failAs(injectedFault(FileOp::Rename, path)) && ::rename(tmp.c_str(), path.c_str()) == 0;
    fileOpDone();
  }
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

bool appendToFile(const std::string& path, std::string_view text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return false;
  bool ok = writeAll(fd, text);
  return (::close(fd) == 0) && ok;
}

bool deleteFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (failAs(injectedFault(FileOp::Delete, path))) return false;
  bool ok = ::unlink(path.c_str()) == 0;
  fileOpDone();
  return ok;
}

bool createFolder(const std::string& path) {
  if (failAs(injectedFault(FileOp::Folder, path))) return false;
  bool ok = ::mkdir(path.c_str(), 0755) == 0;
  fileOpDone();
  return ok;
}

// The handle is the descriptor plus one, so that nullptr means none.
OpenFile openForAppend(const std::string& path) {
  if (failAs(injectedFault(FileOp::Create, path))) return nullptr;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return nullptr;
  fileOpDone();
  return reinterpret_cast<OpenFile>(static_cast<std::intptr_t>(fd) + 1);
}

namespace {
int fdOf(OpenFile f) { return static_cast<int>(reinterpret_cast<std::intptr_t>(f) - 1); }
}  // namespace

bool appendOpen(OpenFile f, std::string_view text) {
  if (!f) return false;
  if (FileFault fault = injectedFault(FileOp::Append, std::string()); fault != FileFault::None) {
    // A disk that fills up midway: part of the text is there.
    if (fault == FileFault::DiskFull) writeAll(fdOf(f), text.substr(0, text.size() / 2));
    return !failAs(fault);
  }
  std::size_t half = afterFileOp ? text.size() / 2 : text.size();
  bool ok = writeAll(fdOf(f), text.substr(0, half));
  fileOpDone();
  if (half < text.size()) {
    ok = ok && writeAll(fdOf(f), text.substr(half));
    fileOpDone();
  }
  return ok;
}

bool flushOpen(OpenFile f) {
  if (failAs(injectedFault(FileOp::Flush, std::string()))) return false;
  bool ok = f && ::fdatasync(fdOf(f)) == 0;
  fileOpDone();
  return ok;
}

bool truncateOpen(OpenFile f, std::uint64_t size) {
  if (!f || failAs(injectedFault(FileOp::Truncate, std::string()))) return false;
  bool ok = ::ftruncate(fdOf(f), static_cast<off_t>(size)) == 0;
  fileOpDone();
  return ok;
}

void closeOpen(OpenFile f) {
  if (f) ::close(fdOf(f));
}

bool removeFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool moveFile(const std::string& from, const std::string& to) {
  if (failAs(injectedFault(FileOp::Rename, from))) return false;
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

PathKind pathKind(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(stripOneSeparator(path).c_str(), &st) != 0) return PathKind::None;
  return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

void listFolder(const std::string& folder, std::vector<std::string>& out, ListWhat what) {
  if (pathKind(folder) != PathKind::Folder) return;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return;
  std::string base = endsWithSeparator(folder) ? folder : folder + "/";
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool isDir = pathKind(base + name) == PathKind::Folder;
    if ((what == ListWhat::Folders) == isDir) out.push_back(name);
  }
  ::closedir(d);
}

void listFolderEntries(const std::string& folder, std::vector<FolderEntry>& out, ListWhat what) {
  std::vector<std::string> names;
  listFolder(folder, names, what);
  for (std::string& name : names) out.push_back(FolderEntry {std::move(name), false});
}

std::optional<FileStamp> fileStampOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  FileStamp s;
  s.size = static_cast<std::uint64_t>(st.st_size);
  s.time = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 10000000u +
           static_cast<std::uint64_t>(st.st_mtim.tv_nsec) / 100u;
  return s;
}

void listFolderStamps(const std::string& folder,
                      std::vector<std::pair<std::string, FileStamp>>& out) {
  DIR* d = ::opendir(folder.c_str());
  if (!d) return;
  std::string base = endsWithSeparator(folder) ? folder : folder + "/";
  while (dirent* e = ::readdir(d)) {
    struct stat st {};
    // lstat: a link's own stamp does not change with what it points to.
    if (::lstat((base + e->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    FileStamp s;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.time = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 10000000u +
             static_cast<std::uint64_t>(st.st_mtim.tv_nsec) / 100u;
    out.emplace_back(e->d_name, s);
  }
  ::closedir(d);
}

std::uint64_t fileClockNow() {
  timespec ts {};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 10000000u +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100u;
}

bool anyMatch(const std::string& pattern) {
  std::string folder = folderOf(pattern);
  std::string mask = fileNameOf(pattern);
  // "*.*" and "name.*" also match names without an extension, as on Windows.
  std::string bare;
  if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0)
    bare = mask.substr(0, mask.size() - 2);
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return false;
  bool found = false;
  while (dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    if (wildMatch(mask, e->d_name) || (!bare.empty() && wildMatch(bare, e->d_name))) {
      found = true;
      break;
    }
  }
  ::closedir(d);
  return found;
}

std::string moduleFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  return folderOf(std::string_view(buf, static_cast<std::size_t>(n)));
}

std::tm localTimeOf(std::time_t t) {
  std::tm tm {};
  ::localtime_r(&t, &tm);
  return tm;
}

void sleepMillis(int ms) { ::usleep(static_cast<useconds_t>(ms) * 1000); }

}  // namespace tav
