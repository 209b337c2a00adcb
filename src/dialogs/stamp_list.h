// Stamps: short texts kept for repeated insertion ("hanko.txt"). Ctrl+T
// registers or removes the selected text, or offers the stamps in a menu.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "commands/menu_item.h"

namespace tav {

// Removes the first stamp equal to s (true), or appends s (false).
bool toggleStamp(std::vector<std::string>& stamps, const std::string& s);

// The mnemonic of the menu item at position p from the top: 0-9, then the
// characters from 'A' on (A-Z, the six codes 91-96, a-r), "_" from 60 on.
char stampMnemonic(std::size_t p);

// The stamp menu, top item first: newest stamp first; stamp i has id i + 1
// and the text "&", mnemonic, " ", stamp.
std::vector<MenuItem> stampMenuItems(const std::vector<std::string>& stamps);

}  // namespace tav
