// History, bookmarks, stamps, the directory menu and the editing aids' pop-ups
// in the real main window, with real key input where a menu is opened from a
// key: the menus are answered from a timer that types into the menu's loop.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "commands/menu_item.h"
#include "resources/resource.h"
#include "settings/stamps.h"
#include "win/control_text.h"
#include "gui_support.h"
#include "testsupport.h"

using tav::app;
using tavgui::key;
using tavgui::pump;
using tavgui::realChord;
using tavgui::statusText;

namespace {

class SideLists : public tavgui::MainWindowTest {
 public:
  SideLists() : MainWindowTest("sidelists") {}

 protected:
  void open(const char* keyword) {
    SetFocus(app().keywordBox);
    SetWindowTextA(app().keywordBox, keyword);
    key(app().keywordBox, VK_RETURN);
  }
};

using Labels = std::vector<std::string>;
using Steps = std::vector<std::vector<WORD>>;

std::vector<tav::MenuItem> menuItems(HMENU m) {
  std::vector<tav::MenuItem> items;
  for (int i = 0; m && i < GetMenuItemCount(m); ++i) {
    char label[256] = {0};
    GetMenuStringA(m, i, label, sizeof label, MF_BYPOSITION);
    items.push_back({static_cast<int>(GetMenuItemID(m, i)), label});
  }
  return items;
}

// A pop-up menu answered by keys: the plan gives, from the labels the menu
// shows, the keys of each tick; one step per tick while the menu stays open.
struct MenuAnswer {
  std::function<Steps(const Labels&)> plan;
  Steps steps;
  std::size_t next = 0;
  bool seen = false;
  Labels labels;
};
MenuAnswer g_answer;

void CALLBACK answerTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND popup = FindWindowA("#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  if (!g_answer.seen) {
    g_answer.seen = true;
    HMENU m = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    for (const tav::MenuItem& it : menuItems(m)) g_answer.labels.push_back(it.text);
    g_answer.steps = g_answer.plan(g_answer.labels);
  }
  if (g_answer.next < g_answer.steps.size()) tavgui::sendKeys(g_answer.steps[g_answer.next++]);
}

void withMenu(std::function<Steps(const Labels&)> plan, const std::function<void()>& action) {
  g_answer = MenuAnswer();
  g_answer.plan = std::move(plan);
  UINT_PTR t = SetTimer(nullptr, 0, 150, answerTick);
  action();
  KillTimer(nullptr, t);
  pump();
}

void withMenu(const Steps& steps, const std::function<void()>& action) {
  withMenu([steps](const Labels&) { return steps; }, action);
}

// The bookmark dialog, driven by a script that runs inside its modal loop.
std::function<void(HWND)> g_script;
bool g_dialogSeen = false;

void CALLBACK dialogTick(HWND, UINT, UINT_PTR id, DWORD) {
  HWND d = FindWindowA("#32770", "ﾀﾞｲｱﾛｸﾞ");
  if (!d || !IsWindowVisible(d)) return;
  KillTimer(nullptr, id);
  g_dialogSeen = true;
  g_script(d);
}

void withBookmarkDialog(HWND main, std::function<void(HWND)> script) {
  g_script = std::move(script);
  g_dialogSeen = false;
  SetTimer(nullptr, 0, 100, dialogTick);
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDM_BOOKMARK_EDIT, 0), 0);
  pump();
}

void click(HWND d, int id) {
  SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}

void selectRow(HWND d, int row) {
  SendDlgItemMessageA(d, IDC_BOOKMARK_LIST, LB_SETCURSEL, row, 0);
  SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_BOOKMARK_LIST, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_BOOKMARK_LIST)));
}

std::string item(HWND d, int id) { return tav::dialogItemText(d, id); }

const char* const kApple = "default/201101010000000000";
const char* const kBanana = "default/201101010000010000";

std::vector<SideLists::Seed> fruit() {
  return {{kApple, "apple", 0, false, "red"},
          {kBanana, "banana", 0, false, "yellow"},
          {"memo/201101010000020000", "cherry", 0, false, "さくらんぼ"}};
}

}  // namespace

