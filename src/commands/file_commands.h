// "!seq" (numbering a file) and "!size" (free and total space of a drive).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace tav {

// The file-system calls numbering needs; the defaults are the platform's,
// tests pass a fake.
struct FileOps {
  std::function<bool(const std::string& pattern)> anyMatch;
  std::function<bool(const std::string& from, const std::string& to)> moveFile;
  std::function<bool(const std::string& path, std::string_view text)> writeWholeFile;
};
FileOps platformFileOps();

// Renames the file P to the first free name Stem + 001..999 + Ext (Ext from
// the last dot on) and leaves an empty file under P. 32 when numbered, else 0
// (missing file, no dot, rename failed, all numbers taken, name too long).
int numberFile(const std::string& path, const FileOps& fs);

using VolumeQuery = std::function<std::optional<VolumeSpace>(const std::string& path)>;

// "C:  100.00 G / 500.00 G  (20.0%)" CR LF for drive "C" (M above, G from
// 1 GiB up; "Max!!" for a small volume without free space or size); nothing
// when the volume cannot be queried or the text would be too long.
std::optional<std::string> diskSpaceLine(const std::string& drive, const VolumeQuery& query);

}  // namespace tav
