// The close sequence, also run when Windows ends the session.
#include "app/app.h"
#include "app/routes.h"
#include "store/text_wnd.h"
#include "ui/journal_wnd.h"
#include "ui/main_wnd.h"

namespace tav {

void saveAtClose() {
  App& a = app();
  stopJournalTimer();
  saveNote();
  writeSettingsAtClose(a.settings, windowText(a.keywordBox));
  writeSideLists();
  stampEndTime(a.settings);
  putBackControlProcs();
  if (a.settings.saveOnExit) a.index.saveAndClear(a.settings.dataFolder());
  closeJournal();
}

}  // namespace tav
