// Search under Wine: F3 through the note and on through the listed notes, the
// jump marks, the search dialog and the name prompt on the same template.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "win/search_dialog.h"
#include "resources/resource.h"
#include "store/note.h"
#include "win/control_text.h"
#include "gui_support.h"
#include "testsupport.h"

using tav::app;
using tavgui::Held;
using tavgui::key;
using tavgui::pump;

namespace {

class Search : public tavgui::MainWindowTest {
 public:
  Search() : MainWindowTest("search") {}
};

const char* const kPlain = "memo/201101010000000000";
const char* const kSkipped = "memo/201101010000010000";
const char* const kHit = "memo/201101010000020000";

std::pair<std::size_t, std::size_t> sel(HWND edit) {
  std::size_t s = 0, e = 0;
  tav::getEditSel(edit, s, e);
  return {s, e};
}

int selectedRow() {
  return static_cast<int>(SendMessageA(app().keywordList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
}

// What a modal dialog of this thread showed when the timer found it, and
// what the test then did to it (g_act).
struct Seen {
  int count = 0;
  std::string caption, text, staticText;
  std::size_t selStart = 0, selEnd = 0;
  bool allChecked = false, allEnabled = false, caseChecked = false;
};
Seen g_seen;
void (*g_act)(HWND dlg) = nullptr;

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
  HWND dlg = tavgui::visibleDialog();
  if (!dlg) return;
  ++g_seen.count;
  g_seen.caption = tav::windowText(dlg);
  g_seen.text = tav::dialogItemText(dlg, IDC_SEARCH_TEXT);
  g_seen.staticText = tav::dialogItemText(dlg, 0xFFFF);  // a message box's text
  if (HWND edit = GetDlgItem(dlg, IDC_SEARCH_TEXT)) {
    tav::getEditSel(edit, g_seen.selStart, g_seen.selEnd);
  }
  g_seen.allChecked = IsDlgButtonChecked(dlg, IDC_SEARCH_ALL) == BST_CHECKED;
  g_seen.allEnabled = IsWindowEnabled(GetDlgItem(dlg, IDC_SEARCH_ALL));
  g_seen.caseChecked = IsDlgButtonChecked(dlg, IDC_SEARCH_CASE) == BST_CHECKED;
  if (g_act) g_act(dlg);
}

// Runs fn, answering every modal dialog it shows with act.
template <typename Fn>
void answering(void (*act)(HWND), Fn fn) {
  g_seen = Seen();
  g_act = act;
  UINT_PTR t = SetTimer(nullptr, 0, 50, onTimer);
  fn();
  KillTimer(nullptr, t);
  pump();
}

void pressOk(HWND dlg) { PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
void pressCancel(HWND dlg) { PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

void keyDown(HWND w, WPARAM vk) {
  SendMessageA(w, WM_KEYDOWN, vk, 1);
  pump();
}

}  // namespace

TEST_F(Search, F3StepsThroughTheNoteThenOpensTheNextListedNoteThatHasTheText) {
  start({{kPlain, "メモ一", 0, false, "日本語の話"},
         {kSkipped, "メモnogrep", 0, false, "ソ表 zebra"},
         {kHit, "メモ三", 0, true, "表ソ\r\nthe ZEBRA x zebra"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "メモ");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(4u, tavgui::listRows().size());  // a header and three notes
  // Open the first note from the list.
  keyDown(a.keywordList, VK_DOWN);
  ASSERT_EQ(1, selectedRow());
  NMHDR ret {a.keywordList, tav::kIdKeywordList, static_cast<UINT>(NM_RETURN)};
  SendMessageA(main_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&ret));
  pump();
  ASSERT_EQ(kPlain, a.ui.currentKey);
  ASSERT_EQ(a.noteEditor, GetFocus());

  a.ui.searchText = "zebra";
  // Not in this note; the "nogrep" note is passed over; the third has it.
  answering(pressOk, [&] { keyDown(a.noteEditor, VK_F3); });
  EXPECT_EQ(0, g_seen.count);
  EXPECT_EQ(kHit, a.ui.currentKey);
  EXPECT_EQ("メモ三", tav::windowText(a.keywordBox));
  EXPECT_EQ(3, selectedRow());
  EXPECT_EQ(1, SendMessageA(a.keywordList, LVM_GETSELECTEDCOUNT, 0, 0));
  EXPECT_EQ(a.noteEditor, GetFocus());
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{10, 15}), sel(a.noteEditor));
  keyDown(a.noteEditor, VK_F3);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{18, 23}), sel(a.noteEditor));

