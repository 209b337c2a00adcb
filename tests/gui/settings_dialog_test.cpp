// The settings dialog over the real main window: its template and first
// contents, folder moves and the switch of the data folder on OK, and
// directory sets saved, chosen and deleted. The dialog is modal, so each test
// drives it from a timer that fires inside the dialog's own message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "store/note.h"
#include "win/control_text.h"
#include "ui/open_keyword.h"
#include "gui_support.h"
#include "testsupport.h"

using tav::app;
using Names = std::vector<std::string>;

namespace {

class SettingsDialog : public tavgui::MainWindowTest {
 public:
  SettingsDialog() : MainWindowTest("settei") {}

 protected:
  // A note file written straight into data2 (the fixture seeds only "data").
  void seedData2(const std::string& key, const std::string& keyword) {
    CreateDirectoryA(dir_.path("data2").c_str(), nullptr);
    CreateDirectoryA(dir_.path("data2\\" + tav::keyFolder(key)).c_str(), nullptr);
    tavtest::writeFileBytes(dir_.path("data2\\" + key),
                            tav::composeNoteFile(keyword, 0, false, keyword));
  }
  // Opens the dialog with "設定" and runs script in it; a script that leaves
  // it open has it cancelled.
  void withDialog(std::function<void(HWND)> script);
};

std::function<void(HWND)> g_script;
bool g_ran = false;

BOOL CALLBACK findDialog(HWND w, LPARAM found) {
  char cls[32] = {0};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "#32770" && IsWindowVisible(w) && tav::windowText(w) == "設定") {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK runScript(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dlg));
  if (!dlg || g_ran) return;
  KillTimer(nullptr, id);
  g_ran = true;
  g_script(dlg);
  if (IsWindow(dlg)) PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
}

void SettingsDialog::withDialog(std::function<void(HWND)> script) {
  g_script = std::move(script);
  g_ran = false;
  UINT_PTR t = SetTimer(nullptr, 0, 50, runScript);
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_SETTINGS, 0), 0);
  KillTimer(nullptr, t);
  tavgui::pump();
  EXPECT_TRUE(g_ran);
}

// What a control would send: the user's click, choice or typing.
void notify(HWND dlg, int id, int code) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}
void click(HWND dlg, int id) { notify(dlg, id, BN_CLICKED); }
void chooseSet(HWND dlg, const std::string& name) {
  SendDlgItemMessageA(dlg, IDC_SETTEI_SETS, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                      reinterpret_cast<LPARAM>(name.c_str()));
  notify(dlg, IDC_SETTEI_SETS, CBN_SELENDOK);
}
void typeSetName(HWND dlg, const std::string& name) {
  SetDlgItemTextA(dlg, IDC_SETTEI_SETS, name.c_str());
  notify(dlg, IDC_SETTEI_SETS, CBN_EDITCHANGE);
}
void selectRow(HWND dlg, int id, const std::string& text) {
  SendDlgItemMessageA(dlg, id, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                      reinterpret_cast<LPARAM>(text.c_str()));
}
bool enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }

