#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/keyword_index.h"
#include "testsupport.h"

namespace {

using tav::EntryStatus;
using tav::KeywordIndex;
using Lines = std::vector<std::string>;

class Store : public ::testing::Test {
 protected:
  std::string data(const std::string& rest = "") const {
    return tmp.path("data") + (rest.empty() ? "" : tav::kPathSep + rest);
  }
  void makeSub(const std::string& sub) {
    tav::createFolder(data());
    tav::createFolder(data(sub));
  }
  void writeIndex(const std::string& text) {
    tav::createFolder(data());
    tavtest::writeFileBytes(data("index2.txt"), text);
  }
  void writeNote(const std::string& key, const std::string& bytes) {
    makeSub(std::string(tav::keyPrefix(key).substr(0, tav::keyPrefix(key).size() - 1)));
    tavtest::writeFileBytes(data(key), bytes);
  }
  std::string index() const { return tavtest::readFileBytes(data("index2.txt")); }
  Lines lines(const std::string& query = "", const std::string& grep = "",
              int filter = KeywordIndex::kAnyCheck) {
    Lines out;
    idx.collectMatches(query, out, grep, filter);
    return out;
  }
  Lines keysInOrder() const {
    Lines keys;
    for (std::size_t i = 0; i < idx.size(); ++i) keys.emplace_back(idx.at(i).key());
    return keys;
  }

