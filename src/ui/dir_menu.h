// The directory menu of the keyword list (right click): move the selected
// notes to another sub-folder, into a new one, or delete them.
#pragma once

#include <string>
#include <vector>

#include "commands/menu_item.h"
#include "store/keyword_index.h"

namespace tav {

// Top item first: "新規" (id n + 2), the sub-folders in reverse of their
// listing order (name i has id i + 2), "削除" (1), "キャンセル" (0).
std::vector<MenuItem> dirMenuItems(const std::vector<std::string>& names);

struct DirChoice {
  enum class Kind { Cancel, Delete, New, Folder };
  Kind kind = Kind::Cancel;
  std::string folder;  // Folder: the sub-folder's name
};
DirChoice dirMenuChoice(int id, const std::vector<std::string>& names);

// May "新規" make a sub-folder of this name: a safe name part, and not the
// name of a file the data folder keeps for itself ("journal.dat" would turn
// the crash protection off for good, "index2.txt" make every save fail), nor
// one that belongs to another program (isForeignEntry).
bool usableNewFolderName(std::string_view name);

// Files the notes of keys (in this order) under target with fresh batch keys,
// or deletes them when target is empty. Keys without a readable note (a
// header row's empty key) are skipped. Each note keeps its keyword, check mark
// and caret. Nothing reaches the disk before index.save. Returns how many
// notes moved or went.
int moveNotes(KeywordIndex& index, const std::vector<std::string>& keys, const std::string& target);

}  // namespace tav
