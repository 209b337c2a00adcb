// The keyword list (a virtual list view over the matching index lines), the
// filter box and the check button.
#include <windows.h>
#include <commctrl.h>

#include "platform/path.h"
#include "win/busy.h"
#include "win/main_controls.h"
#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/note_editor.h"
#include "win/history_menu.h"
#include "win/dir_menu.h"
#include "win/search.h"
#include "win/state.h"
#include "win/search_dialog.h"
#include "store/match.h"
#include "store/note.h"
#include "store/text.h"
#include "win/control_text.h"
#include "store/rebuild.h"
#include "ui/save_messages.h"
#include "ui/open_keyword.h"

namespace tav {

namespace {

int selectedRow() {
  return static_cast<int>(SendMessageA(app().keywordList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
}

void selectFirstRowIfNone() {
  App& a = app();
  if (listedRows().empty() || selectedRow() >= 0) return;
  LVITEMA it {};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(a.keywordList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&it));
}

void listSetFocus() {
  App& a = app();
  a.ui.currentKey.clear();
  a.ui.focusMode = FocusMode::KeywordList;
  selectFirstRowIfNone();
  EnableWindow(a.noteEditor, FALSE);
  SetWindowTextA(a.noteEditor, "");
}

void findInList(HWND w) {
  UiState& s = app().ui;
  s.inSearch = true;
  openSearchDialog(w, "");
  setStatus(StatusPart::SearchText, s.searchText);
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

// What a row shows, asked for by the list as it draws: its icon and, when
// asked, the text of the column. False for a row the list no longer has.
bool rowContent(int item, int column, UINT mask, int* image, std::string* text) {
  App& a = app();
  const std::vector<ListRow>& rows = listedRows();
  if (item < 0 || static_cast<std::size_t>(item) >= rows.size()) return false;
  const ListRow& row = rows[item];
  if (mask & LVIF_IMAGE) *image = static_cast<int>(rowIcon(row, a.listLines));
  if (mask & LVIF_TEXT) *text = column == 0 ? rowText(row, a.listLines) : rowKey(row, a.listLines);
  return true;
}

void rowDisplay(NMLVDISPINFOA* di) {
  LVITEMA& it = di->item;
  std::string t;
  // A row the list no longer has shows nothing.
  rowContent(it.iItem, it.iSubItem, it.mask, &it.iImage, &t);
  if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0)
    lstrcpynA(it.pszText, t.c_str(), it.cchTextMax);
}

void rowDisplayWide(NMLVDISPINFOW* di) {
  LVITEMW& it = di->item;
  std::string t;
  rowContent(it.iItem, it.iSubItem, it.mask, &it.iImage, &t);
  if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
    int n = MultiByteToWideChar(kCodePage, 0, t.c_str(), -1, it.pszText, it.cchTextMax);
    if (n == 0) it.pszText[it.cchTextMax - 1] = 0;
  }
}

// Typing in the list: the list view asks its owner which row begins with the
// letters typed so far.
int findTypedRow(const std::string& text, const LVFINDINFOA& f, int start) {
  App& a = app();
  if (!(f.flags & (LVFI_STRING | LVFI_PARTIAL))) return -1;
  return findRow(listedRows(), a.listLines, text, start < 0 ? 0 : static_cast<std::size_t>(start),
                 (f.flags & LVFI_PARTIAL) != 0, (f.flags & LVFI_WRAP) != 0);
}

LRESULT findItem(NMLVFINDITEMA* fi) {
  return findTypedRow(fi->lvfi.psz ? fi->lvfi.psz : "", fi->lvfi, fi->iStart);
}

LRESULT findItemWide(NMLVFINDITEMW* fi) {
  std::string text;
  if (fi->lvfi.psz) {
    int n = WideCharToMultiByte(kCodePage, 0, fi->lvfi.psz, -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
      text.resize(static_cast<std::size_t>(n));
      WideCharToMultiByte(kCodePage, 0, fi->lvfi.psz, -1, &text[0], n, nullptr, nullptr);
      text.resize(static_cast<std::size_t>(n - 1));
    }
  }
  LVFINDINFOA f {};
  f.flags = fi->lvfi.flags;
  return findTypedRow(text, f, fi->iStart);
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
    case WM_SETFOCUS: a.ui.focusMode = FocusMode::FilterBox; break;
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
  if (msg == WM_KILLFOCUS && !a.ui.inSearch) {
    setKeyChangeItems(false);
    if (a.ui.keyChangeMode) setStatus(StatusPart::Message, "キーの変更");
    else if (a.ui.focusMode == FocusMode::RebuildAsked) a.ui.focusMode = FocusMode::NoteEditor;
    else saveNote();
  }
  return CallWindowProcA(a.checkButtonOwn, w, msg, wp, lp);
}

int checkFilterNow() { return checkFilterNumber(windowText(app().checkFilter)); }

const std::vector<ListRow>& listedRows() {
  static const std::vector<ListRow> none;
  App& a = app();
  if (a.listFromIndex && a.listLoads != a.index.loadCount()) return none;
  return a.listRows;
}

void clearList() {
  App& a = app();
  a.listLines.clear();
  a.listRows.clear();
  a.listFromIndex = false;
  SendMessageA(a.keywordList, LVM_DELETEALLITEMS, 0, 0);
}

namespace {

// The rows are built from listLines; the list is told only their number and
// asks for the texts of the rows it draws.
void showRows() {
  App& a = app();
  buildRows(a.listLines, a.listRows);
  a.listFromIndex = false;
  fitListColumns(a.listRows.size());
  SendMessageA(a.keywordList, LVM_SETITEMCOUNT, a.listRows.size(), 0);
  InvalidateRect(a.keywordList, nullptr, TRUE);
}

void clearRowState(HWND list, UINT which, UINT state) {
  LVITEMA it {};
  it.stateMask = state;
  for (int r = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, which)); r >= 0;
       r = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, r, which))) {
    SendMessageA(list, LVM_SETITEMSTATE, r, reinterpret_cast<LPARAM>(&it));
  }
}

