// The main window's controls: creation, layout, splitter, painting, status.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "win/main_controls.h"
#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/note_editor.h"
#include "win/bookmark_dialog.h"
#include "win/folder_watch.h"
#include "win/state.h"
#include "platform/platform.h"
#include "store/text.h"
#include "win/control_text.h"
#include "win/edit_control.h"
#include "resources/resource.h"
#include "win/journal.h"
#include "ui/layout.h"
#include "ui/side_lists.h"

namespace tav {

namespace {

HWND child(HWND main, const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
           int id) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, main,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app().instance,
                         nullptr);
}

WNDPROC subclass(HWND w, WNDPROC proc) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

void addColumn(HWND list, int index, const char* title, int width) {
  LVCOLUMNA c {};
  c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  c.fmt = LVCFMT_LEFT;
  c.cx = width;
  c.pszText = const_cast<char*>(title);
  c.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&c));
}

// Sets a column's width unless it already has it: setting an equal width still
// repaints the header and the list's rows.
void setColumnWidth(HWND list, int index, int width) {
  if (SendMessageA(list, LVM_GETCOLUMNWIDTH, index, 0) == width) return;
  LVCOLUMNA c {};
  c.mask = LVCF_WIDTH;
  c.cx = width;
  SendMessageA(list, LVM_SETCOLUMNA, index, reinterpret_cast<LPARAM>(&c));
}

// One image list for every fill: folder, unchecked note, checked note (the
// order of RowIcon).
HIMAGELIST makeListImages() {
  App& a = app();
  HIMAGELIST il = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 3, 0);
  ImageList_ReplaceIcon(il, -1, a.iconDir);
  ImageList_ReplaceIcon(il, -1, a.iconNote);
  ImageList_ReplaceIcon(il, -1, a.iconChecked);
  return il;
}

std::vector<std::string> readSideList(const char* name) {
  auto text = readWholeFile(exePath(name));
  return text ? sideListFromText(*text) : std::vector<std::string>();
}

void loadSideLists() {
  App& a = app();
  if (auto text = readWholeFile(exePath("hanko.txt"))) a.stampList = stampsFromText(*text);
  for (const std::string& k : readSideList("recent.txt")) {
    addToHistory(k);
    a.ui.historyAddEnabled = true;
  }
  loadBookmarkMenu();
  a.dirList = readSideList("dir.txt");
}

void createEditorFont(HWND editor) {
  App& a = app();
  a.editorFont = CreateFontA(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0,
                             0, FF_ROMAN, "MS 明朝");
  SendMessageA(editor, WM_SETFONT, reinterpret_cast<WPARAM>(a.editorFont), TRUE);
}

// Where a control is now, in its parent's client coordinates.
RECT placeOf(HWND w) {
  RECT r {};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Moves a control only when it is not where the layout puts it: a key release
// lays the window out again, and an equal move shows nothing new. A drop-down
// list's window is as high as its closed box, whatever height it was given
// (that height is its drop-down's), so its height is not compared.
void moveTo(HWND w, const Rect& r, bool compareHeight = true) {
  RECT now = placeOf(w);
  if (now.left == r.x && now.top == r.y && now.right - now.left == r.w &&
      (!compareHeight || now.bottom - now.top == r.h)) {
    return;
  }
  MoveWindow(w, r.x, r.y, r.w, r.h, TRUE);
}

// The status bar docks itself at the bottom on WM_SIZE; once it lies there
// across the whole width, there is nothing to dock.
void dockStatusBar(HWND main, WPARAM wp, LPARAM lp) {
  HWND bar = app().statusBar;
  RECT client, now = placeOf(bar);
  GetClientRect(main, &client);
  if (now.left == 0 && now.right == client.right && now.bottom == client.bottom) return;
  SendMessageA(bar, WM_SIZE, wp, lp);
}

}  // namespace

