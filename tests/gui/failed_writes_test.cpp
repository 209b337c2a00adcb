// Failed writes in the real main window: the question at close (retry, close
// anyway, go back), the note windows' typing in the journal, and a session
// end that leaves the run usable.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "resources/resource.h"
#include "store/journal.h"
#include "win/control_text.h"
#include "win/note_windows.h"
#include "gui_support.h"
#include "testsupport.h"

using tav::app;

namespace {

// The boxes a close showed, answered in turn from a timer inside their loop.
std::vector<int> g_answers;
std::vector<std::string> g_texts;
std::vector<UINT> g_buttons;  // IDYES | IDNO | IDCANCEL present, as flags 1, 2, 4

void CALLBACK answerNext(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = tavgui::visibleDialog();
  if (!box || g_texts.size() >= g_answers.size()) return;
  g_texts.push_back(tav::windowText(GetDlgItem(box, 0xFFFF)));
  g_buttons.push_back((GetDlgItem(box, IDYES) ? 1 : 0) | (GetDlgItem(box, IDNO) ? 2 : 0) |
                      (GetDlgItem(box, IDCANCEL) ? 4 : 0));
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(g_answers[g_texts.size() - 1], BN_CLICKED), 0);
}

class FailedWritesWindow : public tavgui::MainWindowTest {
 public:
  FailedWritesWindow() : MainWindowTest("failwin") {}

 protected:
  // WM_CLOSE, answering the boxes it shows with answers; true when the window went.
  bool closeAnswering(std::vector<int> answers) {
    g_answers = std::move(answers);
    g_texts.clear();
    g_buttons.clear();
    UINT_PTR t = SetTimer(nullptr, 0, 100, answerNext);
    SendMessageA(main_, WM_CLOSE, 0, 0);
    KillTimer(nullptr, t);
    tavgui::pump();
    if (IsWindow(main_)) return false;
    main_ = nullptr;
    return true;
  }
  std::string note(const std::string& key) { return file("data\\" + key); }

  static constexpr const char* kBanana = "表/201101010000000000";
  static constexpr const char* kApple = "ソフト/201101010000000001";
};

// A note that cannot be written at close: the box names it and offers to try
// again, to close anyway or to go back; going back leaves the program as it
// was; closing anyway keeps the change in the journal for the next start.
TEST_F(FailedWritesWindow, Fault1_FailedSaveAtClose_IsAskedAboutNeverSilent) {
  start({{kBanana, "バナナ", 0, false, "yellow"}, {kApple, "りんご", 0, false, "red"}});
  tavgui::openKeyword("バナナ");
  SendMessageA(app().noteEditor, EM_SETSEL, 1000, 1000);
  tavgui::type(app().noteEditor, " ripe");
  app().index.storeNote("red apple", "りんご", kApple, 0, false);
  tavtest::setReadOnly(dir_.path("data\\") + kApple, true);

  EXPECT_FALSE(closeAnswering({IDCANCEL}));
  ASSERT_EQ(1u, g_texts.size());
  EXPECT_EQ(7u, g_buttons[0]);
  EXPECT_NE(std::string::npos, g_texts[0].find("「りんご」"));
  EXPECT_EQ(std::string::npos, g_texts[0].find("「バナナ」"));
  EXPECT_EQ("次のメモを保存できませんでした: 「りんご」", tavgui::statusText(3));
  // Still running: the list and the editor answer.
  tavgui::openKeyword("バナナ");
  EXPECT_EQ("yellow ripe", tav::windowText(app().noteEditor));

  // Try again (still read-only: asked once more), then close anyway.
  EXPECT_TRUE(closeAnswering({IDYES, IDNO}));
  EXPECT_EQ(2u, g_texts.size());
  EXPECT_NE(std::string::npos, note(kBanana).find("yellow ripe"));
  EXPECT_EQ(std::string::npos, note(kApple).find("red apple"));
  EXPECT_NE("", file("data\\journal.dat"));

  tavtest::setReadOnly(dir_.path("data\\") + kApple, false);
  start();
  EXPECT_EQ("前回の編集を復元しました", tavgui::statusText(3));
  EXPECT_NE(std::string::npos, note(kApple).find("red apple"));
  EXPECT_TRUE(closeAnswering({}));
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(dir_.path("data\\journal.dat")));
}

