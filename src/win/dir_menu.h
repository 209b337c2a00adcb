// The keyword list's right-click menu: move the selected notes or delete them.
#pragma once

#include <windows.h>

namespace tav {

void showDirectoryMenu();

}  // namespace tav
