// The real main window in a fresh temporary ExeDir, driven with window
// messages; the Ctrl and Shift states that the controls read with GetKeyState
// are set on this thread's keyboard state, as real input would leave them.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "resources/resource.h"
#include "store/note.h"
#include "win/control_text.h"
#include "ui/open_keyword.h"
#include "gui_support.h"
#include "testsupport.h"

using tav::app;

namespace {

using tavgui::childRect;
using tavgui::Held;
using tavgui::key;
using tavgui::listRows;
using tavgui::pump;
using tavgui::statusText;
using tavgui::type;

class MainWindow : public tavgui::MainWindowTest {
 public:
  MainWindow() : MainWindowTest("gui") {}
};

std::string keywordOf(const char* key) {
  const tav::IndexEntry* e = app().index.findByKey(key);
  return e ? std::string(e->keyword()) : "<none>";
}

const char* const kA1 = "default/201101010000000000";
const char* const kA2 = "default/201101010000010000";
const char* const kB1 = "memo/201101010000020000";

std::vector<MainWindow::Seed> threeNotes() {
  return {{kA1, "apple,pie", 3, false, "recipe\r\nflour"},
          {kA2, "apricot", 0, true, "jam"},
          {kB1, "banana", 0, false, "yellow"}};
}

}  // namespace

TEST_F(MainWindow, TypingNarrowsTheListOnEveryKeyRelease) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  type(a.keywordBox, "a");
  // "a" is in every keyword: two folders, two header rows.
  EXPECT_EQ((std::vector<std::string>{"default|", std::string("apple,pie|") + kA1,
                                      std::string("apricot|") + kA2, "memo|",
                                      std::string("banana|") + kB1}),
            listRows());
  EXPECT_EQ("一覧表示", statusText(3));
  EXPECT_EQ(a.settings.sideSize2, a.ui.listWidth);
  type(a.keywordBox, "p");
  EXPECT_EQ(3u, listRows().size());
  type(a.keywordBox, "r");
  EXPECT_EQ((std::vector<std::string>{"default|", std::string("apricot|") + kA2}), listRows());
  type(a.keywordBox, "x");
  EXPECT_TRUE(listRows().empty());
  EXPECT_EQ(a.settings.sideSize2, a.ui.listWidth);  // an empty result keeps the width
}

