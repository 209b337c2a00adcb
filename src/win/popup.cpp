#include "win/popup.h"

namespace tav {

POINT popupPointAt(HWND edit) {
  POINT pt {0, 0};
  if (GetFocus() == edit && GetCaretPos(&pt)) {
    // Below the caret's line, so the menu does not hide what is typed.
    HDC dc = GetDC(edit);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICA tm {};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    pt.y += tm.tmHeight;
  }
  ClientToScreen(edit, &pt);
  return pt;
}

void dropPendingChar(HWND control, WPARAM ch) {
  MSG m;
  while (PeekMessageA(&m, control, WM_CHAR, WM_CHAR, PM_NOREMOVE) && m.wParam == ch) {
    PeekMessageA(&m, control, WM_CHAR, WM_CHAR, PM_REMOVE);
  }
}

int trackPopup(HMENU menu, HWND owner, POINT pt) {
  return static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                         pt.x, pt.y, 0, owner, nullptr));
}

int trackItems(const std::vector<MenuItem>& items, HWND owner, POINT pt, int checkedId) {
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& it : items) {
    UINT flags = MF_STRING | (it.id == checkedId ? MF_CHECKED : 0);
    AppendMenuA(menu, flags, static_cast<UINT_PTR>(static_cast<UINT>(it.id)), it.text.c_str());
  }
  int id = trackPopup(menu, owner, pt);
  DestroyMenu(menu);
  return id;
}

}  // namespace tav
