#include "win/search.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/busy.h"
#include "win/main_controls.h"
#include "win/keyword_list.h"
#include "win/note_editor.h"
#include "win/state.h"
#include "win/edit_control.h"
#include "search/find.h"
#include "search/note_bodies.h"
#include "store/match.h"
#include "store/note.h"
#include "win/control_text.h"

namespace tav {

bool jumpToNearest(HWND editor, std::string_view targets, bool forward, bool selectMatch) {
  JumpResult r = jumpToNearest(readEdit(editor), targets, forward, selectMatch,
                               app().ui.matchCase);
  setEditSel(editor, r.state.selStart, r.state.selEnd);
  SendMessageA(editor, EM_SCROLLCARET, 0, 0);
  return r.found;
}

void jumpToNearest(HWND editor, bool forward) {
  jumpToNearest(editor, app().settings.warp, forward, false);
}

namespace {
constexpr unsigned kBodyRecheckSeconds = 5;
}  // namespace

int findInListedNotes(bool forward, bool fromEditor) {
  App& a = app();
  const UiState& s = a.ui;
  static std::vector<int> order;  // kept: a walk over every row then allocates nothing
  walkOrder(static_cast<int>(listedRows().size()), selectedListRow(), forward, fromEditor, order);
  a.searchBodies.beginWalk(a.index, kBodyRecheckSeconds, a.index.bodiesFollowDisk);
  // A walk that reads note files (the first after start) takes a while.
  BusyWork work("ノートを検索しています", BusyWork::Stop::OnEscape);
  std::string keyword, key;
  const TextPattern wanted(s.searchText, s.matchCase), noGrep(kNoGrep, true);
  std::size_t done = 0;
  for (int r : order) {
    if (!work.progress().step(done++, order.size())) return kSearchStopped;
    if (!listedNote(r, &keyword, &key) || noGrep.in(keyword)) continue;
    std::optional<std::string_view> body = a.searchBodies.body(a.index, key);
    if (body && wanted.in(*body)) return r;
  }
  return -1;
}

namespace {

// The row's note replaces the shown one, with the first (or, going
// backward, the last) occurrence selected.
void openFoundRow(int row, bool forward) {
  App& a = app();
  saveNote();
  a.ui.currentKey.clear();
  selectOnlyListRow(row);
  openSelectedNote(RowOpen::SearchHit);
  std::size_t caret = forward ? 0 : windowText(a.noteEditor).size();
  setEditSel(a.noteEditor, caret, caret);
  jumpToNearest(a.noteEditor, a.ui.searchText, forward, true);
}

void reportNotFound(int fromEditor) {
  App& a = app();
  EnableWindow(a.noteEditor, fromEditor ? TRUE : FALSE);
  MessageBoxA(nullptr, "見つかりませんでした", "検索", MB_OK);
  SetFocus(fromEditor ? a.noteEditor : a.keywordList);
}

}  // namespace

void searchAgain(int fromEditor) {
  App& a = app();
  const UiState& s = a.ui;
  if (s.searchText.empty()) return;
  const bool forward = !shiftHeld();
  if (jumpToNearest(a.noteEditor, s.searchText, forward, true)) return;
  if (s.listWidth == 0 || !s.searchAllInList) return;
  int row = findInListedNotes(forward, fromEditor != 0);
  if (row >= 0) openFoundRow(row, forward);
  else if (row != kSearchStopped) reportNotFound(fromEditor);
  // After the answer, so that the user does not wait for it; a failed write
  // only costs the next start's search its speed.
  a.searchBodies.cache().saveIfChanged();
}

}  // namespace tav
