// Stamps: Ctrl+T keeps the selected text as a stamp, or offers the stamps.
#pragma once

#include <windows.h>

namespace tav {

void stampCommand(HWND edit);  // Ctrl+T

}  // namespace tav
