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
#include "win/note_windows.h"
#include "resources/resource.h"
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

// Where a note is shown: its body's edit and the field of its keyword (the
// keyword box for the editor).
struct NoteView {
  HWND body;
  HWND keyword;
  HWND noteWindow;  // null for the editor
};

void replaceKeepingLine(HWND edit, const std::string& text) {
  const LRESULT line = SendMessageA(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
  SetWindowTextA(edit, text.c_str());
  LRESULT at = SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  if (at < 0) at = GetWindowTextLengthA(edit);
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(at), at);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

// A shown note follows its file while it shows just what was read: the new
// text, the caret on the same line. With typing in it, only a word in the
// status bar, and the index is not told: the save must still see the file as
// changed, and keeps both versions.
void followShownNote(const std::string& key, const NoteView& v) {
  App& a = app();
  IndexEntry* e = a.index.findByKey(key);
  if (!e) return;
  const std::string oldKeyword(e->keyword());
  const bool untouched = e->status == EntryStatus::Clean && e->bodyLoaded &&
                         windowText(v.body) == e->body &&
                         (!v.noteWindow || windowText(v.keyword) == oldKeyword);
  if (!untouched) {
    const std::optional<FileStamp> now = fileStampOf(a.index.pathOf(key));
    if (!now)
      setStatus(StatusPart::Message,
                "このメモのファイルはほかで削除されました。保存すると、編集した内容で書き直します");
    else if (!e->stampKnown || !(now == e->stamp))
      setStatus(StatusPart::Message,
                "このメモのファイルがほかで変更されました。保存するときは両方の版を残します");
    return;
  }
  switch (a.index.takeNoteFromDisk(key)) {
    case KeywordIndex::DiskNews::Changed: {
      replaceKeepingLine(v.body, e->body);
      const std::string keyword(e->keyword());
      // The keyword box stores with the note: it must not put the old keyword back.
      if (v.noteWindow || windowText(v.keyword) == oldKeyword)
        SetWindowTextA(v.keyword, keyword.c_str());
      if (v.noteWindow) noteWindowKeywordChanged(key, keyword);
      setStatus(StatusPart::Message, "ほかで変更された内容を読み込みました");
      break;
    }
    case KeywordIndex::DiskNews::Dropped:
      // Nothing typed here: the note is gone, and storing the shown text
      // would bring it back.
      if (v.noteWindow) {
        blankNoteWindow(v.noteWindow);
      } else {
        a.ui.currentKey.clear();
        SetWindowTextA(v.body, "");
      }
      setStatus(StatusPart::Message, "このメモのファイルはほかのプログラムで削除されました");
      break;
    default: break;
  }
}

// F3 and the body filter trust the bodies in memory and the cache only while
// the watch hears every change; a folder it cannot watch (a share) makes them
// check the files' stamps again, as without a watch.
void trustTheWatch() {
  App& a = app();
  const bool hears = watcher().running() && watcher().hearsEverything();
  a.index.bodiesFollowDisk = hears;
  a.index.filterBody = nullptr;
  if (hears) {
    a.index.filterBody = [](std::string_view key) {
      return app().searchBodies.body(app().index, key);
    };
  }
}

}  // namespace

void watchDataFolder(std::size_t bufferBytes) {
  App& a = app();
  const std::string folder = exePath(a.settings.dataFolder());
  if (watcher().running() && watchedFolder() == folder) return;
  watchedFolder() = folder;
  FolderWatcher::Options o;
  o.wanted = isWatchedKey;
  o.wake = [] { PostMessageA(app().main, kFolderNewsMessage, 0, 0); };
  o.log = [](const std::string& line) { appendDailyLog(line); };
  if (bufferBytes) o.bufferBytes = bufferBytes;
  const bool watching = watcher().start(folder, o);
  if (!watching) watchedFolder().clear();
  trustTheWatch();
  // The cache is checked against the files while the window starts answering.
  a.searchBodies.openInBackground(a.index);
}

void stopWatchingDataFolder() {
  watcher().stop();
  watchedFolder().clear();
  app().index.bodiesFollowDisk = false;
  app().index.filterBody = nullptr;
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
      trustTheWatch();
      a.index.reconcileWithDisk();
      a.index.dropChangedBodies();
      a.searchBodies.relist();
      listChanged = true;
      continue;
    }
    if (ev.key.find('/') == std::string::npos) continue;  // "index2.txt": merged at the save
    a.searchBodies.forget(ev.key);
    if (ev.key == a.ui.currentKey) {
      followShownNote(ev.key, {a.noteEditor, a.keywordBox, nullptr});
      listChanged = true;
      continue;
    }
    if (HWND w = noteWindowShowing(ev.key)) {
      followShownNote(ev.key,
                      {GetDlgItem(w, IDC_NOTEWIN_BODY), GetDlgItem(w, IDC_NOTEWIN_KEYWORD), w});
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
