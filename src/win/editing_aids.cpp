// The editing aids' pop-ups: the date format (Ctrl+Shift+T), the bookmark
// pop-up of the note editor (Ctrl+M), and the jump to a history or bookmark
// keyword chosen from a menu.
#include <windows.h>

#include "win/main_controls.h"
#include "win/editing_aids.h"
#include "win/bookmark_dialog.h"
#include "win/state.h"
#include "commands/editing_aids.h"
#include "win/edit_control.h"
#include "win/run_commands.h"
#include "dialogs/bookmarks.h"
#include "store/match.h"
#include "store/text.h"
#include "win/control_text.h"
#include "ui/history.h"
#include "win/popup.h"

namespace tav {

namespace {

// The chosen format becomes ctrl_T; a dismissed menu keeps the old one.
void chooseDateFormat(HWND edit) {
  Settings& s = app().settings;
  dropPendingChar(edit, 0x14);
  int id = trackItems(dateFormatItems(), edit, popupPointAt(edit), s.ctrl_T);
  if (id != 0) s.ctrl_T = id;
}

}  // namespace

void insertDate(HWND edit) {
  if (shiftHeld()) chooseDateFormat(edit);
  std::optional<std::string> text = dateText(app().settings.ctrl_T);
  if (!text) return;
  std::size_t start = 0, end = 0;
  getEditSel(edit, start, end);
  insertAt(edit, *text, start, false, true);
}

void showGoMenu(HWND editor) {
  const std::string text = windowText(editor);
  const std::vector<std::size_t> at = TextPattern("!go ", app().ui.matchCase != 0).findAllIn(text);
  if (at.empty()) return;
  dropPendingChar(editor, '\r');  // Ctrl+Shift+M's character would close the menu at once
  int id = trackItems(goMenuItems(text, at), editor, popupPointAt(editor));
  if (id < 1 || static_cast<std::size_t>(id) > at.size()) return;
  // One line, not a run: no variables, no collected output, no status text.
  CommandEffects fx = windowEffects();
  CommandRun run(fx);
  runLine(run, restOfLine(text, at[static_cast<std::size_t>(id) - 1]));
}

void showBookmarkPopup(HWND editor) {
  App& a = app();
  const std::string selected = selectedText(editor);
  dropPendingChar(editor, '\r');  // Ctrl+M's character would close the menu at once
  int id = trackPopup(a.bookmarkMenu, editor, popupPointAt(editor));
  if (id == IDM_BOOKMARK_EDIT) {
    openBookmarkDialog(editor);
    return;
  }
  std::optional<std::string> query = bookmarkQuery(a.bookmarkList, id);
  if (!query) return;
  if (selected.empty()) jumpToKeyword(id);
  else a.index.prependToMatches(*query, selected, a.ui.currentKey);
}

void jumpToKeyword(int id) {
  App& a = app();
  std::optional<std::string> keyword;
  if (id >= kBookmarkFirstId) keyword = bookmarkQuery(a.bookmarkList, id);
  else if (id >= kHistoryFirstId) keyword = historyKeywordForId(a.historyList, a.historyIds, id);
  if (keyword) goToKeyword(*keyword);  // no such item: no jump
}

}  // namespace tav