// Every letter typed in the list selected row 0, a header row.
TEST_F(MainWindow, Bug_TypingInTheListSelectedTheHeaderRow) {
  start({{"default/201101010000000000", "xapple", 0, false, "a"},
         {"default/201101010000010000", "xbanana", 0, false, "b"},
         {"default/201101010000020000", "xcherry", 0, false, "日本語\r\nc"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "x");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(a.keywordList, GetFocus());
  ASSERT_EQ(4u, listRows().size());
  tavgui::realKeys(main_, {'X', 'C'});
  EXPECT_EQ(3, SendMessageA(a.keywordList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  tavgui::realKeys(main_, {VK_RETURN});
  EXPECT_EQ("xcherry", tav::windowText(a.keywordBox));
  EXPECT_EQ("日本語\r\nc", tav::windowText(a.noteEditor));
}

TEST_F(MainWindow, EnterOnOneMatchOpensItWithCaretAndCheckMark) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "apr");
  key(a.keywordBox, VK_RETURN);
  EXPECT_EQ("jam", tav::windowText(a.noteEditor));
  EXPECT_EQ("apricot", tav::windowText(a.keywordBox));
  EXPECT_EQ(BST_CHECKED, SendMessageA(a.checkButton, BM_GETCHECK, 0, 0));
  EXPECT_EQ(a.noteEditor, GetFocus());
  EXPECT_EQ(0, a.ui.listWidth);
  EXPECT_EQ("編集", statusText(3));
  EXPECT_EQ(kA2, statusText(0));
  EXPECT_EQ(kA2, a.ui.currentKey);
  ASSERT_FALSE(a.historyList.empty());
  EXPECT_EQ("apr", a.historyList.back());  // the typed text, not the note's keyword

  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "apple");
  key(a.keywordBox, VK_RETURN);
  DWORD s = 0, e = 0;
  SendMessageA(a.noteEditor, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(3u, s);
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(a.checkButton, BM_GETCHECK, 0, 0));
}

TEST_F(MainWindow, EnterOnSeveralListsThemAndAClickOpensARow) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "ap");
  key(a.keywordBox, VK_RETURN);
  EXPECT_EQ("一覧表示", statusText(3));
  EXPECT_EQ(a.keywordList, GetFocus());
  EXPECT_EQ(3u, listRows().size());
  // Focusing the list selected the header row; opening it opens nothing.
  EXPECT_EQ(0, SendMessageA(a.keywordList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  NMHDR click {a.keywordList, tav::kIdKeywordList, static_cast<UINT>(NM_CLICK)};
  SendMessageA(main_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ("", tav::windowText(a.noteEditor));
  LVITEMA it {};
  it.stateMask = LVIS_SELECTED;
  SendMessageA(a.keywordList, LVM_SETITEMSTATE, -1, reinterpret_cast<LPARAM>(&it));
  it.state = LVIS_SELECTED;
  SendMessageA(a.keywordList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&it));
  SendMessageA(main_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  pump();
  EXPECT_EQ("recipe\r\nflour", tav::windowText(a.noteEditor));
  EXPECT_EQ("apple,pie", tav::windowText(a.keywordBox));
  EXPECT_EQ(kA1, a.ui.currentKey);
}

TEST_F(MainWindow, NewNoteReachesTheIndexOnlyWithText) {
  start();
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "shopping");
  key(a.keywordBox, VK_RETURN);
  EXPECT_EQ("新規", statusText(3));
  EXPECT_EQ(a.noteEditor, GetFocus());
  std::string key1 = a.ui.currentKey;
  EXPECT_EQ(0u, key1.find("default/"));
  EXPECT_EQ(8u + 18u, key1.size());
  SetFocus(a.keywordBox);  // leaving an empty new note stores nothing
  pump();
  EXPECT_TRUE(a.index.empty());

  SetWindowTextA(a.keywordBox, "shopping");
  key(a.keywordBox, VK_RETURN);
  type(a.noteEditor, "milk");
  SetFocus(a.keywordBox);
  pump();
  EXPECT_EQ("保存しました", statusText(3));
  ASSERT_EQ(1u, a.index.size());
  EXPECT_EQ("shopping", std::string(a.index.at(0).keyword()));
  std::string key2(a.index.at(0).key());
  // The keyword box cleared the editor and forgot the note.
  EXPECT_EQ("", tav::windowText(a.noteEditor));
  EXPECT_EQ("", a.ui.currentKey);

  close();
  EXPECT_EQ("<k>shopping,</k><f>4</f><c>0</c><n>milk</n>", file("data\\" + key2));
  EXPECT_EQ(key2 + ",4,0,0,shopping\n", file("data\\index2.txt"));
  EXPECT_EQ("shopping\n", file("recent.txt"));
  EXPECT_EQ("", file("dir.txt"));
  EXPECT_EQ("", file("hanko.txt"));
}

TEST_F(MainWindow, NewNoteGoesToTheSubFolderOfItsFirstField) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "memo,cherry");
  key(a.keywordBox, VK_RETURN);
  EXPECT_EQ(0u, a.ui.currentKey.find("memo/"));
  EXPECT_EQ("memo", a.ui.currentDir);
}

TEST_F(MainWindow, EmptyingANoteDeletesItAtTheNextSave) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(kB1, a.ui.currentKey);
  SetWindowTextA(a.noteEditor, "");
  SetFocus(a.keywordBox);
  type(a.keywordBox, "n");
  EXPECT_TRUE(listRows().empty() || listRows()[1].find("banana") == std::string::npos);
  close();
  EXPECT_EQ("", file(std::string("data\\") + kB1));
  EXPECT_EQ(std::string::npos, file("data\\index2.txt").find("banana"));
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find("apricot"));
}