  tavtest::TempExeDir tmp;
  KeywordIndex idx;
};

// ---- load and save

TEST_F(Store, FreshFolderGetsAnEmptyIndexAndSavesOneAgain) {
  idx.load("data");
  EXPECT_EQ(tav::pathKind(data()), tav::PathKind::Folder);
  EXPECT_EQ(tav::pathKind(data("index2.txt")), tav::PathKind::File);
  EXPECT_EQ(index(), "");
  EXPECT_TRUE(idx.empty());
  EXPECT_TRUE(idx.save("data"));
  EXPECT_EQ(index(), "");
}

TEST_F(Store, LoadToleratesCrAndSkipsShortLinesSaveWritesLfOnly) {
  writeIndex("a/1,3,1,0,one\r\n12345\n\r\n\na/2,0,0,0,two,with,commas\na/3,0,x,0,three");
  for (const char* key : {"a/1", "a/2", "a/3"}) writeNote(key, "");
  idx.load("data");
  ASSERT_EQ(idx.size(), 3u);
  EXPECT_EQ(idx.at(0).keyword(), "one");
  EXPECT_EQ(idx.at(1).keyword(), "two,with,commas");
  EXPECT_EQ(idx.at(2).checked, 1u);
  EXPECT_EQ(idx.folder(), "data");
  EXPECT_TRUE(idx.save("data"));
  EXPECT_EQ(index(), "a/1,3,1,0,one\na/2,0,0,0,two,with,commas\na/3,0,x,0,three\n");
}

TEST_F(Store, LoadReplacesThePreviousList) {
  writeIndex("a/1,0,0,0,one\n");
  idx.load("data");
  idx.load("data");
  EXPECT_EQ(idx.size(), 1u);
  ASSERT_NE(idx.findByKey("a/1"), nullptr);
}

TEST_F(Store, SaveWritesChangedNotesDeletesEmptiedOnesAndKeepsOrder) {
  makeSub("a");
  writeIndex("a/1,0,0,0,one\na/2,0,0,0,two\na/3,0,0,0,three\n");
  writeNote("a/1", "<k>one,</k><f>0</f><c>0</c><n>first</n>");
  writeNote("a/2", "<k>two,</k><f>0</f><c>0</c><n>second</n>");
  writeNote("a/3", "<k>three,</k><f>0</f><c>0</c><n>third</n>");
  idx.load("data");
  idx.storeNote("changed", "one", "a/1", 4, true);
  idx.storeNote("", "two", "a/2", 0, false);
  ASSERT_TRUE(idx.saveAndClear("data"));
  EXPECT_TRUE(idx.empty());
  EXPECT_EQ(tavtest::readFileBytes(data("a/1")), "<k>one,</k><f>4</f><c>1</c><n>changed</n>");
  EXPECT_EQ(tav::pathKind(data("a/2")), tav::PathKind::None);
  EXPECT_EQ(tavtest::readFileBytes(data("a/3")), "<k>three,</k><f>0</f><c>0</c><n>third</n>");
  EXPECT_EQ(index(), "a/1,4,1,0,one\na/3,0,0,0,three\n");
}

// The save at close counts the notes it writes, and a request to stop is not
// heard: every changed note is written.
TEST_F(Store, SaveCountsTheNotesItWritesAndNeverStops) {
  makeSub("表");
  idx.load("data");
  for (const char* key : {"表/1", "表/2", "表/3"}) idx.storeNote("本文", "ソ", key, 0, false);
  std::vector<std::pair<std::size_t, std::size_t>> steps;
  ASSERT_TRUE(idx.save("data", tav::Progress{[&](std::size_t done, std::size_t total) {
    steps.emplace_back(done, total);
    return false;
  }}));
  const std::vector<std::pair<std::size_t, std::size_t>> want {{1, 3}, {2, 3}, {3, 3}};
  EXPECT_EQ(want, steps);
  EXPECT_EQ(3u, tavtest::filesIn(data("表")).size());
}

// ---- statuses

// A body read once was trusted for the whole run: a note that another program
// changed opened with the old text.
TEST_F(Store, StaleBody_OpeningReadsANoteChangedOnDiskAgain) {
  writeIndex("a/1,0,0,0,one\na/2,0,0,0,two\n");
  writeNote("a/1", "<k>one,</k><f>0</f><c>0</c><n>表の予定</n>");
  writeNote("a/2", "<k>two,</k><f>0</f><c>0</c><n>ソフト</n>");
  idx.load("data");
  auto open = [this](const char* key) {
    const std::string* b = nullptr;
    return idx.fetchNote(key, &b, nullptr, nullptr) && b ? *b : std::string("<none>");
  };
  EXPECT_EQ("表の予定", open("a/1"));
  // The same size; only the write time tells.
  tavtest::writeFileBytes(data("a/1"), "<k>one,</k><f>0</f><c>0</c><n>表の変更</n>");
  tavtest::ageFile(data("a/1"), 100);
  EXPECT_EQ("表の変更", open("a/1"));
  // Changed here too: this run's text stays (keeping both is the save's work).
  EXPECT_EQ("ソフト", open("a/2"));
  idx.storeNote("ソフト編集", "two", "a/2", 0, false);
  tavtest::writeFileBytes(data("a/2"), "<k>two,</k><n>other</n>");
  EXPECT_EQ("ソフト編集", open("a/2"));
  // Deleted elsewhere: the text read last still opens.
  tav::deleteFile(data("a/1"));
  EXPECT_EQ("表の変更", open("a/1"));
}

TEST_F(Store, StatusTransitions) {
  makeSub("a");
  writeIndex("a/1,0,0,0,one\n");
  writeNote("a/1", "<k>one,</k><f>0</f><c>0</c><n>body</n>");
  idx.load("data");
  tav::IndexEntry* e = idx.findByKey("a/1");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->status, EntryStatus::Clean);

  const std::string* body = nullptr;
  ASSERT_TRUE(idx.fetchNote("a/1", &body, nullptr, nullptr));
  idx.storeNote("body", "one", "a/1", 3, true);  // same body and keyword
  EXPECT_EQ(e->status, EntryStatus::Clean);
  idx.storeNote("body", "uno", "a/1", 3, true);  // keyword changed
  EXPECT_EQ(e->status, EntryStatus::Dirty);
  idx.storeNote("", "uno", "a/1", 0, false);
  EXPECT_EQ(e->status, EntryStatus::Deleted);
  EXPECT_EQ(e->keyword(), "uno");  // nothing else changes on delete

