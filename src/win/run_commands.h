// Running the command lines of an edit control in the main window: the
// runner's effects bound to the note editor, the status bar, the shell and the
// close and keyword-jump sequences of the main window.
#pragma once

#include <windows.h>

#include <string>

#include "commands/runner.h"

namespace tav {

// Runs the selected lines of edit (or its caret's line): F4 and F5 in the note
// editor, F5 in a note window's body, command 50010.
void runCommands(HWND edit);

// The effects of a run in the main window; the jump menu's single "!go" line
// runs with these too.
CommandEffects windowEffects();

// Leaves the open note (stored when the editor is the active pane) and opens
// keyword as if it had been typed into the keyword box and committed.
void goToKeyword(const std::string& keyword);

}  // namespace tav
