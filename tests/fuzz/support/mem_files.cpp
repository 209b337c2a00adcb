// The platform layer's file calls over an in-memory tree (see mem_files.h).
#include "mem_files.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/path.h"
#include "platform/platform.h"

namespace tav {
const char kPathSep = '/';
}

namespace fuzzfs {

namespace {

struct Node {
  bool folder = false;
  std::string content;
};

// Normalised absolute path ("/tav/data/x") -> node. "/" always exists.
std::map<std::string, Node>& tree() {
  static std::map<std::string, Node> t;
  return t;
}

std::vector<Access>& log() {
  static std::vector<Access> j;
  return j;
}

// POSIX resolution: '/' separates, empty parts and "." vanish, ".." goes up.
std::string normal(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t p = 0;
  while (p <= path.size()) {
    std::size_t q = path.find('/', p);
    if (q == std::string::npos) q = path.size();
    std::string part = path.substr(p, q - p);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    p = q + 1;
  }
  std::string out;
  for (const std::string& s : parts) out += "/" + s;
  return out.empty() ? "/" : out;
}

std::string parentOf(const std::string& norm) {
  std::size_t slash = norm.rfind('/');
  return slash == 0 ? "/" : norm.substr(0, slash);
}

Node* nodeAt(const std::string& norm) {
  auto it = tree().find(norm);
  return it == tree().end() ? nullptr : &it->second;
}

bool parentIsFolder(const std::string& norm) {
  Node* n = nodeAt(parentOf(norm));
  return n && n->folder;
}

void note(Op op, const std::string& path) { log().push_back({op, path}); }

// Children of a folder: the entries whose parent it is, in name order.
template <typename F>
void forEachChild(const std::string& norm, F f) {
  std::string prefix = norm == "/" ? "/" : norm + "/";
  for (auto it = tree().lower_bound(prefix); it != tree().end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    std::string rest = it->first.substr(prefix.size());
    if (!rest.empty() && rest.find('/') == std::string::npos) f(rest, it->second);
  }
}

bool wild(const char* m, const char* n) {
  if (*m == 0) return *n == 0;
  if (*m == '*') return wild(m + 1, n) || (*n && wild(m, n + 1));
  return *n && (*m == '?' || *m == *n) && wild(m + 1, n + 1);
}

[[noreturn]] void fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "\n*** %s: \"", what);
  for (unsigned char c : path) {
    if (c >= 0x20 && c < 0x7F) std::fputc(c, stderr);
    else std::fprintf(stderr, "\\x%02X", c);
  }
  std::fprintf(stderr, "\"\n");
  std::abort();
}

bool isDevice(std::string part) {
  part = part.substr(0, part.find('.'));
  while (!part.empty() && part.back() == ' ') part.pop_back();
  for (char& c : part)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  static const char* names[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* n : names)
    if (part == n) return true;
  return part.size() == 4 && (part.compare(0, 3, "COM") == 0 || part.compare(0, 3, "LPT") == 0) &&
         part[3] >= '1' && part[3] <= '9';
}

}  // namespace

void reset() {
  tree().clear();
  tree()["/"].folder = true;
  putFolder("");
  log().clear();
  tav::setExeDir(kExeDir);
}

// As on a disk, set-up never turns a file into a folder or back: nothing is
// put below a file, and no file where a folder is.
bool underAFile(const std::string& norm) {
  for (std::string p = norm; p != "/"; p = parentOf(p)) {
    Node* n = nodeAt(p);
    if (n && !n->folder) return true;
  }
  return false;
}

void putFolder(const std::string& relPath) {
  std::string norm = normal(kExeDir + relPath);
  if (underAFile(norm)) return;
  for (std::string p = norm; p != "/"; p = parentOf(p)) tree()[p].folder = true;
}

void putFile(const std::string& relPath, std::string_view content) {
  std::string norm = normal(kExeDir + relPath);
  if (underAFile(parentOf(norm))) return;
  if (Node* existing = nodeAt(norm); existing && existing->folder) return;  // nor a folder a file
  putFolder(parentOf(norm).substr(std::string(kExeDir).size() - 1));
  Node& n = tree()[norm];
  n.folder = false;
  n.content.assign(content);
}

const std::string* fileAt(const std::string& relPath) {
  Node* n = nodeAt(normal(kExeDir + relPath));
  return n && !n->folder ? &n->content : nullptr;
}

const std::vector<Access>& journal() { return log(); }
void clearJournal() { log().clear(); }

