// The edit journal in the real main window: typing that pauses reaches the
// journal through the timer, a start after a crash brings it back, and exit
// without saving removes it unapplied.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "resources/resource.h"
#include "store/journal.h"
#include "gui_support.h"
#include "testsupport.h"

using tav::app;

namespace {

class JournalWindow : public tavgui::MainWindowTest {
 public:
  JournalWindow() : MainWindowTest("journal") {}

 protected:
  void openBanana() {
    tav::App& a = app();
    SetFocus(a.keywordBox);
    SetWindowTextA(a.keywordBox, "バナナ");
    tavgui::key(a.keywordBox, VK_RETURN);
    SendMessageA(a.noteEditor, EM_SETSEL, 6, 6);
  }
  std::string journal() { return file("data\\journal.dat"); }
  std::string note() { return file(std::string("data\\") + kKey); }

  static constexpr const char* kKey = "表/201101010000000000";
};

TEST_F(JournalWindow, PausedTypingSurvivesACrashAndExitWithoutSavingDiscardsIt) {
  start({{kKey, "バナナ", 0, false, "yellow"}});
  const std::string saved = note();
  openBanana();
  tavgui::type(app().noteEditor, " ripe");
  tavgui::pumpFor(1600);  // a pause
  EXPECT_NE(std::string::npos, journal().find("yellow ripe"));
  EXPECT_FALSE(app().journal.unflushed()) << "a pause flushes";

  // The crash: the window goes without its close; nothing is saved.
  DestroyWindow(main_);
  main_ = nullptr;
  EXPECT_EQ(saved, note());

  start();
  EXPECT_EQ("前回の編集を復元しました", tavgui::statusText(3));
  EXPECT_EQ("<k>バナナ,</k><f>11</f><c>0</c><n>yellow ripe</n>", note());
  EXPECT_EQ("", journal());

  // Typing, a pause, then exit without saving: the journal goes unapplied.
  openBanana();
  SendMessageA(app().noteEditor, EM_SETSEL, 11, 11);
  tavgui::type(app().noteEditor, "!!");
  tavgui::pumpFor(1600);
  EXPECT_NE(std::string::npos, journal().find("yellow ripe!!"));
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_EXIT_WITHOUT_SAVE, 0), 0);
  tavgui::pump();
  main_ = nullptr;
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(dir_.path("data\\journal.dat")));
  EXPECT_EQ("<k>バナナ,</k><f>11</f><c>0</c><n>yellow ripe</n>", note());
}

}  // namespace
