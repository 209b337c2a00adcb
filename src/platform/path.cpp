#include "platform/path.h"

namespace tav {

bool isCharStart(std::string_view s, std::size_t i) {
  std::size_t p = 0;
  while (p < i) p += isLeadByte(static_cast<unsigned char>(s[p])) && p + 1 < s.size() ? 2 : 1;
  return p == i;
}

std::size_t lastSeparatorPos(std::string_view s) {
  std::size_t last = std::string_view::npos;
  for (std::size_t p = 0; p < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[p]);
    if (c == '\\' || c == '/') last = p;
    p += isLeadByte(c) && p + 1 < s.size() ? 2 : 1;
  }
  return last;
}

bool endsWithSeparator(std::string_view s) {
  return !s.empty() && lastSeparatorPos(s) == s.size() - 1;
}

std::string folderOf(std::string_view path) {
  std::size_t p = lastSeparatorPos(path);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string fileNameOf(std::string_view path) {
  std::size_t p = lastSeparatorPos(path);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

bool containsBackslashChar(std::string_view s) {
  for (std::size_t p = 0; p < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[p]);
    if (c == '\\') return true;
    p += isLeadByte(c) && p + 1 < s.size() ? 2 : 1;
  }
  return false;
}

}  // namespace tav
