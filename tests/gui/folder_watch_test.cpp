// Notes that another program changes or adds while the program runs: the
// open note follows its file, typing is never lost, the list takes arrivals.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_support.h"
#include "platform/platform.h"
#include "store/note.h"
#include "win/control_text.h"
#include "win/state.h"

namespace {

using tav::app;

class FolderWatch : public tavgui::MainWindowTest {
 protected:
  FolderWatch() : MainWindowTest("watch") {}
  // Another program's write of a note file.
  void writeElsewhere(const std::string& key, const std::string& keyword, const std::string& body) {
    tavtest::writeFileBytes(dir_.path("data\\" + key), tav::composeNoteFile(keyword, 0, false, body));
  }
  // Pumps until ok() or about five seconds.
  template <typename F>
  bool within(F ok) {
    for (int i = 0; i < 50 && !ok(); ++i) tavgui::pumpFor(100);
    return ok();
  }
};

TEST_F(FolderWatch, TheOpenNoteAndTheListFollowOtherPrograms) {
  const std::string key = "表\\201101010000000000";
  start({{"表/201101010000000000", "予定ソ", 0, false, "一行目\r\n二行目\r\n三行目"},
         {"表/201101010000000001", "会議", 0, false, "議題"},
         {"表/201101010000000004", "会議録", 0, false, "記録"}});
  HWND editor = app().noteEditor;
  tavgui::openKeyword("予定ソ");
  ASSERT_EQ("一行目\r\n二行目\r\n三行目", tav::windowText(editor));
  const LRESULT second = SendMessageA(editor, EM_LINEINDEX, 1, 0);
  SendMessageA(editor, EM_SETSEL, second, second);

  // Untouched here: the new text shows, the caret stays on its line.
  writeElsewhere(key, "予定ソ", "一行目\r\n新しい二行目\r\n三行目");
  EXPECT_TRUE(within([&] { return tav::windowText(editor) == "一行目\r\n新しい二行目\r\n三行目"; }));
  EXPECT_EQ(1, SendMessageA(editor, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));

  // Typed into: the typing stays, the status bar warns, the close keeps both.
  tavgui::type(editor, "X");
  const std::string typed = tav::windowText(editor);
  writeElsewhere(key, "予定ソ", "あちらの表");
  EXPECT_TRUE(within([] { return tavgui::statusText(3).find("ほかで変更") != std::string::npos; }));
  EXPECT_EQ(typed, tav::windowText(editor));

  // A note another PC added is listed without a key press.
  tavgui::openKeyword("会議");
  writeElsewhere("表\\201101010000000002", "会議ソフト", "届いた");
  ASSERT_EQ(3u, tavgui::listRows().size());  // the sub-folder's row and two notes
  EXPECT_TRUE(within([] { return tavgui::listRows().size() == 4; }));

  close();
  std::vector<std::string> bodies;
  for (const char* k : {"0", "2", "3"})
    bodies.push_back(tav::noteBodyOf(file("data\\表\\20110101000000000" + std::string(k))));
  EXPECT_EQ(typed, bodies[0]);
  EXPECT_EQ("届いた", bodies[1]);
  EXPECT_EQ("あちらの表", bodies[2]) << "the other version, kept as a new note";
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find("予定ソ (競合コピー"));
}

}  // namespace
