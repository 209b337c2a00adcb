// The settings dialog "IDD_SETTEI": defdir, jump marks, the data folder in use,
// and which sub-folders live in "data" and which in "data2". The lists are
// read out of the controls, changed by the functions of settings_dialog.h and
// written back; OK hands everything to applySettingsDialog.
#include "win/settings_dialog.h"

#include "win/busy.h"
#include "win/main_controls.h"
#include "win/keyword_list.h"
#include "win/note_editor.h"
#include "win/folder_watch.h"
#include "win/state.h"
#include "dialogs/settings_dialog.h"
#include "resources/resource.h"
#include "win/control_text.h"
#include "ui/save_messages.h"

namespace tav {

namespace {

struct DialogState {
  SettingsDialogData* io = nullptr;
  std::string chosenSet;  // name of the set chosen in 1022; empty for none
};

DialogState& stateOf(HWND dlg) {
  return *reinterpret_cast<DialogState*>(GetWindowLongPtrA(dlg, DWLP_USER));
}

LRESULT sendItem(HWND dlg, int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  return SendDlgItemMessageA(dlg, id, msg, wp, lp);
}

std::string itemString(HWND dlg, int id, UINT lenMsg, UINT textMsg, int row) {
  LRESULT len = sendItem(dlg, id, lenMsg, row);
  if (len <= 0) return std::string();
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  LRESULT got = sendItem(dlg, id, textMsg, row, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return s;
}

// The items of a list box, in the order it shows them.
NameList readList(HWND dlg, int id) {
  NameList items;
  int n = static_cast<int>(sendItem(dlg, id, LB_GETCOUNT));
  for (int i = 0; i < n; ++i) items.push_back(itemString(dlg, id, LB_GETTEXTLEN, LB_GETTEXT, i));
  return items;
}

void fillNames(HWND dlg, int id, const NameList& items, bool combo) {
  sendItem(dlg, id, combo ? CB_RESETCONTENT : LB_RESETCONTENT);
  for (const std::string& s : items)
    sendItem(dlg, id, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

bool setNameTyped(HWND dlg) { return usableSetName(dialogItemText(dlg, IDC_SETTEI_SETS)); }

// "更新" and "削除" together: on only with a usable name in 1022.
void setButtons(HWND dlg, bool on) {
  bool enable = on && setNameTyped(dlg);
  EnableWindow(GetDlgItem(dlg, IDC_SETTEI_SAVE_SET), enable);
  EnableWindow(GetDlgItem(dlg, IDC_SETTEI_DELETE_SET), enable);
}

void enableSave(HWND dlg) { EnableWindow(GetDlgItem(dlg, IDC_SETTEI_SAVE_SET), setNameTyped(dlg)); }

void onInit(HWND dlg, LPARAM lp) {
  SetWindowLongPtrA(dlg, DWLP_USER, lp);
  const SettingsDialogData& d = *reinterpret_cast<DialogState*>(lp)->io;
  SetDlgItemTextA(dlg, IDC_SETTEI_DEFDIR, d.defdir.c_str());
  SetDlgItemTextA(dlg, IDC_SETTEI_WARP, d.warp.c_str());
  fillNames(dlg, IDC_SETTEI_DATA, d.dataSide, false);
  fillNames(dlg, IDC_SETTEI_BASE, {"data", "data2"}, true);
  LRESULT base = sendItem(dlg, IDC_SETTEI_BASE, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(d.current.c_str()));
  sendItem(dlg, IDC_SETTEI_BASE, CB_SETCURSEL, base == CB_ERR ? 0 : base);
  fillNames(dlg, IDC_SETTEI_SETS, dirSetNames(d.dirList), true);
  fillNames(dlg, IDC_SETTEI_DATA2, d.data2Side, false);
  setButtons(dlg, false);
}

// ">" and "<": the selected row of one list to the other.
void moveOne(HWND dlg, int fromId, int toId) {
  enableSave(dlg);
  int row = static_cast<int>(sendItem(dlg, fromId, LB_GETCURSEL));
  if (row < 0) return;
  NameList from = readList(dlg, fromId), to = readList(dlg, toId);
  moveSelected(from, row, to);
  fillNames(dlg, fromId, from, false);
  fillNames(dlg, toId, to, false);
}

// ">>" and "<<".
void moveEvery(HWND dlg, int fromId, int toId) {
  enableSave(dlg);
  NameList from = readList(dlg, fromId), to = readList(dlg, toId);
  moveAll(from, to);
  fillNames(dlg, fromId, from, false);
  fillNames(dlg, toId, to, false);
}

// CBN_SELENDOK of 1022: the chosen set decides which sub-folders stay in "data".
void onSetChosen(HWND dlg) {
  DialogState& st = stateOf(dlg);
  int sel = static_cast<int>(sendItem(dlg, IDC_SETTEI_SETS, CB_GETCURSEL));
  std::string name =
      sel < 0 ? std::string() : itemString(dlg, IDC_SETTEI_SETS, CB_GETLBTEXTLEN, CB_GETLBTEXT, sel);
  const std::string* entry = name.empty() ? nullptr : findDirSet(st.io->dirList, name);
  st.chosenSet = entry ? name : std::string();
  // The edit field may still hold the typed text while the choice is reported.
  EnableWindow(GetDlgItem(dlg, IDC_SETTEI_SAVE_SET), entry != nullptr);
  EnableWindow(GetDlgItem(dlg, IDC_SETTEI_DELETE_SET), entry != nullptr);
  if (!entry) return;
  NameList left = readList(dlg, IDC_SETTEI_DATA), right = readList(dlg, IDC_SETTEI_DATA2);
  applyDirSet(*entry, left, right);
  fillNames(dlg, IDC_SETTEI_DATA, left, false);
  fillNames(dlg, IDC_SETTEI_DATA2, right, false);
}

void refillSets(HWND dlg, const std::string& text) {
  fillNames(dlg, IDC_SETTEI_SETS, dirSetNames(stateOf(dlg).io->dirList), true);
  SetDlgItemTextA(dlg, IDC_SETTEI_SETS, text.c_str());
}

// "更新": the left list becomes the set named in 1022.
void onSaveSet(HWND dlg) {
  DialogState& st = stateOf(dlg);
  std::string name = dialogItemText(dlg, IDC_SETTEI_SETS);
  if (!usableSetName(name)) return;
  saveDirSet(st.io->dirList, name, st.chosenSet, readList(dlg, IDC_SETTEI_DATA));
  st.chosenSet.clear();
  refillSets(dlg, name);
  setButtons(dlg, false);
}

// "削除": the chosen set goes.
void onDeleteSet(HWND dlg) {
  DialogState& st = stateOf(dlg);
  if (st.chosenSet.empty()) return;
  deleteDirSet(st.io->dirList, st.chosenSet);
  st.chosenSet.clear();
  refillSets(dlg, std::string());
  setButtons(dlg, false);
}

void onOk(HWND dlg) {
  SettingsDialogData& d = *stateOf(dlg).io;
  d.defdir = dialogItemText(dlg, IDC_SETTEI_DEFDIR);
  d.warp = dialogItemText(dlg, IDC_SETTEI_WARP);
  d.current = dialogItemText(dlg, IDC_SETTEI_BASE);
  d.dataSide = readList(dlg, IDC_SETTEI_DATA);
  d.data2Side = readList(dlg, IDC_SETTEI_DATA2);
  EndDialog(dlg, IDOK);
}

// Only the set box's own notifications touch the sets: a list box's codes
// share their numbers with the combo box's.
void onSetsNotify(HWND dlg, int code) {
  if (code == CBN_EDITCHANGE) enableSave(dlg);
  else if (code == CBN_SELENDOK) onSetChosen(dlg);
}

void onCommand(HWND dlg, WPARAM wp) {
  switch (LOWORD(wp)) {
    case IDC_SETTEI_SETS: onSetsNotify(dlg, HIWORD(wp)); break;
    case IDC_SETTEI_RIGHT: moveOne(dlg, IDC_SETTEI_DATA, IDC_SETTEI_DATA2); break;
    case IDC_SETTEI_LEFT: moveOne(dlg, IDC_SETTEI_DATA2, IDC_SETTEI_DATA); break;
    case IDC_SETTEI_ALL_RIGHT: moveEvery(dlg, IDC_SETTEI_DATA, IDC_SETTEI_DATA2); break;
    case IDC_SETTEI_ALL_LEFT: moveEvery(dlg, IDC_SETTEI_DATA2, IDC_SETTEI_DATA); break;
    case IDC_SETTEI_SAVE_SET: onSaveSet(dlg); break;
    case IDC_SETTEI_DELETE_SET: onDeleteSet(dlg); break;
    case IDOK: onOk(dlg); break;
    case IDCANCEL: EndDialog(dlg, IDCANCEL); break;
    default: break;
  }
}

INT_PTR CALLBACK settingsDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: onInit(dlg, lp); return TRUE;
    case WM_COMMAND: onCommand(dlg, wp); return TRUE;
    default: return FALSE;
  }
}

// After OK: the note in the editor and the listed rows may belong to a folder
// that is no longer the one in use.
void afterFoldersChanged() {
  App& a = app();
  clearList();
  if (!a.ui.currentKey.empty() && !a.index.findByKey(a.ui.currentKey)) {
    a.ui.currentKey.clear();
    clearEditor();
    setStatus(StatusPart::NotePath, "");
  }
}

void applyOk(const SettingsDialogData& d) {
  App& a = app();
  const std::string before = a.settings.dataFolder();
  SettingsOutcome r;
  {
    BusyWork work("フォルダを移動してインデックスを再作成しています", BusyWork::Stop::Never);
    r = applySettingsDialog(d, a.settings, a.index, work.progress());
  }
  if (!r.saved) setStatus(StatusPart::Message, saveFailureText(a.index.lastSaveFailures()));
  else if (r.moved || a.settings.dataFolder() != before) afterFoldersChanged();
  watchDataFolder();  // the other data folder, when the base folder changed
}

}  // namespace

bool runSettingsDialog(HWND owner, SettingsDialogData& io) {
  DialogState st;
  st.io = &io;
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
  INT_PTR r = DialogBoxParamA(inst, "IDD_SETTEI", owner, settingsDialogProc,
                              reinterpret_cast<LPARAM>(&st));
  return r == IDOK;
}

void openSettingsDialog(HWND owner) {
  App& a = app();
  SettingsDialogData d = settingsDialogStart(a.settings, a.dirList);
  bool ok = runSettingsDialog(owner, d);
  a.dirList = d.dirList;  // "更新" and "削除" count however the dialog ends
  if (ok) applyOk(d);
  SetFocus(a.keywordBox);
}

}  // namespace tav
