// Platform-independent parts of the platform layer: the ExeDir override and the clock.
#include "platform/platform.h"

#include <utility>

namespace tav {

void (*afterFileOp)() = nullptr;
FileFault (*fileOpFault)(FileOp, const std::string&) = nullptr;

namespace {
std::string& exeDirSlot() {
  static std::string dir;
  return dir;
}
bool& exeDirSet() {
  static bool set = false;
  return set;
}
std::function<std::time_t()>& clockSlot() {
  static std::function<std::time_t()> source;
  return source;
}
}  // namespace

const std::string& exeDir() {
  if (!exeDirSet()) {
    exeDirSlot() = moduleFolder();
    exeDirSet() = true;
  }
  return exeDirSlot();
}

void setExeDir(const std::string& dir) {
  exeDirSlot() = dir;
  exeDirSet() = true;
}

std::string exePath(std::string_view name) {
  std::string p = exeDir();
  p.append(name);
  return p;
}

std::time_t nowSeconds() {
  if (clockSlot()) return clockSlot()();
  return std::time(nullptr);
}

void setClock(std::function<std::time_t()> source) { clockSlot() = std::move(source); }

bool isTempFileName(std::string_view name) {
  // Exactly "~tav<pid>_<n>.tmp" (after a dot on Linux): any other name may be
  // a user's file, which the clean-up at start must never delete.
  if (!name.empty() && name[0] == '.') name.remove_prefix(1);
  if (name.size() < 11 || name.compare(0, 4, "~tav") != 0 ||
      name.compare(name.size() - 4, 4, ".tmp") != 0)
    return false;
  std::string_view mid = name.substr(4, name.size() - 8);
  std::size_t bar = mid.find('_');
  auto digits = [](std::string_view d) {
    return !d.empty() && d.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return bar != std::string_view::npos && digits(mid.substr(0, bar)) && digits(mid.substr(bar + 1));
}

void removeTempFiles(const std::string& folder) {
  // The wildcard look is cheap; a folder of 100,000 notes is listed only
  // when something is there.
  if (!anyMatch(folder + "~tav*.tmp") && !anyMatch(folder + ".~tav*.tmp")) return;
  std::vector<std::string> names;
  listFolder(folder, names, ListWhat::Files);
  for (const std::string& name : names)
    if (isTempFileName(name)) deleteFile(folder + name);
}

}  // namespace tav
