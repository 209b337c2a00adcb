// The note editor: putting a note in, storing it back whenever the editor
// loses the focus, and the editor's own keys.
#include <windows.h>
#include <shellapi.h>

#include "win/main_controls.h"
#include "win/keyword_box.h"
#include "win/note_editor.h"
#include "win/stamp_list.h"
#include "win/editing_aids.h"
#include "win/history_menu.h"
#include "win/keyword_list.h"
#include "win/search.h"
#include "win/state.h"
#include "win/search_dialog.h"
#include "win/run_commands.h"
#include "win/edit_control.h"
#include "settings/stamps.h"
#include "store/text.h"
#include "win/control_text.h"
#include "ui/editor_text.h"
#include "win/note_windows.h"
#include "win/journal.h"
#include "ui/open_keyword.h"
#include "win/popup.h"

namespace tav {

namespace {

LRESULT forward(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(app().noteEditorOwn, w, msg, wp, lp);
}

void onSetFocus() {
  App& a = app();
  if (a.ui.inSearch) return;
  setKeyChangeItems(true);
  a.ui.focusMode = FocusMode::NoteEditor;
}

void onKillFocus() {
  App& a = app();
  if (a.ui.inSearch) return;
  setKeyChangeItems(false);
  if (a.ui.keyChangeMode) setStatus(StatusPart::Message, "キーの変更");
  else if (a.ui.focusMode == FocusMode::RebuildAsked) a.ui.focusMode = FocusMode::NoteEditor;
  else saveNote();
}

void toListOrBack() {
  App& a = app();
  if (!listedRows().empty()) SetFocus(a.keywordList);
  else focusFilterOrKeyword();
}

void jumpMenu(HWND w, LPARAM lp) {
  App& a = app();
  std::vector<std::string> words;
  if (shiftHeld()) {
    if (a.ui.searchText.empty()) return;
    splitText(a.ui.searchText, words, ',');
  } else {
    splitText(a.settings.warp, words, ',');
  }
  std::string text = windowText(w);
  std::vector<JumpItem> items = jumpMenuItems(text, words, a.ui.matchCase);
  HMENU menu = CreatePopupMenu();
  for (const JumpItem& it : items) {
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(static_cast<UINT>(it.id)),
                it.label.c_str());
  }
  POINT pt {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  ClientToScreen(w, &pt);
  // The editor as owner: a key that is no label leaves the menu open.
  dropPendingChar(w, 0x0F);  // Ctrl+O's character would close it at once
  int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_BOTTOMALIGN, pt.x, pt.y, 0, w, nullptr);
  DestroyMenu(menu);
  if (id == 0) return;
  std::size_t pos = jumpTarget(id, text.size());
  setEditSel(w, pos, pos);
  SendMessageA(w, EM_SCROLLCARET, 0, 0);
}

void findInEditor(HWND w) {
  UiState& s = app().ui;
  s.inSearch = true;
  openSearchDialog(w, selectedText(w));
  setStatus(StatusPart::SearchText, s.searchText);
  s.inSearch = false;
  searchAgain(1);
}

// WM_KEYDOWN; true when the key must not reach the edit control.
bool onKeyDown(HWND w, WPARAM wp, LPARAM lp) {
  App& a = app();
  if (commonKeyDown(w, wp)) return true;
  const bool ctrl = ctrlHeld();
  switch (wp) {
    case VK_TAB: toListOrBack(); return true;
    case VK_ESCAPE: focusFilterOrKeyword(); return true;
    case VK_F3: searchAgain(1); return false;
    case VK_F4:
    case VK_F5: runCommands(w); return !IsWindow(w);  // "!end" may have closed us
    default: break;
  }
  if (!ctrl) return false;
  switch (wp) {
    // Passed on, the key would move the caret one more line, off the mark.
    case VK_UP: jumpToNearest(w, false); return true;
    case VK_DOWN: jumpToNearest(w, true); return true;
    case 'A':
      SendMessageA(w, EM_SETSEL, 0, -1);
      SendMessageA(w, EM_SCROLLCARET, 0, 0);
      return false;
    case 'D':
    case 'L': toListOrBack(); return true;
    case 'K': focusFilterOrKeyword(); return true;
    case 'U':
      a.ui.keyChangeMode = true;
      focusFilterOrKeyword();
      return true;
    case 'F': findInEditor(w); return false;
    case 'I': applyEdit(w, appendTimeLine(readEdit(w), dateTimeStamp())); return false;
    case 'M':
      if (shiftHeld()) showGoMenu(w);
      else showBookmarkPopup(w);
      return false;
    case 'O': jumpMenu(w, lp); return false;
    default: return false;
  }
}

LRESULT onChar(HWND w, WPARAM wp, LPARAM lp) {
  if (wp == 20 && ctrlHeld()) {
    if (shiftHeld()) insertDate(w);
    else stampCommand(w);
    return -1;
  }
  if (commonCharFilter(wp, true)) return -1;
  // A key that moved the focus away (Tab, Esc) still sends its character here.
  if (GetFocus() != w) return 0;
  return forward(w, WM_CHAR, wp, lp);
}

void onDropFiles(HWND w, HDROP drop) {
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> paths;
  for (UINT i = 0; i < count; ++i) {
    char path[1024] = {0};
    DragQueryFileA(drop, i, path, sizeof path);
    paths.push_back(path);
  }
  DragFinish(drop);
  applyEdit(w, insertDroppedFiles(readEdit(w), paths));
}

}  // namespace