// Typing into a note window reaches the journal on a pause, as the editor's
// does: a crash then loses none of it.
TEST_F(FailedWritesWindow, Fault8_NoteWindowTyping_IsJournaled) {
  start({{kBanana, "果物バナナ", 0, false, "yellow"}, {kApple, "果物りんご", 0, false, "red"}});
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, "果物");
  {
    tavgui::Held ctrl(VK_CONTROL);
    tavgui::key(a.keywordBox, VK_RETURN);
  }
  ASSERT_EQ(2u, tav::noteWindowSlots().size());
  HWND body = GetDlgItem(tav::noteWindowSlots()[1], IDC_NOTEWIN_BODY);
  const std::string key = tav::windowText(tav::noteWindowSlots()[1]);
  SetFocus(body);
  SendMessageA(body, EM_SETSEL, 100, 100);
  tavgui::type(body, " 熟した");
  tavgui::pumpFor(1600);
  EXPECT_NE(std::string::npos, file("data\\journal.dat").find("熟した"));

  // The crash: no close, nothing saved.
  for (HWND w : tav::noteWindowSlots())
    if (w) DestroyWindow(w);
  DestroyWindow(main_);
  main_ = nullptr;
  start();
  EXPECT_NE(std::string::npos, note(key).find("熟した"));
}

// Windows ends the session: everything is saved as at close, and should the
// session go on (a log-off called off) the run goes on with its whole index:
// a later save still lists every note.
TEST_F(FailedWritesWindow, Fault10_AfterTheEndSessionSave_TheRunGoesOnWithItsWholeIndex) {
  start({{kBanana, "バナナ", 0, false, "yellow"}, {kApple, "りんご", 0, false, "red"}});
  tavgui::openKeyword("バナナ");
  SendMessageA(app().noteEditor, EM_SETSEL, 1000, 1000);
  tavgui::type(app().noteEditor, " ripe");
  SendMessageA(main_, WM_QUERYENDSESSION, 0, 0);
  SendMessageA(main_, WM_ENDSESSION, TRUE, 0);
  EXPECT_NE(std::string::npos, note(kBanana).find("yellow ripe"));
  const std::string index = file("data\\index2.txt");
  EXPECT_NE(std::string::npos, index.find("りんご"));

  // The log-off was called off: keys still work and the close saves everything.
  tavgui::openKeyword("りんご");
  SendMessageA(app().noteEditor, EM_SETSEL, 1000, 1000);
  tavgui::type(app().noteEditor, "!");
  EXPECT_EQ(2u, app().index.size());
  EXPECT_TRUE(closeAnswering({}));
  EXPECT_NE(std::string::npos, note(kApple).find("red!"));
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find("バナナ"));
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find("りんご"));
}

// Note files without "index2.txt": the start lists them from the files and
// says so, where it used to show an empty list.
TEST_F(FailedWritesWindow, Fault9_MissingIndex_StartListsTheNotesAndSaysSo) {
  CreateDirectoryA(dir_.path("data").c_str(), nullptr);
  CreateDirectoryA(dir_.path("data\\表").c_str(), nullptr);
  tavtest::writeFileBytes(dir_.path("data\\") + kBanana, "<k>バナナ,</k><f>0</f><c>0</c><n>yellow</n>");
  start();
  EXPECT_EQ("インデックスがなかったため、メモのファイルから作り直しました", tavgui::statusText(3));
  EXPECT_EQ(1u, app().index.size());
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find("バナナ"));
}

}  // namespace
