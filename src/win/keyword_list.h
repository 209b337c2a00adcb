// The keyword list, the filter box and the check button.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "ui/list_rows.h"

namespace tav {

LRESULT CALLBACK keywordListProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK filterBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK checkButtonProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
void fillList(const std::vector<std::string>& lines);
void clearList();
// The rows the list may read: none while they refer to the entries of an
// index cleared or loaded since they were built (a rebuild paints while it
// works, and a cleared index has freed those entries).
const std::vector<ListRow>& listedRows();
void refreshList();
// Called at the end of every refreshList when set; the list benchmark
// times key releases with it. Null in the program.
extern void (*listRefreshed)();
int checkFilterNow();
LRESULT listNotify(NMHDR* hdr);
// How a list row is opened: by the user, or as the hit of a search across the
// listed notes, which skips keywords holding "nogrep" and stores nothing while
// the note replaces the shown one.
enum class RowOpen { ByUser, SearchHit };
// The one way a list row becomes the opened note: the first selected row's
// note is shown and added to the history. A header row opens nothing. An
// unreadable note is reported and the index rebuilt.
void openSelectedNote(RowOpen how);
// The first selected row (-1: none); select that row alone, focused and in sight.
int selectedListRow();
void selectOnlyListRow(int row);
// Keyword and key of a note row, at most 255 bytes each; false for a header
// row or a row the list does not have.
bool listedNote(int row, std::string* keyword, std::string* key);
void setCheckedForListedNotes(char mark);
// Saves the index, then rebuilds both data folders' indexes from the note
// files, showing the progress; the keyword box has the focus afterwards.
void rebuildWithProgress();
// When a listed note's file cannot be read. One that another program
// deleted leaves the list through a save, which lists what is on disk; for
// any other cause the user is told and the index is rebuilt.
void noteUnreadable(std::string_view key);

}  // namespace tav