// Items of a list or combo box, sorted here so that the checks do not depend
// on the control's collation.
Names items(HWND dlg, int id, bool combo = false) {
  Names out;
  int n = static_cast<int>(SendDlgItemMessageA(dlg, id, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char buf[256] = {0};
    SendDlgItemMessageA(dlg, id, combo ? CB_GETLBTEXT : LB_GETTEXT, i,
                        reinterpret_cast<LPARAM>(buf));
    out.push_back(buf);
  }
  std::sort(out.begin(), out.end());
  return out;
}

struct Item {
  int id;
  const char* cls;
  const char* text;
  int x, y, w, h;
  DWORD style;  // bits that must be set
};

TEST_F(SettingsDialog, TemplateAndFirstContents) {
  start({{"会議/201101010000000000", "kaigi", 0, false, "k"},
         {"ソフト/201101010000010000", "soft", 0, false, "s"}});
  tav::App& a = app();
  a.settings.defdir = "会議";
  a.settings.warp = "☆,★";
  a.settings.current = "data";
  a.dirList = {"仕事,,会議", "私用,"};
  withDialog([&](HWND dlg) {
    // Both data folders exist once it shows.
    EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(dir_.path("data2")));
    const DWORD lb = LBS_SORT | LBS_NOTIFY;
    const Item expected[] = {
        {IDC_SETTEI_DEFDIR, "Edit", "会議", 74, 7, 92, 12, 0},
        {IDC_SETTEI_WARP, "Edit", "☆,★", 74, 25, 92, 12, 0},
        {IDC_SETTEI_BASE, "ComboBox", "data", 68, 62, 85, 0, CBS_DROPDOWNLIST | CBS_SORT},
        {IDC_SETTEI_SETS, "ComboBox", "", 13, 87, 80, 0, CBS_DROPDOWN | CBS_SORT},
        {IDC_SETTEI_SAVE_SET, "Button", "更新", 101, 87, 24, 12, 0},
        {IDC_SETTEI_DELETE_SET, "Button", "削除", 127, 87, 24, 12, 0},
        {IDC_SETTEI_DATA, "ListBox", "", 13, 115, 53, 101, lb},
        {IDC_SETTEI_DATA2, "ListBox", "", 98, 115, 53, 101, lb},
        {IDC_SETTEI_ALL_LEFT, "Button", "<<", 75, 120, 16, 18, 0},
        {IDC_SETTEI_LEFT, "Button", "<", 75, 145, 16, 18, 0},
        {IDC_SETTEI_RIGHT, "Button", ">", 75, 170, 16, 18, 0},
        {IDC_SETTEI_ALL_RIGHT, "Button", ">>", 75, 195, 16, 18, 0},
        {IDOK, "Button", "OK", 47, 230, 50, 14, BS_DEFPUSHBUTTON},
        {IDCANCEL, "Button", "ｷｬﾝｾﾙ", 111, 230, 50, 14, 0},
    };
    for (const Item& e : expected) {
      HWND c = GetDlgItem(dlg, e.id);
      ASSERT_NE(nullptr, c) << e.id;
      char cls[32] = {0};
      GetClassNameA(c, cls, sizeof cls);
      EXPECT_STRCASEEQ(e.cls, cls) << e.id;
      EXPECT_EQ(e.text, tav::windowText(c)) << e.id;
      EXPECT_EQ(e.style, static_cast<DWORD>(GetWindowLongA(c, GWL_STYLE)) & e.style) << e.id;
      // Each of x, y, w, h is scaled on its own, as the dialog does.
      RECT want {e.x, e.y, e.w, e.h}, got;
      MapDialogRect(dlg, &want);
      GetWindowRect(c, &got);
      MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&got), 2);
      EXPECT_EQ(want.left, got.left) << e.id;
      EXPECT_EQ(want.top, got.top) << e.id;
      EXPECT_EQ(want.right, got.right - got.left) << e.id;
      LONG height = got.bottom - got.top;
      if (e.style & LBS_SORT && e.cls[0] == 'L') {
        // A list box shows whole rows only (and its border).
        LONG row = static_cast<LONG>(SendMessageA(c, LB_GETITEMHEIGHT, 0, 0));
        EXPECT_LE(height, want.bottom) << e.id;
        EXPECT_GT(height, want.bottom - 2 * row) << e.id;
      } else if (e.h) {
        EXPECT_EQ(want.bottom, height) << e.id;
      }
    }
    RECT client {0, 0, 175, 251}, got;
    MapDialogRect(dlg, &client);
    GetClientRect(dlg, &got);
    EXPECT_EQ(client.right, got.right);
    EXPECT_EQ(client.bottom, got.bottom);

    EXPECT_EQ((Names{"data", "data2"}), items(dlg, IDC_SETTEI_BASE, true));
    EXPECT_EQ((Names{"仕事", "私用"}), items(dlg, IDC_SETTEI_SETS, true));
    EXPECT_EQ((Names{"ソフト", "会議"}), items(dlg, IDC_SETTEI_DATA));
    EXPECT_TRUE(items(dlg, IDC_SETTEI_DATA2).empty());
    EXPECT_FALSE(enabled(dlg, IDC_SETTEI_SAVE_SET));
    EXPECT_FALSE(enabled(dlg, IDC_SETTEI_DELETE_SET));
    // Cancel after changes: nothing of them counts.
    SetDlgItemTextA(dlg, IDC_SETTEI_DEFDIR, "別");
    click(dlg, IDC_SETTEI_ALL_RIGHT);
    click(dlg, IDCANCEL);
  });
  EXPECT_EQ("会議", a.settings.defdir);
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(dir_.path("data\\会議")));
  EXPECT_EQ(a.keywordBox, GetFocus());
}

