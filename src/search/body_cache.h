// Note bodies as their files held them, kept in one file per data folder,
// "bodies.dat", so that a search across the listed notes right after start
// need not open every note file (opening a file is what costs, not reading
// it). The note files stay the truth: a record counts only while its file has
// the size and write time it had when the body was read, and opening a note
// always reads its file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"

namespace tav {

class BodyCache {
 public:
  static constexpr const char* kFileName = "bodies.dat";

  // Lists the note files below folder (a data folder, relative to the
  // executable's folder) and reads its "bodies.dat", keeping the records whose
  // file still has the recorded stamp. Replaces what was held.
  void open(const std::string& folder);
  // The cached body of the note with key, or null.
  const std::string* find(std::string_view key) const;
  // A body just read from key's file: kept (and written at the next
  // saveIfChanged) when open saw the file and its last write was long enough
  // before that any later change shows in its stamp.
  void learn(std::string_view key, const std::string& body);
  // Writes "bodies.dat" when learn kept something since open or the last write.
  bool saveIfChanged();

  // The file's text, and back. parse keeps every whole record before the
  // first damaged one; a record whose key no note can have is skipped.
  std::string compose() const;
  void parse(std::string_view text);

  struct Record {
    FileStamp stamp;
    std::string body;
  };
  const std::unordered_map<std::string, Record>& records() const { return records_; }

 private:
  std::unordered_map<std::string, Record> records_;
  std::unordered_map<std::string, FileStamp> seen_;  // every note file open listed
  std::string folder_;
  std::uint64_t openedAt_ = 0;
  bool changed_ = false;
  mutable std::string scratch_;
};

}  // namespace tav
