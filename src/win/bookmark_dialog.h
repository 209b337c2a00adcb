// The bookmark dialog: add, change and delete bookmarks of a list.
#pragma once

#include <windows.h>

#include "dialogs/bookmarks.h"

namespace tav {

// Shows the dialog modally over io.list, the data edit holding io.initialData.
// Both "閉じる" and the title-bar close keep the edited list in io (true);
// false when the dialog could not be shown.
bool openBookmarkDialog(HWND owner, BookmarkData& io);

// "編集" in the bookmark menu: the dialog over the bookmarks, then the menu anew.
void openBookmarkDialog(HWND owner);
// At start: the bookmark menu from "bookmark.txt".
void loadBookmarkMenu();

}  // namespace tav
