// "recent.txt", "dir.txt", "bookmark.txt" and "hanko.txt": LF-separated lists.
// Properties: no entry holds LF, and only a stamp ends with CR (a stamp may
// end with a line break); each list written back and read again is the same
// list ("dir.txt" reversed, "recent.txt" its newest 16); the history built
// from "recent.txt" has each keyword once, in the file's order of last
// appearance; a bookmark's menu text has no comma.
#include <set>

#include "fuzz_check.h"
#include "store/text.h"
#include "ui/history.h"
#include "ui/side_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A file's text ends at its first NUL, as readWholeFile gives it.
  fuzzsupport::Split in(data, size);
  std::vector<std::string> list = tav::sideListFromText(in.text);
  for (const std::string& e : list) {
    FUZZ_CHECK(e.find('\n') == std::string::npos, "no entry holds LF");
    FUZZ_CHECK(e.empty() || e.back() != '\r', "no entry ends with CR");
    FUZZ_CHECK(tav::commaField(e, 1).find(',') == std::string::npos, "a bookmark's menu text has no comma");
  }

  std::vector<std::string> stamps = tav::stampsFromText(in.text);
  for (const std::string& e : stamps) FUZZ_CHECK(e.find('\n') == std::string::npos, "no stamp holds LF");
  FUZZ_CHECK(tav::stampsFromText(tav::stampFileText(stamps)) == stamps, "hanko.txt reads back the same");
  std::vector<std::string> reversed(list.rbegin(), list.rend());
  FUZZ_CHECK(tav::sideListFromText(tav::dirFileText(list)) == reversed, "dir.txt reads back reversed");
  std::vector<std::string> newest(list.size() > 16 ? list.end() - 16 : list.begin(), list.end());
  FUZZ_CHECK(tav::sideListFromText(tav::recentFileText(list)) == newest, "recent.txt keeps the newest 16");

  // The history as loading "recent.txt" builds it (empty lines add nothing).
  std::vector<std::string> history;
  std::vector<int> ids;
  for (const std::string& e : list)
    if (!e.empty()) tav::addHistoryEntry(history, ids, e);
  FUZZ_CHECK(ids.size() == history.size(), "every history entry has its id");
  std::set<int> distinctIds(ids.begin(), ids.end());
  FUZZ_CHECK(distinctIds.size() == ids.size(), "history ids are distinct");
  std::set<std::string> distinct(history.begin(), history.end());
  FUZZ_CHECK(distinct.size() == history.size(), "each keyword is in the history once");
  if (!history.empty()) {
    std::string last;
    for (auto it = list.rbegin(); it != list.rend() && last.empty(); ++it) last = *it;
    FUZZ_CHECK(history.back() == last, "the file's last keyword is the newest");
  }
  return 0;
}