  // Nothing further in any other note: the box, the editor keeps the focus.
  answering(pressOk, [&] { keyDown(a.noteEditor, VK_F3); });
  EXPECT_EQ(1, g_seen.count);
  EXPECT_EQ("検索", g_seen.caption);
  EXPECT_EQ("見つかりませんでした", g_seen.staticText);
  EXPECT_EQ(kHit, a.ui.currentKey);
  EXPECT_EQ(3, selectedRow());
  EXPECT_TRUE(IsWindowEnabled(a.noteEditor));
  EXPECT_EQ(a.noteEditor, GetFocus());
  EXPECT_EQ(tav::windowText(a.noteEditor).size(), sel(a.noteEditor).first);

  // Shift+F3 from the end selects the last occurrence.
  {
    Held shift(VK_SHIFT);
    keyDown(a.noteEditor, VK_F3);
  }
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{18, 23}), sel(a.noteEditor));

  // From the list the walk includes the selected row itself; a miss gives
  // the focus to the list and disables the editor.
  // Ctrl+F there offers "一覧すべて検索" while the list is shown.
  SetFocus(a.keywordList);
  answering(
      [](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_SEARCH_TEXT, "日本語");
        pressOk(dlg);
      },
      [&] {
        Held ctrl(VK_CONTROL);
        keyDown(a.keywordList, 'F');
      });
  EXPECT_EQ(1, g_seen.count);
  EXPECT_EQ("zebra", g_seen.text);
  EXPECT_TRUE(g_seen.allEnabled);
  EXPECT_EQ("日本語", tavgui::statusText(2));
  EXPECT_EQ(kPlain, a.ui.currentKey);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{0, 6}), sel(a.noteEditor));
  a.ui.searchText = "nowhere";
  SetFocus(a.keywordList);
  answering(pressOk, [&] { keyDown(a.keywordList, VK_F3); });
  EXPECT_EQ(1, g_seen.count);
  EXPECT_EQ(a.keywordList, GetFocus());
  EXPECT_FALSE(IsWindowEnabled(a.noteEditor));

  // With the list hidden only the shown note is searched, without a message.
  a.ui.searchText = "zebra";
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "メモ三");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(0, a.ui.listWidth);
  answering(pressOk, [&] {
    keyDown(a.noteEditor, VK_F3);
    keyDown(a.noteEditor, VK_F3);
    keyDown(a.noteEditor, VK_F3);
  });
  EXPECT_EQ(0, g_seen.count);
  EXPECT_EQ(kHit, a.ui.currentKey);
}

TEST_F(Search, CtrlUpAndDownLandExactlyOnTheMarks) {
  start({{kPlain, "しるし", 0, false, "ab☆\r\nソ★cd\r\nend"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "しるし");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(a.noteEditor, GetFocus());
  a.settings.warp = "☆,★,・";
  Held ctrl(VK_CONTROL);
  key(a.noteEditor, VK_DOWN);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{2, 2}), sel(a.noteEditor));
  key(a.noteEditor, VK_DOWN);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{8, 8}), sel(a.noteEditor));
  key(a.noteEditor, VK_DOWN);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{17, 17}), sel(a.noteEditor));  // the end
  key(a.noteEditor, VK_UP);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{8, 8}), sel(a.noteEditor));
  key(a.noteEditor, VK_UP);
  key(a.noteEditor, VK_UP);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{0, 0}), sel(a.noteEditor));
}

