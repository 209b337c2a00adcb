// The real main window in a fresh temporary ExeDir, driven with window
// messages; the Ctrl and Shift states that the controls read with GetKeyState
// are set on this thread's keyboard state, as real input would leave them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "resources/resource.h"
#include "store/note.h"
#include "store/text_wnd.h"
#include "ui/open_keyword.h"
#include "testsupport.h"

using tav::app;

namespace {

void pump() {
  MSG m;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(1);
  }
}

// Holds a modifier on this thread's keyboard state for the guard's lifetime.
class Held {
 public:
  explicit Held(int vk) : vk_(vk) { set(0x80); }
  ~Held() { set(0); }

 private:
  void set(BYTE v) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk_] = v;
    SetKeyboardState(keys);
  }
  int vk_;
};

// The key release goes where the focus is by then, as it does for real keys.
void key(HWND w, WPARAM vk) {
  SendMessageA(w, WM_KEYDOWN, vk, 1);
  pump();
  SendMessageA(GetFocus() ? GetFocus() : w, WM_KEYUP, vk, 0xC0000001);
  pump();
}

// Key down, the character the keyboard gives, key up: as typing does.
void type(HWND w, const std::string& text) {
  for (char c : text) {
    SHORT vk = VkKeyScanA(c);
    SendMessageA(w, WM_KEYDOWN, LOBYTE(vk), 1);
    SendMessageA(w, WM_CHAR, static_cast<unsigned char>(c), 1);
    SendMessageA(w, WM_KEYUP, LOBYTE(vk), 0xC0000001);
    pump();
  }
}

std::string statusText(int part) {
  char buf[512] = {0};
  SendMessageA(app().statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(buf));
  return buf;
}

std::vector<std::string> listRows() {
  std::vector<std::string> rows;
  HWND list = app().keywordList;
  int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char col0[256] = {0}, col1[256] = {0};
    LVITEMA it {};
    it.iSubItem = 0;
    it.pszText = col0;
    it.cchTextMax = sizeof col0;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
    it.iSubItem = 1;
    it.pszText = col1;
    it.cchTextMax = sizeof col1;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
    rows.push_back(std::string(col0) + "|" + col1);
  }
  return rows;
}

class MainWindow : public ::testing::Test {
 public:
  // Notes on disk before the window starts: keyword, caret, check, body.
  struct Seed {
    std::string key, keyword;
    unsigned caret;
    bool checked;
    std::string body;
  };

  void start(const std::vector<Seed>& seeds = {}) {
    std::string index;
    for (const Seed& s : seeds) {
      std::string folder = tav::keyFolder(s.key);
      CreateDirectoryA((dir_.path("data") ).c_str(), nullptr);
      CreateDirectoryA((dir_.path("data\\") + folder).c_str(), nullptr);
      tavtest::writeFileBytes(dir_.path("data\\") + s.key,
                              tav::composeNoteFile(s.keyword, s.caret, s.checked, s.body));
      index += s.key + "," + std::to_string(s.caret) + "," + (s.checked ? "1" : "0") + ",0," +
               s.keyword + "\n";
    }
    if (!seeds.empty()) tavtest::writeFileBytes(dir_.path("data\\index2.txt"), index);

    tav::App& a = app();
    a = tav::App();
    a.instance = GetModuleHandleA(nullptr);
    tav::loadSettings(a.settings);
    static bool registered = tav::registerClasses(a.instance);
    ASSERT_TRUE(registered);
    main_ = tav::createMainWindow(a.instance);
    ASSERT_NE(nullptr, main_);
    SetForegroundWindow(main_);
    pump();
  }

 protected:
  void TearDown() override {
    if (main_ && IsWindow(main_)) {
      app().settings.saveOnExit = false;
      SendMessageA(main_, WM_CLOSE, 0, 0);
    }
    pump();
    if (app().listImages) ImageList_Destroy(app().listImages);
    app().listImages = nullptr;
  }

  void close() {
    SendMessageA(main_, WM_CLOSE, 0, 0);
    pump();
    main_ = nullptr;
  }

  std::string file(const std::string& name) { return tavtest::readFileBytes(dir_.path(name)); }

  tavtest::TempExeDir dir_ {"gui"};
  HWND main_ = nullptr;
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
  EXPECT_EQ(a.settings.sideSize2, a.settings.listWidth);
  type(a.keywordBox, "p");
  EXPECT_EQ(3u, listRows().size());
  type(a.keywordBox, "r");
  EXPECT_EQ((std::vector<std::string>{"default|", std::string("apricot|") + kA2}), listRows());
  type(a.keywordBox, "x");
  EXPECT_TRUE(listRows().empty());
  EXPECT_EQ(a.settings.sideSize2, a.settings.listWidth);  // an empty result keeps the width
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
  EXPECT_EQ(0, a.settings.listWidth);
  EXPECT_EQ("編集", statusText(3));
  EXPECT_EQ(kA2, statusText(0));
  EXPECT_EQ(kA2, a.index.currentKey);
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
  EXPECT_EQ(kA1, a.index.currentKey);
}

TEST_F(MainWindow, NewNoteReachesTheIndexOnlyWithText) {
  start();
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "shopping");
  key(a.keywordBox, VK_RETURN);
  EXPECT_EQ("新規", statusText(3));
  EXPECT_EQ(a.noteEditor, GetFocus());
  std::string key1 = a.index.currentKey;
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
  EXPECT_EQ("", a.index.currentKey);

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
  EXPECT_EQ(0u, a.index.currentKey.find("memo/"));
  EXPECT_EQ("memo", a.settings.currentDir);
}

TEST_F(MainWindow, EmptyingANoteDeletesItAtTheNextSave) {
  start(threeNotes());
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "banana");
  key(a.keywordBox, VK_RETURN);
  ASSERT_EQ(kB1, a.index.currentKey);
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
  EXPECT_FALSE(a.settings.keyChangeMode);
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
  EXPECT_EQ(kA2, a.index.currentKey);

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
  EXPECT_EQ("", a.index.currentKey);
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
