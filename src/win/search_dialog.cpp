#include "win/search_dialog.h"

#include "win/state.h"
#include "resources/resource.h"
#include "win/control_text.h"

namespace tav {

namespace {

HWND topLevel(HWND w) {
  HWND root = w ? GetAncestor(w, GA_ROOT) : nullptr;
  return root ? root : app().main;
}

void setCheck(HWND dlg, int id, bool on) {
  SendDlgItemMessageA(dlg, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool checked(HWND dlg, int id) {
  return SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

BOOL searchInit(HWND dlg, SearchDialogData* d) {
  SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
  HWND edit = GetDlgItem(dlg, IDC_SEARCH_TEXT);
  if (!d->text.empty()) {
    SetWindowTextA(edit, d->text.c_str());
    setEditSel(edit, 0, d->text.size());
  }
  setCheck(dlg, IDC_SEARCH_ALL, d->allInList);
  setCheck(dlg, IDC_SEARCH_CASE, d->matchCase);
  EnableWindow(GetDlgItem(dlg, IDC_SEARCH_ALL), d->listShown);
  SetFocus(edit);
  return FALSE;  // the focus is set
}

void searchCommand(HWND dlg, int id) {
  auto* d = reinterpret_cast<SearchDialogData*>(GetWindowLongPtrA(dlg, DWLP_USER));
  if (!d || (id != IDOK && id != IDCANCEL)) return;
  if (id == IDOK) {
    d->allInList = checked(dlg, IDC_SEARCH_ALL);
    d->matchCase = checked(dlg, IDC_SEARCH_CASE);
    d->text = dialogItemText(dlg, IDC_SEARCH_TEXT);
  }
  d->byButton = true;
  EndDialog(dlg, id);
}

INT_PTR CALLBACK searchDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: return searchInit(dlg, reinterpret_cast<SearchDialogData*>(lp));
    case WM_COMMAND: searchCommand(dlg, LOWORD(wp)); return TRUE;
    case WM_CLOSE: EndDialog(dlg, 0); return TRUE;
    default: return FALSE;
  }
}

void promptCommand(HWND dlg, int id) {
  if (id != IDOK && id != IDCANCEL) return;
  auto* answer = reinterpret_cast<std::optional<std::string>*>(GetWindowLongPtrA(dlg, DWLP_USER));
  if (answer && id == IDOK) *answer = dialogItemText(dlg, IDC_SEARCH_TEXT);
  EndDialog(dlg, id);
}

INT_PTR CALLBACK namePromptProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      SetFocus(GetDlgItem(dlg, IDC_SEARCH_TEXT));
      return FALSE;
    case WM_COMMAND: promptCommand(dlg, LOWORD(wp)); return TRUE;
    case WM_CLOSE: EndDialog(dlg, 0); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

bool openSearchDialog(HWND owner, SearchDialogData& io) {
  SearchDialogData d = io;
  d.byButton = false;
  INT_PTR r = DialogBoxParamA(app().instance, "IDD_SEARCH", topLevel(owner), searchDialogProc,
                              reinterpret_cast<LPARAM>(&d));
  io.byButton = d.byButton;
  if (r != IDOK) return false;
  io = d;
  return true;
}

void openSearchDialog(HWND control, const std::string& initial) {
  App& a = app();
  UiState& s = a.ui;
  SearchDialogData d;
  d.text = initial.empty() ? s.searchText : initial;
  d.allInList = s.searchAllInList;
  d.matchCase = s.matchCase;
  d.listShown = s.listWidth != 0;
  if (openSearchDialog(control, d)) {
    s.searchText = d.text;
    s.hasSearchText = true;
    s.searchAllInList = d.allInList;
    s.matchCase = d.matchCase;
  }
  if (d.byButton) SetFocus(a.noteEditor);
}

std::optional<std::string> promptForName(HWND owner) {
  std::optional<std::string> answer;
  DialogBoxParamA(app().instance, "IDD_SEARCH", topLevel(owner), namePromptProc,
                  reinterpret_cast<LPARAM>(&answer));
  return answer;
}

}  // namespace tav
