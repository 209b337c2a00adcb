// The editing aids' pop-ups: the date format (Ctrl+Shift+T), the bookmark
// pop-up of the note editor (Ctrl+M), and the jump to a history or bookmark
// keyword chosen from a menu.
#include <windows.h>

#include "app/app.h"
#include "commands/editing_aids.h"
#include "commands/insert_wnd.h"
#include "commands/run_wnd.h"
#include "dialogs/bookmarks.h"
#include "store/text_wnd.h"
#include "ui/history.h"
#include "ui/main_wnd.h"
#include "ui/pending_wnd.h"
#include "ui/popup_wnd.h"

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
  else a.index.prependToMatches(*query, selected);
}

void jumpToKeyword(int id) {
  App& a = app();
  std::string keyword;
  if (id >= kBookmarkFirstId) {
    std::optional<std::string> query = bookmarkQuery(a.bookmarkList, id);
    if (!query) return;  // no such bookmark: no jump
    keyword = *query;
  } else if (id >= kHistoryFirstId) {
    keyword = historyKeywordForId(a.historyList, a.historyIds, id);
  } else {
    return;
  }
  goToKeyword(keyword);
}

}  // namespace tav
