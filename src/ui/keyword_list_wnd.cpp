// The keyword list (a virtual list view over the matching index lines), the
// filter box and the check button.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "app/routes.h"
#include "store/text.h"
#include "store/text_wnd.h"
#include "ui/main_wnd.h"
#include "ui/open_keyword.h"
#include "ui/pending_wnd.h"

namespace tav {

namespace {

int selectedRow() {
  return static_cast<int>(SendMessageA(app().keywordList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
}

void selectFirstRowIfNone() {
  App& a = app();
  if (a.listRows.empty() || selectedRow() >= 0) return;
  LVITEMA it {};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(a.keywordList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&it));
}

void listSetFocus() {
  App& a = app();
  a.index.currentKey.clear();
  a.settings.focusMode = 2;
  selectFirstRowIfNone();
  EnableWindow(a.noteEditor, FALSE);
  SetWindowTextA(a.noteEditor, "");
}

void findInList(HWND w) {
  Settings& s = app().settings;
  s.inSearch = true;
  openSearchDialog(w, "");
  setStatus(2, s.searchText);
  s.inSearch = false;
  searchAgain(0);
}

bool listKeyDown(HWND w, WPARAM wp) {
  if (commonKeyDown(w, wp)) return true;
  const bool ctrl = ctrlHeld();
  if (ctrl && wp == 'F') {
    findInList(w);
    return false;
  }
  if (wp == VK_F3) {
    searchAgain(0);
    return false;
  }
  if (wp == VK_TAB || wp == VK_ESCAPE || (ctrl && wp == 'K')) {
    focusFilterOrKeyword();
    return true;
  }
  return false;
}

// The texts a row shows, asked for by the list as it draws.
void rowDisplay(NMLVDISPINFOA* di) {
  App& a = app();
  LVITEMA& it = di->item;
  if (it.iItem < 0 || static_cast<std::size_t>(it.iItem) >= a.listRows.size()) return;
  const ListRow& row = a.listRows[it.iItem];
  if (it.mask & LVIF_IMAGE) it.iImage = static_cast<int>(row.icon);
  if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
    std::string t = it.iSubItem == 0 ? rowText(row, a.listLines) : rowKey(row, a.listLines);
    lstrcpynA(it.pszText, t.c_str(), it.cchTextMax);
  }
}

void rowDisplayWide(NMLVDISPINFOW* di) {
  App& a = app();
  LVITEMW& it = di->item;
  if (it.iItem < 0 || static_cast<std::size_t>(it.iItem) >= a.listRows.size()) return;
  const ListRow& row = a.listRows[it.iItem];
  if (it.mask & LVIF_IMAGE) it.iImage = static_cast<int>(row.icon);
  if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
    std::string t = it.iSubItem == 0 ? rowText(row, a.listLines) : rowKey(row, a.listLines);
    int n = MultiByteToWideChar(932, 0, t.c_str(), -1, it.pszText, it.cchTextMax);
    if (n == 0) it.pszText[it.cchTextMax - 1] = 0;
  }
}

}  // namespace

LRESULT CALLBACK keywordListProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFOCUS: listSetFocus(); break;
    case WM_KEYDOWN:
      if (listKeyDown(w, wp)) return 0;
      break;
    case WM_SYSKEYDOWN: navigateHistory(wp); break;
    case WM_CHAR:
      if (commonCharFilter(wp, false)) return -1;
      break;
    default: break;
  }
  return CallWindowProcA(app().keywordListOwn, w, msg, wp, lp);
}

LRESULT CALLBACK filterBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  App& a = app();
  switch (msg) {
    case WM_SETFOCUS: a.settings.focusMode = 7; break;
    case WM_KEYDOWN:
      if (commonKeyDown(w, wp)) return 0;
      if (wp == VK_RETURN) {
        commitKeyword(w, wp, lp);
        return 0;
      }
      if (wp == VK_ESCAPE || wp == VK_TAB) selectAllAndFocus(a.keywordBox);
      break;
    case WM_CHAR:
      if (commonCharFilter(wp, false)) return -1;
      break;
    default: break;
  }
  return CallWindowProcA(a.filterBoxOwn, w, msg, wp, lp);
}

LRESULT CALLBACK checkButtonProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  App& a = app();
  if (msg == WM_KILLFOCUS && !a.settings.inSearch) {
    setKeyChangeItems(false);
    if (a.settings.keyChangeMode) setStatus(3, "キーの変更");
    else if (a.settings.focusMode == 4) a.settings.focusMode = 3;
    else saveNote();
  }
  return CallWindowProcA(a.checkButtonOwn, w, msg, wp, lp);
}

int checkFilterNow() { return checkFilterNumber(windowText(app().checkFilter)); }

void clearList() {
  App& a = app();
  a.listLines.clear();
  a.listRows.clear();
  SendMessageA(a.keywordList, LVM_DELETEALLITEMS, 0, 0);
}

void fillList(std::vector<std::string> lines) {
  App& a = app();
  a.listLines = std::move(lines);
  a.listRows = buildRows(a.listLines);
  SendMessageA(a.keywordList, LVM_SETITEMCOUNT, a.listRows.size(), 0);
  InvalidateRect(a.keywordList, nullptr, TRUE);
}

void refreshListNow() {
  App& a = app();
  std::string kw = windowText(a.keywordBox);
  std::string grep = windowText(a.filterBox);
  clearList();
  std::vector<std::string> results;
  a.index.collectMatches(kw, results, grep, checkFilterNow());
  if (results.empty()) return;
  EnableWindow(a.keywordList, TRUE);
  fillList(std::move(results));
  setStatus(3, "一覧表示");
  showList(true);
  a.settings.historyAddEnabled = true;
}

LRESULT listNotify(NMHDR* hdr) {
  switch (hdr->code) {
    case LVN_GETDISPINFOA: rowDisplay(reinterpret_cast<NMLVDISPINFOA*>(hdr)); break;
    case LVN_GETDISPINFOW: rowDisplayWide(reinterpret_cast<NMLVDISPINFOW*>(hdr)); break;
    case NM_RCLICK: showDirectoryMenu(); break;
    case NM_CLICK:
    case NM_RETURN: openSelectedNote(); break;
    default: break;
  }
  return 0;
}

void openSelectedNote() {
  App& a = app();
  int r = selectedRow();
  if (r < 0 || static_cast<std::size_t>(r) >= a.listRows.size()) return;
  EnableWindow(a.noteEditor, TRUE);
  const ListRow& row = a.listRows[r];
  std::string key = rowKey(row, a.listLines).substr(0, 255);
  if (key.empty()) return;
  std::string keyword = rowText(row, a.listLines).substr(0, 255);
  const std::string* body = nullptr;
  bool checked = false;
  unsigned caret = 0;
  if (a.index.fetchNote(key, &body, &checked, &caret) && body) {
    showNote(keyword, key, *body, caret, checked);
    addToHistory(keyword);
    a.settings.historyAddEnabled = true;
  } else {
    rebuildAfterUnreadableNote();
  }
}

void setCheckedForListedNotes(char mark) {
  App& a = app();
  for (const ListRow& row : a.listRows) {
    std::string key = rowKey(row, a.listLines);
    a.index.setChecked(key, mark);
  }
  refreshListNow();
}

}  // namespace tav
