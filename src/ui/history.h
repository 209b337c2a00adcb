// The history of opened keywords: texts oldest first, each with the command
// id of its item in the history menu. The menu only mirrors these lists.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "commands/menu_item.h"
#include "resources/resource.h"

namespace tav {

constexpr int kHistoryFirstId = IDM_HISTORY_FIRST;
// Ids from 1500 are bookmarks: the history never hands out more than 499.
constexpr int kHistoryLastId = IDM_BOOKMARK_FIRST - 1;
constexpr int kHistoryPlaceholderId = IDM_HISTORY_DEFAULT;  // "default", until the first entry

// Puts keyword at the newest end. An equal entry moves there with its id; a
// new one gets 1001 + the number of entries. A history that has used every id
// up to 1499 gives up its oldest entry and hands that id on.
void addHistoryEntry(std::vector<std::string>& texts, std::vector<int>& ids,
                     const std::string& keyword);

// The history menu, top item first: newest entry first, or the placeholder.
std::vector<MenuItem> historyMenuItems(const std::vector<std::string>& texts,
                                       const std::vector<int>& ids);

// Alt+Left (forward false) and Alt+Right from index over count entries: the
// new index, or -1 where the step stops (Alt+Left never reaches index 0).
int historyStep(int index, std::size_t count, bool forward);

// The keyword of the history item with this id; nothing when no entry has it.
std::optional<std::string> historyKeywordForId(const std::vector<std::string>& texts,
                                const std::vector<int>& ids, int id);

}  // namespace tav
