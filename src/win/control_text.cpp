#include "win/control_text.h"

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
  std::size_t s = 0, e = 0;
  getEditSel(edit, s, e);
  return selectedRange(text, s, e);
}

void selectAllAndFocus(HWND edit) {
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  SetFocus(edit);
}

bool editCountsCharacters() {
  static const bool chars = [] {
    // "漢" is two bytes: a control that counts bytes ends its selection at 2.
    HWND probe = CreateWindowExA(0, "EDIT", "漢", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!probe) return false;
    DWORD s = 0, e = 0;
    SendMessageA(probe, EM_SETSEL, 0, -1);
    SendMessageA(probe, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    DestroyWindow(probe);
    return e == 1;
  }();
  return chars;
}

std::size_t editPosToByte(HWND edit, std::size_t controlPos) {
  if (!editCountsCharacters()) return controlPos;
  return charsToBytes(windowText(edit), controlPos);
}

std::size_t byteToEditPos(HWND edit, std::size_t bytePos) {
  if (!editCountsCharacters()) return bytePos;
  return bytesToChars(windowText(edit), bytePos);
}

void getEditSel(HWND edit, std::size_t& start, std::size_t& end) {
  DWORD s = 0, e = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  if (!editCountsCharacters()) {
    start = s;
    end = e;
    return;
  }
  std::string text = windowText(edit);
  start = charsToBytes(text, s);
  end = charsToBytes(text, e);
}

void setEditSel(HWND edit, std::size_t start, std::size_t end) {
  if (editCountsCharacters()) {
    std::string text = windowText(edit);
    start = bytesToChars(text, start);
    end = bytesToChars(text, end);
  }
  SendMessageA(edit, EM_SETSEL, start, end);
}

std::size_t editLineIndex(HWND edit, int line) {
  LRESULT pos = SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  if (pos < 0) return static_cast<std::size_t>(-1);
  return editPosToByte(edit, static_cast<std::size_t>(pos));
}

int editLineFromByte(HWND edit, std::size_t bytePos) {
  return static_cast<int>(
      SendMessageA(edit, EM_LINEFROMCHAR, byteToEditPos(edit, bytePos), 0));
}

}  // namespace tav
