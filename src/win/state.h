// The main window's state: its controls, what the list shows, the side lists,
// the settings, the index and the journal. One record, reached from every
// window procedure through app().
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "search/note_bodies.h"
#include "settings/settings.h"
#include "store/keyword_index.h"
#include "ui/list_rows.h"

namespace tav {

// Sent by a second instance after it wrote its command line into the title.
constexpr UINT HANDOFF_MESSAGE = 266;

// Which pane last took the focus: where the focus returns after a repaint,
// and what F3, "検索" and several keys do.
enum class FocusMode {
  None = 0,
  KeywordBox = 1,
  KeywordList = 2,
  NoteEditor = 3,
  RebuildAsked = 4,  // until the editor next loses the focus, which then stores nothing
  FilterBox = 7,
};

// The run's user-interface state: none of it is written to "init.ini".
struct UiState {
  FocusMode focusMode = FocusMode::None;
  bool keyChangeMode = false;   // "キー変更": the next Enter re-files the open note
  bool saveOnExit = true;       // cleared by exit without saving
  int listWidth = 0;            // sideSize2 while the list is shown, 0 while hidden
  bool hasSearchText = false;
  std::string searchText;
  bool searchAllInList = true;
  bool matchCase = false;
  // False while a note replaces the shown one (a history step, a search hit,
  // Ctrl+N): the focus moves that causes must not store the editor's text.
  bool saveEnabled = true;
  // Taken by each keyword added to the history; a history step clears it so
  // that stepping does not reorder the history.
  bool historyAddEnabled = true;
  bool inSearch = false;          // a search moves the focus: no store, no menu change
  std::string currentDir;         // sub-folder new notes are filed in
  std::string currentKey;         // key of the note in the editor; empty: none
  // Long work runs (BusyWork): the window answers, but stores nothing, moves
  // no focus, and leaves a hand-off or a close waiting until it ends.
  bool busy = false;
  bool handoffWaiting = false;
  bool closeWaiting = false;
};

struct App {
  HINSTANCE instance = nullptr;
  HWND main = nullptr;
  // Controls of the main window (null until they are built).
  HWND keywordBox = nullptr;
  HWND noteEditor = nullptr;
  HWND keywordList = nullptr;
  HWND filterBox = nullptr;
  HWND checkButton = nullptr;
  HWND checkFilter = nullptr;
  HWND statusBar = nullptr;
  bool controlsBuilt = false;

  // The main menu and its sub-menus "編集", "履歴" and "ブックマーク".
  HMENU menu = nullptr;
  HMENU editMenu = nullptr;
  HMENU historyMenu = nullptr;
  HMENU bookmarkMenu = nullptr;
  HFONT editorFont = nullptr;
  // The size the rounded window region was made for: a layout at the same
  // size keeps it instead of making an equal one on every key release.
  SIZE regionSize {-1, -1};

  // The controls' own window procedures, replaced by our subclasses.
  WNDPROC keywordBoxOwn = nullptr;
  WNDPROC noteEditorOwn = nullptr;
  WNDPROC keywordListOwn = nullptr;
  WNDPROC filterBoxOwn = nullptr;
  WNDPROC checkButtonOwn = nullptr;

  // What the keyword list shows: rows over the index's entries (a refill from
  // the keyword box) or over lines copied into listLines (other lists); the
  // list is virtual and asks for a row's texts as it draws. Entry rows are
  // read only while the index's loadCount is still listLoads (listedRows).
  LineTable listLines;
  std::vector<ListRow> listRows;
  bool listFromIndex = false;
  std::uint64_t listLoads = 0;
  std::vector<const IndexEntry*> listHits;  // reused by every refill
  std::vector<std::uint32_t> listRuns;      // their sub-folder runs
  HIMAGELIST listImages = nullptr;

  // Side lists, loaded at start and written at close.
  std::vector<std::string> historyList;  // oldest first
  std::vector<int> historyIds;           // menu id of each entry (ui/history.h)
  int historyIndex = -1;
  std::vector<std::string> bookmarkList;
  std::vector<std::string> stampList;
  std::vector<std::string> dirList;

  Settings settings;
  UiState ui;
  KeywordIndex index;
  // The bodies a search across notes reads, for the index load it was opened for.
  SearchBodies searchBodies;
  // The index's edit journal and its timer's pacing.
  Journal journal;
  JournalPace journalPace;
  bool journalWarned = false;  // the status bar says the journal cannot be written
  // What the start found (a journal applied, an index rebuilt): said again
  // after the first hand-off, whose own status would hide it.
  std::string startStatus;

  std::string commandLineText;
  bool handoffSeen = false;
  bool firstActivationDone = false;

  HICON iconDir = nullptr;      // IDI_ICON3: a sub-folder row
  HICON iconNote = nullptr;     // IDI_ICON4: an unchecked note row
  HICON iconChecked = nullptr;  // IDI_ICON5: a checked note row
};

App& app();

// Ids of the main window's controls. Several share an id: the program reaches
// its controls by handle, never by id. The check filter's id 1 matters: its
// selection change arrives as WM_COMMAND with id 1 and code 1, which falls to
// the command handler's last case and re-opens the keyword.
constexpr int kIdKeywordBox = 1;
constexpr int kIdNoteEditor = 0;
constexpr int kIdKeywordList = 1;
constexpr int kIdFilterBox = 1;
constexpr int kIdCheckButton = 0;
constexpr int kIdCheckFilter = 1;
constexpr int kIdStatusBar = 1;

}  // namespace tav
