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
    tav::listFolder(folder, out, 1);
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
  EXPECT_EQ(tav::pathKind(data("index2.txt")), 1);
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
  EXPECT_TRUE(idx.save("data"));
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

}  // namespace
