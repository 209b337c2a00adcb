// The commands of the main menu (WM_COMMAND of the main window).
#pragma once

#include <windows.h>

namespace tav {

void runMenuCommand(HWND main, WPARAM wp, LPARAM lp);

}  // namespace tav
