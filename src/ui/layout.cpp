#include "ui/layout.h"

namespace tav {

MainLayout layoutMain(int width, int height, int listWidth, int& sideSize2) {
  if (sideSize2 > width - 10 && width > 0) {
    sideSize2 = width - 5;
  } else if (sideSize2 < 50) {
    sideSize2 = 50;
  }
  const int w = listWidth;
  MainLayout l;
  l.keywordList = {0, 26, w, height - 50};
  l.keywordBox = {0, 0, width - 282, 25};
  l.filterBox = {width - 150, 0, 150, 25};
  l.checkFilter = {width - 280, 0, 130, 25};
  l.noteEditor = {w + 5, 26, width - w - 5, height - 71};
  l.checkButton = {w + 5, height - 45, 100, 21};
  return l;
}

bool onSplitter(int x, int listWidth) {
  return listWidth > 0 && listWidth - 5 < x && x < listWidth + 5;
}

int splitterWidth(int x, int width) { return (10 < x && x < width - 10) ? x : -1; }

}  // namespace tav
