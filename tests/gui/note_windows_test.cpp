// The note pop-up windows in the real main window: Ctrl+Enter in the keyword
// box, the tiled windows, paging, storing, closing, an unreadable note and F5
// in a window's body.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "commands/calendar.h"
#include "commands/insert.h"
#include "win/note_windows.h"
#include "win/folder_watch.h"
#include "resources/resource.h"
#include "store/note.h"
#include "win/control_text.h"
#include "gui_support.h"
#include "testsupport.h"

using tav::app;
using tavgui::pump;

namespace {

class NoteWindows : public tavgui::MainWindowTest {
 public:
  NoteWindows() : MainWindowTest("nw") {}

 protected:
  // Ctrl+Enter on query in the keyword box.
  void ctrlEnter(const std::string& query) {
    tav::App& a = app();
    SetFocus(a.keywordBox);
    SetWindowTextA(a.keywordBox, query.c_str());
    tavgui::Held ctrl(VK_CONTROL);
    tavgui::key(a.keywordBox, VK_RETURN);
  }
};

// Keys in the folder "表", whose second byte is a backslash.
std::string keyOf(int i) { return "表/2011010100000000" + std::to_string(10 + i); }
std::string keywordOf(int i) { return "ソフト表" + std::to_string(i); }
std::string bodyOf(int i) { return "本文" + std::to_string(i) + "\r\n二行目"; }

std::vector<NoteWindows::Seed> sixMatches() {
  std::vector<NoteWindows::Seed> seeds;
  for (int i = 1; i <= 6; ++i) seeds.push_back({keyOf(i), keywordOf(i), 0, false, bodyOf(i)});
  seeds.push_back({"default/201101010000000099", "りんご", 0, false, "赤"});
  return seeds;
}

HWND slot(std::size_t i) { return tav::noteWindowSlots().at(i); }
std::string title(std::size_t i) { return tav::windowText(slot(i)); }
std::string keywordIn(std::size_t i) { return tav::dialogItemText(slot(i), IDC_NOTEWIN_KEYWORD); }
std::string bodyIn(std::size_t i) { return tav::dialogItemText(slot(i), IDC_NOTEWIN_BODY); }
void setItem(std::size_t i, int id, const std::string& text) {
  SetDlgItemTextA(slot(i), id, text.c_str());
}
void click(std::size_t i, int id) {
  SendMessageA(GetDlgItem(slot(i), id), BM_CLICK, 0, 0);
  pump();
}

RECT workArea() {
  RECT r {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

RECT placeOf(HWND w) {
  RECT r {};
  GetWindowRect(w, &r);
  return r;
}

::testing::AssertionResult placedAt(HWND w, int x, int y, int cx, int cy) {
  RECT r = placeOf(w);
  if (r.left == x && r.top == y && r.right - r.left == cx && r.bottom - r.top == cy)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "at " << r.left << "," << r.top << " size " << r.right - r.left << "x"
         << r.bottom - r.top << ", expected " << x << "," << y << " size " << cx << "x" << cy;
}

std::string indexLineOf(const std::string& key) {
  const tav::IndexEntry* e = app().index.findByKey(key);
  return e ? std::string(e->lineView()) : "<none>";
}

LONG styleOf(HWND w) { return GetWindowLongA(w, GWL_STYLE); }

// The template as built: the controls, their texts, styles and places.
void expectTemplate(HWND w, HWND main) {
  EXPECT_EQ(main, GetWindow(w, GW_OWNER));
  const LONG ws = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE;
  EXPECT_EQ(ws, styleOf(w) & ws);
  EXPECT_EQ("削除", tav::dialogItemText(w, IDC_NOTEWIN_DELETE));
  EXPECT_EQ("←", tav::dialogItemText(w, IDC_NOTEWIN_PREV));
  EXPECT_EQ("→", tav::dialogItemText(w, IDC_NOTEWIN_NEXT));
  HWND kw = GetDlgItem(w, IDC_NOTEWIN_KEYWORD), body = GetDlgItem(w, IDC_NOTEWIN_BODY);
  EXPECT_EQ(ES_AUTOHSCROLL | WS_TABSTOP, styleOf(kw) & (ES_MULTILINE | ES_AUTOHSCROLL | WS_TABSTOP));
  const LONG bs = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
  EXPECT_EQ(bs, styleOf(body) & (bs | WS_HSCROLL));
  // The dialog manager turns an edit's WS_BORDER into a sunken client edge.
  for (HWND e : {kw, body})
    EXPECT_TRUE((styleOf(e) & WS_BORDER) || (GetWindowLongA(e, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
  // The edits follow the window's size.
  RECT client {};
  GetClientRect(w, &client);
  RECT k = placeOf(kw), b = placeOf(body);
  MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&k), 2);
  MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&b), 2);
  EXPECT_EQ((std::vector<LONG> {0, 24, client.right, 60}),
            (std::vector<LONG> {k.left, k.top, k.right, k.bottom}));
  EXPECT_EQ((std::vector<LONG> {0, 40, client.right, client.bottom}),
            (std::vector<LONG> {b.left, b.top, b.right, b.bottom}));
}

}  // namespace

TEST_F(NoteWindows, SixMatchesPageEditStoreDeleteAndCloseTogether) {
  start(sixMatches());
  tav::App& a = app();
  ctrlEnter("ソフト表");
  ASSERT_EQ(4u, tav::noteWindowSlots().size());
  ASSERT_EQ(6u, tav::noteMatchLines().size());

  // Four windows in the quarters of the work area, matches 1-4 in slot order.
  RECT work = workArea();
  const int hw = (work.right - work.left) / 2, hh = (work.bottom - work.top) / 2;
  EXPECT_TRUE(placedAt(slot(0), 0, 0, hw, hh));
  EXPECT_TRUE(placedAt(slot(1), 0, hh, hw, hh));
  EXPECT_TRUE(placedAt(slot(2), hw, 0, hw, hh));
  EXPECT_TRUE(placedAt(slot(3), hw, hh, hw, hh));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(keyOf(i + 1), title(i));
    EXPECT_EQ(keywordOf(i + 1), keywordIn(i));
    EXPECT_EQ(bodyOf(i + 1), bodyIn(i));
  }
  expectTemplate(slot(0), main_);
  // Every opened note's keyword entered the history, in slot order.
  ASSERT_LE(4u, a.historyList.size());
  EXPECT_EQ((std::vector<std::string>(a.historyList.end() - 4, a.historyList.end())),
            (std::vector<std::string> {keywordOf(1), keywordOf(2), keywordOf(3), keywordOf(4)}));