  idx.storeNote("fresh", "new", "a/9", 1, false);
  ASSERT_NE(idx.findByKey("a/9"), nullptr);
  EXPECT_EQ(idx.findByKey("a/9")->status, EntryStatus::Dirty);
  idx.storeNote("", "none", "a/10", 1, false);  // unknown key, empty body
  EXPECT_EQ(idx.findByKey("a/10"), nullptr);
}

TEST_F(Store, SameBodyStoreStaysCleanButCaretAndCheckReachTheIndex) {
  makeSub("a");
  const std::string file = "<k>one,</k><f>0</f><c>0</c><n>body</n>";
  writeIndex("a/1,0,0,0,one\n");
  writeNote("a/1", file);
  idx.load("data");
  ASSERT_TRUE(idx.fetchNote("a/1", nullptr, nullptr, nullptr));
  idx.storeNote("body", "one", "a/1", 9, true);
  EXPECT_EQ(idx.findByKey("a/1")->status, EntryStatus::Clean);
  ASSERT_TRUE(idx.save("data"));
  EXPECT_EQ(index(), "a/1,9,1,0,one\n");
  EXPECT_EQ(tavtest::readFileBytes(data("a/1")), file);  // not rewritten
}

// ---- placement of new entries

TEST_F(Store, NewEntryJoinsTheRunOfItsSubFolder) {
  writeIndex("a/1,0,0,0,k\na/2,0,0,0,k\nb/1,0,0,0,k\nc/1,0,0,0,k\n");
  idx.load("data");
  idx.storeNote("x", "new", "a/3", 0, false);
  EXPECT_EQ(keysInOrder(), (Lines{"a/1", "a/2", "a/3", "b/1", "c/1"}));
}

TEST_F(Store, NewEntryFollowsTheLastEntryWhichIsNeverExamined) {
  writeIndex("a/1,0,0,0,k\na/2,0,0,0,k\nb/1,0,0,0,k\n");
  idx.load("data");
  idx.storeNote("x", "new", "a/3", 0, false);
  EXPECT_EQ(keysInOrder(), (Lines{"a/1", "a/2", "b/1", "a/3"}));
}

TEST_F(Store, NewEntryIntoEmptyListAndUnknownSubFolder) {
  idx.load("data");
  idx.storeNote("x", "first", "z/1", 0, false);
  idx.storeNote("y", "second", "q/1", 0, false);
  EXPECT_EQ(keysInOrder(), (Lines{"z/1", "q/1"}));
}

// A keyword that contains "a/" does not pull a new note of sub-folder a.
TEST_F(Store, PlacementLooksAtTheKeyNotTheKeyword) {
  writeIndex("b/1,0,0,0,see a/x\nc/1,0,0,0,k\nd/1,0,0,0,k\n");
  idx.load("data");
  idx.storeNote("x", "new", "a/3", 0, false);
  EXPECT_EQ(keysInOrder(), (Lines{"b/1", "c/1", "d/1", "a/3"}));
}

// ---- lookups

TEST_F(Store, FindByKeywordGivesTheFirstInListOrderWhateverItsStatus) {
  writeIndex("a/1,0,0,0,other\na/2,0,0,0,same\nb/1,0,0,0,same\n");
  idx.load("data");
  ASSERT_NE(idx.findByKeyword("same"), nullptr);
  EXPECT_EQ(idx.findByKeyword("same")->key(), "a/2");
  idx.storeNote("x", "same", "a/0", 0, false);  // placed before b/1, after a/2
  EXPECT_EQ(idx.findByKeyword("same")->key(), "a/2");
  idx.storeNote("", "same", "a/2", 0, false);
  EXPECT_EQ(idx.findByKeyword("same")->key(), "a/2");  // deleted still counts
  idx.storeNote("y", "renamed", "a/1", 0, false);
  idx.storeNote("y", "same", "a/1", 0, false);
  EXPECT_EQ(idx.findByKeyword("same")->key(), "a/1");
  EXPECT_EQ(idx.findByKeyword("other"), nullptr);
  EXPECT_EQ(idx.findByKeyword(""), nullptr);
}

// ---- filters

