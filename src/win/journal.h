// The window side of the edit journal: loading the index at start (applying a
// journal left by a crash), the one timer that journals the editor's text on a
// pause and flushes, and the close.
#pragma once

#include <windows.h>

namespace tav {

// Attaches the journal, loads the data folder's index (a journal found there
// is applied and saved; the status bar says so) and starts the timer.
void loadIndexWithJournal();
// Every message the note editor and the note windows' bodies get: keys and
// edits only note their time.
void journalSawEditorMessage(UINT msg);
// WM_TIMER of the main window.
void journalTick();
// The close, first: no more ticks.
void stopJournalTimer();
// The ticks again (the close was called off).
void startJournalTimer();
// The close, last: after the index was saved the journal is gone already;
// exit without saving removes it; a failed save keeps it for the next start.
void closeJournal();

}  // namespace tav