  // "←" on the first page changes and stores nothing.
  setItem(1, IDC_NOTEWIN_BODY, "編集した本文");
  click(0, IDC_NOTEWIN_PREV);
  EXPECT_EQ(0, tav::notePageStart());
  EXPECT_EQ(keyOf(1), title(0));
  EXPECT_EQ(tav::EntryStatus::Clean, a.index.findByKey(keyOf(2))->status);

  // "→": matches 5 and 6, the last two slots blank; every window was stored,
  // checked and with the caret at 1.
  click(0, IDC_NOTEWIN_NEXT);
  EXPECT_EQ(4, tav::notePageStart());
  EXPECT_EQ(keyOf(5), title(0));
  EXPECT_EQ(keyOf(6), title(1));
  EXPECT_EQ(bodyOf(6), bodyIn(1));
  for (int i = 2; i < 4; ++i) {
    EXPECT_EQ("", title(i));
    EXPECT_EQ("", keywordIn(i));
    EXPECT_EQ("", bodyIn(i));
  }
  EXPECT_EQ(keyOf(2) + ",1,1,0," + keywordOf(2), indexLineOf(keyOf(2)));
  EXPECT_EQ(keyOf(4) + ",1,1,0," + keywordOf(4), indexLineOf(keyOf(4)));
  const std::string* body = nullptr;
  ASSERT_TRUE(a.index.fetchNote(keyOf(2), &body, nullptr, nullptr));
  EXPECT_EQ("編集した本文", *body);

  // "→" on the last page changes and stores nothing.
  setItem(0, IDC_NOTEWIN_KEYWORD, "ソフト表五改");
  setItem(0, IDC_NOTEWIN_BODY, "新しい本文");
  click(1, IDC_NOTEWIN_NEXT);
  EXPECT_EQ(4, tav::notePageStart());
  EXPECT_EQ(tav::EntryStatus::Clean, a.index.findByKey(keyOf(5))->status);

  // Paging back and forth shows the edited keyword and body.
  click(0, IDC_NOTEWIN_PREV);
  EXPECT_EQ(keyOf(1), title(0));
  EXPECT_EQ(keyOf(4), title(3));
  EXPECT_EQ("編集した本文", bodyIn(1));
  click(3, IDC_NOTEWIN_NEXT);
  EXPECT_EQ("ソフト表五改", keywordIn(0));
  EXPECT_EQ("新しい本文", bodyIn(0));

  // "削除" empties the body, and the note stays empty when paged back to.
  click(1, IDC_NOTEWIN_DELETE);
  EXPECT_EQ("", bodyIn(1));
  click(1, IDC_NOTEWIN_PREV);
  click(1, IDC_NOTEWIN_NEXT);
  EXPECT_EQ(keywordOf(6), keywordIn(1));
  EXPECT_EQ("", bodyIn(1));

