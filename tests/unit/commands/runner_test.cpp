#include <gtest/gtest.h>

#include "commands/calendar.h"
#include "commands/runner.h"
#include "fake_effects.h"
#include "platform/platform.h"
#include "testsupport.h"

namespace {

using cmdtest::FakeEffects;
using tav::kStatusChooseCommand;
using tav::kStatusFailed;
using tav::kStatusSucceeded;

const std::string kNov2011 = tav::makeCalendar("201111");

TEST(Runner, CaretOnCalLineInsertsCurrentMonthBelowIt) {
  tavtest::FakeClock clock(tavtest::localSeconds(2011, 11, 15, 9, 0, 0));
  FakeEffects f;
  std::string text = "memo\r\n!cal\r\nrest";
  EXPECT_EQ(f.runAtCaret(text, 8), -1);
  EXPECT_EQ(f.editor.text, "memo\r\n!cal\r\n" + kNov2011 + "\r\nrest");
  EXPECT_EQ(f.editor.selStart, 12u);
  EXPECT_EQ(f.status, kStatusChooseCommand);
  EXPECT_TRUE(f.opened.empty());
}

TEST(Runner, WrongCaseOrArgumentLengthDoesNothing) {
  for (std::string line : {"!CAL", "!cal x", "!cal 2011110", "!nosuch"}) {
    FakeEffects f;
    EXPECT_EQ(f.runAtCaret(line, 0), -1) << line;
    EXPECT_EQ(f.editor.text, line);
    EXPECT_EQ(f.editorWrites, 0);
    EXPECT_EQ(f.status, kStatusChooseCommand);
    EXPECT_TRUE(f.opened.empty()) << line;
  }
}

TEST(Runner, IndentedSortSortsThenItsRetryFailsInTheShell) {
  FakeEffects f;
  EXPECT_EQ(f.runAtCaret("  !sort\r\nb\r\na", 3), 2);
  EXPECT_EQ(f.editor.text, "  !sort\r\na\r\nb\r\n");
  ASSERT_EQ(f.opened.size(), 1u);
  EXPECT_EQ(f.opened[0].first, "  !sort");
  EXPECT_EQ(f.opened[0].second, std::optional<std::string>(""));
  EXPECT_EQ(f.log, std::vector<std::string>{"  !sort"});
  EXPECT_EQ(f.status, kStatusFailed);
}

TEST(Runner, VariablesFromEarlierSelectedLinesReachTheCalendar) {
  FakeEffects f;
  std::string sel = "?d 2011\r\n?m 11\r\n!cal ?d??m?";
  EXPECT_EQ(f.runSelection(sel + "\r\nafter", sel), -1);
  EXPECT_EQ(f.editor.text, sel + "\r\n" + kNov2011 + "\r\nafter");
  EXPECT_EQ(f.status, kStatusChooseCommand);

  FakeEffects g;  // definitions alone
  EXPECT_EQ(g.runSelection("?d 2011\r\n?m 11", "?d 2011\r\n?m 11"), 0);
  EXPECT_EQ(g.status, kStatusFailed);
  EXPECT_TRUE(g.opened.empty());
  EXPECT_EQ(g.editorWrites, 0);
}

TEST(Runner, DefinitionRetryDefinesTheWholeLineAsASecondName) {
  FakeEffects f;
  std::string sel = "?x 5\r\n!clip ?x?-?x 5?-";
  f.runSelection(sel, sel);
  // ?x? is replaced first, then the retry's "?x 5?" (empty) goes.
  EXPECT_EQ(f.clipboard, std::vector<std::string>{"5--"});
}

TEST(Runner, CommandWordGetsASecondPassOnlyWhenThereIsAnArgument) {
  // ?q? brings in "?z", so a's value is "!?z?", which names an earlier variable.
  std::string defs = "?z clip\r\n?q ?z\r\n?a !?q??\r\n";
  FakeEffects f;
  f.runSelection(defs + "?a? x", defs + "?a? x");
  EXPECT_EQ(f.clipboard, std::vector<std::string>{"x"});
  EXPECT_EQ(f.status, kStatusChooseCommand);

  FakeEffects g;  // the argument itself gets one pass
  g.runSelection(defs + "!clip ?a?", defs + "!clip ?a?");
  EXPECT_EQ(g.clipboard, std::vector<std::string>{"!?z?"});

  FakeEffects h;  // no argument: one pass, "!?z?" is no command
  h.runSelection(defs + "?a?", defs + "?a?");
  EXPECT_TRUE(h.clipboard.empty());
  EXPECT_EQ(h.status, kStatusChooseCommand);
}

TEST(Runner, RedefinitionReplacesTheValueAndVariablesEndWithTheRun) {
  FakeEffects f;
  std::string sel = "?x 1\r\n?x 2\r\n!clip ?x?";
  f.runSelection(sel, sel);
  EXPECT_EQ(f.clipboard, std::vector<std::string>{"2"});
  f.clipboard.clear();
  f.runSelection("!clip ?x?", "!clip ?x?");
  EXPECT_EQ(f.clipboard, std::vector<std::string>{"?x?"});
}

TEST(Runner, PreloadRunsOnlyDefinitionsAboveTheCaret) {
  FakeEffects f;
  std::string text = "?d 2011\r\nnotepad\r\n  ?m 11\r\n!cal ?d??m?\r\n?d 1999";
  std::size_t caret = text.find("!cal");
  f.runAtCaret(text, caret);
  EXPECT_NE(f.editor.text.find("2011/11/30 (Wed)"), std::string::npos);
  // notepad above is not run; the indented definition's retry goes to the shell.
  ASSERT_EQ(f.opened.size(), 1u);
  EXPECT_EQ(f.opened[0].first, "  ?m 11");
}

TEST(Runner, SeqWithArgumentNumbersButItsRetryShowsChooseCommand) {
  FakeEffects f;
  f.files["C:\\memo\\a.txt"] = "old";
  EXPECT_EQ(f.runAtCaret("!seq C:\\memo\\a.txt", 0), -1);
  EXPECT_EQ(f.files["C:\\memo\\a001.txt"], "old");
  EXPECT_EQ(f.files["C:\\memo\\a.txt"], "");
  EXPECT_EQ(f.status, kStatusChooseCommand);

  EXPECT_EQ(f.runAtCaret("\"!seq\" C:\\memo\\a.txt", 0), 32);
  EXPECT_EQ(f.files["C:\\memo\\a002.txt"], "");
  EXPECT_EQ(f.status, kStatusSucceeded);

  EXPECT_EQ(f.runAtCaret("\"!seq\" C:\\memo\\missing.txt", 0), 0);
  EXPECT_EQ(f.status, kStatusFailed);
  EXPECT_EQ(f.runAtCaret("\"!seq\"", 0), -1);
}

TEST(Runner, UnquotedPathWithSpaceOpensOnRetryAndIsLoggedTwice) {
  FakeEffects f;
  EXPECT_EQ(f.runAtCaret("C:\\Program Files\\x.exe", 0), 42);
  ASSERT_EQ(f.opened.size(), 2u);
  EXPECT_EQ(f.opened[0].first, "C:\\Program");
  EXPECT_EQ(f.opened[0].second, std::optional<std::string>("Files\\x.exe"));
  EXPECT_EQ(f.opened[1].first, "C:\\Program Files\\x.exe");
  EXPECT_EQ(f.log, (std::vector<std::string>{"C:\\Program Files\\x.exe", "C:\\Program Files\\x.exe"}));
  EXPECT_EQ(f.status, kStatusSucceeded);
}

TEST(Runner, ProgramWithoutParametersAndStatusThresholds) {
  FakeEffects f;
  EXPECT_EQ(f.runAtCaret("notepad", 0), 42);
  EXPECT_EQ(f.opened[0].second, std::nullopt);
  EXPECT_EQ(f.log, std::vector<std::string>{"notepad"});
  EXPECT_EQ(f.status, kStatusSucceeded);

  f.shellSuccess = 32;
  f.runAtCaret("notepad", 0);
  EXPECT_EQ(f.status, kStatusSucceeded);
  f.shellSuccess = 31;
  f.runAtCaret("notepad", 0);
  EXPECT_EQ(f.status, kStatusFailed);

  f.shellSuccess = 42;  // parameters are logged after one space
  f.runAtCaret("notepad a.txt", 0);
  EXPECT_EQ(f.log.back(), "notepad a.txt");
  EXPECT_EQ(f.opened.size(), 4u);  // success: no retry
}

TEST(Runner, EmptyCaretLineOrOnlyLineBreaksExecuteNothing) {
  FakeEffects f;
  EXPECT_EQ(f.runAtCaret("notepad\r\n", 9), 0);  // the empty last line
  EXPECT_EQ(f.status, kStatusFailed);
  EXPECT_TRUE(f.opened.empty());

  std::string text = "notepad\r\n\r\n\r\nx";
  f.editor.text = text;
  f.editor.selStart = 9;
  f.editor.selEnd = 13;  // line breaks only
  tav::CommandEffects fx = f.effects();
  EXPECT_EQ(tav::runCommands(f.editor, fx), 0);
  EXPECT_TRUE(f.opened.empty());
  EXPECT_EQ(f.status, kStatusFailed);
}

TEST(Runner, RunInANoteWindowActsOnTheMainEditor) {
  FakeEffects f;
  f.editor.text = "b\r\na";
  f.editor.selStart = f.editor.selEnd = 0;
  tav::EditState window;
  window.text = "!sort\r\n!cal 201102";
  window.selStart = 0;
  window.selEnd = window.text.size();
  tav::CommandEffects fx = f.effects();
  tav::runCommands(window, fx);
  EXPECT_EQ(f.editor.text, "a\r\n" + tav::makeCalendar("201102") + "\r\nb\r\n");
}

TEST(Runner, ClipNeedsAnArgument) {
  FakeEffects f;
  f.runAtCaret("!clip", 0);
  EXPECT_TRUE(f.clipboard.empty());
  f.runAtCaret("!clip a b", 0);
  EXPECT_EQ(f.clipboard, std::vector<std::string>{"a b"});
}

TEST(Runner, OutputOfSeveralCommandsIsInsertedOnceAsOneBlock) {
  tavtest::TempExeDir dir;
  FakeEffects f;
  f.volume = tav::VolumeSpace{107374182400ULL, 536870912000ULL};
  std::string sel = "!path\r\n!size D";
  f.runSelection(sel, sel);
  EXPECT_EQ(f.editorWrites, 1);
  EXPECT_EQ(f.volumeQueries, std::vector<std::string>{"D:"});
  EXPECT_EQ(f.editor.text, sel + "\r\n" + dir.dir() + "D:  100.00 G / 500.00 G  (20.0%)\r\n\r\n");
  EXPECT_EQ(f.editor.selStart, sel.size() + 2);
}

TEST(Runner, SizeWithoutArgumentAsksForDriveC) {
  FakeEffects f;
  f.runAtCaret("!size", 0);
  EXPECT_EQ(f.volumeQueries, std::vector<std::string>{"C:"});
  EXPECT_EQ(f.editorWrites, 0);  // the volume could not be read: nothing inserted
}

TEST(Runner, UnterminatedQuoteRunsNothing) {
  FakeEffects f;
  EXPECT_EQ(f.runAtCaret("\"C:\\x.exe arg", 0), -1);
  EXPECT_TRUE(f.opened.empty());
  EXPECT_TRUE(f.log.empty());
  EXPECT_EQ(f.status, kStatusChooseCommand);
}

TEST(Runner, EndStopsTheRunWhenTheProgramCloses) {
  FakeEffects f;
  std::string sel = "!path\r\n!end\r\nnotepad";
  f.runSelection(sel, sel);
  EXPECT_EQ(f.closeRequests, 1);
  EXPECT_TRUE(f.opened.empty());
  EXPECT_EQ(f.editorWrites, 0);
  EXPECT_EQ(f.status, "");

  FakeEffects g;  // a close that did not happen: the run goes on
  g.closeStopsProgram = false;
  g.runSelection(sel, sel);
  EXPECT_EQ(g.closeRequests, 1);
  EXPECT_EQ(g.opened.size(), 1u);
  EXPECT_EQ(g.status, kStatusSucceeded);
}

TEST(Runner, GoJumpsOnceAndIgnoresAMissingKeyword) {
  FakeEffects f;
  f.runAtCaret("!go", 0);
  f.runAtCaret("!go ", 0);
  EXPECT_TRUE(f.jumps.empty());
  f.runAtCaret("!go 会議 メモ", 0);
  EXPECT_EQ(f.jumps, std::vector<std::string>{"会議 メモ"});
  EXPECT_EQ(f.status, kStatusChooseCommand);

  FakeEffects g;
  tav::CommandEffects fx = g.effects();
  EXPECT_EQ(tav::runOneLine("!go key", fx), -1);
  EXPECT_EQ(g.jumps, std::vector<std::string>{"key"});
}

TEST(Runner, LongLogLineIsShortenedOnACharacterBoundary) {
  FakeEffects f;
  std::string name(401, 'a');
  std::string params;
  for (int i = 0; i < 100; ++i) params += "表";  // trail byte 0x5C
  f.runAtCaret("\"" + name + "\" " + params, 0);
  ASSERT_EQ(f.log.size(), 1u);
  // 401 + space + 54 whole characters: the 55th would end at byte 512.
  EXPECT_EQ(f.log[0].size(), 510u);
  EXPECT_EQ(f.log[0].substr(506), "表表");
  EXPECT_EQ(f.opened[0].second->size(), 200u);  // the launch itself is not cut
}

TEST(Runner, ManyVariablesOnOneLineAreAllReplaced) {
  FakeEffects f;
  std::string sel, use = "!clip ", expect;
  for (int i = 0; i < 10000; ++i) {
    std::string n = std::to_string(i);
    sel += "?v" + n + " <" + n + ">\r\n";
    use += "?v" + n + "?";
    expect += "<" + n + ">";
  }
  sel += use;
  f.runSelection(sel, sel);
  ASSERT_EQ(f.clipboard.size(), 1u);
  EXPECT_EQ(f.clipboard[0], expect);
}

TEST(Runner, ValueHoldingItsOwnNameIsExpandedOnceAndCannotExplode) {
  FakeEffects f;
  std::string sel = "?x a?x?\r\n!clip ?x?";
  f.runSelection(sel, sel);
  EXPECT_EQ(f.clipboard, std::vector<std::string>{"a?x?"});

  // Each line doubles the value; past the size limit a line fails instead.
  FakeEffects g;
  std::string grow = "?x ab\r\n";
  for (int i = 0; i < 40; ++i) grow += "?x ?x??x?\r\n";
  grow += "!clip ?x?";
  g.runSelection(grow, grow);
  ASSERT_EQ(g.clipboard.size(), 1u);
  EXPECT_LE(g.clipboard[0].size(), 1u << 20);
  EXPECT_GE(g.clipboard[0].size(), 1u << 18);
}

TEST(Runner, CopiesOfALargeValueCannotExhaustTheMemory) {
  // ?x grows to 1 MiB; every later line would keep another copy (and its retry
  // a second one as a name), about 20 GB for a 100 KB selection.
  FakeEffects f;
  std::string sel = "?x ab\r\n";
  for (int i = 0; i < 19; ++i) sel += "?x ?x??x?\r\n";
  for (int i = 0; i < 60; ++i) sel += "?b" + std::to_string(i) + " ?x?\r\n";
  sel += "!clip ?b0?\r\n!clip ?b59?";
  f.runSelection(sel, sel);
  ASSERT_EQ(f.clipboard.size(), 2u);
  EXPECT_EQ(f.clipboard[0].size(), 1u << 20);
  EXPECT_EQ(f.clipboard[1], "?b59?");  // no room left: not defined
}

TEST(Runner, OneLineEndComesOffTheArgument) {
  FakeEffects f;
  tav::CommandEffects fx = f.effects();
  tav::CommandRun run(fx);
  for (const char* arg : {"a\r\n", "a\n", "\r\n", "\n\n", " b \r"}) tav::executeCommand(run, "!clip", std::string(arg));
  tav::executeCommand(run, "!clip", std::string("\r"));  // a lone break stays
  EXPECT_EQ(f.clipboard, (std::vector<std::string>{"a", "a", "", "", "b", "\r"}));
}

TEST(Runner, HugeSelectionRunsEveryLineOnce) {
  FakeEffects f;
  std::string sel;
  int lines = 0;
  while (sel.size() < 100 * 1024) {
    sel += "!clip line" + std::to_string(lines++) + "\r\n";
  }
  f.runSelection(sel + "end", sel);
  EXPECT_EQ(static_cast<int>(f.clipboard.size()), lines);
  EXPECT_EQ(f.clipboard.back(), "line" + std::to_string(lines - 1));
  EXPECT_TRUE(f.opened.empty());
}

}  // namespace
