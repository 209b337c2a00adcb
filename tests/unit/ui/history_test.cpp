#include <gtest/gtest.h>

#include <set>

#include "ui/history.h"
#include "ui/side_lists.h"

using tav::MenuItem;

namespace {

struct History {
  std::vector<std::string> texts;
  std::vector<int> ids;
  void add(const std::string& k) { tav::addHistoryEntry(texts, ids, k); }
  std::vector<MenuItem> menu() const { return tav::historyMenuItems(texts, ids); }
};

}  // namespace

TEST(History, ARepeatMovesToTheTopKeepingItsId) {
  History h;
  EXPECT_EQ((std::vector<MenuItem>{{10009, "default"}}), h.menu());
  h.add("表示A");
  h.add("B");
  h.add("表示A");
  EXPECT_EQ((std::vector<std::string>{"B", "表示A"}), h.texts);
  EXPECT_EQ((std::vector<MenuItem>{{1001, "表示A"}, {1002, "B"}}), h.menu());
  h.add("C");  // a new entry counts the entries before it
  EXPECT_EQ(1003, h.ids.back());
  EXPECT_EQ("B", tav::historyKeywordForId(h.texts, h.ids, 1002));
  EXPECT_FALSE(tav::historyKeywordForId(h.texts, h.ids, 1004));
}

TEST(History, AltStepsStopAtIndexOneAndAtTheNewest) {
  EXPECT_EQ(1, tav::historyStep(2, 3, false));
  EXPECT_EQ(-1, tav::historyStep(1, 3, false));  // index 0 is never reached
  EXPECT_EQ(-1, tav::historyStep(2, 3, true));
  EXPECT_EQ(2, tav::historyStep(1, 3, true));
  EXPECT_EQ(-1, tav::historyStep(-1, 0, true));
}

TEST(History, SixteenLinesOfRecentComeBackNewestOnTop) {
  History h;
  for (int i = 1; i <= 20; ++i) h.add("k" + std::to_string(i));
  History again;
  for (const std::string& k : tav::sideListFromText(tav::recentFileText(h.texts))) again.add(k);
  ASSERT_EQ(16u, again.texts.size());
  EXPECT_EQ((MenuItem{1016, "k20"}), again.menu().front());
  EXPECT_EQ((MenuItem{1001, "k5"}), again.menu().back());
}

// Past 499 entries the ids ran into the bookmarks' 1500 and a history item
// jumped to a bookmark.
TEST(History, Bug_HistoryIdsRanIntoTheBookmarkIds) {
  History h;
  for (int i = 0; i < 600; ++i) h.add("k" + std::to_string(i));
  EXPECT_EQ(499u, h.texts.size());
  EXPECT_EQ("k599", h.texts.back());
  std::set<int> ids(h.ids.begin(), h.ids.end());
  EXPECT_EQ(499u, ids.size());
  EXPECT_EQ(1001, *ids.begin());
  EXPECT_EQ(1499, *ids.rbegin());
}