TEST_F(MainWindow, KeyChangeRefilesTheNoteUnderTheEditedKeyword) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  {
    Held ctrl(VK_CONTROL);
    SendMessageA(a.noteEditor, WM_KEYDOWN, 'U', 1);
  }
  EXPECT_EQ(a.keywordBox, GetFocus());
  EXPECT_EQ("キーの変更", statusText(3));
  EXPECT_EQ("ban", tav::windowText(a.keywordBox).substr(0, 3));
  EXPECT_EQ("yellow", tav::windowText(a.noteEditor));  // the note stays loaded
  SetWindowTextA(a.keywordBox, "plantain");
  SendMessageA(a.keywordBox, WM_KEYDOWN, VK_RETURN, 1);
  pump();
  EXPECT_FALSE(a.ui.keyChangeMode);
  EXPECT_EQ("plantain", keywordOf(kB1));
  EXPECT_EQ(3u, a.index.size());
}

TEST_F(MainWindow, CheckFilterNarrowsAndReopens) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  // Sorted items: "チェックあり" 0, "チェックなし" 1, "指定なし" 2.
  EXPECT_EQ("指定なし", tav::windowText(a.checkFilter));
  SendMessageA(a.checkFilter, CB_SETCURSEL, 0, 0);
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(tav::kIdCheckFilter, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(a.checkFilter));
  pump();
  // Only the checked note matches: it opens at once.
  EXPECT_EQ(kA2, a.ui.currentKey);

  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  SendMessageA(a.checkFilter, CB_SETCURSEL, 1, 0);
  type(a.keywordBox, "a");
  EXPECT_EQ(4u, listRows().size());  // the unchecked two, under two headers

  // The exact keyword of a checked note is known: no duplicate is made.
  SetWindowTextA(a.keywordBox, "apricot");
  HWND box = nullptr;
  SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND mb = FindWindowA("#32770", "メッセージ");
    if (mb) PostMessageA(mb, WM_COMMAND, IDOK, 0);
  });
  key(a.keywordBox, VK_RETURN);
  (void)box;
  EXPECT_EQ(3u, a.index.size());
  EXPECT_EQ("", a.ui.currentKey);
}

TEST_F(MainWindow, CommaFieldKeysAndEscape) {
  start();
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "ab,cd,ef");
  SendMessageA(a.keywordBox, EM_SETSEL, 8, 8);
  DWORD s = 0, e = 0;
  {
    Held ctrl(VK_CONTROL);
    SendMessageA(a.keywordBox, WM_KEYDOWN, VK_LEFT, 1);
    SendMessageA(a.keywordBox, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(6u, s);
    Held shift(VK_SHIFT);
    SendMessageA(a.keywordBox, WM_KEYDOWN, VK_LEFT, 1);
    SendMessageA(a.keywordBox, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(3u, s);
    EXPECT_EQ(6u, e);
  }
  SetWindowTextA(a.filterBox, "grep");
  key(a.keywordBox, VK_ESCAPE);
  EXPECT_EQ("", tav::windowText(a.keywordBox));
  EXPECT_EQ("grep", tav::windowText(a.filterBox));
  key(a.keywordBox, VK_ESCAPE);
  EXPECT_EQ("", tav::windowText(a.filterBox));
}

TEST_F(MainWindow, CtrlNStartsAScratchNoteAndCtrlIAppendsATimeLine) {
  start();
  tav::App& a = app();
  SetFocus(a.keywordBox);
  {
    Held ctrl(VK_CONTROL);
    key(a.keywordBox, 'N');
  }
  std::string kw = tav::windowText(a.keywordBox);
  EXPECT_EQ(0u, kw.find("tmp,"));
  EXPECT_EQ(18u, kw.size());
  EXPECT_EQ("新規", statusText(3));
  EXPECT_EQ(a.noteEditor, GetFocus());
  type(a.noteEditor, "x");
  {
    Held ctrl(VK_CONTROL);
    SendMessageA(a.noteEditor, WM_KEYDOWN, 'I', 1);
  }
  std::string text = tav::windowText(a.noteEditor);
  ASSERT_EQ(1u + 2u + 19u + 2u, text.size());
  EXPECT_EQ("x\r\n", text.substr(0, 3));
  EXPECT_EQ('/', text[7]);
  EXPECT_EQ("\r\n", text.substr(22));
}

TEST_F(MainWindow, ExitWithoutSavingKeepsTheIndexButWritesTheSideLists) {
  start(threeNotes());
  tav::App& a = app();
  std::string indexBefore = file("data\\index2.txt");
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  type(a.noteEditor, "changed ");
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_EXIT_WITHOUT_SAVE, 0), 0);
  pump();
  main_ = nullptr;
  EXPECT_EQ(indexBefore, file("data\\index2.txt"));
  EXPECT_NE(std::string::npos, file(std::string("data\\") + kB1).find("<n>yellow</n>"));
  EXPECT_EQ("banana\n", file("recent.txt"));
  EXPECT_NE(std::string::npos, file("init.ini").find("data=banana"));
}

