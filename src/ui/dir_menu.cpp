#include "ui/dir_menu.h"

#include "settings/stamps.h"
#include "store/sync_names.h"

namespace tav {

std::vector<MenuItem> dirMenuItems(const std::vector<std::string>& names) {
  const int n = static_cast<int>(names.size());
  std::vector<MenuItem> items {{n + 2, "新規"}};
  for (int i = n; i-- > 0;) items.push_back({i + 2, names[static_cast<std::size_t>(i)]});
  items.push_back({1, "削除"});
  items.push_back({0, "キャンセル"});
  return items;
}

DirChoice dirMenuChoice(int id, const std::vector<std::string>& names) {
  const int n = static_cast<int>(names.size());
  if (id <= 0) return {};
  if (id == 1) return {DirChoice::Kind::Delete, ""};
  if (id >= n + 2) return {DirChoice::Kind::New, ""};
  return {DirChoice::Kind::Folder, names[static_cast<std::size_t>(id - 2)]};
}

bool usableNewFolderName(std::string_view name) {
  // A folder the listings leave out would hide the notes moved into it.
  return isSafeNamePart(name) && !isDataFolderFileName(name) && !isForeignEntry(name);
}

int moveNotes(KeywordIndex& index, const std::vector<std::string>& keys,
              const std::string& target) {
  int counter = 1;
  for (const std::string& key : keys) {
    const std::string* body = nullptr;
    bool checked = false;
    unsigned caret = 0;
    if (key.empty() || !index.fetchNote(key, &body, &checked, &caret) || !body) continue;
    IndexEntry* e = index.findByKey(key);
    if (!e || e->status == EntryStatus::Deleted) continue;
    if (target.empty()) {
      index.storeNote("", std::string(e->keyword()), key, 0, true);
    } else if (!index.moveNote(key, index.uniqueBatchKey(target, noteTimeStamp(), counter),
                               caret)) {
      continue;
    }
    ++counter;
  }
  return counter - 1;
}

}  // namespace tav
