// The main window's controls: building them, the layout and the splitter,
// the status bar, the focus by pane, and the keys every control shares.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace tav {

void createMainControls(HWND main);
void layoutMainWindow(HWND main, WPARAM wp, LPARAM lp);
void showList(bool shown);  // listWidth = sideSize2 or 0 (no layout)
void restoreFocusByMode();
void paintMainWindow(HWND main);
LRESULT splitterMouseMove(HWND main, LPARAM lp);
void splitterButtonUp(HWND main, WPARAM wp, LPARAM lp);
// The status bar's parts that are written; part 1 never is.
enum class StatusPart { NotePath = 0, SearchText = 2, Message = 3 };
void setStatus(StatusPart part, const std::string& text);
// The keyword column as wide as the list's client area will be with rows
// listed (the vertical scroll bar showing or not), the key column hidden:
// a wider column brings a horizontal scroll bar that scrolls nothing, and
// under Wine every change of the row count then redraws both bars twice.
void fitListColumns(std::size_t rows);
void setKeyChangeItems(bool enabled);
void putBackControlProcs();
bool ctrlHeld();
bool shiftHeld();

}  // namespace tav
