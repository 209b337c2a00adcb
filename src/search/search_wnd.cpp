#include "search/search_wnd.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "app/routes.h"
#include "commands/insert_wnd.h"
#include "search/find.h"
#include "store/text_wnd.h"
#include "ui/main_wnd.h"

namespace tav {

bool jumpToNearest(HWND editor, std::string_view targets, bool forward, bool selectMatch) {
  JumpResult r = jumpToNearest(readEdit(editor), targets, forward, selectMatch,
                               app().settings.matchCase);
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
  const Settings& s = a.settings;
  static std::vector<int> order;  // kept: a walk over every row then allocates nothing
  walkOrder(static_cast<int>(a.listRows.size()), selectedListRow(), forward, fromEditor, order);
  // Another program may change a note at any time: the stamps are listed
  // again unless this follows the last walk closely (F3 pressed again).
  if (a.bodyCacheLoad != a.index.loadCount()) {
    a.bodyCache.open(a.index.folder());
    a.bodyCacheLoad = a.index.loadCount();
  } else {
    a.bodyCache.recheck(kBodyRecheckSeconds);
  }
  std::string keyword, key;
  for (int r : order) {
    if (!listedNote(r, &keyword, &key) || keyword.find("nogrep") != std::string::npos) continue;
    // The body in memory (maybe edited) first, then the cached one, then the file.
    const IndexEntry* e = a.index.findByKey(key);
    std::optional<std::string_view> body;
    if (e && e->bodyLoaded) body = e->body;
    else body = a.bodyCache.find(key);
    if (!body) {
      const std::string* read = nullptr;
      if (!a.index.fetchNote(key, &read, nullptr, nullptr) || !read) continue;  // unreadable
      if (e && e->status == EntryStatus::Clean) a.bodyCache.learn(key, *read);  // as in its file
      body = *read;
    }
    if (findForward(*body, s.searchText, 0, 0, s.matchCase) >= 0) return r;
  }
  return -1;
}

namespace {

// The row's note replaces the shown one, with the first (or, going
// backward, the last) occurrence selected.
void openFoundRow(int row, bool forward) {
  App& a = app();
  saveNote();
  a.index.currentKey.clear();
  selectOnlyListRow(row);
  a.settings.saveEnabled = false;
  openSelectedNote(false, true);
  a.settings.saveEnabled = true;
  std::size_t caret = forward ? 0 : windowText(a.noteEditor).size();
  setEditSel(a.noteEditor, caret, caret);
  jumpToNearest(a.noteEditor, a.settings.searchText, forward, true);
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
  const Settings& s = a.settings;
  if (s.searchText.empty()) return;
  const bool forward = !shiftHeld();
  if (jumpToNearest(a.noteEditor, s.searchText, forward, true)) return;
  if (s.listWidth == 0 || !s.searchAllInList) return;
  int row = findInListedNotes(forward, fromEditor != 0);
  if (row >= 0) openFoundRow(row, forward);
  else reportNotFound(fromEditor);
  // After the answer, so that the user does not wait for it; a failed write
  // only costs the next start's search its speed.
  a.bodyCache.saveIfChanged();
}

}  // namespace tav
