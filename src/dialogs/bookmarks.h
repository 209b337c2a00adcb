// Bookmarks: lines "display,data" kept in "bookmark.txt". The display names
// the item of the bookmark menu; the data is the keyword query it opens.
// What the bookmark dialog's buttons do to the list, as plain functions.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/menu_item.h"
#include "resources/resource.h"

namespace tav {

constexpr int kBookmarkFirstId = IDM_BOOKMARK_FIRST;
constexpr int kBookmarkLastId = IDM_JUMP_LAST;  // the menu's jump ids end here

// "bookmark.txt": every line followed by LF, in list order.
std::string bookmarkFileText(const std::vector<std::string>& list);

// The menu items after "編集": id 1500 + i, the text before the first comma.
std::vector<MenuItem> bookmarkMenuItems(const std::vector<std::string>& list);

// The query of the bookmark with this menu id (everything after the first
// comma); nothing for an id outside the list.
std::optional<std::string> bookmarkQuery(const std::vector<std::string>& list, int id);

// The dialog's record: the data edit's text at opening and the list it edits.
struct BookmarkData {
  std::string initialData;
  std::vector<std::string> list;
};

// What a button did: the status line's text, where the focus goes, whether
// both edits are emptied, and how the list box follows the list.
struct BookmarkOutcome {
  enum class Focus { None, Display, Data, List };
  enum class Row { None, Append, Replace, Remove };
  std::string status;
  Focus focus = Focus::None;
  bool clearEdits = false;
  Row row = Row::None;
  int index = -1;        // the list-box row that changes
  std::string display;   // its new text (Append, Replace)
};

// "追加", "更新" (row sel) and "削除" (row sel; -1 when nothing is selected).
BookmarkOutcome addBookmark(std::vector<std::string>& list, const std::string& display,
                            const std::string& data);
BookmarkOutcome updateBookmark(std::vector<std::string>& list, int sel,
                               const std::string& display, const std::string& data);
BookmarkOutcome deleteBookmark(std::vector<std::string>& list, int sel);

}  // namespace tav
