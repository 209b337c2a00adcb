// The directory menu of the keyword list: the selected notes move to another
// sub-folder, into a new one, or are deleted, and reach the disk at once.
#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/dir_menu.h"
#include "win/state.h"
#include "win/search_dialog.h"
#include "platform/platform.h"
#include "store/note.h"
#include "store/sync_names.h"
#include "ui/dir_menu.h"
#include "ui/save_messages.h"
#include "win/main_controls.h"
#include "win/popup.h"

namespace tav {

namespace {

// Keys of the selected rows in list order (a header row gives an empty key).
std::vector<std::string> selectedKeys() {
  App& a = app();
  std::vector<std::string> keys;
  HWND list = a.keywordList;
  for (int r = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED)); r >= 0;
       r = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, r, LVNI_SELECTED))) {
    const std::vector<ListRow>& rows = listedRows();
    if (static_cast<std::size_t>(r) >= rows.size()) break;
    keys.push_back(rowKey(rows[static_cast<std::size_t>(r)], a.listLines).substr(0, kRowTextMax));
  }
  return keys;
}

// Moves the selected notes under target (deletes them when it is empty) and
// saves. Only a complete save is followed by the reload: after a failed one
// the index keeps this run's changes, for the save at close.
void moveSelection(const std::string& base, const std::string& target) {
  App& a = app();
  if (!target.empty()) createFolder(base + target);
  moveNotes(a.index, selectedKeys(), target);
  a.ui.currentKey.clear();
  const std::string& folder = a.settings.dataFolder();
  std::string said;
  if (a.index.save(folder)) {
    said = saveReportText(a.index.lastSaveReport());
    a.index.clear();
    a.index.load(folder);
  } else {
    said = saveFailureText(a.index.lastSaveFailures());
  }
  refreshList();
  if (!said.empty()) setStatus(StatusPart::Message, said);
}

}  // namespace

void showDirectoryMenu() {
  App& a = app();
  const std::string base = exePath(a.settings.dataFolder()) + kPathSep;
  createFolder(base);
  std::vector<std::string> names = noteFolders(base);
  POINT pt;
  GetCursorPos(&pt);
  DirChoice choice = dirMenuChoice(trackItems(dirMenuItems(names), a.keywordList, pt), names);
  switch (choice.kind) {
    case DirChoice::Kind::Delete: moveSelection(base, ""); break;
    case DirChoice::Kind::New: {
      // Nothing, an empty name or one that cannot be a folder moves nothing.
      std::optional<std::string> name = promptForName(a.main);
      if (name && usableNewFolderName(*name)) moveSelection(base, *name);
      break;
    }
    case DirChoice::Kind::Folder:
      moveSelection(base, choice.folder);
      SetWindowTextA(a.keywordBox, "");
      openKeyword();
      break;
    default: break;
  }
}

}  // namespace tav