TEST_F(Search, CtrlFAsksForTheTextAndOptionsAndSearchesAfterOkOrCancel) {
  start({{kPlain, "検索メモ", 0, false, "日本abc\r\nxyz abc"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "検索メモ");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(a.noteEditor, GetFocus());
  a.ui.searchText = "earlier";
  // A selection ending in CR LF is offered without it; OK with "xyz".
  tav::setEditSel(a.noteEditor, 4, 9);
  answering(
      [](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_SEARCH_TEXT, "xyz");
        CheckDlgButton(dlg, IDC_SEARCH_CASE, BST_CHECKED);
        pressOk(dlg);
      },
      [&] {
        Held ctrl(VK_CONTROL);
        keyDown(a.noteEditor, 'F');
      });
  ASSERT_EQ(1, g_seen.count);
  EXPECT_EQ("検索", g_seen.caption);
  EXPECT_EQ("abc", g_seen.text);
  EXPECT_EQ(0u, g_seen.selStart);
  EXPECT_EQ(3u, g_seen.selEnd);
  EXPECT_TRUE(g_seen.allChecked);
  EXPECT_FALSE(g_seen.allEnabled);  // the list is hidden
  EXPECT_FALSE(g_seen.caseChecked);
  EXPECT_EQ("xyz", a.ui.searchText);
  EXPECT_TRUE(a.ui.matchCase);
  EXPECT_EQ("xyz", tavgui::statusText(2));
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{9, 12}), sel(a.noteEditor));
  EXPECT_EQ(a.noteEditor, GetFocus());
  EXPECT_FALSE(a.ui.inSearch);

  // Without a selection the last text is offered; Cancel changes nothing and
  // still searches for it.
  tav::setEditSel(a.noteEditor, 0, 0);
  answering(
      [](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_SEARCH_TEXT, "abc");
        CheckDlgButton(dlg, IDC_SEARCH_CASE, BST_UNCHECKED);
        pressCancel(dlg);
      },
      [&] {
        Held ctrl(VK_CONTROL);
        keyDown(a.noteEditor, 'F');
      });
  EXPECT_EQ("xyz", g_seen.text);
  EXPECT_TRUE(g_seen.caseChecked);
  EXPECT_EQ("xyz", a.ui.searchText);
  EXPECT_TRUE(a.ui.matchCase);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{9, 12}), sel(a.noteEditor));

  // The title bar's close button changes nothing either.
  answering([](HWND dlg) { PostMessageA(dlg, WM_CLOSE, 0, 0); },
            [&] {
              Held ctrl(VK_CONTROL);
              keyDown(a.noteEditor, 'F');
            });
  EXPECT_EQ(1, g_seen.count);
  EXPECT_EQ("xyz", a.ui.searchText);
}

