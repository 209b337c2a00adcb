// Platform-independent parts of the platform layer: the ExeDir override and the clock.
#include "platform/platform.h"

#include <utility>

namespace tav {

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

}  // namespace tav
