// The one App record: process-wide state reached from every window procedure.
#pragma once

#include <windows.h>

#include <string>

#include "settings/settings.h"
#include "store/keyword_index.h"

namespace tav {

// Sent by a second instance after it wrote its command line into the title.
constexpr UINT HANDOFF_MESSAGE = 266;

extern const char* const kMainClass;   // "タボリン"
extern const char* const kMainTitle;   // "Tavolin"
extern const char* const kMutexName;   // "_タボリン_Mutex_"

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

  Settings settings;
  KeywordIndex index;

  std::string commandLineText;
  bool handoffSeen = false;
  bool firstActivationDone = false;

  HICON iconDir = nullptr;      // IDI_ICON3: a sub-folder row
  HICON iconNote = nullptr;     // IDI_ICON4: an unchecked note row
  HICON iconChecked = nullptr;  // IDI_ICON5: a checked note row
};

App& app();

// Registers the main window class "タボリン" and the class "CHILD".
bool registerClasses(HINSTANCE instance);
// Creates the main window (visible); null on failure.
HWND createMainWindow(HINSTANCE instance);

// On the first activation and on each hand-off from a second instance.
void startupHandoff();

// Everything the close sequence keeps: the open note, the settings keys, the
// side lists, EndTime and (unless exit without saving) the index.
void saveAtClose();

}  // namespace tav
