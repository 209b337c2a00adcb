// Ctrl+T in the keyword box and the note editor: register or remove the
// selected text as a stamp, or insert a stamp chosen from a pop-up.
#include <windows.h>

#include "app/app.h"
#include "commands/insert_wnd.h"
#include "dialogs/stamp_list.h"
#include "store/text_wnd.h"
#include "ui/main_wnd.h"
#include "ui/pending_wnd.h"
#include "ui/popup_wnd.h"

namespace tav {

void stampCommand(HWND edit) {
  App& a = app();
  const std::string s = selectedText(edit);
  std::size_t start = 0, end = 0;
  getEditSel(a.noteEditor, start, end);
  setEditSel(a.noteEditor, start, start);
  if (!s.empty()) {
    setStatus(3, toggleStamp(a.stampList, s) ? "削除しました" : "登録しました");
    return;
  }
  if (a.stampList.empty()) return;
  dropPendingChar(edit, 0x14);  // the Ctrl+T character of the keyword box's key
  int id = trackItems(stampMenuItems(a.stampList), edit, popupPointAt(edit));
  if (id < 1 || static_cast<std::size_t>(id) > a.stampList.size()) return;
  insertAtCaret(edit, a.stampList[static_cast<std::size_t>(id - 1)], false, false);
  setStatus(3, "追加しました");
}

}  // namespace tav