bool staysIn(const std::string& path, const std::string& folder, int* depth) {
  std::string base = std::string(kExeDir) + folder;
  if (path.compare(0, base.size(), base) != 0) return false;
  std::vector<std::string> stack;
  std::string part;
  auto endPart = [&]() {
    std::string p = part;
    part.clear();
    while (!p.empty() && (p.back() == '.' || p.back() == ' ')) {
      if (p == "..") break;
      p.pop_back();
    }
    if (p.empty()) return true;  // "", "." and the like: the same folder
    if (p == "..") {
      if (stack.empty()) return false;
      stack.pop_back();
      return true;
    }
    if (p.find(':') != std::string::npos || isDevice(p)) return false;
    stack.push_back(p);
    return true;
  };
  std::string rest = path.substr(base.size());
  if (!rest.empty() && rest[0] != '/' && rest[0] != '\\') return false;  // "data2" is not "data"
  for (std::size_t i = 0; i < rest.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(rest[i]);
    unsigned char next = i + 1 < rest.size() ? static_cast<unsigned char>(rest[i + 1]) : 0;
    bool trail = (next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC);
    if (tav::isLeadByte(c) && trail) {  // a lead byte before a non-trail byte stands alone
      part += rest.substr(i, 2);
      ++i;
    } else if (c == '/' || c == '\\') {
      if (!endPart()) return false;
    } else {
      part += static_cast<char>(c);
    }
  }
  if (!endPart()) return false;
  if (depth) *depth = static_cast<int>(stack.size());
  return true;
}

void checkConfined(const std::string& folder, const std::string& topFile) {
  for (const Access& a : log()) {
    int depth = 0;
    if (!staysIn(a.path, folder, &depth)) fail("access outside the data folder", a.path);
    if (depth > 2) fail("access below a sub-folder", a.path);
    if (depth == 1 && tav::fileNameOf(a.path) != topFile && a.op != Op::Kind &&
        a.op != Op::List && a.op != Op::MakeFolder)
      fail("file access at the data folder's top", a.path);
  }
}

void checkUntouched(const std::string& path) {
  for (const Access& a : log())
    if (a.path == path) fail("refused path touched", path);
}

}  // namespace fuzzfs

// ---- the platform layer's file calls

