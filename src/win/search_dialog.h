// The dialog "IDD_SEARCH" in its two roles: the search text and options
// (SearchDialog) and a one-line name prompt (NamePrompt).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tav {

struct SearchDialogData {
  std::string text;        // shown fully selected; the confirmed text on OK
  bool allInList = true;   // check box 1015
  bool matchCase = false;  // check box 1016
  bool listShown = true;   // 1015 can be changed only while the list is shown
  // Out: closed with OK or Cancel (the caller moves the focus then), not
  // with the title bar's close button.
  bool byButton = false;
};

// Shows SearchDialog; true on OK, when text and the two options are written back.
bool openSearchDialog(HWND owner, SearchDialogData& io);

// Ctrl+F of the keyword box, the list and the editor: the dialog prefilled
// with initial (when not empty) or the search text, over the search state of
// the settings; OK and Cancel give the focus to the note editor.
void openSearchDialog(HWND control, const std::string& initial);

// NamePrompt: the edit's text on OK (possibly empty), nothing on Cancel or close.
std::optional<std::string> promptForName(HWND owner);

}  // namespace tav
