// Reading texts out of Win32 controls.
#pragma once

#include <windows.h>

#include <string>

namespace tav {

std::string windowText(HWND w);
std::string dialogItemText(HWND dialog, int id);
std::string selectedText(HWND edit);  // a selection ending in CR LF leaves it out
void selectAllAndFocus(HWND edit);

}  // namespace tav
