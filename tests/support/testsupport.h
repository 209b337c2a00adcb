// Shared test helpers: a temporary ExeDir per test and a fake clock.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tavtest {

// A fresh empty folder under the system's temporary folder, made ExeDir for the
// test's lifetime, removed with everything in it at the end.
class TempExeDir {
 public:
  explicit TempExeDir(const std::string& suffix = "");
  ~TempExeDir();
  TempExeDir(const TempExeDir&) = delete;
  TempExeDir& operator=(const TempExeDir&) = delete;
  const std::string& dir() const { return dir_; }  // ends with the separator
  std::string path(const std::string& name) const { return dir_ + name; }

 private:
  std::string dir_;
  std::string saved_;
};

// A temporary ExeDir with a data folder in it ("data" unless named), for tests
// of the store and what works on it. Keys are "sub-folder/file", as the index
// has them.
class DataFolder {
 public:
  explicit DataFolder(const std::string& name = "data", const std::string& suffix = "");
  // The data folder, or a key's file or any other path inside it.
  std::string path(const std::string& keyOrName = "") const;
  const std::string& name() const { return name_; }
  // Writes "index2.txt", or a note's file (its sub-folder made as needed).
  void writeIndex(const std::string& text) const;
  void writeNote(const std::string& key, const std::string& bytes) const;
  std::string read(const std::string& keyOrName) const;
  const TempExeDir& exe() const { return exe_; }

 private:
  TempExeDir exe_;
  std::string name_;
};

// Removes a folder and everything below it.
void removeTree(const std::string& folder);

// Local time as seconds, for fake clocks.
std::time_t localSeconds(int year, int month, int day, int hour, int minute, int second);

// Replaces the clock for the test's lifetime.
class FakeClock {
 public:
  explicit FakeClock(std::time_t t);
  ~FakeClock();
  void set(std::time_t t) { now_ = t; }
  void advance(long seconds) { now_ += seconds; }

 private:
  std::time_t now_;
};

// Holds a file open without sharing, as another program might. holding() is
// false where the platform has no such locks.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  // An editor's hold: open for writing, sharing reads and writes.
  enum Sharing { None, ReadWrite };
  HeldFile(const std::string& path, Sharing sharing);
  ~HeldFile() { release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool holding() const { return handle_ != nullptr; }
  void release();

 private:
  void* handle_ = nullptr;
};

// Makes file operations fail as a full disk, a denied access or a held file
// would, for the guard's lifetime: each rule fails the operations of its
// kind on paths ending with its name (any path for an empty name; appends,
// flushes and truncations have none), `times` times or for good (-1).
class FaultyFiles {
 public:
  FaultyFiles();
  ~FaultyFiles();
  FaultyFiles(const FaultyFiles&) = delete;
  FaultyFiles& operator=(const FaultyFiles&) = delete;
  void fail(tav::FileOp op, const std::string& name, tav::FileFault fault, int times = -1);
  void clear();
  int failed() const;  // operations failed so far
};

// Dates a file's last write `seconds` back, as a file written long ago.
void ageFile(const std::string& path, int seconds);

// Sets or clears a file's read-only mark (no write permission on POSIX, the
// read-only attribute on Windows).
void setReadOnly(const std::string& path, bool readOnly);

// Sets the hidden attribute of a file or folder; false where there are no
// attributes (POSIX, where only a leading dot hides a name).
bool setHidden(const std::string& path);

// Names of the files in a folder, sorted.
std::vector<std::string> filesIn(const std::string& folder);

// Writes bytes to a file directly (test set-up), failing the test on error.
void writeFileBytes(const std::string& path, const std::string& bytes);
std::string readFileBytes(const std::string& path);  // empty when missing

}  // namespace tavtest
