// The close sequence, also run when Windows ends the session.
#include "app/app.h"
#include "win/busy.h"
#include "win/main_controls.h"
#include "win/note_editor.h"
#include "win/note_windows.h"
#include "win/routes.h"
#include "win/folder_watch.h"
#include "win/state.h"
#include "win/control_text.h"
#include "win/journal.h"
#include "ui/save_messages.h"

namespace tav {

namespace {

enum class AfterFailedSave { Retry, CloseAnyway, GoBack };

// Yes, No and Cancel, each spelled out in the text: the buttons a Japanese
// Windows user knows from "保存しますか？", where the retry, abort and ignore
// buttons would leave "無視" to be guessed.
AfterFailedSave askAfterFailedSave() {
  App& a = app();
  int r = MessageBoxA(a.main, closeQuestionText(a.index.lastSaveFailures(), !a.journal.failing()).c_str(),
                      "メッセージ", MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON1);
  if (r == IDYES) return AfterFailedSave::Retry;
  if (r == IDNO) return AfterFailedSave::CloseAnyway;
  return AfterFailedSave::GoBack;
}

// The index saved, asking after each failure. False: the user goes back to
// the program.
bool saveIndexAtClose() {
  App& a = app();
  for (;;) {
    a.journal.retry();
    bool saved;
    {
      BusyWork work("ノートを保存しています", BusyWork::Stop::Never);
      saved = a.index.save(a.settings.dataFolder(), work.progress());
    }
    if (saved) return true;
    a.journal.flush();  // what the next start replays is on the disk
    switch (askAfterFailedSave()) {
      case AfterFailedSave::Retry: break;
      case AfterFailedSave::CloseAnyway: return true;
      case AfterFailedSave::GoBack:
        setStatus(StatusPart::Message, saveFailureText(a.index.lastSaveFailures()));
        return false;
    }
  }
}

void writeRunState() {
  App& a = app();
  writeSettingsAtClose(a.settings, windowText(a.keywordBox));
  writeSideLists();
  stampEndTime(a.settings);
}

}  // namespace

bool saveAtClose() {
  App& a = app();
  stopJournalTimer();
  saveNote();
  if (a.ui.saveOnExit && !saveIndexAtClose()) {
    startJournalTimer();
    return false;
  }
  stopWatchingDataFolder();
  writeRunState();
  putBackControlProcs();
  a.index.clear();
  closeJournal();
  return true;
}

void saveAtEndSession() {
  App& a = app();
  // Everything is kept as a close keeps it, but the run stays whole: a
  // cancelled log-off goes on with the same index, windows and journal.
  for (std::size_t i = 0; i < noteWindowSlots().size(); ++i) saveNoteWindow(i);
  storeEditorNote();
  writeRunState();
  if (!a.ui.saveOnExit) return;
  a.journal.retry();
  if (!a.index.save(a.settings.dataFolder())) a.journal.flush();
}

}  // namespace tav
