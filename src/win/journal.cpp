#include "win/journal.h"

#include "win/main_controls.h"
#include "win/state.h"
#include "win/edit_control.h"
#include "store/journal.h"
#include "win/control_text.h"
#include "win/note_windows.h"
#include "ui/save_messages.h"

namespace tav {

namespace {

// The program's one timer. Its ticks only look at the clock unless a key came.
constexpr UINT_PTR kJournalTimer = 1;
constexpr UINT kTickMs = 250;

// The editor's state goes to the journal as a store would record it, when it
// differs from the index and from the record journaled last.
void journalEditorText() {
  App& a = app();
  const UiState& s = a.ui;
  if (!s.saveEnabled || a.ui.currentKey.empty() || s.focusMode != FocusMode::NoteEditor || s.keyChangeMode) return;
  EditState e = readEdit(a.noteEditor);
  // An emptied editor deletes its note only through a real store.
  if (e.text.empty()) return;
  std::string keyword = windowText(a.keywordBox);
  bool checked = SendMessageA(a.checkButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
  unsigned caret = static_cast<unsigned>(e.selStart);
  if (!storeWouldChange(a.index, e.text, keyword, a.ui.currentKey, caret, checked)) return;
  std::optional<FileStamp> base = a.index.baseStamp(a.ui.currentKey);
  if (storeRecord(e.text, keyword, a.ui.currentKey, caret, checked, &base) == a.journal.lastRecord())
    return;
  a.journal.stored(e.text, keyword, a.ui.currentKey, caret, checked, &base);
}

// A journal that cannot be written is said once, and once more when it can.
void showJournalTrouble() {
  App& a = app();
  if (a.journal.failing() == a.journalWarned) return;
  a.journalWarned = a.journal.failing();
  setStatus(StatusPart::Message, a.journalWarned ? kJournalFailingText : "編集の記録をまた書き込めるようになりました");
}

}  // namespace

void loadIndexWithJournal() {
  App& a = app();
  a.index.journal = &a.journal;
  a.index.load(a.settings.dataFolder());
  a.startStatus = startStatusText(a.journal, a.index.loadKind());
  if (!a.startStatus.empty()) setStatus(StatusPart::Message, a.startStatus);
  startJournalTimer();
}

void startJournalTimer() {
  App& a = app();
  if (a.main) SetTimer(a.main, kJournalTimer, kTickMs, nullptr);
}

void journalSawEditorMessage(UINT msg) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_DROPFILES:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO: app().journalPace.keyed(GetTickCount()); break;
    default: break;
  }
}

void journalTick() {
  App& a = app();
  if (a.ui.busy) return;
  const std::uint32_t now = GetTickCount();
  if (a.journal.failing()) a.journal.retry();
  if (a.journalPace.snapshotDue(now)) {
    journalEditorText();
    journalNoteWindows();
    a.journalPace.snapshotTaken();
  }
  if (a.journal.unflushed() && a.journalPace.flushDue(now)) {
    a.journal.flush();
    a.journalPace.lastFlush = now;
  }
  showJournalTrouble();
}

void stopJournalTimer() {
  App& a = app();
  if (a.main) KillTimer(a.main, kJournalTimer);
}

void closeJournal() {
  App& a = app();
  if (!a.ui.saveOnExit) a.journal.discard();
  a.index.journal = nullptr;
}

}  // namespace tav
