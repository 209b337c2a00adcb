#include "dialogs/stamp_list.h"

#include <algorithm>

namespace tav {

bool toggleStamp(std::vector<std::string>& stamps, const std::string& s) {
  auto it = std::find(stamps.begin(), stamps.end(), s);
  if (it == stamps.end()) {
    stamps.push_back(s);
    return false;
  }
  stamps.erase(it);
  return true;
}

char stampMnemonic(std::size_t p) {
  if (p <= 9) return static_cast<char>('0' + p);
  if (p <= 59) return static_cast<char>(p + 55);
  return '_';
}

std::vector<MenuItem> stampMenuItems(const std::vector<std::string>& stamps) {
  std::vector<MenuItem> items;
  const std::size_t n = stamps.size();
  for (std::size_t p = 0; p < n; ++p) {
    std::size_t i = n - 1 - p;
    items.push_back({static_cast<int>(i + 1), std::string("&") + stampMnemonic(p) + " " + stamps[i]});
  }
  return items;
}

}  // namespace tav
