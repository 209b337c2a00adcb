// The watch of the data folder in use: notes that other programs or other
// PCs change, add or delete are taken into the list and the open note as
// they arrive, on the window thread.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tav {

// Posted to the main window by the watcher's thread when news is ready.
constexpr UINT kFolderNewsMessage = WM_APP + 0x31;
// The main window's timer that takes news held back by long work.
constexpr UINT_PTR kFolderNewsTimer = 7;

// Watches the data folder the settings name (again, after a switch); once
// the index is loaded. bufferBytes, when not 0, is the room for the news of
// one folder between two reads (the tests make it small to lose news).
void watchDataFolder(std::size_t bufferBytes = 0);
void stopWatchingDataFolder();
// Takes what the watcher reported (kFolderNewsMessage, kFolderNewsTimer).
void takeFolderNews();

}  // namespace tav
