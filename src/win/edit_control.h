// Edit controls as EditState values, and text insertion into real controls.
#pragma once

#include <windows.h>

#include <string_view>

#include "store/edit_state.h"

namespace tav {

EditState readEdit(HWND edit);
// Sets the text (only when it changed) and the selection.
void applyEdit(HWND edit, const EditState& state);

// The window whose caret is scrolled into view after an insertion (the main
// note editor); set by the main window.
void setScrollTarget(HWND editor);

void insertAt(HWND edit, std::string_view x, std::size_t p, bool lineEnd, bool select);
void insertAtCaret(HWND edit, std::string_view x, bool lineEnd, bool select);
void insertOutput(HWND editor, std::string_view x);

}  // namespace tav
