// One test per fault of the earlier design that the store fixes; each fails
// when its fix is taken out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/keyword_index.h"
#include "testsupport.h"

namespace {

using tav::EntryStatus;
using tav::KeywordIndex;

class Fault : public ::testing::Test {
 protected:
  std::string data(const std::string& rest = "") const {
    return tmp.path("data") + (rest.empty() ? "" : tav::kPathSep + rest);
  }
  void sub(const std::string& name) {
    tav::createFolder(data());
    tav::createFolder(data(name));
  }
  std::vector<std::string> filesIn(const std::string& folder) const {
    std::vector<std::string> out;
    tav::listFolder(folder, out, tav::ListWhat::Files);
    return out;
  }

  tavtest::TempExeDir tmp;
  KeywordIndex idx;
};

// Note files go first and the index last; a save in which a write failed
// deletes nothing, and no temporary file is left behind.
TEST_F(Fault, AtomicSave_NotesFirstIndexLastAndFailedWritesLoseNothing) {
  sub("a");
  tavtest::writeFileBytes(data("index2.txt"), "a/1,0,0,0,one\na/2,0,0,0,two\n");
  tavtest::writeFileBytes(data("a/1"), "<k>one,</k><f>0</f><c>0</c><n>old</n>");
  tavtest::writeFileBytes(data("a/2"), "<k>two,</k><f>0</f><c>0</c><n>keep me</n>");
  idx.load("data");
  idx.storeNote("new", "one", "a/1", 0, false);
  idx.storeNote("", "two", "a/2", 0, false);
  idx.storeNote("lost folder", "three", "missing/1", 0, false);  // cannot be written

  EXPECT_FALSE(idx.save("data"));
  EXPECT_EQ(tavtest::readFileBytes(data("a/1")), "<k>one,</k><f>0</f><c>0</c><n>new</n>");
  EXPECT_EQ(tavtest::readFileBytes(data("a/2")), "<k>two,</k><f>0</f><c>0</c><n>keep me</n>");
  EXPECT_EQ(tavtest::readFileBytes(data("index2.txt")), "a/1,0,0,0,one\nmissing/1,0,0,0,three\n");
  EXPECT_EQ(filesIn(data("a")).size(), 2u);
  EXPECT_EQ(filesIn(data()), std::vector<std::string>{"index2.txt"});

  // The index cannot be replaced (a folder is in its way): the note files
  // are already written, and the save says it failed.
  tav::deleteFile(data("index2.txt"));
  tav::createFolder(data("index2.txt"));
  idx.storeNote("newer", "one", "a/1", 0, false);
  EXPECT_FALSE(idx.save("data"));
  EXPECT_EQ(tavtest::readFileBytes(data("a/1")), "<k>one,</k><f>0</f><c>0</c><n>newer</n>");
  EXPECT_EQ(tav::pathKind(data("index2.txt")), tav::PathKind::Folder);
  EXPECT_EQ(filesIn(data()), std::vector<std::string>{});
}

TEST_F(Fault, UniqueKey_TwoNotesInOneSecondGetDistinctKeys) {
  idx.load("data");
  const std::string stamp = "201202031415160000";
  std::vector<std::string> keys;
  for (int i = 0; i < 3; ++i) {
    keys.push_back(idx.uniqueKey("default", stamp));
    idx.storeNote("body " + std::to_string(i), "kw", keys.back(), 0, false);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"default/201202031415160000",
                                            "default/201202031415160001",
                                            "default/201202031415160002"}));
  EXPECT_EQ(idx.size(), 3u);
}

// A key is a prefix of its batch variants, and a keyword may hold a key.
TEST_F(Fault, ExactKey_LookupsCompareTheKeyFieldNotTheLine) {
  sub("a");
  tavtest::writeFileBytes(data("index2.txt"),
                          "a/20110,0,0,0,batch variant\n"
                          "b/1,0,0,0,mentions a/2011 here\n"
                          "a/2011,0,0,0,the note\n");
  tavtest::writeFileBytes(data("a/2011"), "the body");
  idx.load("data");
  ASSERT_NE(idx.findByKey("a/2011"), nullptr);
  EXPECT_EQ(idx.findByKey("a/2011")->keyword(), "the note");
  EXPECT_EQ(idx.findByKey("a/201"), nullptr);
  idx.storeNote("changed", "the note", "a/2011", 0, false);
  EXPECT_EQ(idx.at(0).status, EntryStatus::Clean);
  EXPECT_EQ(idx.at(1).status, EntryStatus::Clean);
  EXPECT_EQ(idx.at(2).status, EntryStatus::Dirty);
}