TEST_F(Search, DialogTemplateAndNamePrompt) {
  start();
  // The controls as designed.
  answering(
      [](HWND dlg) {
        struct Want {
          int id;
          const char* cls;
          const char* text;
          LONG style, typeMask;
        };
        const Want want[] = {
            {IDC_SEARCH_TEXT, "Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, 0},
            {IDC_SEARCH_ALL, "Button", "一覧すべて検索 (&A)", BS_AUTOCHECKBOX, BS_TYPEMASK},
            {IDC_SEARCH_CASE, "Button", "大文字/小文字を区別(&B)", BS_AUTOCHECKBOX, BS_TYPEMASK},
            {IDOK, "Button", "OK", BS_DEFPUSHBUTTON, BS_TYPEMASK},
            {IDCANCEL, "Button", "ｷｬﾝｾﾙ", BS_PUSHBUTTON, BS_TYPEMASK},
        };
        for (const Want& w : want) {
          HWND c = GetDlgItem(dlg, w.id);
          ASSERT_NE(nullptr, c) << w.id;
          char cls[32] = {0};
          GetClassNameA(c, cls, sizeof cls);
          EXPECT_STREQ(w.cls, cls) << w.id;
          EXPECT_EQ(w.text, tav::windowText(c)) << w.id;
          LONG style = GetWindowLongA(c, GWL_STYLE);
          if (w.typeMask) EXPECT_EQ(w.style, style & w.typeMask) << w.id;
          else EXPECT_EQ(w.style, style & w.style) << w.id;
        }
        // The dialog manager may draw the edit's border as a client edge.
        HWND edit = GetDlgItem(dlg, IDC_SEARCH_TEXT);
        EXPECT_TRUE((GetWindowLongA(edit, GWL_STYLE) & WS_BORDER) ||
                    (GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        LONG style = GetWindowLongA(dlg, GWL_STYLE);
        EXPECT_EQ(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                  style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
        EXPECT_EQ(GetDlgItem(dlg, IDC_SEARCH_TEXT), GetFocus());
        SetDlgItemTextA(dlg, IDC_SEARCH_TEXT, "ソフト表");
        pressOk(dlg);
      },
      [&] {
        std::optional<std::string> name = tav::promptForName(main_);
        ASSERT_TRUE(name.has_value());
        EXPECT_EQ("ソフト表", *name);
      });
  EXPECT_EQ(1, g_seen.count);
  EXPECT_EQ("", g_seen.text);
  EXPECT_FALSE(g_seen.allChecked);
  EXPECT_FALSE(g_seen.caseChecked);

  answering(pressOk, [&] {
    std::optional<std::string> name = tav::promptForName(main_);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ("", *name);
  });
  answering(
      [](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_SEARCH_TEXT, "x");
        pressCancel(dlg);
      },
      [&] { EXPECT_FALSE(tav::promptForName(main_).has_value()); });
  answering([](HWND dlg) { PostMessageA(dlg, WM_CLOSE, 0, 0); },
            [&] { EXPECT_FALSE(tav::promptForName(main_).has_value()); });
  EXPECT_EQ(1, g_seen.count);
}

// F3 across notes keeps the bodies it read in "bodies.dat"; after a restart a
// note changed by another program is searched as its file now is.
TEST_F(Search, F3AcrossNotesKeepsBodiesButNeverAChangedOne) {
  start({{kPlain, "メモ一", 0, false, "日本語の話"}, {kHit, "メモ三", 0, false, "表ソ\r\nzebra"}});
  tav::App& a = app();
  tavtest::ageFile(dir_.path("data\\") + kPlain, 600);
  tavtest::ageFile(dir_.path("data\\") + kHit, 600);
  auto listAll = [&] {
    SetFocus(a.keywordBox);
    SetWindowTextA(a.keywordBox, "メモ");
    key(a.keywordBox, VK_RETURN);
    ASSERT_EQ(3u, tavgui::listRows().size());
    SetFocus(a.keywordList);
  };
  listAll();
  a.ui.searchText = "新しい";
  answering(pressOk, [&] { keyDown(a.keywordList, VK_F3); });
  EXPECT_EQ(1, g_seen.count);
  const std::string cache = file("data\\bodies.dat");
  EXPECT_NE(std::string::npos, cache.find("日本語の話"));
  EXPECT_NE(std::string::npos, cache.find("表ソ\r\nzebra"));

  // Another program rewrites the first note; then the program starts again.
  tavtest::writeFileBytes(dir_.path("data\\") + kPlain,
                          tav::composeNoteFile("メモ一", 0, false, "ソ表の新しい話"));
  tavtest::ageFile(dir_.path("data\\") + kPlain, 600);
  a.index.load(a.settings.dataFolder());
  listAll();
  a.ui.searchText = "新しい";
  answering(pressOk, [&] { keyDown(a.keywordList, VK_F3); });
  EXPECT_EQ(0, g_seen.count);
  EXPECT_EQ(kPlain, a.ui.currentKey);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{6, 12}), sel(a.noteEditor));
  EXPECT_NE(std::string::npos, file("data\\bodies.dat").find("ソ表の新しい話"));
}

// Letters typed for the keyword box and for Ctrl+F were found inside Japanese
// characters: "a" listed アイス (ア is 83 41), "c" listed イカ (イ is 83 43), and
// a search for "a" in "アxA末尾" selected the second byte of ア, so that the
// next key landed inside it.
TEST_F(Search, Bug_TypedLettersMatchedInsideJapaneseCharacters) {
  const std::string kCake = "memo/201101010000030000";
  start({{kPlain, "アイス", 0, false, "氷"},
         {kSkipped, "apple", 0, false, "林檎"},
         {kHit, "イカ", 0, false, "烏賊"},
         {kCake, "cake", 0, false, "アxA末尾"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "");
  tavgui::realKeys(main_, {'A'});
  ASSERT_EQ("a", tav::windowText(a.keywordBox));
  EXPECT_EQ((std::vector<std::string>{"memo|", std::string("apple|") + kSkipped, "cake|" + kCake}),
            tavgui::listRows());
  tavgui::realKeys(main_, {VK_BACK, 'C'});
  EXPECT_EQ((std::vector<std::string>{"memo|", "cake|" + kCake}), tavgui::listRows());

  tavgui::realKeys(main_, {VK_RETURN});
  ASSERT_EQ(kCake, a.ui.currentKey);
  ASSERT_EQ(a.noteEditor, GetFocus());
  answering([](HWND) {
    g_act = nullptr;  // type once
    tavgui::sendKeys({'A', VK_RETURN});
  }, [&] { tavgui::realChord(main_, {VK_CONTROL}, 'F'); });
  EXPECT_EQ(1, g_seen.count);
  EXPECT_EQ("a", a.ui.searchText);
  EXPECT_EQ((std::pair<std::size_t, std::size_t>{3, 4}), sel(a.noteEditor));
  tavgui::realKeys(main_, {'Z'});
  EXPECT_EQ("アxz末尾", tav::windowText(a.noteEditor));
}
