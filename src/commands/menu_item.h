// One item of a pop-up menu built at run time: the command id it returns and
// its text. Menus are built from lists of these, top item first, so what a
// menu offers is decided (and tested) without any window.
#pragma once

#include <string>

namespace tav {

struct MenuItem {
  int id;
  std::string text;
  bool operator==(const MenuItem& o) const { return id == o.id && text == o.text; }
};

}  // namespace tav