TEST_F(Fault, HostileKey_IndexCannotReachFilesOutsideTheDataFolder) {
  sub("a");
  const std::string secret = tmp.path("secret.txt");
  tavtest::writeFileBytes(secret, "<n>private</n>");
  tavtest::writeFileBytes(data("index2.txt"),
                          "../secret.txt,0,0,0,up\n"
                          "a/../../secret.txt,0,0,0,deep\n"
                          "a/CON,0,0,0,device\n");
  idx.load("data");
  ASSERT_EQ(idx.size(), 3u);
  for (const char* key : {"../secret.txt", "a/../../secret.txt", "a/CON"})
    EXPECT_FALSE(idx.fetchNote(key, nullptr, nullptr, nullptr)) << key;
  EXPECT_EQ(idx.countMatches(""), 3u);
  EXPECT_EQ(idx.countMatches("up"), 1u);  // still listed, so the user can see it

  idx.storeNote("overwrite", "up", "../secret.txt", 0, false);
  idx.storeNote("", "deep", "a/../../secret.txt", 0, false);
  EXPECT_FALSE(idx.save("data"));  // the changed note could not be written: a failure
  EXPECT_EQ(tavtest::readFileBytes(secret), "<n>private</n>");
  EXPECT_EQ(tavtest::readFileBytes(data("index2.txt")),
            "../secret.txt,0,0,0,up\na/CON,0,0,0,device\n");
}

TEST_F(Fault, ClosingTagInBody_SurvivesSaveAndReload) {
  sub("a");
  idx.load("data");
  const std::string body = "code: <n>x</n>\r\n</n> end";
  idx.storeNote(body, "html", "a/1", 0, false);
  ASSERT_TRUE(idx.saveAndClear("data"));
  idx.load("data");
  const std::string* got = nullptr;
  ASSERT_TRUE(idx.fetchNote("a/1", &got, nullptr, nullptr));
  EXPECT_EQ(*got, body);
}

// Moving more than ten notes at once: every new key is distinct and well
// formed, and no old file goes before its new file is written.
TEST_F(Fault, BatchMove_BeyondTenNotesKeysStayUniqueAndOldFilesStayUntilWritten) {
  sub("a");
  std::string index;
  for (int i = 0; i < 12; ++i) {
    std::string key = "a/" + std::to_string(100 + i);
    index += key + ",0,0,0,note " + std::to_string(i) + "\n";
    tavtest::writeFileBytes(data(key), "body " + std::to_string(i));
  }
  tavtest::writeFileBytes(data("index2.txt"), index);
  const std::string stamp = "201202031415160000";

  // Target folder missing: the new files cannot be written, so nothing is deleted.
  idx.load("data");
  for (int i = 0; i < 12; ++i)
    ASSERT_TRUE(idx.moveNote("a/" + std::to_string(100 + i),
                             idx.uniqueBatchKey("b", stamp, i + 1), 0));
  EXPECT_FALSE(idx.save("data"));
  EXPECT_EQ(filesIn(data("a")).size(), 12u);

  // With the folder there, every note arrives under its own key.
  idx.clear();
  tavtest::writeFileBytes(data("index2.txt"), index);
  sub("b");
  idx.load("data");
  for (int i = 0; i < 12; ++i)
    ASSERT_TRUE(idx.moveNote("a/" + std::to_string(100 + i),
                             idx.uniqueBatchKey("b", stamp, i + 1), 0));
  ASSERT_TRUE(idx.saveAndClear("data"));
  EXPECT_EQ(filesIn(data("a")).size(), 0u);
  std::vector<std::string> moved = filesIn(data("b"));
  ASSERT_EQ(moved.size(), 12u);
  idx.load("data");
  for (int i = 0; i < 12; ++i) {
    std::string key = tav::batchKey("b", stamp, i + 1);
    const std::string* body = nullptr;
    ASSERT_TRUE(idx.fetchNote(key, &body, nullptr, nullptr)) << key;
    EXPECT_EQ(*body, "body " + std::to_string(i));
  }
}

