// The note pop-up windows: one set of up to four modeless windows at a time,
// each showing one match of the query; what is typed into them goes into the
// index when they are paged or closed.
#include "win/note_windows.h"

#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/state.h"
#include "win/run_commands.h"
#include "notewin/note_pages.h"
#include "resources/resource.h"
#include "win/control_text.h"
#include "win/journal.h"

namespace tav {

namespace {

struct NoteWindowSet {
  // One slot per window of the first page (none before the first set); a
  // slot is null when its note could not be read or the set was closed.
  std::vector<HWND> slots;
  std::size_t count = 0;  // windows created into the slots
  std::vector<std::string> matchLines;
  long pageStart = 0;
  // Every body edit is an EDIT: one saved procedure serves them all.
  WNDPROC bodyOwn = nullptr;
  // Per slot: the journal record of its text taken last, so that a pause
  // journals only the windows typed into since.
  std::vector<std::string> journaled;
};

NoteWindowSet& noteSet() {
  static NoteWindowSet s;
  return s;
}

// Windows of a closed set may still get a message before they are gone: they
// must not act on the set that is open by then.
bool tracked(HWND w) {
  for (HWND s : noteSet().slots)
    if (s && s == w) return true;
  return false;
}

// The body the window shows for key; false when the note cannot be read. A
// note emptied in this set stays empty when paged back to, rather than
// showing the text the user deleted.
bool bodyFor(const std::string& key, std::string& body) {
  KeywordIndex& index = app().index;
  const std::string* b = nullptr;
  if (!index.fetchNote(key, &b, nullptr, nullptr) || !b) return false;
  const IndexEntry* e = index.findByKey(key);
  body = e && e->status == EntryStatus::Deleted ? std::string() : *b;
  return true;
}

void fill(HWND w, const std::string& key, const std::string& keyword, const std::string& body) {
  SetWindowTextA(w, key.c_str());
  SetDlgItemTextA(w, IDC_NOTEWIN_KEYWORD, keyword.c_str());
  SetDlgItemTextA(w, IDC_NOTEWIN_BODY, body.c_str());
}

LRESULT CALLBACK noteBodyProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  journalSawEditorMessage(msg);
  if (msg == WM_KEYDOWN && wp == VK_F5) {
    runCommands(w);
    if (!IsWindow(w)) return 0;  // "!end" closed the program
  }
  return CallWindowProcA(noteSet().bodyOwn, w, msg, wp, lp);
}

// The buttons keep their places; the edits follow the window's size.
void placeEdits(HWND w) {
  RECT rc {};
  GetClientRect(w, &rc);
  MoveWindow(GetDlgItem(w, IDC_NOTEWIN_KEYWORD), 0, 24, rc.right, 36, TRUE);
  MoveWindow(GetDlgItem(w, IDC_NOTEWIN_BODY), 0, 40, rc.right, rc.bottom - 40, TRUE);
}

void onClose(HWND w) {
  if (tracked(w)) closeNoteWindows();
  DestroyWindow(w);
}

void onCommand(HWND w, WPARAM wp) {
  if (HIWORD(wp) != BN_CLICKED || !tracked(w)) return;
  switch (LOWORD(wp)) {
    case IDC_NOTEWIN_DELETE: SetDlgItemTextA(w, IDC_NOTEWIN_BODY, ""); break;
    case IDC_NOTEWIN_PREV: showNotePage(noteSet().pageStart - kNoteWindowsPerPage); break;
    case IDC_NOTEWIN_NEXT: showNotePage(noteSet().pageStart + kNoteWindowsPerPage); break;
    default: break;
  }
}

INT_PTR CALLBACK noteWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_SIZE: placeEdits(w); return TRUE;
    case WM_CLOSE: onClose(w); return TRUE;
    case WM_COMMAND: onCommand(w, wp); return TRUE;
    case WM_KEYDOWN:
      if (wp == VK_F5) runCommands(GetDlgItem(w, IDC_NOTEWIN_BODY));
      return TRUE;
    default: return FALSE;
  }
}

// A new window for one match line at place; none when its note cannot be read.
void openWindow(const std::string& line, const Rect& place) {
  App& a = app();
  NoteWindowSet& s = noteSet();
  const std::string key = matchLineKey(line), keyword = matchLineKeyword(line);
  std::string body;
  if (!bodyFor(key, body)) {
    noteUnreadable(key);
    return;
  }
  HWND w = CreateDialogParamA(a.instance, "CHILDW", a.main, noteWindowProc, 0);
  if (!w) return;
  s.slots[s.count++] = w;
  MoveWindow(w, place.x, place.y, place.w, place.h, TRUE);
  HWND edit = GetDlgItem(w, IDC_NOTEWIN_BODY);
  SendMessageA(edit, EM_LIMITTEXT, 0, 0);  // as long as the main editor's notes
  fill(w, key, keyword, body);
  s.bodyOwn = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(noteBodyProc)));
  // Every opened note's keyword enters the history, in slot order.
  addToHistory(keyword);
  a.ui.historyAddEnabled = true;
}

