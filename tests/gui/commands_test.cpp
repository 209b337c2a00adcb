// Text commands in the real main window: F4/F5 in the note editor, command
// 50010, and what a run does to the editor, the status bar, the daily launch
// log, the open note and the window. Programs are only ever "started" under
// names that do not exist, so nothing really runs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "commands/calendar.h"
#include "win/edit_control.h"
#include "win/run_commands.h"
#include "platform/system.h"
#include "resources/resource.h"
#include "settings/stamps.h"
#include "store/note.h"
#include "win/control_text.h"
#include "gui_support.h"
#include "testsupport.h"
#include "win/main_controls.h"
#include "win/state.h"

using tav::app;

namespace {

const char* const kChoose = "実行したいコマンドを選択して下さい";
const char* const kFailed = "実行に失敗しました";
const char* const kMissing = "tavolin-no-such-program-4711";

using tavgui::pump;
using tavgui::statusText;

void pressKey(HWND w, WPARAM vk) { tavgui::key(w, vk); }

void setEditor(const std::string& text, std::size_t selStart, std::size_t selEnd) {
  SetWindowTextA(app().noteEditor, text.c_str());
  SendMessageA(app().noteEditor, EM_SETSEL, selStart, selEnd);
}

void setEditor(const std::string& text, std::size_t caret) { setEditor(text, caret, caret); }

std::pair<DWORD, DWORD> editorSelection() {
  DWORD s = 0, e = 0;
  SendMessageA(app().noteEditor, EM_GETSEL, reinterpret_cast<WPARAM>(&s),
               reinterpret_cast<LPARAM>(&e));
  return {s, e};
}

std::string editorText() { return tav::windowText(app().noteEditor); }

class Commands : public tavgui::MainWindowTest {
 public:
  Commands() : MainWindowTest("cmd") {}

  // Commits keyword in the keyword box: opens its note or starts a new one.
  void open(const std::string& keyword) {
    tav::App& a = app();
    SetFocus(a.keywordBox);
    SetWindowTextA(a.keywordBox, keyword.c_str());
    pressKey(a.keywordBox, VK_RETURN);
    ASSERT_EQ(a.noteEditor, GetFocus());
  }

 protected:
  std::string todaysLog() { return file("tavolinlog\\" + tav::dateStamp(true) + ".log"); }
};

const char* const kApple = "default/201101010000000000";
const char* const kBanana = "default/201101010000010000";

std::vector<Commands::Seed> twoNotes() {
  return {{kApple, "apple", 0, false, "red"}, {kBanana, "banana", 0, false, "yellow"}};
}

}  // namespace

TEST_F(Commands, F5OnCalLineInsertsTheMonthBelowItAndAsksForACommand) {
  start();
  open("calendar");
  setEditor("!cal 201111\r\nend", 3);
  pressKey(app().noteEditor, VK_F5);
  std::string cal = tav::makeCalendar("201111");
  ASSERT_EQ(0u, cal.find("2011/11/01 (Tue)\r\n"));
  ASSERT_NE(std::string::npos, cal.find("2011/11/06 (Sun)\r\n\r\n2011/11/07 (Mon)\r\n"));
  EXPECT_EQ("!cal 201111\r\n" + cal + "\r\nend", editorText());
  // The caret stands at the start of the inserted block.
  EXPECT_EQ(std::make_pair(DWORD(13), DWORD(13)), editorSelection());
  // A "!" line with an argument ends with its quoted retry, which names no command.
  EXPECT_EQ(kChoose, statusText(3));
  EXPECT_EQ("", todaysLog());
}

TEST_F(Commands, F4RunsSelectedDefinitionsIntoTheCalendarAsF5Does) {
  start();
  open("calendar");
  const std::string lines = "?d 2011\r\n?m 11\r\n!cal ?d??m?";
  setEditor(lines + "\r\nrest", 0, lines.size());
  pressKey(app().noteEditor, VK_F4);
  EXPECT_EQ(lines + "\r\n" + tav::makeCalendar("201111") + "\r\nrest", editorText());
  EXPECT_EQ(kChoose, statusText(3));

  // The definitions alone end with a definition's result.
  const std::string defs = "?d 2011\r\n?m 11";
  setEditor(defs + "\r\nrest", 0, defs.size());
  pressKey(app().noteEditor, VK_F5);
  EXPECT_EQ(defs + "\r\nrest", editorText());
  EXPECT_EQ(kFailed, statusText(3));
}