namespace tav {

using fuzzfs::Op;

std::optional<std::string> readWholeFile(const std::string& path) {
  fuzzfs::note(Op::Read, path);
  fuzzfs::Node* n = fuzzfs::nodeAt(fuzzfs::normal(path));
  if (!n || n->folder) return std::nullopt;
  std::string text = n->content;
  std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

namespace {
// The file a write or an append goes to (made when missing), or null where
// no file can be: a folder, the root, or no folder above it.
std::string* writableFile(Op op, const std::string& path) {
  fuzzfs::note(op, path);
  std::string norm = fuzzfs::normal(path);
  fuzzfs::Node* n = fuzzfs::nodeAt(norm);
  if ((n && n->folder) || !fuzzfs::parentIsFolder(norm) || norm == "/") return nullptr;
  return &fuzzfs::tree()[norm].content;
}
}  // namespace

bool writeWholeFile(const std::string& path, std::string_view text) {
  std::string* f = writableFile(Op::Write, path);
  if (f) f->assign(text);
  return f != nullptr;
}

bool appendToFile(const std::string& path, std::string_view text) {
  std::string* f = writableFile(Op::Append, path);
  if (f) f->append(text);
  return f != nullptr;
}

// A file kept open for appending is its path; appends go through appendToFile.
OpenFile openForAppend(const std::string& path) {
  if (!appendToFile(path, "")) return nullptr;
  return new std::string(path);
}

bool appendOpen(OpenFile f, std::string_view text) {
  return f && appendToFile(*static_cast<std::string*>(f), text);
}

bool flushOpen(OpenFile f) { return f != nullptr; }

bool truncateOpen(OpenFile f, std::uint64_t size) {
  if (!f) return false;
  std::string* file = writableFile(Op::Write, *static_cast<std::string*>(f));
  if (file && size < file->size()) file->resize(static_cast<std::size_t>(size));
  return file != nullptr;
}

void closeOpen(OpenFile f) { delete static_cast<std::string*>(f); }

bool deleteFile(const std::string& path) {
  fuzzfs::note(Op::Delete, path);
  std::string norm = fuzzfs::normal(path);
  fuzzfs::Node* n = fuzzfs::nodeAt(norm);
  if (!n || n->folder) return false;
  fuzzfs::tree().erase(norm);
  return true;
}

bool createFolder(const std::string& path) {
  fuzzfs::note(Op::MakeFolder, path);
  std::string norm = fuzzfs::normal(path);
  if (fuzzfs::nodeAt(norm) || !fuzzfs::parentIsFolder(norm)) return false;
  fuzzfs::tree()[norm].folder = true;
  return true;
}

bool removeFolder(const std::string& path) {
  fuzzfs::note(Op::RemoveFolder, path);
  std::string norm = fuzzfs::normal(path);
  fuzzfs::Node* n = fuzzfs::nodeAt(norm);
  bool empty = true;
  fuzzfs::forEachChild(norm, [&](const std::string&, fuzzfs::Node&) { empty = false; });
  if (!n || !n->folder || !empty || norm == "/") return false;
  fuzzfs::tree().erase(norm);
  return true;
}

bool moveFile(const std::string& from, const std::string& to) {
  fuzzfs::note(Op::MoveFrom, from);
  fuzzfs::note(Op::MoveTo, to);
  std::string a = fuzzfs::normal(from), b = fuzzfs::normal(to);
  fuzzfs::Node* n = fuzzfs::nodeAt(a);
  if (!n || n->folder || fuzzfs::nodeAt(b) || !fuzzfs::parentIsFolder(b)) return false;
  fuzzfs::Node moved = *n;
  fuzzfs::tree().erase(a);
  fuzzfs::tree()[b] = moved;
  return true;
}

PathKind pathKind(const std::string& path) {
  fuzzfs::note(Op::Kind, path);
  if (path.empty()) return PathKind::None;
  std::string p = path.size() > 1 && endsWithSeparator(path) ? path.substr(0, path.size() - 1) : path;
  fuzzfs::Node* n = fuzzfs::nodeAt(fuzzfs::normal(p));
  return !n ? PathKind::None : n->folder ? PathKind::Folder : PathKind::File;
}

void listFolder(const std::string& folder, std::vector<std::string>& out, ListWhat what) {
  fuzzfs::note(Op::List, folder);
  fuzzfs::Node* n = fuzzfs::nodeAt(fuzzfs::normal(folder));
  if (!n || !n->folder) return;
  fuzzfs::forEachChild(fuzzfs::normal(folder), [&](const std::string& name, fuzzfs::Node& c) {
    if (c.folder == (what == ListWhat::Folders)) out.push_back(name);
  });
}

void listFolderEntries(const std::string& folder, std::vector<FolderEntry>& out, ListWhat what) {
  std::vector<std::string> names;
  listFolder(folder, names, what);
  for (std::string& name : names) out.push_back(FolderEntry {std::move(name), false});
}

std::optional<FileStamp> fileStampOf(const std::string& path) {
  fuzzfs::note(Op::List, path);
  fuzzfs::Node* n = fuzzfs::nodeAt(fuzzfs::normal(path));
  if (!n || n->folder) return std::nullopt;
  return FileStamp{n->content.size(), 0};
}

void listFolderStamps(const std::string& folder,
                      std::vector<std::pair<std::string, FileStamp>>& out) {
  fuzzfs::note(Op::List, folder);
  fuzzfs::Node* n = fuzzfs::nodeAt(fuzzfs::normal(folder));
  if (!n || !n->folder) return;
  fuzzfs::forEachChild(fuzzfs::normal(folder), [&](const std::string& name, fuzzfs::Node& c) {
    if (!c.folder) out.emplace_back(name, FileStamp{c.content.size(), 0});
  });
}

// Long after every fake file was written (their stamps say 0).
std::uint64_t fileClockNow() { return std::uint64_t{1} << 40; }

bool anyMatch(const std::string& pattern) {
  fuzzfs::note(Op::Match, pattern);
  std::string folder = folderOf(pattern), mask = fileNameOf(pattern);
  bool found = false;
  fuzzfs::forEachChild(fuzzfs::normal(folder.empty() ? "." : folder),
                       [&](const std::string& name, fuzzfs::Node&) {
                         found = found || fuzzfs::wild(mask.c_str(), name.c_str());
                       });
  return found;
}

std::string moduleFolder() { return fuzzfs::kExeDir; }

std::tm localTimeOf(std::time_t t) {
  std::tm tm {};
  ::gmtime_r(&t, &tm);
  return tm;
}

void sleepMillis(int) {}

}  // namespace tav
