// The program's top: the window classes, the main window, the start-up
// hand-off and the close.
#pragma once

#include <windows.h>

#include "win/state.h"

namespace tav {

extern const char* const kMainClass;   // "タボリン"
extern const char* const kMainTitle;   // "Tavolin"
extern const char* const kMutexName;   // "_タボリン_Mutex_"

// Registers the main window class "タボリン" and the class "CHILD".
bool registerClasses(HINSTANCE instance);
// Creates the main window (visible); null on failure.
HWND createMainWindow(HINSTANCE instance);

// On the first activation and on each hand-off from a second instance.
void startupHandoff();

// Everything the close sequence keeps: the open note, the settings keys, the
// side lists, EndTime and (unless exit without saving) the index. When the
// index cannot be saved the user is asked: retry, close anyway (the journal
// keeps the changes for the next start) or go back; false for go back.
bool saveAtClose();
// The same when Windows ends the session, without questions, and leaving the
// run usable should the session go on (a cancelled log-off).
void saveAtEndSession();

}  // namespace tav
