// The history menu and Alt+Left / Alt+Right.
#pragma once

#include <windows.h>

namespace tav {

void navigateHistory(WPARAM key);  // Alt+Left / Alt+Right
void historyMenuChanged();         // after addToHistory

}  // namespace tav
