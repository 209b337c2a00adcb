// Note bodies as their files held them, kept in one file per data folder,
// "bodies.dat", so that a search across the listed notes right after start
// need not open every note file (opening a file is what costs, not reading
// it). The note files stay the truth: a record counts only while its file has
// the size and write time it had when the body was read, and opening a note
// always reads its file.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"

namespace tav {

class BodyCache {
 public:
  static constexpr const char* kFileName = "bodies.dat";

  BodyCache() = default;
  // The records view the cache's own strings: no copies.
  BodyCache(const BodyCache&) = delete;
  BodyCache& operator=(const BodyCache&) = delete;
  BodyCache(BodyCache&&) = default;
  BodyCache& operator=(BodyCache&&) = default;

  // Reads the "bodies.dat" of folder (a data folder, relative to the
  // executable's folder) and lists the note files below it, keeping the
  // records whose file still has the recorded stamp. Replaces what was held.
  void open(const std::string& folder);
  // Lists the note files again when the last listing is older than
  // maxAgeSeconds, dropping the records whose file changed since.
  void recheck(unsigned maxAgeSeconds);
  // The cached body of the note with key; valid until the next open or parse.
  std::optional<std::string_view> find(std::string_view key) const;
  // A body just read from key's file: kept (and written at the next
  // saveIfChanged) when its last write was long enough before the listing
  // (or, for a file dropped since, before now) that any later change shows
  // in its stamp.
  void learn(std::string_view key, std::string_view body);
  // The stamp the last listing found key's file with; nothing when it found
  // no such file (or nothing was listed).
  std::optional<FileStamp> listedStamp(std::string_view key) const;
  // Forgets key's record: its file changed, came or went.
  void drop(std::string_view key);
  // Writes "bodies.dat" when anything changed since open or the last write.
  bool saveIfChanged();

  // The file's text, and back. parse keeps every whole record before the
  // first damaged one and skips a record whose key no note can have; the
  // records view the parsed text, which the cache keeps.
  std::string compose() const;
  void parse(std::string text);

  struct Record {
    FileStamp stamp;
    std::string_view body;
    bool listed = false;  // the last listing found the file with this stamp
  };
  const std::unordered_map<std::string_view, Record>& records() const { return records_; }
  // The machine that wrote the text parse was given.
  const std::string& writer() const { return writer_; }

 private:
  std::string text_;             // the file as read
  std::string writer_;
  std::deque<std::string> own_;  // keys and bodies learned since
  std::unordered_map<std::string_view, Record> records_;
  // Listed files without a record to trust: what learn may keep.
  std::unordered_map<std::string, FileStamp> unknown_;
  mutable std::string lookup_;
  // Lists the note files, marking the records whose file has their stamp
  // and drops the others.
  void list();

  std::string folder_;
  std::uint64_t listedAt_ = 0;
  bool changed_ = false;
  std::string scratch_;
};

}  // namespace tav
