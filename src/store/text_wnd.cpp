#include "store/text_wnd.h"

#include "store/text.h"

namespace tav {

std::string windowText(HWND w) {
  if (!w) return std::string();
  LRESULT len = SendMessageA(w, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return std::string();
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  int got = GetWindowTextA(w, &s[0], static_cast<int>(s.size()));
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return s;
}

std::string dialogItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return std::string();
  LRESULT len = SendMessageA(item, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return std::string();
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  UINT got = GetDlgItemTextA(dialog, id, &s[0], static_cast<int>(s.size()));
  s.resize(got);
  return s;
}

std::string selectedText(HWND edit) {
  std::string text = windowText(edit);
  DWORD s = 0, e = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return selectedRange(text, s, e);
}

void selectAllAndFocus(HWND edit) {
  LRESULT len = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
  SendMessageA(edit, EM_SETSEL, 0, len);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  SetFocus(edit);
}

}  // namespace tav
