// The texts and menus of the editing aids: the date insertion (Ctrl+Shift+T)
// and the "!go" menu (Ctrl+Shift+M).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/menu_item.h"

namespace tav {

// The date format menu, top item first; the chosen id becomes ctrl_T.
std::vector<MenuItem> dateFormatItems();

// Today's date in format ctrlT (1 YYYYMMDD, 2 YYYY/MM/DD, 3 with the time);
// nothing for any other value.
std::optional<std::string> dateText(int ctrlT);

// The "!go" menu from the positions of the "!go " occurrences in text, in
// text order: occurrence k (1-based) has id k and the rest of its line as its
// text; the last occurrence is the top item.
std::vector<MenuItem> goMenuItems(std::string_view text, const std::vector<std::size_t>& positions);

}  // namespace tav
