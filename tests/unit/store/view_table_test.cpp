#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "store/view_table.h"

namespace {

struct Item {
  std::string text;
};
std::string_view textOf(const Item& i) { return i.text; }
using Table = tav::ViewTable<Item, &textOf>;

std::vector<const Item*> found(const Table& t, const std::string& text) {
  std::vector<const Item*> out;
  t.forEach(text, [&](Item* i) { out.push_back(i); });
  std::sort(out.begin(), out.end());
  return out;
}

// Removal shifts later members of a probe run back; after any mix of inserts
// and removals every remaining item must still be found, and no removed one.
TEST(ViewTable, FindsExactlyWhatIsInsideAfterRandomInsertsAndRemovals) {
  std::mt19937 rng(7);
  std::deque<Item> items;
  std::vector<Item*> inside;
  Table t;
  for (int step = 0; step < 5000; ++step) {
    if (inside.empty() || rng() % 3 != 0) {
      items.push_back(Item{"t" + std::to_string(rng() % 40)});  // many shared texts
      t.insert(&items.back());
      inside.push_back(&items.back());
    } else {
      std::size_t k = rng() % inside.size();
      t.erase(inside[k]);
      inside.erase(inside.begin() + static_cast<long>(k));
    }
    if (step % 97 == 0 || step == 4999) {
      ASSERT_EQ(t.size(), inside.size());
      for (int v = 0; v < 41; ++v) {
        std::string text = "t" + std::to_string(v);
        std::vector<const Item*> expect;
        for (Item* i : inside)
          if (i->text == text) expect.push_back(i);
        std::sort(expect.begin(), expect.end());
        ASSERT_EQ(found(t, text), expect) << "step " << step << " text " << text;
      }
    }
  }
  t.clear();
  EXPECT_TRUE(found(t, "t1").empty());
}

}  // namespace
