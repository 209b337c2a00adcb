// The keyword box: typing narrows the list, Enter opens what was typed. Also
// the keys every main control shares (commonKeyDown, commonCharFilter).
#include <windows.h>
#include <commctrl.h>

#include "win/main_controls.h"
#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/note_editor.h"
#include "win/stamp_list.h"
#include "win/editing_aids.h"
#include "win/history_menu.h"
#include "win/search.h"
#include "win/state.h"
#include "win/search_dialog.h"
#include "platform/platform.h"
#include "settings/stamps.h"
#include "store/rebuild.h"
#include "store/sync_names.h"
#include "win/control_text.h"
#include "win/edit_control.h"
#include "ui/editor_text.h"
#include "ui/handoff.h"
#include "win/note_windows.h"
#include "ui/history.h"
#include "ui/open_keyword.h"
#include "ui/side_lists.h"
#include "ui/save_messages.h"

namespace tav {

namespace {

// The key code 0xFF names no key: releases an input method sends with it
// change nothing in the box.
constexpr WPARAM kNoKey = 0xFF;

LRESULT forward(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(app().keywordBoxOwn, w, msg, wp, lp);
}

void onSetFocus() {
  App& a = app();
  a.ui.focusMode = FocusMode::KeywordBox;
  EnableWindow(a.noteEditor, FALSE);
  if (!a.ui.keyChangeMode) {
    a.ui.currentKey.clear();
    SetWindowTextA(a.noteEditor, "");
  }
  EnableWindow(a.keywordList, FALSE);
}

// Enter (and Ctrl+I): re-file the note whose keyword is being changed, or open
// what the box holds.
void enterInBox(HWND w, WPARAM wp, LPARAM lp) {
  UiState& s = app().ui;
  if (s.keyChangeMode) {
    saveNote();
    app().ui.currentKey.clear();
  } else {
    commitKeyword(w, wp, lp);
  }
  s.keyChangeMode = false;
}

void moveByCommaField(HWND w, bool right) {
  EditState e = readEdit(w);
  e = right ? commaFieldRight(e, shiftHeld()) : commaFieldLeft(e, shiftHeld());
  setEditSel(w, e.selStart, e.selEnd);
}

void findFromBox(HWND w, WPARAM wp, LPARAM lp) {
  UiState& s = app().ui;
  if (s.keyChangeMode) return;
  commitKeyword(w, wp, lp);
  s.inSearch = true;
  openSearchDialog(w, "");
  setStatus(StatusPart::SearchText, s.searchText);
  s.inSearch = false;
  searchAgain(0);
}

// WM_KEYDOWN; returns true when the key must not reach the edit control.
bool onKeyDown(HWND w, WPARAM wp, LPARAM lp, LRESULT* result) {
  App& a = app();
  const bool ctrl = ctrlHeld();
  if (commonKeyDown(w, wp)) {
    *result = -1;
    return true;
  }
  *result = 0;
  switch (wp) {
    case VK_DOWN: SetFocus(a.keywordList); return false;
    case VK_RETURN:
      if (ctrl && !a.ui.keyChangeMode) {
        openNoteWindows();
        a.ui.keyChangeMode = false;
      } else {
        enterInBox(w, wp, lp);
      }
      return true;
    case VK_ESCAPE:
      if (GetWindowTextLengthA(w) > 0) SetWindowTextA(w, "");
      else SetWindowTextA(a.filterBox, "");
      return false;
    case VK_F3:
      if (!a.ui.keyChangeMode) searchAgain(0);
      return false;
    default: break;
  }
  if (!ctrl) return false;
  switch (wp) {
    case VK_LEFT: moveByCommaField(w, false); return true;
    case VK_RIGHT: moveByCommaField(w, true); return true;
    case 'A':
      SendMessageA(w, EM_SETSEL, 0, -1);
      *result = -1;
      return true;
    case 'F': findFromBox(w, wp, lp); return false;
    case 'I':
      SetWindowTextA(w, a.settings.worklog.c_str());
      enterInBox(w, wp, lp);
      return true;
    case 'T':
      if (shiftHeld()) insertDate(w);
      else stampCommand(w);
      return false;
    default: return false;
  }
}

LRESULT onChar(HWND w, WPARAM wp, LPARAM lp) {
  if (commonCharFilter(wp, false)) return -1;
  if (wp == '\r') return 1;
  return forward(w, WM_CHAR, wp, lp);
}

void openOne(const OpenDecision& d) {
  App& a = app();
  EnableWindow(a.noteEditor, TRUE);
  const std::string* body = nullptr;
  bool checked = false;
  unsigned caret = 0;
  if (a.index.fetchNote(d.key, &body, &checked, &caret) && body) {
    showNote(d.keyword, d.key, *body, caret, checked);
    addToHistory(d.keyword);
  } else {
    noteUnreadable(d.key);
  }
}

void startNew(const OpenDecision& d) {
  App& a = app();
  std::string base = exePath(a.settings.dataFolder()) + kPathSep;
  createFolder(base);
  if (d.folderFromKeyword) a.ui.currentDir = d.folder;
  else createFolder(base + d.folder);
  EnableWindow(a.noteEditor, TRUE);
  clearList();
  setStatus(StatusPart::Message, "新規");
  startNewNote(d.keyword, a.index.uniqueKey(d.folder, noteTimeStamp()), "", false);
}

}  // namespace

LRESULT CALLBACK keywordBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  switch (msg) {
    case WM_SETFOCUS: onSetFocus(); break;
    case WM_KEYDOWN:
      if (onKeyDown(w, wp, lp, &result)) return result;
      break;
    case WM_KEYUP:
      if (wp != kNoKey) {
        refreshList();
        layoutMainWindow(app().main, 0, 0);
      }
      break;
    case WM_CHAR: return onChar(w, wp, lp);
    case WM_SYSKEYDOWN: navigateHistory(wp); break;
    default: break;
  }
  return forward(w, msg, wp, lp);
}