TEST_F(MainWindow, EndOfSessionSavesLikeAClose) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  SetWindowTextA(a.noteEditor, "ripe");
  SendMessageA(main_, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ("<k>banana,</k><f>0</f><c>0</c><n>ripe</n>", file(std::string("data\\") + kB1));
  DestroyWindow(main_);
  main_ = nullptr;
}

// ---- window paths: controls as built, splitter, jump menu, dropped files,
// menu item states, and the commands that show modal boxes.

namespace {

// What a modal box showed, and the button that answered it.
struct BoxSeen {
  bool seen = false;
  std::string caption, text;
  bool hasOwner = false;
  bool ok = false, cancel = false, yes = false, no = false;
};
BoxSeen g_box;
int g_answer = IDOK;

// Runs inside the message box's own loop: reads the box, then presses g_answer.
void CALLBACK answerBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = tavgui::visibleDialog();
  if (!box) return;  // not shown yet: the timer fires again
  KillTimer(nullptr, id);
  g_box.seen = true;
  g_box.caption = tav::windowText(box);
  g_box.text = tav::windowText(GetDlgItem(box, 0xFFFF));
  g_box.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
  g_box.ok = GetDlgItem(box, IDOK) != nullptr;
  g_box.cancel = GetDlgItem(box, IDCANCEL) != nullptr;
  g_box.yes = GetDlgItem(box, IDYES) != nullptr;
  g_box.no = GetDlgItem(box, IDNO) != nullptr;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED), 0);
}

// Sends a menu command whose handling may show a modal box, answering it.
void commandAnswering(HWND main, int command, int answer) {
  g_box = BoxSeen();
  g_answer = answer;
  UINT_PTR t = SetTimer(nullptr, 0, 100, answerBox);
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  KillTimer(nullptr, t);
  pump();
}

// What the jump menu offered, and the mnemonic typed to choose an item.
struct MenuSeen {
  bool seen = false;
  std::vector<std::string> labels;
  std::vector<int> ids;
};
MenuSeen g_menu;
char g_menuChoice = 0;

void CALLBACK answerMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = FindWindowA("#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  KillTimer(nullptr, id);
  HMENU m = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
  g_menu.seen = true;
  for (int i = 0; m && i < GetMenuItemCount(m); ++i) {
    char label[256] = {0};
    GetMenuStringA(m, i, label, sizeof label, MF_BYPOSITION);
    g_menu.labels.push_back(label);
    g_menu.ids.push_back(static_cast<int>(GetMenuItemID(m, i)));
  }
  if (g_menuChoice) PostMessageA(popup, WM_CHAR, static_cast<unsigned char>(g_menuChoice), 0);
  else EndMenu();
}

// A key in the editor that may open a pop-up menu; choice is the mnemonic to
// type in it (0: close it without choosing).
void keyWithMenu(HWND editor, WPARAM vk, char choice) {
  g_menu = MenuSeen();
  g_menuChoice = choice;
  UINT_PTR t = SetTimer(nullptr, 0, 100, answerMenu);
  SendMessageA(editor, WM_KEYDOWN, vk, 1);
  KillTimer(nullptr, t);
  pump();
}

