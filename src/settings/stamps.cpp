#include "settings/stamps.h"

#include <cstdio>

#include "platform/platform.h"

namespace tav {

namespace {

std::tm now() { return localTimeOf(nowSeconds()); }

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, pattern, args...);
  return std::string(buf, n < 0 ? 0 : static_cast<std::size_t>(n) < sizeof buf ? n : sizeof buf - 1);
}

}  // namespace

std::string noteTimeStamp() {
  std::tm t = now();
  return format("%04d%02d%02d%02d%02d%02d%04d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec, 0);
}

std::string monthStamp() {
  std::tm t = now();
  return format("%04d%02d", t.tm_year + 1900, t.tm_mon + 1);
}

std::string tmpStamp() {
  std::tm t = now();
  return format("tmp,%04d%02d%02d%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
}

std::string dateStamp(bool compact) {
  std::tm t = now();
  return format(compact ? "%04d%02d%02d" : "%04d/%02d/%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday);
}

std::string dateTimeStamp() {
  std::tm t = now();
  return format("%04d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
}

std::string dailyLogPath() {
  return exeDir() + "tavolinlog" + kPathSep + dateStamp(true) + ".log";
}

void appendDailyLog(const std::string& text) {
  std::string line = text.size() > 511 ? text.substr(0, 511) : text;
  line += '\n';
  appendToFile(dailyLogPath(), line);
}

}  // namespace tav
