// Text results of keys in the keyword box and the note editor, as pure
// functions over plain strings and EditState values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/edit_state.h"

namespace tav {

// Ctrl+Left in the keyword box: the start of the comma field before the one
// the selection starts in. With extend the selection end stays.
EditState commaFieldLeft(const EditState& e, bool extend);
// Ctrl+Right: in front of the next comma (or the end). With extend the start stays.
EditState commaFieldRight(const EditState& e, bool extend);

// Ctrl+I in the editor: a line with the time stamp appended after the text,
// the caret at the very end.
EditState appendTimeLine(const EditState& e, std::string_view stamp);

// Dropped files, each on a line of its own at the caret (a path holding a
// space in double quotes); the caret ends in front of the inserted block.
EditState insertDroppedFiles(const EditState& e, const std::vector<std::string>& paths);

// One item of the jump menu.
struct JumpItem {
  std::string label;     // "&", label character, " ", rest of the line
  std::size_t position;  // where the mark stands
  // Command id: the position; for position 0, which as an id would mean
  // "nothing chosen", a value past the text (as -1 is to the menu's owner,
  // but the menu system itself also reports a chosen -1 as nothing chosen).
  int id;
};

// Every occurrence of every word (as TextPattern finds them), in text order,
// as menu items.
std::vector<JumpItem> jumpMenuItems(std::string_view text, const std::vector<std::string>& words,
                                    bool matchCase);
// The label character of the k-th item: 0-9, then A onwards, "_" where a
// character would clash or the items run out.
char jumpLabel(std::size_t k);
// The caret position an item's command id stands for (0 for ids past the text).
std::size_t jumpTarget(int id, std::size_t textLength);

}  // namespace tav
