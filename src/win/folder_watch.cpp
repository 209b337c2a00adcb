#include "win/folder_watch.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/path.h"
#include "platform/platform.h"
#include "platform/watcher.h"
#include "settings/stamps.h"
#include "store/sync_names.h"
#include "win/control_text.h"
#include "win/edit_control.h"
#include "win/keyword_list.h"
#include "win/main_controls.h"
#include "win/state.h"

namespace tav {

namespace {

FolderWatcher& watcher() {
  static FolderWatcher w;
  return w;
}

std::string& watchedFolder() {
  static std::string folder;
  return folder;
}

// The open note follows its file while the editor holds just what was read:
// the new text, the caret on the same line. With typing in the editor, only
// a word in the status bar: the save keeps both versions.
void followOpenNote(const std::string& key) {
  App& a = app();
  IndexEntry* e = a.index.findByKey(key);
  const std::string shown = windowText(a.noteEditor);
  const bool untouched =
      e && e->status == EntryStatus::Clean && e->bodyLoaded && shown == e->body;
  if (!untouched) {
    // The index is not told: the save must still see the file as changed.
    if (!e) return;
    const std::optional<FileStamp> now = fileStampOf(a.index.pathOf(key));
    if (!now)
      setStatus(StatusPart::Message,
                "このメモのファイルはほかで削除されました。保存すると、編集した内容で書き直します");
    else if (!e->stampKnown || !(now == e->stamp))
      setStatus(StatusPart::Message,
                "このメモのファイルがほかで変更されました。保存するときは両方の版を残します");
    return;
  }
  const std::string oldKeyword(e->keyword());
  switch (a.index.takeNoteFromDisk(key)) {
    case KeywordIndex::DiskNews::Changed: {
      const LRESULT line = SendMessageA(a.noteEditor, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
      SetWindowTextA(a.noteEditor, e->body.c_str());
      LRESULT at = SendMessageA(a.noteEditor, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
      if (at < 0) at = GetWindowTextLengthA(a.noteEditor);
      SendMessageA(a.noteEditor, EM_SETSEL, static_cast<WPARAM>(at), at);
      SendMessageA(a.noteEditor, EM_SCROLLCARET, 0, 0);
      // The keyword box stores with the note: it must not put the old keyword back.
      if (windowText(a.keywordBox) == oldKeyword)
        SetWindowTextA(a.keywordBox, std::string(e->keyword()).c_str());
      setStatus(StatusPart::Message, "ほかで変更された内容を読み込みました");
      break;
    }
    case KeywordIndex::DiskNews::Dropped:
      // Nothing typed here: the note is gone, and storing the editor's text
      // would bring it back.
      a.ui.currentKey.clear();
      SetWindowTextA(a.noteEditor, "");
      setStatus(StatusPart::Message, "このメモのファイルはほかのプログラムで削除されました");
      break;
    default: break;
  }
}

}  // namespace

void watchDataFolder() {
  App& a = app();
  const std::string folder = exePath(a.settings.dataFolder());
  if (watcher().running() && watchedFolder() == folder) return;
  watchedFolder() = folder;
  FolderWatcher::Options o;
  o.wanted = isWatchedKey;
  o.wake = [] { PostMessageA(app().main, kFolderNewsMessage, 0, 0); };
  o.log = [](const std::string& line) { appendDailyLog(line); };
  const bool watching = watcher().start(folder, o);
  if (!watching) watchedFolder().clear();
  a.index.bodiesFollowDisk = watching;
  // The cache is checked against the files while the window starts answering.
  a.searchBodies.openInBackground(a.index);
}

void stopWatchingDataFolder() {
  watcher().stop();
  watchedFolder().clear();
  app().index.bodiesFollowDisk = false;
}

void takeFolderNews() {
  App& a = app();
  // Long work holds the index: the news waits for its end.
  if (a.ui.busy) {
    SetTimer(a.main, kFolderNewsTimer, 300, nullptr);
    return;
  }
  KillTimer(a.main, kFolderNewsTimer);
  bool listChanged = false;
  for (const FolderEvent& ev : watcher().takeEvents()) {
    if (ev.kind == FolderEvent::Kind::Rescan) {
      // News was lost: the files are listed again, here and at the next walk.
      a.index.reconcileWithDisk();
      a.index.dropChangedBodies();
      a.searchBodies.relist();
      listChanged = true;
      continue;
    }
    if (ev.key.find('/') == std::string::npos) continue;  // "index2.txt": merged at the save
    a.searchBodies.forget(ev.key);
    if (ev.key == a.ui.currentKey) {
      followOpenNote(ev.key);
      listChanged = true;
      continue;
    }
    listChanged |= a.index.takeNoteFromDisk(ev.key) != KeywordIndex::DiskNews::None;
  }
  // Arrivals show without a key press in the list that is shown, and the
  // row the user stands on stays selected.
  if (!listChanged || a.ui.listWidth == 0) return;
  std::string keyword, selectedKey;
  const int row = selectedListRow();
  if (row >= 0) listedNote(row, &keyword, &selectedKey);
  refreshList();
  if (selectedKey.empty()) return;
  for (int r = 0; r < static_cast<int>(a.listRows.size()); ++r) {
    std::string key;
    if (listedNote(r, &keyword, &key) && key == selectedKey) {
      selectOnlyListRow(r);
      break;
    }
  }
}

}  // namespace tav