TEST_F(Store, KeywordQueryFiltersByEveryWordCaseFolded) {
  writeIndex("a/1,0,0,0,xxABxxCD\na/2,0,0,0,ab only\na/3,0,0,0,CD ab\n");
  idx.load("data");
  EXPECT_EQ(lines("ab cd"), (Lines{"a/1,0,0,0,xxABxxCD", "a/3,0,0,0,CD ab"}));
  EXPECT_EQ(lines("ab,zz"), Lines{});
  EXPECT_EQ(lines("AB"), (Lines{"a/1,0,0,0,xxABxxCD", "a/2,0,0,0,ab only", "a/3,0,0,0,CD ab"}));
  EXPECT_EQ(lines(" , "), lines(""));
  EXPECT_EQ(lines("a/1"), Lines{});  // keys are not searched
  EXPECT_EQ(lines("xx\nab"), Lines{});  // no match spans two keywords
  EXPECT_EQ(idx.countMatches("ab cd"), 2u);
  EXPECT_EQ(idx.countMatches(""), 3u);
}

TEST_F(Store, CollectAppendsAndCountsWhatIsInTheList) {
  writeIndex("a/1,0,0,0,one\n");
  idx.load("data");
  Lines out{"header"};
  EXPECT_EQ(idx.collectMatches("", out, "", KeywordIndex::kAnyCheck), 2u);
  EXPECT_EQ(out, (Lines{"header", "a/1,0,0,0,one"}));
}

TEST_F(Store, CheckFilterAndDeletedEntries) {
  writeIndex("a/1,0,1,0,on\na/2,0,0,0,off\na/3,0,1,0,gone\n");
  idx.load("data");
  idx.storeNote("", "gone", "a/3", 0, false);
  EXPECT_EQ(lines("", "", 1), Lines{"a/1,0,1,0,on"});
  EXPECT_EQ(lines("", "", 0), Lines{"a/2,0,0,0,off"});
  EXPECT_EQ(lines("", "", 3).size(), 2u);
  EXPECT_EQ(idx.countMatches(""), 2u);
}

TEST_F(Store, GrepReadsBodiesFoldsAndSkipsNogrepAndUnreadable) {
  makeSub("a");
  writeIndex("a/1,0,0,0,one\na/2,0,0,0,two nogrep\na/3,0,0,0,missing\na/4,0,0,0,four\n");
  writeNote("a/1", "<k>one,</k><f>0</f><c>0</c><n>Alpha BETA</n>");
  writeNote("a/2", "<k>two,</k><f>0</f><c>0</c><n>alpha beta</n>");
  writeNote("a/4", "plain alpha");
  idx.load("data");
  EXPECT_EQ(lines("", "alpha,beta"), Lines{"a/1,0,0,0,one"});
  EXPECT_EQ(lines("", "ALPHA"), (Lines{"a/1,0,0,0,one", "a/4,0,0,0,four"}));
  EXPECT_EQ(lines("", "").size(), 4u);  // nogrep and unreadable listed without grep

  // Stopped after the first note (Esc), the filter gives what it found so far.
  std::vector<const tav::IndexEntry*> hits;
  int asked = 0;
  idx.collectMatchEntries("", hits, "ALPHA", KeywordIndex::kAnyCheck,
                          tav::Progress{[&](std::size_t, std::size_t) { return asked++ == 0; }});
  ASSERT_EQ(1u, hits.size());
  EXPECT_EQ("a/1", hits[0]->key());
}

