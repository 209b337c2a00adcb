// The close sequence, also run when Windows ends the session.
#include "app/app.h"
#include "win/main_controls.h"
#include "win/note_editor.h"
#include "win/routes.h"
#include "win/state.h"
#include "win/control_text.h"
#include "win/journal.h"

namespace tav {

void saveAtClose() {
  App& a = app();
  stopJournalTimer();
  saveNote();
  writeSettingsAtClose(a.settings, windowText(a.keywordBox));
  writeSideLists();
  stampEndTime(a.settings);
  putBackControlProcs();
  if (a.ui.saveOnExit) a.index.saveAndClear(a.settings.dataFolder());
  closeJournal();
}

}  // namespace tav