TEST_F(SideLists, BookmarkDialogRoundTripToTheFileAndTheMenu) {
  start(fruit());
  tav::App& a = app();
  SetWindowTextA(a.keywordBox, "会議");
  withBookmarkDialog(main_, [](HWND d) {
    EXPECT_EQ("会議", item(d, IDC_BOOKMARK_DATA));  // ready for "追加"
    SetDlgItemTextA(d, IDC_BOOKMARK_DISPLAY, "a,b");
    click(d, IDC_BOOKMARK_ADD);
    EXPECT_EQ("表示に\",\"を使用しないで下さい", item(d, IDC_BOOKMARK_STATUS));
    EXPECT_EQ(GetDlgItem(d, IDC_BOOKMARK_DISPLAY), GetFocus());
    SetDlgItemTextA(d, IDC_BOOKMARK_DISPLAY, "議事録");
    click(d, IDC_BOOKMARK_ADD);
    EXPECT_EQ("追加しました", item(d, IDC_BOOKMARK_STATUS));
    EXPECT_EQ("", item(d, IDC_BOOKMARK_DATA));
    SetDlgItemTextA(d, IDC_BOOKMARK_DISPLAY, "x");
    SetDlgItemTextA(d, IDC_BOOKMARK_DATA, "q1,q2");
    click(d, IDC_BOOKMARK_ADD);
    click(d, IDC_BOOKMARK_UPDATE);
    EXPECT_EQ("選択して下さい", item(d, IDC_BOOKMARK_STATUS));
    selectRow(d, 1);
    EXPECT_EQ("x", item(d, IDC_BOOKMARK_DISPLAY));
    EXPECT_EQ("q1,q2", item(d, IDC_BOOKMARK_DATA));
    EXPECT_EQ("", item(d, IDC_BOOKMARK_STATUS));
    SetDlgItemTextA(d, IDC_BOOKMARK_DISPLAY, "表");
    click(d, IDC_BOOKMARK_UPDATE);
    EXPECT_EQ("更新しました", item(d, IDC_BOOKMARK_STATUS));
    char row[64] = {0};
    SendDlgItemMessageA(d, IDC_BOOKMARK_LIST, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(row));
    EXPECT_STREQ("表", row);
    selectRow(d, 0);
    click(d, IDC_BOOKMARK_DELETE);
    EXPECT_EQ("削除しました", item(d, IDC_BOOKMARK_STATUS));
    EXPECT_EQ(1, SendDlgItemMessageA(d, IDC_BOOKMARK_LIST, LB_GETCOUNT, 0, 0));
    SendMessageA(d, WM_COMMAND, IDCANCEL, 0);  // Escape does nothing
    EXPECT_TRUE(IsWindowVisible(d));
    click(d, IDCLOSE);
  });
  ASSERT_TRUE(g_dialogSeen);
  EXPECT_EQ("表,q1,q2\n", file("bookmark.txt"));
  EXPECT_EQ((std::vector<tav::MenuItem>{{IDM_BOOKMARK_EDIT, "編集"}, {1500, "表"}}),
            menuItems(a.bookmarkMenu));

  // The title-bar close keeps the changes too: the menu and the list agree.
  withBookmarkDialog(main_, [](HWND d) {
    SetDlgItemTextA(d, IDC_BOOKMARK_DISPLAY, "果物");
    SetDlgItemTextA(d, IDC_BOOKMARK_DATA, "apple");
    click(d, IDC_BOOKMARK_ADD);
    SendMessageA(d, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ("表,q1,q2\n果物,apple\n", file("bookmark.txt"));
  EXPECT_EQ(3, GetMenuItemCount(a.bookmarkMenu));
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(1501, 0), 0);
  pump();
  EXPECT_EQ("apple", tav::windowText(a.keywordBox));
  EXPECT_EQ("red", tav::windowText(a.noteEditor));
}

TEST_F(SideLists, HistoryMenuJumpAndAltStepping) {
  start(fruit());
  tav::App& a = app();
  EXPECT_EQ((std::vector<tav::MenuItem>{{IDM_HISTORY_DEFAULT, "default"}}),
            menuItems(a.historyMenu));
  for (const char* k : {"apple", "banana", "cherry"}) open(k);
  EXPECT_EQ((std::vector<tav::MenuItem>{{1003, "cherry"}, {1002, "banana"}, {1001, "apple"}}),
            menuItems(a.historyMenu));
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(1001, 0), 0);
  pump();
  EXPECT_EQ("apple", tav::windowText(a.keywordBox));
  EXPECT_EQ("red", tav::windowText(a.noteEditor));
  EXPECT_EQ((tav::MenuItem{1001, "apple"}), menuItems(a.historyMenu).front());

  // banana, cherry, apple: Alt+Left goes to cherry and stops there.
  realChord(main_, {VK_MENU}, VK_LEFT);
  EXPECT_EQ("cherry", tav::windowText(a.keywordBox));
  EXPECT_EQ("さくらんぼ", tav::windowText(a.noteEditor));
  realChord(main_, {VK_MENU}, VK_LEFT);
  EXPECT_EQ("cherry", tav::windowText(a.keywordBox));
  realChord(main_, {VK_MENU}, VK_RIGHT);
  EXPECT_EQ("apple", tav::windowText(a.keywordBox));
  EXPECT_EQ(3u, a.historyList.size());  // stepping neither adds nor reorders
  close();
  EXPECT_EQ("banana\ncherry\napple\n", file("recent.txt"));
}

TEST_F(SideLists, StampsRegisterInsertAndUnregisterWithRealKeys) {
  start({{kApple, "memo", 0, false, "abc 印鑑"}});
  tav::App& a = app();
  open("memo");
  ASSERT_EQ(a.noteEditor, GetFocus());
  tav::setEditSel(a.noteEditor, 0, 3);
  realChord(main_, {VK_CONTROL}, 'T');
  EXPECT_EQ("登録しました", statusText(3));
  std::size_t s = 9, e = 9;
  tav::getEditSel(a.noteEditor, s, e);
  EXPECT_EQ(0u, s);  // the selection collapses to its start
  EXPECT_EQ(0u, e);
  tav::setEditSel(a.noteEditor, 4, 8);
  realChord(main_, {VK_CONTROL}, 'T');
  EXPECT_EQ((std::vector<std::string>{"abc", "印鑑"}), a.stampList);

  // A key that is no item's label leaves the menu open for the next one.
  tav::setEditSel(a.noteEditor, 8, 8);
  withMenu(Steps{{'Q'}, {'1'}}, [&] { realChord(main_, {VK_CONTROL}, 'T'); });
  EXPECT_EQ((Labels{"&0 印鑑", "&1 abc"}), g_answer.labels);
  EXPECT_EQ("abc 印鑑abc", tav::windowText(a.noteEditor));
  EXPECT_EQ("追加しました", statusText(3));

  // From the keyword box too, where Ctrl+T arrives as a key-down.
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "k");
  tav::setEditSel(a.keywordBox, 1, 1);
  withMenu(Steps{{'0'}}, [&] { realChord(main_, {VK_CONTROL}, 'T'); });
  EXPECT_EQ("k印鑑", tav::windowText(a.keywordBox));

  open("memo");
  tav::setEditSel(a.noteEditor, 0, 3);
  realChord(main_, {VK_CONTROL}, 'T');
  EXPECT_EQ("削除しました", statusText(3));
  close();
  EXPECT_EQ("印鑑\n", file("hanko.txt"));
}