// Each listed entry comes with its sub-folder run, also where entries that
// are deleted or filtered out by their check mark fall from between them.
// Shown as keys, "=" between two of one run, "|" where the run changes.
TEST_F(Store, ListedEntriesKeepTheirSubFolderRuns) {
  writeIndex("表/1,0,0,0,表計算\n表/2,0,1,0,表示\n表/3,0,0,0,予定表\nソ/4,0,1,0,ソフト表\n"
             "x,0,0,0,表x\ny,0,0,0,表y\n表/5,0,0,0,表5\n");
  idx.load("data");
  auto runs = [&](const char* query, int filter) {
    std::vector<const tav::IndexEntry*> hits;
    std::vector<std::uint32_t> run;
    idx.collectMatchEntries(query, hits, run, "", filter);
    EXPECT_EQ(hits.size(), run.size());
    std::string shown;
    for (std::size_t k = 0; k < hits.size() && k < run.size(); ++k) {
      if (k > 0) shown += run[k] == run[k - 1] ? "=" : "|";
      shown += std::string(hits[k]->key());
    }
    return shown;
  };
  EXPECT_EQ("表/1=表/2=表/3|ソ/4|x|y|表/5", runs("", KeywordIndex::kAnyCheck));
  EXPECT_EQ("表/1=表/3|x|y|表/5", runs("表", 0));
  EXPECT_EQ("表/2|ソ/4", runs("表", 1));
  idx.storeNote("", "", "表/1", 0, false);
  EXPECT_EQ("表/3|x|y|表/5", runs(" ", 0));
  EXPECT_EQ("表/2=表/3|ソ/4|x|y|表/5", runs("表", KeywordIndex::kAnyCheck));
}

// ---- fetch and check

TEST_F(Store, FetchNoteGivesBodyCheckAndCaretOfTheLine) {
  makeSub("a");
  writeIndex("a/1,12,1,0,one\n");
  writeNote("a/1", "<k>one,</k><f>3</f><c>0</c><n>議題\r\n予算</n>");
  idx.load("data");
  const std::string* body = nullptr;
  bool checked = false;
  unsigned caret = 0;
  ASSERT_TRUE(idx.fetchNote("a/1", &body, &checked, &caret));
  EXPECT_EQ(*body, "議題\r\n予算");
  EXPECT_TRUE(checked);
  EXPECT_EQ(caret, 12u);
}

TEST_F(Store, UnreadableNoteFailsFetchAndCheckLeavingOutputsAlone) {
  writeIndex("a/1,12,0,0,one\n");
  idx.load("data");
  const std::string sentinel = "untouched";
  const std::string* body = &sentinel;
  bool checked = true;
  unsigned caret = 77;
  EXPECT_FALSE(idx.fetchNote("a/1", &body, &checked, &caret));
  EXPECT_FALSE(idx.fetchNote("a/unknown", &body, &checked, &caret));
  EXPECT_EQ(body, &sentinel);
  EXPECT_TRUE(checked);
  EXPECT_EQ(caret, 77u);
  idx.setChecked("a/1", '1');
  EXPECT_EQ(idx.at(0).recordText(), "a/1,12,0,0,one");
}

TEST_F(Store, SetCheckedChangesTheLineInPlace) {
  makeSub("a");
  writeIndex("a/1,5,0,0,one\na/2,0,,0,two\n");
  writeNote("a/1", "x");
  writeNote("a/2", "y");
  idx.load("data");
  idx.setChecked("a/1", '1');
  EXPECT_EQ(idx.at(0).recordText(), "a/1,5,1,0,one");
  EXPECT_EQ(idx.at(0).checked, 1u);
  EXPECT_EQ(idx.at(0).status, EntryStatus::Clean);
  EXPECT_EQ(lines("", "", 0), Lines{});  // an empty check field reads as checked
  idx.setChecked("a/2", '1');  // an empty check field gets the mark
  EXPECT_EQ(idx.at(1).recordText(), "a/2,0,1,0,two");
  idx.setChecked("a/1", '0');
  EXPECT_EQ(idx.at(0).recordText(), "a/1,5,0,0,one");
}

// ---- prepending

