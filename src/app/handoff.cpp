// The start-up hand-off: what the keyword box shows at the first activation
// and whenever a second instance hands over its command line.
#include "app/app.h"
#include "win/keyword_box.h"
#include "win/keyword_list.h"
#include "win/search.h"
#include "win/state.h"
#include "store/note.h"
#include "win/control_text.h"
#include "ui/handoff.h"

namespace tav {

void startupHandoff() {
  App& a = app();
  if (a.ui.busy) {  // long work runs: the hand-off follows when it ends
    a.ui.handoffWaiting = true;
    return;
  }
  if (a.handoffSeen) {
    char title[256] = {0};
    GetWindowTextA(a.main, title, sizeof title);
    a.commandLineText = cutHandedText(title);
  }
  a.handoffSeen = true;

  std::string box = windowText(a.keywordBox);
  const std::string& cmd = a.commandLineText;
  HandoffPlan plan = planHandoff(cmd, box, a.index.empty(),
                                 cmd.empty() ? 0 : a.index.countMatches(cmd), a.settings.data);
  if (plan.onlyRestoreTitle) {
    SetWindowTextA(a.main, kMainTitle);
    return;
  }
  a.ui.currentDir = safeFolderName(a.settings.defdir);
  // The focus moves before the box takes the handed text: the open note is
  // stored as the editor loses the focus, under the keyword it was opened with.
  if (a.keywordBox) SetFocus(a.keywordBox);
  if (plan.setBox && a.keywordBox) {
    SetWindowTextA(a.keywordBox, plan.boxText.c_str());
    if (plan.selectBox) setEditSel(a.keywordBox, 0, plan.boxText.size());
  }
  if (plan.openKeyword) openKeyword();
  if (plan.search) {
    a.ui.searchText = plan.searchText;
    a.ui.hasSearchText = true;
    searchAgain(0);
  }
  SetWindowTextA(a.main, kMainTitle);
  refreshList();
}

}  // namespace tav
