#include <gtest/gtest.h>

#include "platform/platform.h"
#include "store/keyword_index.h"
#include "store/note.h"
#include "testsupport.h"
#include "ui/dir_menu.h"

using tav::DirChoice;
using tav::MenuItem;

TEST(DirMenu, ItemsAndTheirChoices) {
  std::vector<std::string> names {"default", "ソフト"};
  EXPECT_EQ((std::vector<MenuItem>{{4, "新規"}, {3, "ソフト"}, {2, "default"}, {1, "削除"},
                                   {0, "キャンセル"}}),
            tav::dirMenuItems(names));
  EXPECT_EQ(DirChoice::Kind::Cancel, tav::dirMenuChoice(0, names).kind);
  EXPECT_EQ(DirChoice::Kind::Delete, tav::dirMenuChoice(1, names).kind);
  EXPECT_EQ("ソフト", tav::dirMenuChoice(3, names).folder);
  EXPECT_EQ(DirChoice::Kind::New, tav::dirMenuChoice(4, names).kind);
}

namespace {

class MoveNotes : public ::testing::Test {
 protected:
  // n notes in "default", the first of them checked.
  std::vector<std::string> seed(int n) {
    std::vector<std::string> keys;
    std::string index;
    tav::createFolder(tmp.path("data"));
    tav::createFolder(tmp.path("data") + tav::kPathSep + "default");
    for (int i = 0; i < n; ++i) {
      std::string key = "default/20110101000000" + std::to_string(1000 + i);
      keys.push_back(key);
      tavtest::writeFileBytes(tmp.path("data") + tav::kPathSep + key,
                              tav::composeNoteFile("メモ" + std::to_string(i), 2, i == 0, "本文"));
      index += key + ",2," + (i == 0 ? "1" : "0") + ",0,メモ" + std::to_string(i) + "\n";
    }
    tavtest::writeFileBytes(tmp.path("data") + tav::kPathSep + "index2.txt", index);
    idx.load("data");
    return keys;
  }
  std::vector<std::string> files(const std::string& sub) {
    return tavtest::filesIn(tmp.path("data") + tav::kPathSep + sub);
  }

  tavtest::TempExeDir tmp;
  tavtest::FakeClock clock {tavtest::localSeconds(2026, 12, 6, 10, 0, 0)};
  tav::KeywordIndex idx;
};

}  // namespace

TEST_F(MoveNotes, ThreeNotesGetTheBatchDigitsInListOrder) {
  std::vector<std::string> keys = seed(3);
  keys.insert(keys.begin(), "");  // a header row
  tav::createFolder(tmp.path("data") + tav::kPathSep + "ソフト");
  EXPECT_EQ(3, tav::moveNotes(idx, keys, "ソフト"));
  ASSERT_TRUE(idx.save("data"));
  EXPECT_EQ((std::vector<std::string>{"2026120610000000000", "2026120610000000001",
                                      "2026120610000000002"}),
            files("ソフト"));
  EXPECT_TRUE(files("default").empty());
  idx.clear();
  idx.load("data");
  const tav::IndexEntry* first = idx.findByKey("ソフト/2026120610000000000");
  ASSERT_NE(nullptr, first);
  EXPECT_EQ("メモ0", first->keyword());
  const std::string* body = nullptr;
  bool checked = false;
  unsigned caret = 0;
  ASSERT_TRUE(idx.fetchNote(first->key(), &body, &checked, &caret));
  EXPECT_EQ("本文", *body);
  EXPECT_TRUE(checked);
  EXPECT_EQ(2u, caret);
}

TEST_F(MoveNotes, TwelveNotesKeepDistinctKeysAndDeleteRemovesFiles) {
  std::vector<std::string> keys = seed(14);
  std::vector<std::string> moved(keys.begin(), keys.begin() + 12);
  tav::createFolder(tmp.path("data") + tav::kPathSep + "x");
  EXPECT_EQ(12, tav::moveNotes(idx, moved, "x"));
  ASSERT_TRUE(idx.save("data"));
  std::vector<std::string> expected;
  for (int n = 0; n < 10; ++n) expected.push_back("202612061000000000" + std::to_string(n));
  // Notes 11 and 12: the stamp's last digits carry the tens.
  expected.push_back("2026120610000000010");
  expected.push_back("2026120610000000011");
  EXPECT_EQ(expected, files("x"));
  EXPECT_EQ(2u, files("default").size());
  EXPECT_EQ(2, tav::moveNotes(idx, {keys[12], keys[13]}, ""));
  ASSERT_TRUE(idx.save("data"));
  EXPECT_TRUE(files("default").empty());
}

// "新規" and defdir refuse the names of the data folder's own files: a
// sub-folder "journal.dat" turned the crash protection off for good, one
// named "index2.txt" made every save fail.
TEST(DirMenu, Fault7_NewFolderNamedLikeADataFolderFile_IsRefused) {
  const struct {
    const char* name;
    bool usable;
  } cases[] = {{"journal.dat", false}, {"index2.txt", false}, {"INDEX2.TXT", false},
               {"Bodies.dat", false},  {"journal-00000000000000000001.dat", false},
               {"~tav12_3.tmp", false}, {"ソフト", true}, {"表", true}, {"journal", true},
               {"index2.txt.old", true}, {"", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.usable, tav::usableNewFolderName(c.name)) << c.name;
    EXPECT_EQ(c.usable ? std::string(c.name) : "default", tav::safeFolderName(c.name)) << c.name;
  }
}
