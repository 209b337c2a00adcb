#include "win/edit_control.h"

#include "commands/insert.h"
#include "store/text.h"
#include "win/control_text.h"

namespace tav {

namespace {
HWND g_scrollTarget = nullptr;

// Scrolls about 100 characters past the old caret first, so the inserted text
// is in view, then sets the final selection.
void applyInsertion(HWND edit, const EditState& before, const EditState& after) {
  SetWindowTextA(edit, after.text.c_str());
  setEditSel(edit, before.selStart + 100, before.selEnd + 100);
  SendMessageA(g_scrollTarget ? g_scrollTarget : edit, EM_SCROLLCARET, 0, 0);
  setEditSel(edit, after.selStart, after.selEnd);
}
}  // namespace

EditState readEdit(HWND edit) {
  EditState e;
  e.text = windowText(edit);
  DWORD s = 0, t = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
  e.selStart = s;
  e.selEnd = t;
  if (editCountsCharacters()) {
    e.selStart = charsToBytes(e.text, s);
    e.selEnd = charsToBytes(e.text, t);
  }
  return e;
}

void applyEdit(HWND edit, const EditState& state) {
  if (windowText(edit) != state.text) SetWindowTextA(edit, state.text.c_str());
  setEditSel(edit, state.selStart, state.selEnd);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

void setScrollTarget(HWND editor) { g_scrollTarget = editor; }

void insertAt(HWND edit, std::string_view x, std::size_t p, bool lineEnd, bool select) {
  EditState before = readEdit(edit);
  applyInsertion(edit, before, insertAt(before, x, p, lineEnd, select));
}

void insertAtCaret(HWND edit, std::string_view x, bool lineEnd, bool select) {
  EditState before = readEdit(edit);
  applyInsertion(edit, before, insertAtCaret(before, x, lineEnd, select));
}

void insertOutput(HWND editor, std::string_view x) {
  EditState before = readEdit(editor);
  EditState after = insertOutput(before, x);
  SetWindowTextA(editor, after.text.c_str());
  setEditSel(editor, after.selStart + 100, after.selEnd + 100);
  SendMessageA(editor, EM_SCROLLCARET, 0, 0);
  setEditSel(editor, after.selStart, after.selEnd);
}

}  // namespace tav
