// Reading texts out of Win32 controls.
#pragma once

#include <windows.h>

#include <string>

namespace tav {

std::string windowText(HWND w);
std::string dialogItemText(HWND dialog, int id);
std::string selectedText(HWND edit);  // a selection ending in CR LF leaves it out
void selectAllAndFocus(HWND edit);

// Positions cross the edit-control boundary only here: byte offsets into the
// control's code page 932 text, whether the control counts bytes (Windows) or
// characters (Wine). Which one is asked once, of a hidden edit control.
bool editCountsCharacters();
std::size_t editPosToByte(HWND edit, std::size_t controlPos);
std::size_t byteToEditPos(HWND edit, std::size_t bytePos);
void getEditSel(HWND edit, std::size_t& start, std::size_t& end);
void setEditSel(HWND edit, std::size_t start, std::size_t end);  // no scrolling
std::size_t editLineIndex(HWND edit, int line);                  // -1: the caret's line
int editLineFromByte(HWND edit, std::size_t bytePos);

}  // namespace tav
