// Pop-up menus started from the main controls: built from MenuItem lists,
// shown near the caret, the chosen id returned.
#pragma once

#include <windows.h>

#include <vector>

#include "commands/menu_item.h"

namespace tav {

// Where a pop-up of edit opens, in screen coordinates: under the caret when
// edit has it, else at the control's upper-left corner.
POINT popupPointAt(HWND edit);

// Drops a character that the key opening a pop-up left queued for control
// (Ctrl+M leaves CR, Ctrl+T leaves 0x14): inside the menu it would choose or
// close at once.
void dropPendingChar(HWND control, WPARAM ch);

// Shows menu at pt with owner as its owner and returns the chosen id (0 when
// dismissed). A control as owner leaves the menu open on a key that is no
// item's mnemonic (the main window would close it).
int trackPopup(HMENU menu, HWND owner, POINT pt);

// A pop-up of items (top first); with checkedId that item is checked.
int trackItems(const std::vector<MenuItem>& items, HWND owner, POINT pt, int checkedId = -1);

}  // namespace tav