bool grayed(UINT command) {
  return (GetMenuState(app().menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// In bytes, whatever the control counts.
std::pair<DWORD, DWORD> selection(HWND edit) {
  std::size_t s = 0, e = 0;
  tav::getEditSel(edit, s, e);
  return {static_cast<DWORD>(s), static_cast<DWORD>(e)};
}

std::string className(HWND w) {
  char cls[64] = {0};
  GetClassNameA(w, cls, sizeof cls);
  return cls;
}

}  // namespace

TEST_F(MainWindow, ControlsAreBuiltWithTheirClassesStylesIdsAndTexts) {
  start();
  tav::App& a = app();
  struct Want {
    HWND w;
    const char* cls;
    LONG style;
    int id;
  };
  const Want wants[] = {
      // The edit control takes WS_BORDER out of its style and draws the border itself.
      {a.keywordBox, "Edit", WS_CHILD | WS_VISIBLE, 1},
      {a.noteEditor, "Edit", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, 0},
      {a.keywordList, "SysListView32", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 1},
      {a.filterBox, "Edit", WS_CHILD | WS_VISIBLE, 1},
      {a.checkButton, "Button", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0},
      {a.checkFilter, "ComboBox", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT, 1},
      {a.statusBar, "msctls_statusbar32", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, 1},
  };
  for (const Want& w : wants) {
    ASSERT_NE(nullptr, w.w);
    EXPECT_EQ(0, lstrcmpiA(w.cls, className(w.w).c_str())) << className(w.w);
    LONG style = GetWindowLongA(w.w, GWL_STYLE);
    EXPECT_EQ(w.style, style & w.style) << w.cls << " style " << std::hex << style;
    EXPECT_EQ(w.id, GetDlgCtrlID(w.w)) << w.cls;
  }
  // Long lines wrap: no horizontal scrolling in the editor.
  EXPECT_EQ(0, GetWindowLongA(a.noteEditor, GWL_STYLE) & (WS_HSCROLL | ES_AUTOHSCROLL));
  EXPECT_TRUE(IsWindowEnabled(a.filterBox));
  EXPECT_EQ("チェック", tav::windowText(a.checkButton));
  EXPECT_GT(SendMessageA(a.noteEditor, EM_GETLIMITTEXT, 0, 0), 0x10000);

  LOGFONTA lf {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(a.noteEditor, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_EQ("MS 明朝", std::string(lf.lfFaceName));
  EXPECT_EQ(14, lf.lfHeight);
  EXPECT_EQ(400, lf.lfWeight);
  EXPECT_EQ(SHIFTJIS_CHARSET, lf.lfCharSet);
  EXPECT_EQ(FF_ROMAN, lf.lfPitchAndFamily);

  std::vector<std::string> items;
  for (int i = 0; i < SendMessageA(a.checkFilter, CB_GETCOUNT, 0, 0); ++i) {
    char t[64] = {0};
    SendMessageA(a.checkFilter, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(t));
    items.push_back(t);
  }
  EXPECT_EQ((std::vector<std::string>{"チェックあり", "チェックなし", "指定なし"}), items);
  EXPECT_EQ(2, SendMessageA(a.checkFilter, CB_GETCURSEL, 0, 0));

  int parts[8] = {0};
  ASSERT_EQ(4, SendMessageA(a.statusBar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(parts)));
  EXPECT_EQ(160, parts[0]);
  EXPECT_EQ(300, parts[1]);
  EXPECT_EQ(400, parts[2]);
  EXPECT_EQ(-1, parts[3]);
  EXPECT_EQ("ステータスバー", statusText(0));

  const char* headers[] = {"キー", "キーワード"};
  for (int c = 0; c < 2; ++c) {
    char t[64] = {0};
    LVCOLUMNA col {};
    col.mask = LVCF_TEXT | LVCF_FMT;
    col.pszText = t;
    col.cchTextMax = sizeof t;
    ASSERT_TRUE(SendMessageA(a.keywordList, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&col)));
    EXPECT_EQ(headers[c], std::string(t));
    EXPECT_EQ(LVCFMT_LEFT, col.fmt & LVCFMT_JUSTIFYMASK);
  }
  EXPECT_EQ(0, SendMessageA(a.keywordList, LVM_GETCOLUMNWIDTH, 1, 0));

  // Rounded corners: the region leaves out the window's very corner.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(main_, rgn));
  RECT wr;
  GetWindowRect(main_, &wr);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, (wr.right - wr.left) / 2, (wr.bottom - wr.top) / 2));
  DeleteObject(rgn);

  EXPECT_EQ(0x10000, SendMessageA(main_, WM_MENUCHAR, 'x', 0));
  EXPECT_TRUE(grayed(IDM_CHANGE_KEY));
  EXPECT_TRUE(grayed(IDM_CHANGE_DIR));
}

TEST_F(MainWindow, SplitterTakesTheListWidthWhereTheButtonIsReleased) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  type(a.keywordBox, "a");
  ASSERT_EQ(200, a.ui.listWidth);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR sizeWE = LoadCursorA(nullptr, IDC_SIZEWE);

  SetCursor(arrow);
  SendMessageA(main_, WM_MOUSEMOVE, 0, MAKELPARAM(194, 100));  // not within 5 px
  EXPECT_EQ(arrow, GetCursor());
  SendMessageA(main_, WM_MOUSEMOVE, 0, MAKELPARAM(203, 100));
  EXPECT_EQ(sizeWE, GetCursor());
  SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(203, 100));
  EXPECT_EQ(main_, GetCapture());
  SendMessageA(main_, WM_LBUTTONUP, 0, MAKELPARAM(300, 100));
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_EQ(300, a.settings.sideSize2);
  EXPECT_EQ(300, a.ui.listWidth);
  EXPECT_EQ(300, childRect(main_, a.keywordList).right);
  EXPECT_EQ(305, childRect(main_, a.noteEditor).left);
  EXPECT_EQ(300, SendMessageA(a.keywordList, LVM_GETCOLUMNWIDTH, 0, 0));

  // Released too near an edge: the width stays, the layout still runs.
  SendMessageA(main_, WM_MOUSEMOVE, 0, MAKELPARAM(301, 100));
  SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(301, 100));
  SendMessageA(main_, WM_LBUTTONUP, 0, MAKELPARAM(10, 100));
  EXPECT_EQ(300, a.ui.listWidth);

  // With the list hidden the edge never offers the resize cursor.
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(0, a.ui.listWidth);
  EXPECT_EQ(5, childRect(main_, a.noteEditor).left);
  SetCursor(arrow);
  SendMessageA(main_, WM_MOUSEMOVE, 0, MAKELPARAM(2, 100));
  EXPECT_EQ(arrow, GetCursor());
  SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 100));
  SendMessageA(main_, WM_LBUTTONUP, 0, MAKELPARAM(150, 100));
  EXPECT_EQ(0, a.ui.listWidth);
  EXPECT_EQ(300, a.settings.sideSize2);
}

