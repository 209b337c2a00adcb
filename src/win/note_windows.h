// The note pop-up windows: Ctrl+Enter in the keyword box shows the matching
// notes in up to four modeless windows tiled over the work area; they page
// through the matches four at a time and store what was typed into them into
// the index when they are paged or closed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tav {

// Ctrl+Enter: stores and closes an open set, then opens the notes matching the
// keyword box, filter box and check filter (nothing at all for no match).
void openNoteWindows();
// Shows the matches first .. first + 3 in the windows of the set.
void showNotePage(long first);
// Stores the note shown in one slot into the index.
void saveNoteWindow(std::size_t slot);
// On a pause in typing: the windows' texts go to the journal as
// saveNoteWindow would store them, each only when it changed since.
void journalNoteWindows();
// Stores every window of the set and closes it; before every saveNote.
void closeNoteWindows();

// The set as it stands: a window or null per slot (empty before the first
// set), the match lines and the index of the line in slot 0.
const std::vector<HWND>& noteWindowSlots();
// The window of the set that shows key's note; null when none does.
HWND noteWindowShowing(const std::string& key);
// The note of a window changed its keyword elsewhere: paging back shows it.
void noteWindowKeywordChanged(const std::string& key, const std::string& keyword);
// The window's note is gone: it shows nothing and stores nothing.
void blankNoteWindow(HWND w);
const std::vector<std::string>& noteMatchLines();
long notePageStart();

}  // namespace tav