// Ctrl+M leaves a carriage return queued behind its key-down; inside the
// menu it closed the menu before the user could choose.
TEST_F(SideLists, Bug_CtrlMCarriageReturnClosedTheBookmarkPopup) {
  tavtest::writeFileBytes(dir_.path("bookmark.txt"), "果物,apple\n");
  start(fruit());
  tav::App& a = app();
  open("banana");
  const Steps second {{VK_DOWN, VK_DOWN, VK_RETURN}};
  withMenu(second, [&] { realChord(main_, {VK_CONTROL}, 'M'); });
  EXPECT_EQ((Labels{"編集", "果物"}), g_answer.labels);
  EXPECT_EQ("apple", tav::windowText(a.keywordBox));
  EXPECT_EQ("red", tav::windowText(a.noteEditor));

  // With a selection the text goes to the bookmark's notes instead.
  open("banana");
  tav::setEditSel(a.noteEditor, 0, 6);
  withMenu(second, [&] { realChord(main_, {VK_CONTROL}, 'M'); });
  EXPECT_EQ("banana", tav::windowText(a.keywordBox));
  const std::string* body = nullptr;
  ASSERT_TRUE(a.index.fetchNote(kApple, &body, nullptr, nullptr));
  EXPECT_EQ("yellow\r\nred", *body);

  // Ctrl+O's jump menu likewise, and a key that is no label leaves it open.
  a.settings.warp = "★";
  open("banana");
  SetWindowTextA(a.noteEditor, "one\r\n★two");
  withMenu(Steps{{'Q'}, {'0'}}, [&] { realChord(main_, {VK_CONTROL}, 'O'); });
  std::size_t s = 0, e = 0;
  tav::getEditSel(a.noteEditor, s, e);
  EXPECT_EQ(5u, s);

  // Ctrl+Shift+T: the second format is chosen, kept, and its date inserted.
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "d");
  tav::setEditSel(a.keywordBox, 1, 1);
  withMenu(second, [&] { realChord(main_, {VK_CONTROL, VK_SHIFT}, 'T'); });
  EXPECT_EQ((Labels{"YYYYMMDD", "YYYY/MM/DD", "YYYY/MM/DD HH:MM:DD"}), g_answer.labels);
  EXPECT_EQ(2, a.settings.ctrl_T);
  std::string date = tav::dateStamp(false);
  EXPECT_EQ("d" + date, tav::windowText(a.keywordBox));
}