TEST_F(MainWindow, JumpMenuOffersEveryMarkAndMovesTheCaretToTheChosenOne) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  // ★ at byte 0, ☆ at 8, ・ at 15.
  SetWindowTextA(a.noteEditor, "★top\r\nx☆mid\r\n・end");
  tav::setEditSel(a.noteEditor, 3, 3);
  {
    Held ctrl(VK_CONTROL);
    keyWithMenu(a.noteEditor, 'O', '1');
  }
  ASSERT_TRUE(g_menu.seen);
  EXPECT_EQ((std::vector<std::string>{"&0 ★top", "&1 ☆mid", "&2 ・end"}), g_menu.labels);
  EXPECT_EQ((std::vector<int>{21, 8, 15}), g_menu.ids);  // 21: past the text
  EXPECT_EQ((std::pair<DWORD, DWORD>{8, 8}), selection(a.noteEditor));
  {
    Held ctrl(VK_CONTROL);
    keyWithMenu(a.noteEditor, 'O', '0');  // the mark at position 0
  }
  EXPECT_EQ((std::pair<DWORD, DWORD>{0, 0}), selection(a.noteEditor));

  // Ctrl+Shift+O lists the search words, and nothing while there are none.
  a.ui.searchText.clear();
  {
    Held ctrl(VK_CONTROL);
    Held shift(VK_SHIFT);
    keyWithMenu(a.noteEditor, 'O', 0);
  }
  EXPECT_FALSE(g_menu.seen);
  a.ui.searchText = "END,mid";
  {
    Held ctrl(VK_CONTROL);
    Held shift(VK_SHIFT);
    keyWithMenu(a.noteEditor, 'O', 0);
  }
  EXPECT_EQ((std::vector<std::string>{"&0 mid", "&1 end"}), g_menu.labels);
}