// Only the rows change on a refill: the column header above them is left to
// stand rather than drawn again.
void invalidateRows(HWND list) {
  RECT r, header;
  GetClientRect(list, &r);
  HWND h = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  if (h && IsWindowVisible(h) && GetWindowRect(h, &header)) r.top = header.bottom - header.top;
  InvalidateRect(list, &r, TRUE);
}

// The rows of the entries in listHits in place of the old ones, left as
// deleting all items and inserting the new ones would leave them: nothing
// selected or focused, scrolled to the top. The list is told the new count once, and not at all
// when it stays, instead of passing through an empty list: every change of
// the count redraws the scroll bar, which under load is the dearest step of
// a key release.
void replaceRows() {
  App& a = app();
  HWND list = a.keywordList;
  // Looking for selected rows walks every row; while typing none is selected,
  // and the count says so at once.
  if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0) {
    clearRowState(list, LVNI_SELECTED, LVIS_SELECTED);
  }
  clearRowState(list, LVNI_FOCUSED, LVIS_FOCUSED);
  SendMessageA(list, LVM_SETSELECTIONMARK, 0, -1);
  const std::size_t before = a.listRows.size();
  a.listLines.clear();
  buildRows(a.listHits, a.listRuns, a.listRows);
  a.listFromIndex = true;
  a.listLoads = a.index.loadCount();
  if (a.listRows.size() != before ||
      static_cast<std::size_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) != before) {
    fitListColumns(a.listRows.size());
    SendMessageA(list, LVM_SETITEMCOUNT, a.listRows.size(),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  }
  if (SendMessageA(list, LVM_GETTOPINDEX, 0, 0) > 0) {
    SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
  }
  invalidateRows(list);
}

}  // namespace

void fillList(const std::vector<std::string>& lines) {
  App& a = app();
  a.listLines.clear();
  for (const std::string& l : lines) a.listLines.add(l);
  showRows();
}

void (*listRefreshed)() = nullptr;

namespace {

void refillFromIndex() {
  App& a = app();
  std::string kw = windowText(a.keywordBox);
  std::string grep = windowText(a.filterBox);
  bool stopped = false;
  if (grep.empty()) {
    a.index.collectMatchEntries(kw, a.listHits, a.listRuns, grep, checkFilterNow());
  } else {
    // With the folder watched, the bodies come from memory and the body
    // cache, and only the notes the cache lacks are read; without, the first
    // body filter reads the note files. The list may paint meanwhile, so its
    // rows stay as they are until the end.
    if (a.index.filterBody) a.searchBodies.beginWalk(a.index, 0, true);
    BusyWork work("本文で絞り込んでいます", BusyWork::Stop::OnEscape);
    a.index.collectMatchEntries(kw, a.listHits, a.listRuns, grep, checkFilterNow(),
                                work.progress());
    stopped = work.stopped();
    if (a.index.filterBody) a.searchBodies.cache().saveIfChanged();
  }
  replaceRows();
  a.listHits.clear();
  if (a.listRows.empty()) return;
  EnableWindow(a.keywordList, TRUE);
  setStatus(StatusPart::Message, stopped ? "絞り込みを中止しました" : "一覧表示");
  showList(true);
  a.ui.historyAddEnabled = true;
}

}  // namespace

