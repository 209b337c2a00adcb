// The text commands in the main window: F4/F5 and command 50010 run the lines
// of an edit control with the real editor, status bar, shell and clipboard.
#include "win/run_commands.h"

#include "win/main_controls.h"
#include "win/keyword_box.h"
#include "win/note_editor.h"
#include "win/editing_aids.h"
#include "win/state.h"
#include "win/edit_control.h"

namespace tav {

namespace {

// "!end": the close command's sequence. True when the main window is gone, so
// the run stops before touching the destroyed controls.
bool closeFromCommand() {
  App& a = app();
  HWND main = a.main;
  if (a.ui.focusMode == FocusMode::NoteEditor) saveNote();
  SendMessageA(main, WM_CLOSE, 0, 0);
  return !IsWindow(main);
}

}  // namespace

CommandEffects windowEffects() {
  CommandEffects fx = platformEffects();
  // Whole-note commands and the collected output act on the main editor,
  // whichever edit control the run started in.
  fx.readEditor = [] { return readEdit(app().noteEditor); };
  fx.writeEditor = [](const EditState& e) { applyEdit(app().noteEditor, e); };
  fx.setStatus = [](const std::string& s) { setStatus(StatusPart::Message, s); };
  fx.closeProgram = closeFromCommand;
  fx.jumpToKeyword = goToKeyword;
  return fx;
}

void goToKeyword(const std::string& keyword) {
  App& a = app();
  if (a.ui.focusMode == FocusMode::NoteEditor) saveNote();
  // The editor's coming loss of focus must not store the note a second time.
  a.ui.focusMode = FocusMode::RebuildAsked;
  addToHistory(keyword);
  SetWindowTextA(a.keywordBox, keyword.c_str());
  SetFocus(a.keywordBox);
  openKeyword();
  SendMessageA(a.main, WM_SIZE, 0, 0);
}

void runCommands(HWND edit) {
  if (!edit || !app().noteEditor) return;
  CommandEffects fx = windowEffects();
  runCommands(readEdit(edit), fx);
}

}  // namespace tav
