// A key release in the keyword box leaves alone what already is as it should
// be (control places, column widths, the status bar, the status text): the
// window the user sees stays the same, and whatever did get out of place is
// still put right.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/app.h"
#include "ui/layout.h"
#include "win/keyword_list.h"
#include "win/main_controls.h"
#include "win/state.h"
#include "gui_support.h"

using tav::app;
using tavgui::childRect;
using tavgui::listRows;
using tavgui::pump;
using tavgui::statusText;

namespace {

class KeyRelease : public tavgui::MainWindowTest {
 public:
  KeyRelease() : MainWindowTest("keyup") {}
};

const char* const kPlan = "default/201101010000000000";
const char* const kSoft = "default/201101010000010000";
const char* const kSheet = "表/201101010000020000";

// A key release as after typing: the box already holds the text.
void releaseKey(const char* text) {
  HWND box = app().keywordBox;
  SetWindowTextA(box, text);
  SendMessageA(box, WM_KEYUP, VK_SHIFT, 0xC0000001);
  pump();
}

// The main window's client area as the user sees it, without the caret.
std::vector<std::uint32_t> snapshot(HWND main) {
  UpdateWindow(main);
  HideCaret(app().keywordBox);
  RECT rc;
  GetClientRect(main, &rc);
  HDC dc = GetDC(main);
  HDC mem = CreateCompatibleDC(dc);
  BITMAPINFO bi {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = rc.right;
  bi.bmiHeader.biHeight = -rc.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* px = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> shot(px, px + static_cast<std::size_t>(rc.right) * rc.bottom);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(main, dc);
  ShowCaret(app().keywordBox);
  return shot;
}

// The keyword column as wide as the list's client area (the vertical scroll
// bar showing or not), the key column hidden, and no horizontal scroll bar.
void expectColumnFits() {
  HWND list = app().keywordList;
  RECT client;
  GetClientRect(list, &client);
  EXPECT_EQ(client.right, SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
  EXPECT_EQ(0, SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0));
  EXPECT_EQ(0, GetWindowLongA(list, GWL_STYLE) & WS_HSCROLL);
}

// Every control where the layout puts it, the columns as wide as the layout
// says and the status bar docked along the bottom.
void expectLaidOut(HWND main) {
  tav::App& a = app();
  RECT rc;
  GetClientRect(main, &rc);
  int side = a.settings.sideSize2;
  tav::MainLayout l = tav::layoutMain(rc.right, rc.bottom, a.ui.listWidth, side);
  struct Want {
    HWND w;
    tav::Rect r;
  };
  for (const Want& want : {Want{a.keywordList, l.keywordList}, Want{a.keywordBox, l.keywordBox},
                           Want{a.filterBox, l.filterBox}, Want{a.noteEditor, l.noteEditor},
                           Want{a.checkButton, l.checkButton}, Want{a.checkFilter, l.checkFilter}}) {
    RECT r = childRect(main, want.w);
    tav::Rect got {r.left, r.top, r.right - r.left, r.bottom - r.top};
    // A drop-down list is as high as its closed box, whatever it was given.
    if (want.w == a.checkFilter) got.h = want.r.h;
    EXPECT_EQ(want.r, got) << "control " << GetDlgCtrlID(want.w) << " at " << r.left << ","
                           << r.top << " " << got.w << "x" << got.h;
  }
  expectColumnFits();
  RECT bar = childRect(main, a.statusBar);
  EXPECT_EQ(0, bar.left);
  EXPECT_EQ(rc.right, bar.right);
  EXPECT_EQ(rc.bottom, bar.bottom);
}

int rowIcon(int row) {
  LVITEMA it {};
  it.mask = LVIF_IMAGE;
  it.iItem = row;
  SendMessageA(app().keywordList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return it.iImage;
}

}  // namespace

TEST_F(KeyRelease, ListingTheSameAgainShowsTheSameAndWhatMovedIsPutBack) {
  start({{kPlan, "予定表,会議", 0, false, "火曜"},
         {kSoft, "ソフト一覧", 0, true, "エディタ"},
         {kSheet, "表計算", 0, false, "集計"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  releaseKey("表");
  const std::vector<std::string> rows = {"default|", std::string("予定表,会議|") + kPlan, "表|",
                                         std::string("表計算|") + kSheet};
  ASSERT_EQ(rows, listRows());
  EXPECT_EQ("一覧表示", statusText(3));
  expectLaidOut(main_);
  // Double-buffered, with the same rows, icons and full-row selection.
  const DWORD ex = static_cast<DWORD>(SendMessageA(a.keywordList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_EQ(static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER),
            ex & (LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER));
  EXPECT_EQ(static_cast<int>(tav::RowIcon::Folder), rowIcon(2));
  EXPECT_EQ(static_cast<int>(tav::RowIcon::Note), rowIcon(3));

  // The same rows again: nothing the user sees changes.
  const std::vector<std::uint32_t> shown = snapshot(main_);
  releaseKey("表");
  EXPECT_EQ(rows, listRows());
  EXPECT_EQ("一覧表示", statusText(3));
  expectLaidOut(main_);
  EXPECT_TRUE(shown == snapshot(main_)) << "the window changed on a key release that lists the same";

  // Out of place: a column dragged wider, the hidden one opened, the box
  // moved, another status text. The next key release puts all of it back.
  SendMessageA(a.keywordList, LVM_SETCOLUMNWIDTH, 0, 60);
  SendMessageA(a.keywordList, LVM_SETCOLUMNWIDTH, 1, 40);
  MoveWindow(a.keywordBox, 0, 100, 50, 25, TRUE);
  tav::setStatus(tav::StatusPart::Message, "編集");
  releaseKey("表");
  EXPECT_EQ("一覧表示", statusText(3));
  expectLaidOut(main_);
  EXPECT_TRUE(shown == snapshot(main_)) << "the window differs after everything was put back";

  // Other rows: the picture changes (the comparison above can see it).
  releaseKey("ソ");
  EXPECT_EQ((std::vector<std::string>{"default|", std::string("ソフト一覧|") + kSoft}), listRows());
  EXPECT_EQ(static_cast<int>(tav::RowIcon::Checked), rowIcon(1));
  EXPECT_FALSE(shown == snapshot(main_));

  // A new window size moves everything and docks the status bar again, with
  // rounded corners of the new size.
  SetWindowPos(main_, nullptr, 0, 0, 900, 640, SWP_NOZORDER | SWP_NOMOVE);
  pump();
  expectLaidOut(main_);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(main_, rgn));
  EXPECT_FALSE(PtInRegion(rgn, 899, 639));
  EXPECT_TRUE(PtInRegion(rgn, 890, 320));
  DeleteObject(rgn);
  releaseKey("ソ");
  expectLaidOut(main_);
}

// A list longer than the window has a vertical scroll bar; the keyword column
// then leaves room for it instead of bringing a horizontal bar that scrolls
// nothing (and painted a fragment over the check box below the list).
TEST_F(KeyRelease, Bug_ALongListGrewAHorizontalScrollBar) {
  start(numbered(80, "表計算", "本文"));
  tav::App& a = app();
  SetFocus(a.keywordBox);
  for (const char* text : {"表", "表計算7", "表"}) {
    releaseKey(text);
    const bool many = listRows().size() > 40;
    EXPECT_EQ(many, (GetWindowLongA(a.keywordList, GWL_STYLE) & WS_VSCROLL) != 0) << text;
    expectColumnFits();
  }
}

// The rows read their notes' index entries as they are drawn: a keyword
// stored after the list was filled shows at once, in the list and to the
// list's commands.
TEST_F(KeyRelease, AListedNoteShowsTheKeywordItWasLastStoredWith) {
  start({{kPlan, "予定表,会議", 0, false, "火曜"}, {kSheet, "表計算", 0, false, "集計"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  releaseKey("表");
  ASSERT_EQ(4u, listRows().size());
  a.index.storeNote("水曜", "ソフト表,打合せ", kPlan, 0, true);
  EXPECT_EQ(std::string("ソフト表,打合せ|") + kPlan, listRows()[1]);
  EXPECT_EQ(static_cast<int>(tav::RowIcon::Checked), rowIcon(1));
  std::string keyword, key;
  ASSERT_TRUE(tav::listedNote(1, &keyword, &key));
  EXPECT_EQ("ソフト表,打合せ", keyword);
  EXPECT_EQ(kPlan, key);
}

// Rows point into the index: once it is cleared or loaded again (a rebuild
// paints while it works), they show and give nothing until the list is
// filled anew, which then lists the entries loaded.
TEST_F(KeyRelease, Bug_TheListReadEntriesOfAClearedIndex) {
  start({{kPlan, "予定表,会議", 0, false, "火曜"}, {kSheet, "表計算", 0, false, "集計"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  releaseKey("表");
  ASSERT_EQ(4u, listRows().size());
  const std::vector<std::string> blank(4, "|");
  std::string keyword, key;
  a.index.clear();
  EXPECT_EQ(blank, listRows());
  EXPECT_FALSE(tav::listedNote(1, &keyword, &key));
  a.index.load(a.settings.dataFolder());
  EXPECT_EQ(blank, listRows());
  EXPECT_FALSE(tav::listedNote(3, &keyword, &key));
  releaseKey("表");
  EXPECT_EQ((std::vector<std::string>{"default|", std::string("予定表,会議|") + kPlan, "表|",
                                      std::string("表計算|") + kSheet}),
            listRows());
  EXPECT_TRUE(tav::listedNote(3, &keyword, &key));
  EXPECT_EQ(kSheet, key);
}
