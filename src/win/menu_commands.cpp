#include "win/menu_commands.h"

#include <shellapi.h>

#include "win/main_controls.h"
#include "ui/save_messages.h"
#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/note_editor.h"
#include "win/editing_aids.h"
#include "win/bookmark_dialog.h"
#include "win/settings_dialog.h"
#include "win/search.h"
#include "win/state.h"
#include "win/run_commands.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "store/rebuild.h"
#include "win/control_text.h"

namespace tav {

namespace {

void changeDirectory(HWND main, WPARAM wp, LPARAM lp) {
  showList(true);
  app().ui.keyChangeMode = true;
  SendMessageA(main, WM_SIZE, wp, lp);
  layoutMainWindow(main, wp, lp);
}

void askRebuild() {
  App& a = app();
  // The editor's typing is stored now, as its loss of focus would; that coming
  // loss of focus must then not store into the index being rebuilt.
  if (a.ui.focusMode == FocusMode::NoteEditor) saveNote();
  a.ui.focusMode = FocusMode::RebuildAsked;
  if (MessageBoxA(nullptr, "インデックスの再作成をしますか？", "メッセージ", MB_YESNO) == IDYES) {
    rebuildWithProgress();
  }
}

void searchCommand() {
  App& a = app();
  switch (a.ui.focusMode) {
    case FocusMode::KeywordBox: SendMessageA(a.keywordBox, WM_KEYDOWN, VK_RETURN, 0); break;
    case FocusMode::NoteEditor: searchAgain(1); break;
    case FocusMode::KeywordList: searchAgain(0); break;
    default: break;
  }
}

}  // namespace

void runMenuCommand(HWND main, WPARAM wp, LPARAM lp) {
  App& a = app();
  const int id = LOWORD(wp);
  if (id >= IDM_HISTORY_FIRST && id <= IDM_JUMP_LAST) {
    jumpToKeyword(id);
    return;
  }
  switch (id) {
    case IDM_CHANGE_KEY:
      a.ui.keyChangeMode = true;
      SetFocus(a.keywordBox);
      break;
    case IDM_CHANGE_DIR: changeDirectory(main, wp, lp); break;
    case IDM_SETTINGS: openSettingsDialog(main); break;
    case IDM_EXIT:
      if (a.ui.focusMode == FocusMode::NoteEditor) saveNote();
      SendMessageA(main, WM_CLOSE, 0, 0);
      break;
    case IDM_EXIT_WITHOUT_SAVE:
      a.ui.saveOnExit = false;
      SendMessageA(main, WM_CLOSE, 0, 0);
      break;
    case IDM_REBUILD_INDEX: askRebuild(); break;
    case IDM_CHECK_ALL: setCheckedForListedNotes('1'); break;
    case IDM_UNCHECK_ALL: setCheckedForListedNotes('0'); break;
    case IDM_HELP:
      ShellExecuteA(nullptr, "open", exePath(std::string("help") + kPathSep + "help.html").c_str(),
                    nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case IDM_VERSION: MessageBoxA(nullptr, "タボリン version 1.9", "タボリン", MB_OK); break;
    case IDM_BOOKMARK_EDIT:
      openBookmarkDialog(main);
      SetFocus(a.keywordBox);
      break;
    case IDM_RUN_COMMANDS: runCommands(a.noteEditor); break;
    case IDM_SEARCH: searchCommand(); break;
    default:
      // The check filter's selection change (code 1) re-opens the keyword.
      if (HIWORD(wp) == 1) openKeyword();
      break;
  }
}

}  // namespace tav