bool commonKeyDown(HWND, WPARAM key) {
  App& a = app();
  if (!ctrlHeld()) return false;
  switch (key) {
    case 'Q':
      a.ui.saveOnExit = false;
      SendMessageA(a.main, WM_CLOSE, 0, 0);
      return true;
    case 'N':
      saveNote();
      a.ui.currentKey.clear();
      a.ui.saveEnabled = false;
      SetWindowTextA(a.keywordBox, tmpStamp().c_str());
      SetFocus(a.keywordBox);
      openKeyword();
      a.ui.saveEnabled = true;
      return true;
    case 'G':
      SetFocus(a.ui.focusMode == FocusMode::FilterBox ? a.keywordBox : a.filterBox);
      return true;
    default: return false;
  }
}

bool commonCharFilter(WPARAM ch, bool fromEditor) {
  App& a = app();
  if (ch == 27) return true;
  if (!ctrlHeld()) return false;
  switch (ch) {
    case 1: case 6: case 7: case 9: case 10: case 11: case 12: case 13: case 14: case 15:
    case 20: case 21:
      return true;
    case 23:  // Ctrl+W: out of sight at once, then close
      if (fromEditor) {
        saveNote();
        a.ui.saveEnabled = false;
      }
      ShowWindow(a.main, SW_MINIMIZE);
      ShowWindow(a.main, SW_HIDE);
      PostMessageA(a.main, WM_CLOSE, 0, 0);
      return true;
    default: return false;
  }
}

void commitKeyword(HWND control, WPARAM wp, LPARAM lp) {
  addToHistory(windowText(app().keywordBox));
  openKeyword();
  HWND parent = GetParent(control);
  SendMessageA(parent, WM_SIZE, wp, lp);
  layoutMainWindow(parent, wp, lp);
}

void openKeyword() {
  App& a = app();
  std::string kw = windowText(a.keywordBox);
  std::string grep = windowText(a.filterBox);
  std::vector<std::string> results;
  a.index.collectMatches(kw, results, grep, checkFilterNow());
  a.ui.searchText = grep;
  a.ui.hasSearchText = true;
  bool known = results.empty() && a.index.findByKeyword(kw) != nullptr;
  std::string base = exePath(a.settings.dataFolder()) + kPathSep;
  OpenDecision d = decideOpen(kw, results, known,
                              results.empty() && !known ? noteFolders(base)
                                                        : std::vector<std::string>(),
                              a.settings.defdir);
  if (d.kind == OpenDecision::Kind::AlreadyKnown) {
    MessageBoxA(nullptr, "キーワードが登録済みです", "メッセージ", MB_OK);
    return;
  }
  showList(false);
  switch (d.kind) {
    case OpenDecision::Kind::Open: openOne(d); break;
    case OpenDecision::Kind::List:
      EnableWindow(a.keywordList, TRUE);
      // Emptying the list first also drops a selection left from earlier, so
      // that the list's focus selects the first row.
      clearList();
      fillList(results);
      setStatus(StatusPart::Message, "一覧表示");
      SetFocus(a.keywordList);
      showList(true);
      break;
    case OpenDecision::Kind::Hint:
      SetWindowTextA(a.keywordBox, kKeywordHint);
      SendMessageA(a.keywordBox, EM_SETSEL, 0, -1);
      SetFocus(a.keywordBox);
      break;
    case OpenDecision::Kind::New: startNew(d); break;
    default: break;
  }
  a.ui.historyAddEnabled = true;
}

void addToHistory(const std::string& keyword) {
  App& a = app();
  if (!a.ui.historyAddEnabled) return;
  a.ui.historyAddEnabled = false;
  if (!keyword.empty()) {
    addHistoryEntry(a.historyList, a.historyIds, keyword);
    historyMenuChanged();
  }
  a.historyIndex = static_cast<int>(a.historyList.size()) - 1;
}

void focusFilterOrKeyword() {
  App& a = app();
  selectAllAndFocus(GetWindowTextLengthA(a.filterBox) > 0 ? a.filterBox : a.keywordBox);
}

}  // namespace tav
