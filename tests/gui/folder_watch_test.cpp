// Notes that another program changes or adds while the program runs: the
// open note follows its file, typing is never lost, the list takes arrivals.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_support.h"
#include "platform/platform.h"
#include "store/note.h"
#include "resources/resource.h"
#include "win/control_text.h"
#include "win/keyword_list.h"
#include "win/note_windows.h"
#include "win/folder_watch.h"
#include "settings/stamps.h"
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

// The note windows follow their files as the editor does; the body filter
// takes the bodies from memory and the cache, not from the files; news lost
// in a flood of files still ends with the right list.
TEST_F(FolderWatch, NoteWindowsTheBodyFilterAndAFloodFollowTheFolder) {
  start({{"表/201101010000000000", "果物ソ", 0, false, "一行目\r\n二行目"},
         {"表/201101010000000001", "果物表", 0, false, "赤い"}});
  tav::App& a = app();
  SetWindowTextA(a.keywordBox, "果物");
  {
    tavgui::Held ctrl(VK_CONTROL);
    tavgui::key(a.keywordBox, VK_RETURN);
  }
  ASSERT_EQ(2u, tav::noteWindowSlots().size());
  auto bodyOf = [](const char* k) {
    const std::string key = std::string("表/20110101000000000") + k;
    return GetDlgItem(tav::noteWindowShowing(key), IDC_NOTEWIN_BODY);
  };
  HWND untouched = bodyOf("0"), typed = bodyOf("1");
  ASSERT_TRUE(untouched && typed);
  SendMessageA(untouched, EM_SETSEL, 20, 20);  // on the second line
  tavgui::type(typed, "Y");
  const std::string mine = tav::windowText(typed);
  writeElsewhere("表\\201101010000000000", "果物ソ", "一行目\r\n届いた二行目");
  writeElsewhere("表\\201101010000000001", "果物表", "あちらの表");
  EXPECT_TRUE(within([&] { return tav::windowText(untouched) == "一行目\r\n届いた二行目"; }));
  EXPECT_EQ(1, SendMessageA(untouched, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));
  EXPECT_TRUE(within([] { return tavgui::statusText(3).find("ほかで変更") != std::string::npos; }));
  EXPECT_EQ(mine, tav::windowText(typed));
  tav::closeNoteWindows();
  tavgui::pump();

  // The body filter with the folder watched: a body learned once comes from
  // "bodies.dat" after a reload, so a file held open by its writer is no
  // hindrance. (Written a while ago: a young file's body is not cached.)
  close();
  const std::string kept = dir_.path("data\\表\\201101010000000000");
  tavtest::ageFile(kept, 600);
  start({});
  SetWindowTextA(a.filterBox, "届いた");
  tav::refreshList();
  ASSERT_EQ(2u, tavgui::listRows().size());
  a.index.load(a.settings.dataFolder());
  HANDLE held = CreateFileA(kept.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  tav::refreshList();
  EXPECT_EQ(2u, tavgui::listRows().size()) << "the filter opened the note file";
  CloseHandle(held);

  // A flood: more notes at once than the watcher's buffer holds.
  tav::stopWatchingDataFolder();
  tav::watchDataFolder(64);
  SetWindowTextA(a.filterBox, "");
  SetWindowTextA(a.keywordBox, "洪水");
  tav::refreshList();
  constexpr int kFlood = 1500;
  for (int i = 0; i < kFlood; ++i)
    writeElsewhere("表\\2011010200" + std::to_string(10000000 + i), "洪水" + std::to_string(i),
                   "水");
  EXPECT_TRUE(within([] { return tavgui::listRows().size() == kFlood + 1; }))
      << tavgui::listRows().size() << " rows";
  const std::string log = file("tavolinlog\\" + tav::dateStamp(true) + ".log");
  EXPECT_NE(std::string::npos, log.find("listed again"))
      << "no news was lost";
  close();
  EXPECT_EQ(mine, tav::noteBodyOf(file("data\\表\\201101010000000001")));
  EXPECT_NE(std::string::npos, file("data\\index2.txt").find("果物表 (競合コピー"));
}

// A folder the watch cannot hear (a share that reports nothing): the body
// filter checks the files as without a watch, and finds what another
// program wrote.
TEST_F(FolderWatch, AFolderTheWatchCannotHearIsCheckedAsWithoutAWatch) {
  start({{"表/201101010000000000", "予定ソ", 0, false, "一行目"}});
  tavtest::FaultyFiles faults;
  faults.fail(tav::FileOp::Watch, "data", tav::FileFault::AccessDenied);
  tav::stopWatchingDataFolder();
  tav::watchDataFolder();
  tavgui::pumpFor(800);  // the news that the folder must be listed again
  tav::App& a = app();
  auto filtered = [&](const char* word) {
    SetWindowTextA(a.keywordBox, "予定");
    SetWindowTextA(a.filterBox, word);
    tav::refreshList();
    return tavgui::listRows().size();
  };
  ASSERT_EQ(2u, filtered("一行目"));  // the body is in memory now
  writeElsewhere("表\\201101010000000000", "予定ソ", "届いた二行目");
  tavgui::pumpFor(800);
  EXPECT_EQ(2u, filtered("届いた")) << "the filter searched the body read before";
}

}  // namespace
