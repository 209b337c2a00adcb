// The settings dialog's window. openSettingsDialog is what
// the menu item "設定" runs: the dialog, then what OK asks for.
#pragma once

#include <windows.h>

#include "dialogs/settings_dialog.h"

namespace tav {

// Shows "IDD_SETTEI" modally over io. True when it was closed with OK; io's
// dirList carries the sets saved and deleted in it either way.
bool runSettingsDialog(HWND owner, SettingsDialogData& io);

// "設定": the dialog, then what OK asks for.
void openSettingsDialog(HWND owner);

}  // namespace tav
