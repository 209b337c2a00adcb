#include "commands/editing_aids.h"

#include "settings/stamps.h"
#include "store/text.h"

namespace tav {

std::vector<MenuItem> dateFormatItems() {
  // The third label says "DD" where the text ends with the seconds; that is
  // the label users know.
  return {{1, "YYYYMMDD"}, {2, "YYYY/MM/DD"}, {3, "YYYY/MM/DD HH:MM:DD"}};
}

std::optional<std::string> dateText(int ctrlT) {
  switch (ctrlT) {
    case 1: return dateStamp(true);
    case 2: return dateStamp(false);
    case 3: return dateTimeStamp();
    default: return std::nullopt;
  }
}

std::vector<MenuItem> goMenuItems(std::string_view text, const std::vector<std::size_t>& positions) {
  std::vector<MenuItem> items;
  for (std::size_t k = positions.size(); k-- > 0;) {
    items.push_back({static_cast<int>(k + 1), restOfLine(text, positions[k])});
  }
  return items;
}

}  // namespace tav
