// Where the main window's controls sit, as a pure function of the client size
// and the list width, so that it can be checked without a window.
#pragma once

namespace tav {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

struct MainLayout {
  Rect keywordList, keywordBox, filterBox, checkFilter, noteEditor, checkButton;
};

// Client width and height, the list width now shown (0 when hidden) and the
// width the list gets when next shown. sideSize2 is clamped in place: never
// below 50, and never wider than the client area (then width - 5).
MainLayout layoutMain(int width, int height, int listWidth, int& sideSize2);

// The splitter: does x lie on the list's right edge (only while it is shown)?
bool onSplitter(int x, int listWidth);
// Releasing the splitter at x: the new list width, or -1 when x is too near
// an edge of the client area to be taken.
int splitterWidth(int x, int width);

}  // namespace tav
