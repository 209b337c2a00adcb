// The main window's controls and the operations they share: building and
// laying out the window, the keyword box, the keyword list, the note editor.
#pragma once

#include <windows.h>

#include <string>

namespace tav {

// ---- main window (main_controls_wnd.cpp)
void createMainControls(HWND main);
void layoutMainWindow(HWND main, WPARAM wp, LPARAM lp);
void showList(bool shown);  // listWidth = sideSize2 or 0 (no layout)
void restoreFocusByMode();
void paintMainWindow(HWND main);
LRESULT splitterMouseMove(HWND main, LPARAM lp);
void splitterButtonUp(HWND main, WPARAM wp, LPARAM lp);
void setStatus(int part, const std::string& text);
void setKeyChangeItems(bool enabled);
void putBackControlProcs();
bool ctrlHeld();
bool shiftHeld();

// ---- keyword box (keyword_box_wnd.cpp)
LRESULT CALLBACK keywordBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
bool commonKeyDown(HWND control, WPARAM key);
bool commonCharFilter(WPARAM ch, bool fromEditor);
void commitKeyword(HWND control, WPARAM wp, LPARAM lp);
void openKeyword();
void addToHistory(const std::string& keyword);
// The text of the filter box, or of the keyword box when the filter is empty,
// selected and focused (Tab, Esc, Ctrl+K).
void focusFilterOrKeyword();

// ---- keyword list, filter box, check button (keyword_list_wnd.cpp)
LRESULT CALLBACK keywordListProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK filterBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK checkButtonProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
void fillList(const std::vector<std::string>& lines);
void clearList();
void refreshList();
// Called at the end of every refreshList when set; the list benchmark
// times key releases with it. Null in the program.
extern void (*listRefreshed)();
int checkFilterNow();
LRESULT listNotify(NMHDR* hdr);
// The one way a list row becomes the opened note: the first selected row's
// note is fetched (fetchOnly: only that; its body, owned by the index, or
// null) or shown and added to the history. A header row opens nothing; with
// skipNogrep neither does a keyword holding "nogrep". An unreadable note is
// reported and the index rebuilt (not when fetching only).
const std::string* openSelectedNote(bool fetchOnly = false, bool skipNogrep = false);
// The first selected row (-1: none); select that row alone, focused and in sight.
int selectedListRow();
void selectOnlyListRow(int row);
// Keyword and key of a note row, at most 255 bytes each; false for a header
// row or a row the list does not have.
bool listedNote(int row, std::string* keyword, std::string* key);
void setCheckedForListedNotes(char mark);
// Shown when a listed note's file cannot be read; then the index is rebuilt.
void rebuildAfterUnreadableNote();

// ---- note editor (note_editor_wnd.cpp)
LRESULT CALLBACK noteEditorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
void showNote(const std::string& keyword, const std::string& key, const std::string& body,
              unsigned caret, bool checked);
void startNewNote(const std::string& keyword, const std::string& key, const std::string& body,
                  bool checkIt);
void saveNote();
void clearEditor();

}  // namespace tav