// Emptying a note marks it deleted; typing the same text back must keep it.
TEST_F(Fault, RestoredText_OfAnEmptiedNoteIsNotDeletedAtSave) {
  sub("a");
  tavtest::writeFileBytes(data("index2.txt"), "a/1,0,0,0,one\n");
  tavtest::writeFileBytes(data("a/1"), "<k>one,</k><f>0</f><c>0</c><n>text</n>");
  idx.load("data");
  ASSERT_TRUE(idx.fetchNote("a/1", nullptr, nullptr, nullptr));
  idx.storeNote("", "one", "a/1", 0, false);
  idx.storeNote("text", "one", "a/1", 0, false);
  EXPECT_NE(idx.findByKey("a/1")->status, EntryStatus::Deleted);
  ASSERT_TRUE(idx.save("data"));
  EXPECT_EQ(tavtest::readFileBytes(data("a/1")), "<k>one,</k><f>0</f><c>0</c><n>text</n>");
  EXPECT_EQ(tavtest::readFileBytes(data("index2.txt")), "a/1,0,0,0,one\n");
}

// A defdir or sub-folder that cannot be a folder name ("memo.", "a:b") made
// keys whose files were never written, so the note vanished at the next start.
TEST_F(Fault, OddDefdir_NewKeysAreFiledUnderDefault) {
  sub("default");
  idx.load("data");
  const std::string stamp = "201202031415160000";
  for (const char* odd : {"memo.", "/", ":", "\\", "..", ".", "CON", "a ", "a*b", "x|y", ""}) {
    EXPECT_EQ(idx.uniqueKey(odd, stamp), "default/" + stamp) << odd;
    EXPECT_EQ(idx.uniqueBatchKey(odd, stamp, 2), "default/" + stamp + "1") << odd;
  }
  // Trail bytes 0x5C (ソ, 表) and 0x7C (怖: 95 7C) are parts of characters, not separators.
  for (const char* fine : {"ソフト", "表", "怖", "会議"})
    EXPECT_EQ(idx.uniqueKey(fine, stamp), std::string(fine) + "/" + stamp) << fine;

  // A note under such a key is written and found again after a reload.
  idx.storeNote("text", "memo", idx.uniqueKey("memo.", stamp), 0, false);
  ASSERT_TRUE(idx.saveAndClear("data"));
  idx.load("data");
  const std::string* body = nullptr;
  ASSERT_TRUE(idx.fetchNote("default/" + stamp, &body, nullptr, nullptr));
  EXPECT_EQ(*body, "text");

  // A key the store refuses is never the target of a move, and a changed note
  // under such a key makes the save fail, so no old file goes for it.
  EXPECT_FALSE(idx.moveNote("default/" + stamp, "memo./" + stamp, 0));
  tavtest::writeFileBytes(data("default/old"), "<n>old</n>");
  tavtest::writeFileBytes(data("index2.txt"), "default/old,0,0,0,old\nmemo./1,0,0,0,odd\n");
  idx.load("data");
  idx.storeNote("", "old", "default/old", 0, false);
  idx.storeNote("changed", "odd", "memo./1", 0, false);
  EXPECT_FALSE(idx.save("data"));
  EXPECT_EQ(tavtest::readFileBytes(data("default/old")), "<n>old</n>");
}

// "index2.txt" held by another program at load: the save at close wrote only
// this run's notes over it, and every other note vanished from the index.
TEST_F(Fault, UnreadableIndex_SaveKeepsEveryNoteOnDisk) {
  sub("a");
  tavtest::writeFileBytes(data("a/1"), "<k>one,</k><f>0</f><c>0</c><n>first</n>");
  tavtest::writeFileBytes(data("index2.txt"), "a/1,0,0,0,one\n");
  tavtest::HeldFile held(data("index2.txt"));
  if (!held.holding()) GTEST_SKIP() << "no file locks on this platform";
  idx.load("data");
  EXPECT_NE(idx.findByKey("a/1"), nullptr);  // listed from the note files
  idx.storeNote("second", "two", "a/2", 0, false);
  EXPECT_FALSE(idx.save("data"));  // still held: left alone
  held.release();
  EXPECT_EQ(tavtest::readFileBytes(data("index2.txt")), "a/1,0,0,0,one\n");
  ASSERT_TRUE(idx.saveAndClear("data"));
  idx.load("data");
  EXPECT_NE(idx.findByKey("a/1"), nullptr);
  EXPECT_NE(idx.findByKey("a/2"), nullptr);
}

}  // namespace