TEST_F(MainWindow, DroppedFilesLandOnLinesOfTheirOwnInFrontOfTheCaret) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  SetWindowTextA(a.noteEditor, "note\r\n");
  SendMessageA(a.noteEditor, EM_SETSEL, 6, 6);
  // Two files as the shell reports them: a path with a space, then one without.
  std::string names = std::string("C:\\my docs\\a.txt") + '\0' + "C:\\表\\b.txt" + '\0' + '\0';
  HGLOBAL h = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  auto* df = static_cast<DROPFILES*>(GlobalLock(h));
  df->pFiles = sizeof(DROPFILES);
  df->fWide = FALSE;
  memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(h);
  SendMessageA(a.noteEditor, WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
  EXPECT_EQ("note\r\nC:\\表\\b.txt\r\n\"C:\\my docs\\a.txt\"\r\n", tav::windowText(a.noteEditor));
  EXPECT_EQ((std::pair<DWORD, DWORD>{6, 6}), selection(a.noteEditor));
}

TEST_F(MainWindow, KeyChangeItemsAreEnabledOnlyWhileTheEditorHasTheFocus) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(a.noteEditor, GetFocus());
  EXPECT_FALSE(grayed(IDM_CHANGE_KEY));
  EXPECT_FALSE(grayed(IDM_CHANGE_DIR));
  SetFocus(a.checkButton);
  EXPECT_TRUE(grayed(IDM_CHANGE_KEY));
  EXPECT_TRUE(grayed(IDM_CHANGE_DIR));
  SetFocus(a.noteEditor);
  EXPECT_FALSE(grayed(IDM_CHANGE_KEY));
  // The check button's loss of focus grays them too, and stores the note.
  SetFocus(a.checkButton);
  SendMessageA(a.checkButton, BM_SETCHECK, BST_CHECKED, 0);
  SetFocus(a.keywordBox);
  EXPECT_TRUE(grayed(IDM_CHANGE_KEY));
  EXPECT_EQ(1u, a.index.findByKey(kB1)->checked);
  // While the search dialog runs, focus moves change nothing.
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  a.ui.inSearch = true;
  SetFocus(a.keywordBox);
  a.ui.inSearch = false;
  EXPECT_FALSE(grayed(IDM_CHANGE_KEY));

  // "ディレクトリ変更" shows the list and keeps the note attached to its key.
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_CHANGE_DIR, 0), 0);
  EXPECT_TRUE(a.ui.keyChangeMode);
  EXPECT_EQ(a.settings.sideSize2, a.ui.listWidth);
}

TEST_F(MainWindow, RebuildAsksFirstAndRebuildsOnlyOnYes) {
  start(threeNotes());
  tav::App& a = app();
  // A note file that "index2.txt" does not list yet.
  const char* kC = "memo/201101010000030000";
  tavtest::writeFileBytes(dir_.path("data\\") + kC, tav::composeNoteFile("cherry", 0, true, "red"));
  commandAnswering(main_, IDM_REBUILD_INDEX, IDNO);
  ASSERT_TRUE(g_box.seen);
  EXPECT_EQ("インデックスの再作成をしますか？", g_box.text);
  EXPECT_EQ("メッセージ", g_box.caption);
  EXPECT_TRUE(g_box.yes && g_box.no && !g_box.ok && !g_box.cancel);
  EXPECT_FALSE(g_box.hasOwner);
  EXPECT_EQ(tav::FocusMode::RebuildAsked, a.ui.focusMode);
  // No rebuild wrote the index (the watch of the folder may list the note meanwhile).
  EXPECT_EQ(std::string::npos, file("data\\index2.txt").find(kC));

  commandAnswering(main_, IDM_REBUILD_INDEX, IDYES);
  ASSERT_TRUE(g_box.seen);
  EXPECT_EQ(4u, a.index.size());
  EXPECT_EQ("cherry", keywordOf(kC));
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find(std::string(kC) + ",0,1,0,cherry"));
}

