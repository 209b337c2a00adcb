// The history menu ("履歴") as a mirror of the history lists, and stepping
// through the history with Alt+Left and Alt+Right.
#include <windows.h>

#include "win/main_controls.h"
#include "win/keyword_box.h"
#include "win/note_editor.h"
#include "win/history_menu.h"
#include "win/state.h"
#include "ui/history.h"

namespace tav {

void historyMenuChanged() {
  App& a = app();
  HMENU m = a.historyMenu;
  if (!m) return;
  while (GetMenuItemCount(m) > 0) DeleteMenu(m, 0, MF_BYPOSITION);
  for (const MenuItem& it : historyMenuItems(a.historyList, a.historyIds)) {
    AppendMenuA(m, MF_STRING, static_cast<UINT_PTR>(static_cast<UINT>(it.id)), it.text.c_str());
  }
}

void navigateHistory(WPARAM key) {
  App& a = app();
  if ((key != VK_LEFT && key != VK_RIGHT) || (GetKeyState(VK_MENU) & 0x8000) == 0) return;
  int next = historyStep(a.historyIndex, a.historyList.size(), key == VK_RIGHT);
  if (next < 0) return;
  a.historyIndex = next;
  UiState& s = a.ui;
  saveNote();
  a.ui.currentKey.clear();
  s.saveEnabled = false;
  SetWindowTextA(a.keywordBox, a.historyList[static_cast<std::size_t>(next)].c_str());
  SetFocus(a.keywordBox);
  s.historyAddEnabled = false;
  openKeyword();
  showList(s.focusMode == FocusMode::KeywordList);
  layoutMainWindow(a.main, 0, 0);
  s.saveEnabled = true;
}

}  // namespace tav