TEST_F(SettingsDialog, OkMovesFoldersWithTheirNotesRebuildsAndSwitchesTheDataFolder) {
  const std::string kaigi = "会議/201101010000000000";
  start({{kaigi, "kaigi", 0, false, "議事録"},
         {"ソフト/201101010000010000", "soft", 0, false, "s"},
         {"共有/201101010000020000", "shared1", 0, false, "1"}});
  seedData2("共有/201101010000030000", "shared2");
  tav::App& a = app();
  // The note in the editor is in 会議, which is about to leave "data".
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "kaigi");
  tavgui::key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(kaigi, a.ui.currentKey);

  withDialog([&](HWND dlg) {
    EXPECT_EQ((Names{"共有"}), items(dlg, IDC_SETTEI_DATA2));
    selectRow(dlg, IDC_SETTEI_DATA, "会議");
    click(dlg, IDC_SETTEI_RIGHT);
    selectRow(dlg, IDC_SETTEI_DATA, "共有");  // on both sides: cannot move
    click(dlg, IDC_SETTEI_RIGHT);
    EXPECT_EQ((Names{"ソフト"}), items(dlg, IDC_SETTEI_DATA));
    EXPECT_EQ((Names{"会議", "共有"}), items(dlg, IDC_SETTEI_DATA2));
    SetDlgItemTextA(dlg, IDC_SETTEI_DEFDIR, "表");
    click(dlg, IDOK);
  });
  EXPECT_EQ("表", a.settings.defdir);
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(dir_.path("data\\会議")));
  EXPECT_EQ("<k>kaigi,</k><f>0</f><c>0</c><n>議事録</n>", file("data2\\" + kaigi));
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(dir_.path("data\\共有")));
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(dir_.path("data2\\共有")));
  // Both indexes rebuilt from the files.
  std::string data = file("data\\index2.txt"), data2 = file("data2\\index2.txt");
  EXPECT_EQ(std::string::npos, data.find("会議"));
  EXPECT_NE(std::string::npos, data.find("共有/201101010000020000,0,0,0,shared1\n"));
  EXPECT_NE(std::string::npos, data2.find(kaigi + ",0,0,0,kaigi\n"));
  EXPECT_NE(std::string::npos, data2.find("共有/201101010000030000,0,0,0,shared2\n"));
  // The editor no longer holds a note of a folder that is not in use.
  EXPECT_EQ("", a.ui.currentKey);
  EXPECT_EQ("", tav::windowText(a.noteEditor));
  EXPECT_EQ(a.keywordBox, GetFocus());
  EXPECT_EQ(nullptr, a.index.findByKeyword("kaigi"));

  // Switching to "data2" loads its index and moves nothing.
  withDialog([&](HWND dlg) {
    SendDlgItemMessageA(dlg, IDC_SETTEI_BASE, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>("data2"));
    notify(dlg, IDC_SETTEI_BASE, CBN_SELENDOK);
    click(dlg, IDOK);
  });
  EXPECT_EQ("data2", a.settings.current);
  EXPECT_EQ("data2", a.index.folder());
  EXPECT_NE(nullptr, a.index.findByKeyword("kaigi"));
  EXPECT_NE(nullptr, a.index.findByKeyword("shared2"));
  EXPECT_EQ(nullptr, a.index.findByKeyword("soft"));
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(dir_.path("data\\ソフト")));
  close();
  EXPECT_NE(std::string::npos, file("init.ini").find("current=data2"));
}

TEST_F(SettingsDialog, DirectorySetsSavedChosenAndDeletedEvenTheFirst) {
  start({{"会議/201101010000000000", "kaigi", 0, false, "k"},
         {"ソフト/201101010000010000", "soft", 0, false, "s"},
         {"表/201101010000020000", "hyo", 0, false, "h"}});
  tav::App& a = app();
  a.dirList = {"b,,ソフト,gone", "a,,会議"};
  withDialog([&](HWND dlg) {
    // "a" is the first item of the sorted box and applies like any other.
    chooseSet(dlg, "a");
    EXPECT_EQ((Names{"会議"}), items(dlg, IDC_SETTEI_DATA));
    EXPECT_EQ((Names{"ソフト", "表"}), items(dlg, IDC_SETTEI_DATA2));
    EXPECT_TRUE(enabled(dlg, IDC_SETTEI_SAVE_SET));
    EXPECT_TRUE(enabled(dlg, IDC_SETTEI_DELETE_SET));
    // The base folder box's choice is not a set's.
    click(dlg, IDC_SETTEI_ALL_LEFT);
    notify(dlg, IDC_SETTEI_BASE, CBN_SELENDOK);
    EXPECT_EQ(3u, items(dlg, IDC_SETTEI_DATA).size());

    // "更新" under a new name replaces the chosen set with the left list.
    selectRow(dlg, IDC_SETTEI_DATA, "表");
    click(dlg, IDC_SETTEI_RIGHT);
    typeSetName(dlg, "会議と表");
    click(dlg, IDC_SETTEI_SAVE_SET);
    EXPECT_FALSE(enabled(dlg, IDC_SETTEI_SAVE_SET));
    EXPECT_FALSE(enabled(dlg, IDC_SETTEI_DELETE_SET));
    EXPECT_EQ((Names{"b", "会議と表"}), items(dlg, IDC_SETTEI_SETS, true));
    // Typing enables only "更新".
    typeSetName(dlg, "x");
    EXPECT_TRUE(enabled(dlg, IDC_SETTEI_SAVE_SET));
    EXPECT_FALSE(enabled(dlg, IDC_SETTEI_DELETE_SET));

    chooseSet(dlg, "b");  // its missing "gone" is simply not there
    EXPECT_EQ((Names{"ソフト"}), items(dlg, IDC_SETTEI_DATA));
    click(dlg, IDC_SETTEI_DELETE_SET);
    EXPECT_EQ((Names{"会議と表"}), items(dlg, IDC_SETTEI_SETS, true));
    click(dlg, IDCANCEL);
  });
  // The sets changed although the dialog was cancelled; the folders did not.
  ASSERT_EQ(1u, a.dirList.size());
  std::string set = a.dirList[0];
  EXPECT_TRUE(set == "会議と表,,ソフト,会議" || set == "会議と表,,会議,ソフト") << set;
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(dir_.path("data\\表")));
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(dir_.path("data2\\表")));
  close();
  EXPECT_EQ(set + "\n", file("dir.txt"));
}

}  // namespace
