// Running the command lines of a note: "?" lines define variables, "!" lines
// are text commands, anything else is opened with the shell. The runner is
// pure logic; every effect goes through CommandEffects, so the window code
// passes the real editor, status bar and shell, and tests pass fakes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/edit_state.h"
#include "commands/file_commands.h"
#include "commands/variables.h"

namespace tav {

// Status texts after a run.
extern const char* const kStatusChooseCommand;  // result -1
extern const char* const kStatusFailed;         // 0..31
extern const char* const kStatusSucceeded;      // 32 and above

struct CommandEffects {
  // The main window's note editor. Whole-note commands and the collected
  // output always act on it, whichever edit control the run started in.
  std::function<EditState()> readEditor;
  std::function<void(const EditState&)> writeEditor;
  // Part 3 of the status bar.
  std::function<void(const std::string&)> setStatus;
  // "!end": store the open note when the editor has the focus, then close the
  // main window as its close command does. True when the program is going
  // away: the run then stops at once.
  std::function<bool()> closeProgram;
  // "!go K": store the open note when the editor has the focus, hold off the
  // store at the editor's coming loss of focus, K into the history and the keyword box, focus there, open K, relayout.
  std::function<void(const std::string& keyword)> jumpToKeyword;

  // Operating-system effects; platformEffects() fills them with the real ones.
  // Opens with the shell verb "open"; the ShellExecuteA result (above 32 is success).
  std::function<int(const std::string& file, const std::optional<std::string>& params)> shellOpen;
  std::function<void(const std::string& line)> appendLog;  // the daily launch log
  std::function<void(const std::string& text)> setClipboard;
  FileOps files;       // "!seq"
  VolumeQuery volume;  // "!size"
};

// Effects with the platform's shell, daily log, clipboard, files and volume
// sizes; the window code adds the editor, status, close and jump callbacks.
CommandEffects platformEffects();

// Runs the selected lines of an edit control, or its caret's line when nothing
// is selected; source is that control's text and selection. Inserts the
// collected output under the caret's line of the main editor, sets the status
// text, and returns the result of the last line executed.
int runCommands(const EditState& source, CommandEffects& fx);

// Runs one line on its own (the jump menu's "!go K"): output inserted, no status.
int runOneLine(std::string_view line, CommandEffects& fx);

// The status text for a run's result.
const char* statusTextFor(int result);

// ---- the steps of a run, open for the jump menu and for tests.

struct CommandRun {
  explicit CommandRun(CommandEffects& effects) : fx(effects) {}
  CommandEffects& fx;
  CommandVariables vars;
  std::string output;    // inserted once when the run ends
  bool stopped = false;  // the program is closing
};

// Command word and argument from one line, executed, and retried once as one
// quoted word when it did not succeed and the line has a space.
int runLine(CommandRun& run, std::string_view line);
// Variables substituted, then a definition, a text command or the shell.
int executeCommand(CommandRun& run, std::string word, std::optional<std::string> arg);
int dispatchTextCommand(CommandRun& run, const std::string& word,
                        const std::optional<std::string>& arg);
// Runs the definition lines of the main editor above its selection start.
void preloadVariables(CommandRun& run);

}  // namespace tav