TEST_F(Commands, SortFromF5OrCommand50010SortsTheWholeEditor) {
  start();
  open("fruit");
  setEditor("!sort\r\ncherry\r\napple\r\n\r\nbanana", 0);
  pressKey(app().noteEditor, VK_F5);
  EXPECT_EQ("!sort\r\napple\r\nbanana\r\ncherry\r\n", editorText());
  EXPECT_EQ(std::make_pair(DWORD(0), DWORD(0)), editorSelection());
  EXPECT_EQ(kChoose, statusText(3));

  // The command without a menu item runs on the editor, wherever the focus is.
  setEditor("!desc\r\napple\r\ncherry\r\nbanana", 0);
  SetFocus(app().checkButton);
  pump();
  tav::setStatus(tav::StatusPart::Message, "");
  SendMessageA(main_, WM_COMMAND, MAKEWPARAM(IDM_RUN_COMMANDS, 0), 0);
  pump();
  EXPECT_EQ("cherry\r\nbanana\r\napple\r\n!desc\r\n", editorText());
  EXPECT_EQ(kChoose, statusText(3));
}

TEST_F(Commands, MissingProgramFailsAndEveryAttemptIsLogged) {
  start();
  open("programs");
  setEditor(std::string("first\r\n") + kMissing, 9);
  pressKey(app().noteEditor, VK_F5);
  EXPECT_EQ(kFailed, statusText(3));
  EXPECT_EQ(std::string(kMissing) + "\n", todaysLog());
  EXPECT_EQ(std::string("first\r\n") + kMissing, editorText());

  // With a parameter: the program with its parameter, then the whole line as
  // one name, both fail and both are logged.
  setEditor(std::string(kMissing) + " -x", 0);
  pressKey(app().noteEditor, VK_F5);
  EXPECT_EQ(kFailed, statusText(3));
  std::string one = std::string(kMissing) + " -x\n";
  EXPECT_EQ(std::string(kMissing) + "\n" + one + one, todaysLog());
}

TEST_F(Commands, KeywordBoxRunsNoCommandLines) {
  start();
  tav::App& a = app();
  SetFocus(a.keywordBox);
  SetWindowTextA(a.keywordBox, kMissing);
  tav::setStatus(tav::StatusPart::Message, "before");
  pressKey(a.keywordBox, VK_F5);
  pressKey(a.keywordBox, VK_F4);
  EXPECT_EQ("before", statusText(3));
  EXPECT_EQ("", todaysLog());
  EXPECT_EQ(kMissing, tav::windowText(a.keywordBox));
}

TEST_F(Commands, RunFromAnotherEditActsOnTheMainEditor) {
  start();
  open("window");
  setEditor("?y 2012\r\nmain line\r\nlast", 12);  // caret in "main line"
  // A note window's body: its own lines run, the output goes to the main editor.
  HWND body = CreateWindowExA(0, "EDIT", "!sort x\r\n!cal ?y?02", WS_CHILD | ES_MULTILINE, 0, 0,
                              100, 100, main_, nullptr, app().instance, nullptr);
  ASSERT_NE(nullptr, body);
  SendMessageA(body, EM_SETSEL, 9, 9);  // caret on the "!cal" line
  tav::runCommands(body);
  // "?y" came from the main editor's lines above its caret.
  EXPECT_EQ("?y 2012\r\nmain line\r\n" + tav::makeCalendar("201202") + "\r\nlast", editorText());
  EXPECT_EQ("!sort x\r\n!cal ?y?02", tav::windowText(body));
  EXPECT_EQ(kChoose, statusText(3));
  DestroyWindow(body);
}