TEST_F(Store, PrependToMatchesSkipsTheOpenNoteAndDeletedOnesAndIsSaved) {
  makeSub("a");
  writeIndex("a/1,2,1,0,memo one\na/10,0,0,0,memo ten\na/2,0,0,0,memo gone\na/3,0,0,0,other\n");
  writeNote("a/1", "<k>memo one,</k><f>2</f><c>1</c><n>one</n>");
  writeNote("a/10", "<k>memo ten,</k><f>0</f><c>0</c><n>ten</n>");
  writeNote("a/2", "gone");
  writeNote("a/3", "other");
  idx.load("data");
  idx.storeNote("", "memo gone", "a/2", 0, false);
  // a/1 is a prefix of a/10, which still gets the line.
  idx.prependToMatches("memo", "stamp", "a/1");
  ASSERT_TRUE(idx.save("data"));
  EXPECT_EQ(tavtest::readFileBytes(data("a/1")), "<k>memo one,</k><f>2</f><c>1</c><n>one</n>");
  EXPECT_EQ(tavtest::readFileBytes(data("a/10")),
            "<k>memo ten,</k><f>0</f><c>0</c><n>stamp\r\nten</n>");
  EXPECT_EQ(tavtest::readFileBytes(data("a/3")), "other");

  idx.prependToMatches("", "all", "");
  const std::string* body = nullptr;
  ASSERT_TRUE(idx.fetchNote("a/1", &body, nullptr, nullptr));
  EXPECT_EQ(*body, "all\r\none");
  ASSERT_TRUE(idx.save("data"));
  // The note file carries the line's check mark and caret.
  EXPECT_EQ(tavtest::readFileBytes(data("a/1")),
            "<k>memo one,</k><f>2</f><c>1</c><n>all\r\none</n>");
}

// ---- keys

TEST_F(Store, UniqueKeyCountsUpTheStampsLastFourDigits) {
  idx.load("data");
  const std::string stamp = "201111151234560000";
  std::string k1 = idx.uniqueKey("a", stamp);
  EXPECT_EQ(k1, "a/201111151234560000");
  idx.storeNote("x", "one", k1, 0, false);
  std::string k2 = idx.uniqueKey("a", stamp);
  EXPECT_EQ(k2, "a/201111151234560001");
  idx.storeNote("y", "two", k2, 0, false);
  EXPECT_EQ(idx.uniqueKey("a", stamp), "a/201111151234560002");
  // A file that is not in the index is not overwritten either.
  makeSub("b");
  writeNote("b/201111151234560000", "orphan");
  EXPECT_EQ(idx.uniqueKey("b", stamp), "b/201111151234560001");
}

TEST_F(Store, UniqueBatchKeysDoNotCollideAcrossTwoBatchesInOneSecond) {
  idx.load("data");
  const std::string stamp = "201111151234560000";
  Lines first, second;
  for (int n = 1; n <= 12; ++n) {
    first.push_back(idx.uniqueBatchKey("a", stamp, n));
    idx.storeNote("x", "k", first.back(), 0, false);
  }
  EXPECT_EQ(first[0], "a/2011111512345600000");
  EXPECT_EQ(first[10], "a/2011111512345600010");
  for (int n = 1; n <= 12; ++n) {
    second.push_back(idx.uniqueBatchKey("a", stamp, n));
    idx.storeNote("y", "k", second.back(), 0, false);
  }
  EXPECT_EQ(idx.size(), 24u);
}

TEST_F(Store, MoveNoteFilesTheBodyUnderTheNewKey) {
  makeSub("a");
  makeSub("b");
  writeIndex("a/1,4,1,0,会議\n");
  writeNote("a/1", "<k>会議,</k><f>4</f><c>1</c><n>本文</n>");
  idx.load("data");
  EXPECT_FALSE(idx.moveNote("a/unknown", "b/1", 0));
  EXPECT_FALSE(idx.moveNote("a/1", "a/1", 0));  // taken
  ASSERT_TRUE(idx.moveNote("a/1", "b/2", 7));
  ASSERT_TRUE(idx.saveAndClear("data"));
  EXPECT_EQ(tav::pathKind(data("a/1")), tav::PathKind::None);
  EXPECT_EQ(tavtest::readFileBytes(data("b/2")), "<k>会議,</k><f>7</f><c>1</c><n>本文</n>");
  EXPECT_EQ(index(), "b/2,7,1,0,会議\n");
}

}  // namespace
