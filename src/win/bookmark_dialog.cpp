// The bookmark dialog ("IDD_DIALOG1") and the bookmark menu built from
// "bookmark.txt".
#include <windows.h>

#include "win/bookmark_dialog.h"
#include "win/state.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "store/text.h"
#include "win/control_text.h"
#include "ui/side_lists.h"

namespace tav {

namespace {

using Focus = BookmarkOutcome::Focus;
using Row = BookmarkOutcome::Row;

BookmarkData& dataOf(HWND d) {
  return *reinterpret_cast<BookmarkData*>(GetWindowLongPtrA(d, DWLP_USER));
}

HWND listBox(HWND d) { return GetDlgItem(d, IDC_BOOKMARK_LIST); }

int selectedRow(HWND d) { return static_cast<int>(SendMessageA(listBox(d), LB_GETCURSEL, 0, 0)); }

// Over the middle of the owner's window, where the user is looking.
void centerOnOwner(HWND d) {
  HWND owner = GetWindow(d, GW_OWNER);
  RECT o, r;
  if (!owner || !GetWindowRect(owner, &o) || !GetWindowRect(d, &r)) return;
  int x = o.left + ((o.right - o.left) - (r.right - r.left)) / 2;
  int y = o.top + ((o.bottom - o.top) - (r.bottom - r.top)) / 2;
  SetWindowPos(d, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void initDialog(HWND d, BookmarkData& io) {
  SetWindowLongPtrA(d, DWLP_USER, reinterpret_cast<LONG_PTR>(&io));
  centerOnOwner(d);
  for (const std::string& line : io.list) {
    SendMessageA(listBox(d), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(commaField(line, 1).c_str()));
  }
  SetDlgItemTextA(d, IDC_BOOKMARK_DATA, io.initialData.c_str());
}

void focusOn(HWND d, Focus f) {
  switch (f) {
    case Focus::Display: SetFocus(GetDlgItem(d, IDC_BOOKMARK_DISPLAY)); break;
    case Focus::Data: SetFocus(GetDlgItem(d, IDC_BOOKMARK_DATA)); break;
    case Focus::List: SetFocus(listBox(d)); break;
    default: break;
  }
}

// The list box follows the list row by row, so its scroll position stays.
void showOutcome(HWND d, const BookmarkOutcome& o) {
  HWND list = listBox(d);
  const LPARAM text = reinterpret_cast<LPARAM>(o.display.c_str());
  switch (o.row) {
    case Row::Append: SendMessageA(list, LB_ADDSTRING, 0, text); break;
    case Row::Replace:
      SendMessageA(list, LB_DELETESTRING, o.index, 0);
      SendMessageA(list, LB_INSERTSTRING, o.index, text);
      break;
    case Row::Remove: SendMessageA(list, LB_DELETESTRING, o.index, 0); break;
    default: break;
  }
  SetDlgItemTextA(d, IDC_BOOKMARK_STATUS, o.status.c_str());
  if (o.clearEdits) {
    SetDlgItemTextA(d, IDC_BOOKMARK_DISPLAY, "");
    SetDlgItemTextA(d, IDC_BOOKMARK_DATA, "");
  }
  focusOn(d, o.focus);
}

// Any notification of the list box with a row selected shows that row.
void showSelected(HWND d) {
  const std::vector<std::string>& list = dataOf(d).list;
  int r = selectedRow(d);
  if (r < 0 || static_cast<std::size_t>(r) >= list.size()) return;
  SetDlgItemTextA(d, IDC_BOOKMARK_STATUS, "");
  SetDlgItemTextA(d, IDC_BOOKMARK_DISPLAY, commaField(list[r], 1).c_str());
  SetDlgItemTextA(d, IDC_BOOKMARK_DATA, commaTail(list[r], 2).c_str());
}

void onCommand(HWND d, WPARAM wp) {
  std::vector<std::string>& list = dataOf(d).list;
  const std::string display = dialogItemText(d, IDC_BOOKMARK_DISPLAY);
  const std::string data = dialogItemText(d, IDC_BOOKMARK_DATA);
  switch (LOWORD(wp)) {
    case IDC_BOOKMARK_ADD: showOutcome(d, addBookmark(list, display, data)); break;
    case IDC_BOOKMARK_UPDATE:
      showOutcome(d, updateBookmark(list, selectedRow(d), display, data));
      break;
    case IDC_BOOKMARK_DELETE: showOutcome(d, deleteBookmark(list, selectedRow(d))); break;
    case IDC_BOOKMARK_LIST: showSelected(d); break;
    case IDCLOSE: EndDialog(d, IDCLOSE); break;
    default: break;  // no cancel: Escape does nothing
  }
}

INT_PTR CALLBACK bookmarkDialogProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: initDialog(d, *reinterpret_cast<BookmarkData*>(lp)); return TRUE;
    case WM_COMMAND: onCommand(d, wp); return TRUE;
    // The title-bar close keeps the changes as "閉じる" does, so the menu
    // built from the file never names list rows that are gone.
    case WM_CLOSE: EndDialog(d, IDCLOSE); return TRUE;
    default: return FALSE;
  }
}

void rebuildBookmarkMenu() {
  App& a = app();
  HMENU m = a.bookmarkMenu;
  if (!m) return;
  while (GetMenuItemCount(m) > 1) DeleteMenu(m, 1, MF_BYPOSITION);
  for (const MenuItem& it : bookmarkMenuItems(a.bookmarkList)) {
    AppendMenuA(m, MF_STRING, static_cast<UINT_PTR>(static_cast<UINT>(it.id)), it.text.c_str());
  }
}

}  // namespace

bool openBookmarkDialog(HWND owner, BookmarkData& io) {
  BookmarkData work = io;
  INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), "IDD_DIALOG1", owner, bookmarkDialogProc,
                              reinterpret_cast<LPARAM>(&work));
  if (r != IDCLOSE) return false;
  io = std::move(work);
  return true;
}

void openBookmarkDialog(HWND owner) {
  App& a = app();
  BookmarkData d {windowText(a.keywordBox), a.bookmarkList};
  if (!openBookmarkDialog(owner, d)) return;
  if (writeWholeFile(exePath("bookmark.txt"), bookmarkFileText(d.list))) {
    loadBookmarkMenu();
    return;
  }
  // Not written: the menu follows the edited list, which lasts for this run.
  a.bookmarkList = std::move(d.list);
  rebuildBookmarkMenu();
}

void loadBookmarkMenu() {
  App& a = app();
  a.bookmarkList.clear();
  if (auto text = readWholeFile(exePath("bookmark.txt"))) a.bookmarkList = sideListFromText(*text);
  rebuildBookmarkMenu();
}

}  // namespace tav
