// The keyword box: typing narrows the list, Enter opens what was typed; and
// the keys every main control shares.
#pragma once

#include <windows.h>

#include <string>

namespace tav {

LRESULT CALLBACK keywordBoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
bool commonKeyDown(HWND control, WPARAM key);
bool commonCharFilter(WPARAM ch, bool fromEditor);
void commitKeyword(HWND control, WPARAM wp, LPARAM lp);
void openKeyword();
void addToHistory(const std::string& keyword);
// The text of the filter box, or of the keyword box when the filter is empty,
// selected and focused (Tab, Esc, Ctrl+K).
void focusFilterOrKeyword();

}  // namespace tav
