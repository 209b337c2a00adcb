#include "testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "platform/path.h"
#include "platform/platform.h"

namespace tavtest {

namespace {
std::string systemTemp() {
  const char* vars[] = {"TMPDIR", "TEMP", "TMP"};
  for (const char* v : vars) {
    const char* t = std::getenv(v);
    if (t && *t) {
      std::string s = t;
      if (!tav::endsWithSeparator(s)) s += tav::kPathSep;
      return s;
    }
  }
  return std::string("/tmp") + tav::kPathSep;
}
}  // namespace

TempExeDir::TempExeDir(const std::string& suffix) : saved_(tav::exeDir()) {
  static unsigned counter = 0;
  std::string base = systemTemp();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string candidate = base + "tavtest_" + std::to_string(std::rand()) + "_" +
                            std::to_string(++counter) + suffix;
    if (tav::createFolder(candidate)) {
      dir_ = candidate + tav::kPathSep;
      break;
    }
  }
  if (dir_.empty()) ADD_FAILURE() << "cannot make a temporary folder under " << base;
  tav::setExeDir(dir_);
}

TempExeDir::~TempExeDir() {
  tav::setExeDir(saved_);
  if (!dir_.empty()) removeTree(dir_);
}

DataFolder::DataFolder(const std::string& name, const std::string& suffix)
    : exe_(suffix), name_(name) {
  tav::createFolder(exe_.path(name_));
}

std::string DataFolder::path(const std::string& keyOrName) const {
  std::string p = exe_.path(name_);
  if (keyOrName.empty()) return p;
  p += tav::kPathSep;
  for (char c : keyOrName) p += c == '/' ? tav::kPathSep : c;  // '/' is never a trail byte
  return p;
}

void DataFolder::writeIndex(const std::string& text) const { writeFileBytes(path("index2.txt"), text); }

void DataFolder::writeNote(const std::string& key, const std::string& bytes) const {
  tav::createFolder(path(key.substr(0, key.find('/'))));
  writeFileBytes(path(key), bytes);
}

std::string DataFolder::read(const std::string& keyOrName) const {
  return readFileBytes(path(keyOrName));
}

void removeTree(const std::string& folder) {
  std::string base = folder;
  if (!tav::endsWithSeparator(base)) base += tav::kPathSep;
  std::vector<std::string> dirs, files;
  tav::listFolder(base, dirs, tav::ListWhat::Folders);
  tav::listFolder(base, files, tav::ListWhat::Files);
  for (const auto& f : files) {
#ifdef _WIN32
    SetFileAttributesA((base + f).c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    tav::deleteFile(base + f);
  }
  for (const auto& d : dirs) removeTree(base + d);
  tav::removeFolder(base.substr(0, base.size() - 1));
}

std::time_t localSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

FakeClock::FakeClock(std::time_t t) : now_(t) {
  tav::setClock([this] { return now_; });
}

FakeClock::~FakeClock() { tav::setClock(nullptr); }

HeldFile::HeldFile(const std::string& path) : HeldFile(path, None) {}

HeldFile::HeldFile(const std::string& path, Sharing sharing) {
#ifdef _WIN32
  HANDLE h = sharing == None
                 ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)
                 : CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) handle_ = h;
#else
  (void)path;
  (void)sharing;
#endif
}

void HeldFile::release() {
#ifdef _WIN32
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
#endif
  handle_ = nullptr;
}

void ageFile(const std::string& path, int seconds) {
#ifdef _WIN32
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
  ULARGE_INTEGER t;
  t.QuadPart = tav::fileClockNow() - static_cast<std::uint64_t>(seconds) * 10000000u;
  FILETIME ft {t.LowPart, t.HighPart};
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft)) << path;
  CloseHandle(h);
#else
  timespec times[2] {};
  clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= seconds;
  times[1] = times[0];
  ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0)) << path;
#endif
}

void setReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
  DWORD attrs = GetFileAttributesA(path.c_str());
  ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES) << path;
  attrs = readOnly ? (attrs | FILE_ATTRIBUTE_READONLY) : (attrs & ~FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), attrs)) << path;
#else
  ASSERT_EQ(::chmod(path.c_str(), readOnly ? 0444 : 0644), 0) << path;
#endif
}

bool setHidden(const std::string& path) {
#ifdef _WIN32
  DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES &&
         SetFileAttributesA(path.c_str(), attrs | FILE_ATTRIBUTE_HIDDEN);
#else
  (void)path;
  return false;
#endif
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> out;
  tav::listFolder(folder, out, tav::ListWhat::Files);
  std::sort(out.begin(), out.end());
  return out;
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string readFileBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::string();
  std::string s;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

}  // namespace tavtest

namespace tavtest {

namespace {

struct FaultRule {
  tav::FileOp op;
  std::string name;
  tav::FileFault fault;
  int times;
};
std::vector<FaultRule>& faultRules() {
  static std::vector<FaultRule> rules;
  return rules;
}
int faultsDone = 0;

tav::FileFault ruledFault(tav::FileOp op, const std::string& path) {
  for (FaultRule& r : faultRules()) {
    if (r.op != op || r.times == 0) continue;
    if (path.size() < r.name.size() || path.compare(path.size() - r.name.size(), r.name.size(), r.name) != 0)
      continue;
    if (r.times > 0) --r.times;
    ++faultsDone;
    return r.fault;
  }
  return tav::FileFault::None;
}

}  // namespace

FaultyFiles::FaultyFiles() {
  faultRules().clear();
  faultsDone = 0;
  tav::fileOpFault = ruledFault;
}
FaultyFiles::~FaultyFiles() {
  tav::fileOpFault = nullptr;
  faultRules().clear();
}
void FaultyFiles::fail(tav::FileOp op, const std::string& name, tav::FileFault fault, int times) {
  faultRules().push_back({op, name, fault, times});
}
void FaultyFiles::clear() { faultRules().clear(); }
int FaultyFiles::failed() const { return faultsDone; }

}  // namespace tavtest