LRESULT CALLBACK noteEditorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  journalSawEditorMessage(msg);
  switch (msg) {
    case WM_SETFOCUS: onSetFocus(); break;
    case WM_KILLFOCUS: onKillFocus(); break;
    case WM_KEYDOWN:
      if (onKeyDown(w, wp, lp)) return 0;
      break;
    case WM_CHAR: return onChar(w, wp, lp);
    case WM_SYSKEYDOWN: navigateHistory(wp); break;
    case WM_DROPFILES: onDropFiles(w, reinterpret_cast<HDROP>(wp)); return 0;
    default: break;
  }
  return forward(w, msg, wp, lp);
}

void showNote(const std::string& keyword, const std::string& key, const std::string& body,
              unsigned caret, bool checked) {
  App& a = app();
  SetWindowTextA(a.keywordBox, keyword.c_str());
  a.ui.currentKey = key;
  setStatus(StatusPart::NotePath, key);
  a.ui.currentDir = keyFolder(key);
  EnableWindow(a.noteEditor, TRUE);
  SetWindowTextA(a.noteEditor, body.c_str());
  SetFocus(a.noteEditor);
  setEditSel(a.noteEditor, caret, caret);
  SendMessageA(a.noteEditor, EM_SCROLLCARET, 0, 0);
  setStatus(StatusPart::Message, "編集");
  SendMessageA(a.checkButton, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void startNewNote(const std::string& keyword, const std::string& key, const std::string& body,
                  bool checkIt) {
  App& a = app();
  SetWindowTextA(a.keywordBox, keyword.c_str());
  a.ui.currentKey = key;
  a.ui.currentDir = keyFolder(key);
  EnableWindow(a.noteEditor, TRUE);
  SetWindowTextA(a.noteEditor, body.c_str());
  SetFocus(a.noteEditor);
  if (checkIt) SendMessageA(a.checkButton, BM_SETCHECK, BST_CHECKED, 0);
}

void saveNote() {
  if (app().ui.busy) return;  // the index is being rebuilt or read; focus moves then store nothing
  closeNoteWindows();
  storeEditorNote();
}

void storeEditorNote() {
  App& a = app();
  const UiState& s = a.ui;
  if (!s.saveEnabled || s.busy || a.ui.currentKey.empty()) return;
  if (s.focusMode != FocusMode::NoteEditor && !s.keyChangeMode) return;
  EditState e = readEdit(a.noteEditor);
  std::string keyword = windowText(a.keywordBox);
  bool checked = SendMessageA(a.checkButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
  std::string key = a.ui.currentKey;  // storeNote may be handed the index's own text
  a.index.storeNote(e.text, keyword, key, static_cast<unsigned>(e.selStart), checked);
  setStatus(StatusPart::Message, "保存しました");
}

void clearEditor() { SetWindowTextA(app().noteEditor, ""); }

}  // namespace tav
