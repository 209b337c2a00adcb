#include "commands/file_commands.h"

#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

namespace tav {

namespace {
// Observable limits of the names and lines these commands form; longer
// inputs are refused.
constexpr std::size_t kNameBuffer = 264;
constexpr std::size_t kDrivePathBuffer = 260;
constexpr std::size_t kLineBuffer = 64;
constexpr std::uint64_t kGiB = 1073741824ULL;
}  // namespace

FileOps platformFileOps() {
  FileOps fs;
  fs.anyMatch = [](const std::string& p) { return tav::anyMatch(p); };
  fs.moveFile = [](const std::string& a, const std::string& b) { return tav::moveFile(a, b); };
  fs.writeWholeFile = [](const std::string& p, std::string_view t) {
    return tav::writeWholeFile(p, t);
  };
  return fs;
}

int numberFile(const std::string& path, const FileOps& fs) {
  if (path.empty() || !fs.anyMatch(path)) return 0;
  // '.' is never a trail byte of a double-byte character, so a byte search is safe.
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return 0;
  std::string stem = path.substr(0, dot);
  std::string ext = path.substr(dot);
  if (stem.size() + 3 + ext.size() + 1 > kNameBuffer) return 0;
  for (int j = 1; j <= 999; ++j) {
    char num[8];
    std::snprintf(num, sizeof num, "%03d", j);
    std::string name = stem + num + ext;
    if (fs.anyMatch(name)) continue;
    if (!fs.moveFile(path, name)) return 0;
    fs.writeWholeFile(path, std::string_view());
    return 32;
  }
  return 0;
}

std::optional<std::string> diskSpaceLine(const std::string& drive, const VolumeQuery& query) {
  std::string path = drive + ":";
  if (path.size() + 1 > kDrivePathBuffer || !query) return std::nullopt;
  std::optional<VolumeSpace> v = query(path);
  if (!v) return std::nullopt;
  double divisor;
  const char* format;
  if (v->totalBytes > kGiB) {
    divisor = 1073741824.0;
    format = "%s  %.2f G / %.2f G  (%.1f%%)\r\n";
  } else if (v->freeBytes == 0 || v->totalBytes == 0) {
    return std::string("Max!!");
  } else {
    divisor = 1048576.0;
    format = "%s  %.2f M / %.2f M  (%.1f%%)\r\n";
  }
  double percent = static_cast<double>(v->freeBytes * 100) / static_cast<double>(v->totalBytes);
  char line[kLineBuffer];
  int n = std::snprintf(line, sizeof line, format, path.c_str(), v->freeBytes / divisor,
                        v->totalBytes / divisor, percent);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof line) return std::nullopt;
  return std::string(line, static_cast<std::size_t>(n));
}

}  // namespace tav