void openFirstPage(long first, int n) {
  NoteWindowSet& s = noteSet();
  RECT work {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const std::vector<Rect> tiles = noteWindowTiles(n, work.right - work.left, work.bottom - work.top);
  s.slots.assign(static_cast<std::size_t>(n), nullptr);
  s.count = 0;
  for (int i = 0; i < n; ++i) {
    const std::string line = s.matchLines[static_cast<std::size_t>(first + i)];
    openWindow(line, tiles[static_cast<std::size_t>(i)]);
  }
}

// Paging: the slot's note is stored before it shows the line's note. A note
// that cannot be read leaves the slot as it was, unsaved.
void refreshSlot(std::size_t slot, const std::string& line) {
  const std::string key = matchLineKey(line), keyword = matchLineKeyword(line);
  std::string body;
  if (!bodyFor(key, body)) {
    noteUnreadable(key);
    return;
  }
  saveNoteWindow(slot);
  HWND w = noteSet().slots[slot];
  fill(w, key, keyword, body);
  InvalidateRect(w, nullptr, TRUE);
}

void blankSlot(std::size_t slot) {
  saveNoteWindow(slot);
  HWND w = noteSet().slots[slot];
  fill(w, "", "", "");
  InvalidateRect(w, nullptr, TRUE);
}

void turnPage(long first) {
  NoteWindowSet& s = noteSet();
  const std::vector<long> lines = notePageLines(s.matchLines.size(), first, s.slots.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!s.slots[i]) continue;
    if (lines[i] < 0) {
      blankSlot(i);
    } else {
      const std::string line = s.matchLines[static_cast<std::size_t>(lines[i])];
      refreshSlot(i, line);
    }
  }
}

}  // namespace

void openNoteWindows() {
  App& a = app();
  const std::string query = windowText(a.keywordBox);
  const std::string grep = windowText(a.filterBox);
  // The open set is stored and closed first, so that none of its windows is
  // left on the screen untracked, and its edits count for the new matches.
  closeNoteWindows();
  NoteWindowSet& s = noteSet();
  s.slots.clear();
  s.journaled.clear();
  s.count = 0;
  s.matchLines.clear();
  s.pageStart = 0;
  a.index.collectMatches(query, s.matchLines, grep, checkFilterNow());
  if (!s.matchLines.empty()) showNotePage(0);
}

void showNotePage(long first) {
  NoteWindowSet& s = noteSet();
  const int n = notePageSize(s.matchLines.size(), first);
  if (n == 0) return;
  s.pageStart = first;
  if (s.slots.empty()) openFirstPage(first, n);
  else turnPage(first);
}

void saveNoteWindow(std::size_t slot) {
  NoteWindowSet& s = noteSet();
  if (slot >= s.slots.size() || !s.slots[slot] || !IsWindow(s.slots[slot])) return;
  HWND w = s.slots[slot];
  const std::string key = windowText(w);
  const std::string keyword = dialogItemText(w, IDC_NOTEWIN_KEYWORD);
  if (key.empty() || keyword.empty()) return;
  // A note stored from a window is always checked, with its caret at 1; an
  // empty body deletes it at the next save.
  app().index.storeNote(dialogItemText(w, IDC_NOTEWIN_BODY), keyword, key, 1, true);
  updateMatchLine(s.matchLines, key, keyword);
}

void closeNoteWindows() {
  NoteWindowSet& s = noteSet();
  for (std::size_t i = 0; i < s.count && i < s.slots.size(); ++i) {
    HWND w = s.slots[i];
    if (!w) continue;
    saveNoteWindow(i);
    s.slots[i] = nullptr;
    // Posted: this may run inside one of these windows' own messages.
    PostMessageA(w, WM_CLOSE, 0, 0);
  }
  s.count = 0;
}

void journalNoteWindows() {
  NoteWindowSet& s = noteSet();
  KeywordIndex& index = app().index;
  if (!index.journal) return;
  s.journaled.resize(s.slots.size());
  for (std::size_t i = 0; i < s.slots.size(); ++i) {
    HWND w = s.slots[i];
    if (!w || !IsWindow(w)) continue;
    const std::string key = windowText(w);
    const std::string keyword = dialogItemText(w, IDC_NOTEWIN_KEYWORD);
    const std::string body = dialogItemText(w, IDC_NOTEWIN_BODY);
    // As saveNoteWindow would store it; an emptied body deletes only through a real store.
    if (key.empty() || keyword.empty() || body.empty() ||
        !storeWouldChange(index, body, keyword, key, 1, true))
      continue;
    std::optional<FileStamp> base = index.baseStamp(key);
    std::string record = storeRecord(body, keyword, key, 1, true, &base);
    if (record == s.journaled[i]) continue;
    index.journal->stored(body, keyword, key, 1, true, &base);
    s.journaled[i] = std::move(record);
  }
}

const std::vector<HWND>& noteWindowSlots() { return noteSet().slots; }
const std::vector<std::string>& noteMatchLines() { return noteSet().matchLines; }
long notePageStart() { return noteSet().pageStart; }

HWND noteWindowShowing(const std::string& key) {
  if (key.empty()) return nullptr;
  for (HWND w : noteSet().slots)
    if (w && IsWindow(w) && windowText(w) == key) return w;
  return nullptr;
}

void noteWindowKeywordChanged(const std::string& key, const std::string& keyword) {
  updateMatchLine(noteSet().matchLines, key, keyword);
}

void blankNoteWindow(HWND w) {
  fill(w, "", "", "");
  InvalidateRect(w, nullptr, TRUE);
}

}  // namespace tav
