// Ctrl+T in the keyword box and the note editor: register or remove the
// selected text as a stamp, or insert a stamp chosen from a pop-up.
#include <windows.h>

#include "win/main_controls.h"
#include "win/stamp_list.h"
#include "win/state.h"
#include "win/edit_control.h"
#include "dialogs/stamp_list.h"
#include "win/control_text.h"
#include "win/popup.h"

namespace tav {

void stampCommand(HWND edit) {
  App& a = app();
  const std::string s = selectedText(edit);
  std::size_t start = 0, end = 0;
  getEditSel(a.noteEditor, start, end);
  setEditSel(a.noteEditor, start, start);
  if (!s.empty()) {
    setStatus(StatusPart::Message, toggleStamp(a.stampList, s) ? "削除しました" : "登録しました");
    return;
  }
  if (a.stampList.empty()) return;
  dropPendingChar(edit, 0x14);  // the Ctrl+T character of the keyword box's key
  int id = trackItems(stampMenuItems(a.stampList), edit, popupPointAt(edit));
  if (id < 1 || static_cast<std::size_t>(id) > a.stampList.size()) return;
  insertAtCaret(edit, a.stampList[static_cast<std::size_t>(id - 1)], false, false);
  setStatus(StatusPart::Message, "追加しました");
}

}  // namespace tav