void refreshList() {
  refillFromIndex();
  if (listRefreshed) listRefreshed();
}

LRESULT listNotify(NMHDR* hdr) {
  switch (hdr->code) {
    case LVN_GETDISPINFOA: rowDisplay(reinterpret_cast<NMLVDISPINFOA*>(hdr)); break;
    case LVN_GETDISPINFOW: rowDisplayWide(reinterpret_cast<NMLVDISPINFOW*>(hdr)); break;
    case LVN_ODFINDITEMA: return findItem(reinterpret_cast<NMLVFINDITEMA*>(hdr));
    case LVN_ODFINDITEMW: return findItemWide(reinterpret_cast<NMLVFINDITEMW*>(hdr));
    case NM_RCLICK: showDirectoryMenu(); break;
    case NM_CLICK:
    case NM_RETURN: openSelectedNote(RowOpen::ByUser); break;
    default: break;
  }
  return 0;
}

int selectedListRow() { return selectedRow(); }

void selectOnlyListRow(int row) {
  HWND list = app().keywordList;
  clearRowState(list, LVNI_SELECTED, LVIS_SELECTED);
  LVITEMA it {};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&it));
  SendMessageA(list, LVM_SETSELECTIONMARK, 0, row);
  SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
}

bool listedNote(int row, std::string* keyword, std::string* key) {
  App& a = app();
  const std::vector<ListRow>& rows = listedRows();
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return false;
  const ListRow& r = rows[row];
  if (r.header) return false;
  *key = rowKey(r, a.listLines).substr(0, kRowTextMax);
  *keyword = rowText(r, a.listLines).substr(0, kRowTextMax);
  return !key->empty();
}

void openSelectedNote(RowOpen how) {
  App& a = app();
  int r = selectedRow();
  if (r < 0 || static_cast<std::size_t>(r) >= listedRows().size()) return;
  EnableWindow(a.noteEditor, TRUE);
  std::string keyword, key;
  if (!listedNote(r, &keyword, &key)) return;
  const bool hit = how == RowOpen::SearchHit;
  if (hit && containsText(keyword, kNoGrep, true)) return;
  const std::string* body = nullptr;
  bool checked = false;
  unsigned caret = 0;
  if (!a.index.fetchNote(key, &body, &checked, &caret)) body = nullptr;
  if (!body) {
    noteUnreadable(key);
    return;
  }
  // A search hit moves the focus while the editor already holds the new
  // note: the focus messages must not store it.
  if (hit) a.ui.saveEnabled = false;
  showNote(keyword, key, *body, caret, checked);
  addToHistory(keyword);
  a.ui.historyAddEnabled = true;
  if (hit) a.ui.saveEnabled = true;
}

void rebuildWithProgress() {
  App& a = app();
  bool saved;
  {
    BusyWork work("インデックスを再作成しています", BusyWork::Stop::Never);
    saved = saveAndRebuildAll(a.index, a.settings.dataFolder(),
                              [] { selectAllAndFocus(app().keywordBox); }, work.progress());
  }
  // What could not be written is named; nothing was rebuilt over it.
  if (!saved) setStatus(StatusPart::Message, saveFailureText(a.index.lastSaveFailures()));
}

void noteUnreadable(std::string_view key) {
  App& a = app();
  // Common in a synced folder, where the other PC deletes notes: no box and
  // no rebuild of every note, only a save that drops its entry.
  if (isSafeNoteKey(key) && pathKind(a.index.pathOf(key)) == PathKind::None) {
    bool saved;
    {
      BusyWork work("ノートを保存しています", BusyWork::Stop::Never);
      saved = a.index.save(a.settings.dataFolder(), work.progress());
    }
    refreshList();
    setStatus(StatusPart::Message,
              saved ? std::string("このメモのファイルはほかのプログラムで削除されていたため、一覧から外しました")
                    : saveFailureText(a.index.lastSaveFailures()));
    return;
  }
  MessageBoxA(nullptr, "異常が発生したため、インデックスを再作成します。", "メッセージ", MB_OK);
  rebuildWithProgress();
}

void setCheckedForListedNotes(char mark) {
  App& a = app();
  JournalBatch batch(a.index.journal);
  for (const ListRow& row : listedRows()) {
    std::string key = rowKey(row, a.listLines).substr(0, kRowTextMax);
    a.index.setChecked(key, mark);
  }
  refreshList();
}

}  // namespace tav