TEST_F(SideLists, DirectoryMenuMovesTwoSelectedNotesOnDisk) {
  tavtest::FakeClock clock(tavtest::localSeconds(2026, 12, 6, 10, 0, 0));
  start(fruit());
  tav::App& a = app();
  open("a");
  ASSERT_EQ((std::vector<std::string>{"default|", std::string("apple|") + kApple,
                                      std::string("banana|") + kBanana}),
            tavgui::listRows());
  LVITEMA sel {};
  sel.stateMask = LVIS_SELECTED;
  sel.state = LVIS_SELECTED;
  for (int row : {1, 2}) SendMessageA(a.keywordList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&sel));
  NMHDR click {a.keywordList, static_cast<UINT_PTR>(tav::kIdKeywordList), static_cast<UINT>(NM_RCLICK)};
  withMenu(
      [](const Labels& labels) {
        std::vector<WORD> keys;
        for (const std::string& l : labels) {
          keys.push_back(VK_DOWN);
          if (l == "memo") break;
        }
        keys.push_back(VK_RETURN);
        return Steps{keys};
      },
      [&] { SendMessageA(main_, WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click)); });
  ASSERT_EQ("新規", g_answer.labels.front());
  EXPECT_EQ((Labels{"削除", "キャンセル"}),
            Labels(g_answer.labels.end() - 2, g_answer.labels.end()));
  EXPECT_EQ((std::vector<std::string>{"201101010000020000", "2026120610000000000",
                                      "2026120610000000001"}),
            tavtest::filesIn(dir_.path("data\\memo")));
  EXPECT_TRUE(tavtest::filesIn(dir_.path("data\\default")).empty());
  std::string index = file("data\\index2.txt");
  EXPECT_NE(std::string::npos, index.find("memo/2026120610000000000,0,0,0,apple\n"));
  EXPECT_NE(std::string::npos, index.find("memo/2026120610000000001,0,0,0,banana\n"));
  EXPECT_EQ(std::string::npos, index.find(kApple));
}

// The name prompt of the directory menu's "新規", answered inside its modal loop.
static void CALLBACK nameTick(HWND, UINT, UINT_PTR id, DWORD) {
  HWND d = tavgui::visibleDialog();
  if (!d) return;
  KillTimer(nullptr, id);
  SetDlgItemTextA(d, IDC_SEARCH_TEXT, "ソフト");
  SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(d, IDOK)));
}

// Ctrl+Shift+M offers every "!go " line, the last on top, and runs the one
// chosen; "新規" asks for a folder name and moves the selected note into it.
TEST_F(SideLists, GoMenuRunsTheChosenLineAndNewFolderTakesTheTypedName) {
  start(fruit());
  tav::App& a = app();
  open("banana");
  SetWindowTextA(a.noteEditor, "日本語のメモ\r\n!go apple\r\nsee !go cherry\r\n");
  withMenu(Steps{{'Q'}, {VK_DOWN, VK_DOWN, VK_RETURN}},
           [&] { realChord(main_, {VK_CONTROL, VK_SHIFT}, 'M'); });
  EXPECT_EQ((Labels{"!go cherry", "!go apple"}), g_answer.labels);
  EXPECT_EQ("apple", tav::windowText(a.keywordBox));
  EXPECT_EQ("red", tav::windowText(a.noteEditor));

  // Without a "!go " line no menu opens.
  SetWindowTextA(a.noteEditor, "red");
  withMenu(Steps{{VK_ESCAPE}}, [&] { realChord(main_, {VK_CONTROL, VK_SHIFT}, 'M'); });
  EXPECT_FALSE(g_answer.seen);

  open("a");
  LVITEMA sel {};
  sel.stateMask = LVIS_SELECTED;
  sel.state = LVIS_SELECTED;
  SendMessageA(a.keywordList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&sel));  // apple
  NMHDR click {a.keywordList, static_cast<UINT_PTR>(tav::kIdKeywordList), static_cast<UINT>(NM_RCLICK)};
  UINT_PTR t = SetTimer(nullptr, 0, 120, nameTick);
  withMenu(Steps{{VK_DOWN, VK_RETURN}},
           [&] { SendMessageA(main_, WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click)); });
  KillTimer(nullptr, t);
  EXPECT_EQ("新規", g_answer.labels.front());
  EXPECT_EQ(1u, tavtest::filesIn(dir_.path("data\\ソフト")).size());
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find("ソフト/"));
  EXPECT_EQ(std::string::npos, file("data\\index2.txt").find(kApple));
}