void fitListColumns(std::size_t rows) {
  HWND list = app().keywordList;
  RECT rc {};
  GetClientRect(list, &rc);
  const bool barNow = (GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL) != 0;
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  int width = rc.right + (barNow ? bar : 0);
  if (width > 0) {
    const auto perPage = static_cast<std::size_t>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    if (rows > perPage) width -= bar;
  }
  setColumnWidth(list, 0, width < 0 ? 0 : width);
  setColumnWidth(list, 1, 0);
}

bool ctrlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }
bool shiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

void createMainControls(HWND main) {
  App& a = app();
  if (a.controlsBuilt) return;
  a.controlsBuilt = true;
  a.main = main;
  InitCommonControls();
  a.menu = GetMenu(main);
  a.editMenu = GetSubMenu(a.menu, 1);
  a.historyMenu = GetSubMenu(a.menu, 2);
  a.bookmarkMenu = GetSubMenu(a.menu, 3);

  a.keywordBox = child(main, "EDIT", "", WS_BORDER, 0, 0, 600, 30, kIdKeywordBox);
  a.keywordBoxOwn = subclass(a.keywordBox, keywordBoxProc);
  a.noteEditor = child(main, "EDIT", "", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
                       200, 31, 400, 400, kIdNoteEditor);
  DragAcceptFiles(a.noteEditor, TRUE);
  createEditorFont(a.noteEditor);
  int tabStop = 8;
  SendMessageA(a.noteEditor, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
  a.noteEditorOwn = subclass(a.noteEditor, noteEditorProc);
  setScrollTarget(a.noteEditor);
  // A virtual list: the rows live in the App record and are handed over on
  // LVN_GETDISPINFO, so a refill costs the same at any number of notes.
  a.keywordList = child(main, WC_LISTVIEWA, nullptr,
                        LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0, 31, 200, 400,
                        kIdKeywordList);
  a.keywordListOwn = subclass(a.keywordList, keywordListProc);
  a.filterBox = child(main, "EDIT", "", WS_BORDER, 200, 200, 600, 30, kIdFilterBox);
  EnableWindow(a.filterBox, TRUE);
  a.filterBoxOwn = subclass(a.filterBox, filterBoxProc);
  a.checkButton = child(main, "BUTTON", "チェック", BS_AUTOCHECKBOX, 0, 0, 100, 30, kIdCheckButton);
  a.checkButtonOwn = subclass(a.checkButton, checkButtonProc);
  a.checkFilter = child(main, "COMBOBOX", nullptr, CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 300, 300,
                        kIdCheckFilter);
  for (const char* item : {"指定なし", "チェックあり", "チェックなし"}) {
    SendMessageA(a.checkFilter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SendMessageA(a.checkFilter, CB_SETCURSEL, 2, 0);

  createFolder(exePath(a.settings.dataFolder()));
  a.statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM,
                                    "ステータスバー", main, kIdStatusBar);
  int parts[4] = {160, 300, 400, -1};  // right edges; the last runs to the window's edge
  SendMessageA(a.statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
  SendMessageA(a.noteEditor, EM_LIMITTEXT, 0, 0);

  loadIndexWithJournal();
  watchDataFolder();
  addColumn(a.keywordList, 0, "キー", 200);
  addColumn(a.keywordList, 1, "キーワード", 0);
  fitListColumns(0);
  a.listImages = makeListImages();
  SendMessageA(a.keywordList, LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(a.listImages));
  // Double-buffered: a refill repaints every visible row, and drawing them off
  // the screen first is cheaper and does not flicker.
  const DWORD listEx = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageA(a.keywordList, LVM_SETEXTENDEDLISTVIEWSTYLE, listEx, listEx);
  loadSideLists();
}

void layoutMainWindow(HWND main, WPARAM wp, LPARAM lp) {
  App& a = app();
  if (!a.controlsBuilt) return;
  RECT rc;
  GetClientRect(main, &rc);
  MainLayout l = layoutMain(rc.right, rc.bottom, a.ui.listWidth, a.settings.sideSize2);
  moveTo(a.keywordList, l.keywordList);
  fitListColumns(a.listRows.size());
  moveTo(a.keywordBox, l.keywordBox);
  moveTo(a.filterBox, l.filterBox);
  moveTo(a.checkFilter, l.checkFilter, false);
  moveTo(a.noteEditor, l.noteEditor);
  moveTo(a.checkButton, l.checkButton);
  dockStatusBar(main, wp, lp);
  RECT wr;
  GetWindowRect(main, &wr);
  SIZE size {wr.right - wr.left, wr.bottom - wr.top};
  if (size.cx == a.regionSize.cx && size.cy == a.regionSize.cy) return;
  a.regionSize = size;
  HRGN rgn = CreateRoundRectRgn(0, 0, size.cx, size.cy, 20, 20);
  SetWindowRgn(main, rgn, TRUE);  // the window owns the region from here on
}

void showList(bool shown) {
  App& a = app();
  a.ui.listWidth = shown ? a.settings.sideSize2 : 0;
}

void restoreFocusByMode() {
  App& a = app();
  switch (a.ui.focusMode) {
    case FocusMode::KeywordBox: SetFocus(a.keywordBox); break;
    case FocusMode::KeywordList: SetFocus(a.keywordList); break;
    case FocusMode::FilterBox: SetFocus(a.filterBox); break;
    default: SetFocus(a.noteEditor); break;
  }
}

void paintMainWindow(HWND main) {
  // Every repaint brings the focus back to the pane the user works in (not
  // while long work paints, when a focus move could store into the index).
  if (!app().ui.busy) restoreFocusByMode();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(main, &ps);
  RECT rc;
  GetClientRect(main, &rc);
  HGDIOBJ old = SelectObject(dc, GetStockObject(GRAY_BRUSH));
  Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
  SelectObject(dc, old);
  EndPaint(main, &ps);
}

LRESULT splitterMouseMove(HWND, LPARAM lp) {
  int x = static_cast<short>(LOWORD(lp));
  if (onSplitter(x, app().ui.listWidth)) SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
  return 0;
}

void splitterButtonUp(HWND main, WPARAM wp, LPARAM lp) {
  App& a = app();
  if (GetCursor() == LoadCursorA(nullptr, IDC_SIZEWE)) {
    RECT rc;
    GetClientRect(main, &rc);
    int w = splitterWidth(static_cast<short>(LOWORD(lp)), rc.right);
    if (w > 0) {
      a.settings.sideSize2 = w;
      showList(true);
    }
  }
  ReleaseCapture();
  layoutMainWindow(main, wp, lp);
}

// A part that already shows the text is left alone: every key release that
// lists notes says "一覧表示" again, and setting it repaints the part.
void setStatus(StatusPart which, const std::string& text) {
  HWND bar = app().statusBar;
  const auto part = static_cast<WPARAM>(which);
  // The length is in bytes on Windows and in characters under Wine; twice it
  // holds the text either way.
  const auto shown = static_cast<std::size_t>(LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0)));
  if (shown <= text.size()) {
    std::string now(2 * shown + 2, '\0');
    SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(now.data()));
    if (now.c_str() == text) return;
  }
  SendMessageA(bar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

void setKeyChangeItems(bool enabled) {
  App& a = app();
  MENUITEMINFOA mi {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_STATE;
  mi.fState = enabled ? MFS_ENABLED : (MFS_DISABLED | MFS_GRAYED);
  SetMenuItemInfoA(a.menu, IDM_CHANGE_KEY, FALSE, &mi);
  SetMenuItemInfoA(a.menu, IDM_CHANGE_DIR, FALSE, &mi);
}

void putBackControlProcs() {
  App& a = app();
  auto putBack = [](HWND w, WNDPROC own) {
    if (w && own) SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
  };
  putBack(a.keywordBox, a.keywordBoxOwn);
  putBack(a.noteEditor, a.noteEditorOwn);
  putBack(a.filterBox, a.filterBoxOwn);
  putBack(a.checkButton, a.checkButtonOwn);
}

}  // namespace tav