  // Closing one (blank) window stores and closes them all.
  std::vector<HWND> windows = tav::noteWindowSlots();
  SendMessageA(slot(3), WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();
  for (HWND w : windows) EXPECT_FALSE(IsWindow(w));
  for (HWND w : tav::noteWindowSlots()) EXPECT_EQ(nullptr, w);
  EXPECT_EQ(keyOf(5) + ",1,1,0,ソフト表五改", indexLineOf(keyOf(5)));
  EXPECT_EQ(tav::EntryStatus::Deleted, a.index.findByKey(keyOf(6))->status);

  // At the next save the deleted note's file goes, the edited one is written.
  close();
  EXPECT_EQ("", file("data\\" + keyOf(6)));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir_.path("data\\" + keyOf(6)).c_str()));
  EXPECT_EQ(tav::composeNoteFile("ソフト表五改", 1, true, "新しい本文"), file("data\\" + keyOf(5)));
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find(keyOf(5) + ",1,1,0,ソフト表五改\n"));
}

TEST_F(NoteWindows, NextSetStoresTheOpenOneAndANoteDeletedElsewhereLeavesTheIndex) {
  start({{keyOf(1), "ねこ1", 0, false, "a"},
         {keyOf(2), "ねこ2", 0, false, "b"},
         {keyOf(3), "ねこ3", 0, false, "c"}});
  // Unwatched, as on a share that reports no changes: the deletion is found
  // when the note is read. (A watch would drop it from the index first.)
  tav::stopWatchingDataFolder();
  // One match fills the work area.
  ctrlEnter("ねこ1");
  ASSERT_EQ(1u, tav::noteWindowSlots().size());
  RECT work = workArea();
  EXPECT_TRUE(placedAt(slot(0), 0, 0, work.right - work.left, work.bottom - work.top));
  HWND first = slot(0);
  // The next Ctrl+Enter stores and closes this window first; the note whose
  // file another program deleted leaves the index through a save, without a
  // box, and that save keeps the edit.
  setItem(0, IDC_NOTEWIN_BODY, "残る");
  DeleteFileA(dir_.path("data\\" + keyOf(2)).c_str());
  static std::string seenText;
  seenText.clear();
  UINT_PTR t = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "メッセージ");
    if (!box) return;
    seenText = tav::windowText(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  ctrlEnter("ねこ");
  KillTimer(nullptr, t);
  pump();
  EXPECT_EQ("", seenText);
  EXPECT_NE(std::string::npos, tavgui::statusText(3).find("ほかのプログラムで削除"));
  EXPECT_FALSE(IsWindow(first));
  ASSERT_EQ(3u, tav::noteWindowSlots().size());
  EXPECT_EQ(keyOf(1), title(0));
  EXPECT_EQ(keyOf(3), title(1));
  EXPECT_EQ("残る", bodyIn(0));
  EXPECT_EQ(nullptr, slot(2));
  // Each window stands where its line's place is: the third at the upper right.
  const int hw = (work.right - work.left) / 2, hh = (work.bottom - work.top) / 2;
  EXPECT_TRUE(placedAt(slot(1), hw, 0, hw, hh));
  // The index no longer has the note without a file.
  EXPECT_EQ(nullptr, app().index.findByKey(keyOf(2)));

  // No match: the set is closed, nothing opens and no message appears.
  std::vector<HWND> open = tav::noteWindowSlots();
  seenText.clear();
  t = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = FindWindowA("#32770", "メッセージ")) {
      seenText = "a box";
      PostMessageA(box, WM_CLOSE, 0, 0);
    }
  });
  ctrlEnter("みかん");
  KillTimer(nullptr, t);
  pump();
  EXPECT_EQ("", seenText);
  EXPECT_TRUE(tav::noteWindowSlots().empty());
  for (HWND w : open) EXPECT_FALSE(IsWindow(w));
}

TEST_F(NoteWindows, F5InABodyRunsItsLineIntoTheMainEditor) {
  const std::string above = "日本語のメモ：ソフトと表";
  const std::string text = above + "\r\n!cal 201111\r\n終わり";
  start({{"default/201101010000000001", "カレンダー", 0, false, text}});
  ctrlEnter("カレンダー");
  ASSERT_EQ(1u, tav::noteWindowSlots().size());
  HWND body = GetDlgItem(slot(0), IDC_NOTEWIN_BODY);
  SetFocus(body);
  tav::setEditSel(body, above.size() + 4, above.size() + 4);  // in "!cal"
  tavgui::realKeys(slot(0), {VK_F5});
  // The window keeps its text; the calendar goes to the main note editor.
  EXPECT_EQ(text, tav::windowText(body));
  tav::EditState empty;
  EXPECT_EQ(tav::insertOutput(empty, tav::makeCalendar("201111")).text,
            tav::windowText(app().noteEditor));
  EXPECT_EQ("実行したいコマンドを選択して下さい", tavgui::statusText(3));
}
