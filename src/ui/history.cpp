#include "ui/history.h"

#include <algorithm>

namespace tav {

void addHistoryEntry(std::vector<std::string>& texts, std::vector<int>& ids,
                     const std::string& keyword) {
  int id = 0;
  auto it = std::find(texts.begin(), texts.end(), keyword);
  if (it != texts.end()) {
    std::size_t k = static_cast<std::size_t>(it - texts.begin());
    id = ids[k];
    texts.erase(it);
    ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(k));
  } else if (kHistoryFirstId + static_cast<int>(texts.size()) > kHistoryLastId) {
    id = ids.front();
    texts.erase(texts.begin());
    ids.erase(ids.begin());
  } else {
    id = kHistoryFirstId + static_cast<int>(texts.size());
  }
  texts.push_back(keyword);
  ids.push_back(id);
}

std::vector<MenuItem> historyMenuItems(const std::vector<std::string>& texts,
                                       const std::vector<int>& ids) {
  if (texts.empty()) return {{kHistoryPlaceholderId, "default"}};
  std::vector<MenuItem> items;
  for (std::size_t i = texts.size(); i-- > 0;) items.push_back({ids[i], texts[i]});
  return items;
}

int historyStep(int index, std::size_t count, bool forward) {
  if (forward) return index + 1 >= static_cast<int>(count) ? -1 : index + 1;
  return index <= 1 ? -1 : index - 1;
}

std::optional<std::string> historyKeywordForId(const std::vector<std::string>& texts,
                                const std::vector<int>& ids, int id) {
  for (std::size_t p = 0; p < ids.size() && p < texts.size(); ++p) {
    if (ids[p] == id) return texts[p];
  }
  return std::nullopt;
}

}  // namespace tav