TEST_F(Commands, ClipAndPathReachClipboardAndEditor) {
  start();
  open("clip");
  const std::string lines = "!clip  a b \r\n!path";
  setEditor(lines, 0, lines.size());
  pressKey(app().noteEditor, VK_F5);
  EXPECT_EQ(std::optional<std::string>("a b"), tav::clipboardText());
  EXPECT_EQ(lines + "\r\n" + dir_.dir() + "\r\n", editorText());
}

TEST_F(Commands, EndStoresTheOpenNoteAndClosesTheProgram) {
  start(twoNotes());
  open("banana");
  setEditor("!end\r\nripe", 0);
  pressKey(app().noteEditor, VK_F5);
  EXPECT_FALSE(IsWindow(main_));
  main_ = nullptr;
  EXPECT_EQ("<k>banana,</k><f>0</f><c>0</c><n>!end\r\nripe</n>",
            file(std::string("data\\") + kBanana));
  EXPECT_NE(std::string::npos, file("init.ini").find("data=banana"));
}

TEST_F(Commands, GoStoresTheNoteAndOpensTheKeyword) {
  start(twoNotes());
  tav::App& a = app();
  open("banana");
  const std::string edited = "yellow\r\n!go apple";
  setEditor(edited, edited.size());
  pressKey(a.noteEditor, VK_F5);
  EXPECT_EQ(kApple, a.ui.currentKey);
  EXPECT_EQ("apple", tav::windowText(a.keywordBox));
  EXPECT_EQ("red", editorText());
  EXPECT_EQ(a.noteEditor, GetFocus());
  EXPECT_EQ(tav::FocusMode::NoteEditor, a.ui.focusMode);
  EXPECT_EQ((std::vector<std::string> {"banana", "apple"}), a.historyList);
  EXPECT_EQ(kChoose, statusText(3));
  const std::string* body = nullptr;
  bool checked = false;
  unsigned caret = 0;
  ASSERT_TRUE(a.index.fetchNote(kBanana, &body, &checked, &caret));
  ASSERT_NE(nullptr, body);
  EXPECT_EQ(edited, *body);
  EXPECT_EQ(edited.size(), caret);

  // Without a keyword nothing moves.
  setEditor("red\r\n!go", 6);
  pressKey(a.noteEditor, VK_F5);
  EXPECT_EQ(kApple, a.ui.currentKey);
  EXPECT_EQ("red\r\n!go", editorText());
  EXPECT_EQ(kChoose, statusText(3));
}

// Wine's edit control counts characters: with Japanese text above the caret,
// F5 ran the first line instead of the caret's, and the Ctrl+O jump landed
// lines away from its mark.
TEST_F(Commands, Bug_JapaneseTextBeforeTheCaretMovedEveryPosition) {
  start();
  tav::App& a = app();
  open("日本語");
  const std::string first = "一二三四五六七八九十一二三四五六七八";  // 18 characters, 36 bytes
  const std::string text = first + "\r\n!cal 201111\r\n★二番目";
  SetWindowTextA(a.noteEditor, text.c_str());
  tav::setEditSel(a.noteEditor, first.size() + 4, first.size() + 4);  // in "!cal"
  tavgui::realKeys(main_, {VK_F5});
  const std::string withCal = first + "\r\n!cal 201111\r\n" + tav::makeCalendar("201111");
  EXPECT_EQ(0u, editorText().find(withCal)) << editorText();
  EXPECT_EQ(kChoose, statusText(3));
  std::size_t s = 0, e = 0;
  tav::getEditSel(a.noteEditor, s, e);
  EXPECT_EQ(first.size() + 2 + 11 + 2, s);  // the start of the inserted block
  // A byte position set is the place the control shows: the mark's line.
  SetWindowTextA(a.noteEditor, text.c_str());
  const std::size_t mark = text.find("★");
  tav::setEditSel(a.noteEditor, mark, mark + 2);
  EXPECT_EQ(2, SendMessageA(a.noteEditor, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));
  EXPECT_EQ("★", tav::selectedText(a.noteEditor));
  EXPECT_EQ(mark, tav::readEdit(a.noteEditor).selStart);
  EXPECT_EQ(2, tav::editLineFromByte(a.noteEditor, mark));
  EXPECT_EQ(mark, tav::editLineIndex(a.noteEditor, 2));
}