TEST_F(MainWindow, VersionShowsItsBoxAndAMissingHelpFileShowsNothing) {
  start();
  commandAnswering(main_, IDM_VERSION, IDOK);
  ASSERT_TRUE(g_box.seen);
  EXPECT_EQ("タボリン version 1.9", g_box.text);
  EXPECT_EQ("タボリン", g_box.caption);
  EXPECT_TRUE(g_box.ok && !g_box.cancel && !g_box.yes && !g_box.no);
  EXPECT_FALSE(g_box.hasOwner);

  // No help\help.html in this folder: the shell fails without a word.
  commandAnswering(main_, IDM_HELP, IDOK);
  EXPECT_FALSE(g_box.seen);
  EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(MainWindow, CheckAllAndUncheckAllMarkEveryListedNote) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  type(a.keywordBox, "ap");  // apple,pie and apricot; banana stays out
  ASSERT_EQ(3u, listRows().size());
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_CHECK_ALL, 0), 0);
  EXPECT_EQ(1u, a.index.findByKey(kA1)->checked);
  EXPECT_EQ(1u, a.index.findByKey(kA2)->checked);
  EXPECT_EQ(0u, a.index.findByKey(kB1)->checked);
  LVITEMA it {};
  it.mask = LVIF_IMAGE;
  it.iItem = 1;
  SendMessageA(a.keywordList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(static_cast<int>(tav::RowIcon::Checked), it.iImage);
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_UNCHECK_ALL, 0), 0);
  EXPECT_EQ(0u, a.index.findByKey(kA1)->checked);
  EXPECT_EQ(0u, a.index.findByKey(kA2)->checked);
  SendMessageA(a.keywordList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(static_cast<int>(tav::RowIcon::Note), it.iImage);
}

// Enter that lists several notes empties the list first: a row selected in
// an earlier list must not stay selected in the new one.
TEST_F(MainWindow, Bug_ListedAgainKeepsAnOldSelection) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  type(a.keywordBox, "a");
  ASSERT_EQ(5u, listRows().size());
  LVITEMA it {};
  it.stateMask = LVIS_SELECTED;
  it.state = LVIS_SELECTED;
  SendMessageA(a.keywordList, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&it));
  SetWindowTextA(a.keywordBox, "ap");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(a.keywordList, GetFocus());
  EXPECT_EQ(0, SendMessageA(a.keywordList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  EXPECT_EQ(-1, SendMessageA(a.keywordList, LVM_GETNEXTITEM, 0, LVNI_SELECTED));
}

// A key release that lists other notes starts the list afresh: no selection
// carried over, scrolled to the top.
TEST_F(MainWindow, KeyReleaseRefillStartsAtTheTopWithoutSelection) {
  std::vector<Seed> many;
  for (int i = 0; i < 60; ++i) {
    char key[40];
    std::snprintf(key, sizeof key, "default/2011010100%08d", i);
    many.push_back({key, "item" + std::to_string(i), 0, false, "x"});
  }
  start(many);
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  type(a.keywordBox, "i");
  ASSERT_EQ(61u, listRows().size());
  SendMessageA(a.keywordList, LVM_ENSUREVISIBLE, 60, FALSE);
  ASSERT_GT(SendMessageA(a.keywordList, LVM_GETTOPINDEX, 0, 0), 0);
  LVITEMA it {};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(a.keywordList, LVM_SETITEMSTATE, 40, reinterpret_cast<LPARAM>(&it));
  type(a.keywordBox, "t");
  EXPECT_EQ(61u, listRows().size());
  EXPECT_EQ(0, SendMessageA(a.keywordList, LVM_GETTOPINDEX, 0, 0));
  EXPECT_EQ(-1, SendMessageA(a.keywordList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  EXPECT_EQ(-1, SendMessageA(a.keywordList, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
  type(a.keywordBox, "em5");  // item5 and item50..59
  EXPECT_EQ(12u, listRows().size());
  EXPECT_EQ("item5|default/201101010000000005", listRows()[1]);
}
