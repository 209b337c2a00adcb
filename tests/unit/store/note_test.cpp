#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/platform.h"
#include "store/match.h"
#include "store/note.h"
#include "testsupport.h"

namespace {

using tav::EntryStatus;
using tav::IndexEntry;

std::string dataPath(const tavtest::TempExeDir& tmp, const std::string& key) {
  return tmp.path("data") + tav::kPathSep + key;
}

void makeSub(const tavtest::TempExeDir& tmp, const std::string& sub) {
  tav::createFolder(tmp.path("data"));
  tav::createFolder(tmp.path("data") + tav::kPathSep + sub);
}

// ---- keys

TEST(NoteKey, ShapeAndPrefix) {
  EXPECT_EQ(tav::makeNoteKey("default", "201111151234560000"), "default/201111151234560000");
  EXPECT_EQ(tav::makeNoteKey("a", "201111151234560000", '3'), "a/2011111512345600003");
  EXPECT_EQ(tav::keyPrefix("表/123"), "表/");
  EXPECT_EQ(tav::keyPrefix("nokey"), "");
  EXPECT_EQ(tav::bumpStamp("201111151234560000", 2), "201111151234560002");
  EXPECT_EQ(tav::bumpStamp("201111151234569999", 1), "201111151234569999-1");
  EXPECT_EQ(tav::bumpStamp("abc", 1), "abc-1");
}

// Batch keys: ten digits, then the stamp's last four digits carry on.
TEST(NoteKey, BatchKeysStayUniqueAndWellFormedBeyondTenNotes) {
  const std::string stamp = "201111151234560000";
  EXPECT_EQ(tav::batchKey("a", stamp, 1), "a/2011111512345600000");
  EXPECT_EQ(tav::batchKey("a", stamp, 10), "a/2011111512345600009");
  EXPECT_EQ(tav::batchKey("a", stamp, 11), "a/2011111512345600010");
  std::set<std::string> seen;
  for (int n = 1; n <= 2000; ++n) {
    std::string key = tav::batchKey("a", stamp, n);
    EXPECT_TRUE(seen.insert(key).second) << n;
    EXPECT_EQ(key.size(), 2u + 19u) << key;
    EXPECT_TRUE(tav::isSafeNoteKey(key)) << key;
  }
}

TEST(NoteKey, SafeKeysAreSubFolderSlashFileName) {
  for (const char* key : {"default/201111151234560000", "ソフト/1", "表/能予", "a/b.txt", "a/.x",
                          "a/CONSOLE", "a/COM10", "a/x..y"})
    EXPECT_TRUE(tav::isSafeNoteKey(key)) << key;
}

TEST(NoteKey, KeysThatCouldLeaveTheDataFolderAreRefused) {
  for (const char* key :
       {"", "nokey", "/x", "a/", "../x", "a/..", "./x", "a/.", "a/b/c", "a/../../etc",
        "C:/x", "a/c:x", "a\\..\\x/y", "a/b\\c", "a/CON", "a/con", "a/NUL.txt", "a/Aux",
        "PRN/x", "a/COM1", "a/lpt9.log", "a/CON .txt", "a/x.", "a/x ", "a /x", "a/ソ\\x"})
    EXPECT_FALSE(tav::isSafeNoteKey(key)) << key;
}

// ---- note files

TEST(NoteFile, ComposeMatchesTheWrittenForm) {
  EXPECT_EQ(tav::composeNoteFile("会議", 12, true, "議題\r\n予算"),
            "<k>会議,</k><f>12</f><c>1</c><n>議題\r\n予算</n>");
  EXPECT_EQ(tav::composeNoteFile("", 0, false, ""), "<k>,</k><f>0</f><c>0</c><n></n>");
}

TEST(NoteFile, BodyOfPlainAndTaggedTexts) {
  EXPECT_EQ(tav::noteBodyOf("just text\r\nno tags"), "just text\r\nno tags");
  EXPECT_EQ(tav::noteBodyOf("<k>a,</k><f>3</f><c>0</c><n>body</n>"), "body");
  EXPECT_EQ(tav::noteBodyOf("<n></n>"), "");
  EXPECT_EQ(tav::noteBodyOf("x<n>open to the end"), "open to the end");
  EXPECT_EQ(tav::noteBodyOf("</n>x<n>y"), "y");  // the closing mark comes first
}

TEST(NoteFile, BodyHoldingTheClosingMarkSurvives) {
  std::string body = "a</n>b</n>";
  EXPECT_EQ(tav::noteBodyOf(tav::composeNoteFile("kw", 0, false, body)), body);
}

TEST(NoteFile, KeywordHoldingTheOpeningMarkDoesNotShiftTheBody) {
  std::string body = "本文<n>";
  EXPECT_EQ(tav::noteBodyOf(tav::composeNoteFile("a<n>b</n>", 7, true, body)), body);
}

// ---- entries

TEST(IndexEntry, FromLineReadsFieldsAndCheck) {
  IndexEntry e = IndexEntry::fromLine("default/201111151234560000,12,1,0,会議\r");
  EXPECT_EQ(e.record, ",default/201111151234560000,12,1,0,会議,");
  EXPECT_EQ(e.key(), "default/201111151234560000");
  EXPECT_EQ(e.field(2), "12");
  EXPECT_EQ(e.keyword(), "会議");
  EXPECT_EQ(e.recordText(), "default/201111151234560000,12,1,0,会議");
  EXPECT_EQ(e.checked, 1u);
  EXPECT_EQ(e.caret, 0u);
  EXPECT_EQ(e.status, EntryStatus::Clean);
  EXPECT_FALSE(e.bodyLoaded);
  struct {
    const char* check;
    unsigned checked;
  } cases[] = {{"x", 1}, {"1", 1}, {"0", 0}, {"0abc", 0}, {"", 1}};
  for (const auto& c : cases)
    EXPECT_EQ(IndexEntry::fromLine(std::string("a/1,0,") + c.check + ",0,kw").checked, c.checked)
        << c.check;
}

TEST(IndexEntry, RebuildRecordKeepsInnerCommasAndDropsTrailingOnes) {
  IndexEntry e;
  e.rebuildRecord("a/1", "a,b", "body", 5, true);
  EXPECT_EQ(e.recordText(), "a/1,5,1,0,a,b");
  EXPECT_EQ(e.keyword(), "a,b");
  EXPECT_EQ(IndexEntry::fromLine(e.recordText()).keyword(), "a,b");
  EXPECT_TRUE(e.checkedAtStore);
  EXPECT_EQ(e.caret, 5u);
  EXPECT_EQ(e.body, "body");

  e.update("memo,,", "b2", 0, false);
  EXPECT_EQ(e.recordText(), "a/1,0,0,0,memo");
  EXPECT_EQ(e.checked, 0u);
  EXPECT_FALSE(e.checkedAtStore);

  e.update("two\r\nlines", "b", 0, false);  // would split the index line
  EXPECT_EQ(e.keyword(), "two  lines");

  e.update("", "b", 0, false);
  EXPECT_EQ(e.keyword(), "");
  EXPECT_EQ(e.key(), "a/1");
}

TEST(IndexEntry, ComposeUsesStoredCaretAndCheck) {
  IndexEntry e;
  e.rebuildRecord("a/1", "会議", "議題\r\n予算", 12, true);
  EXPECT_EQ(e.composeNoteFile(), "<k>会議,</k><f>12</f><c>1</c><n>議題\r\n予算</n>");
}

TEST(IndexEntry, KeyAndKeywordTestsAreExact) {
  IndexEntry e = IndexEntry::fromLine("a/2011,0,0,0,x a/20");
  EXPECT_TRUE(e.hasKey("a/2011"));
  EXPECT_FALSE(e.hasKey("a/201"));
  EXPECT_FALSE(e.hasKey("a/20"));  // only in the keyword
  EXPECT_FALSE(e.hasKey(""));
  EXPECT_TRUE(e.keywordEquals("x a/20"));
  EXPECT_FALSE(e.keywordEquals("x"));
  EXPECT_FALSE(IndexEntry::fromLine("a/1,0,0,0").keywordEquals(""));
}

TEST(IndexEntry, SaveActionFollowsStatus) {
  IndexEntry e;
  EXPECT_EQ(e.saveAction(), tav::IndexEntry::SaveAction::Leave);
  e.status = EntryStatus::Dirty;
  EXPECT_EQ(e.saveAction(), tav::IndexEntry::SaveAction::Write);
  e.status = EntryStatus::Deleted;
  EXPECT_EQ(e.saveAction(), tav::IndexEntry::SaveAction::Delete);
}

TEST(IndexEntry, KeywordMatchingFoldsAndNeedsEveryWord) {
  IndexEntry e = IndexEntry::fromLine("a/1,0,0,0,xxABxxCD");
  EXPECT_TRUE(e.keywordMatches("ab cd"));
  EXPECT_TRUE(e.keywordMatches("CD,ab"));
  EXPECT_TRUE(e.keywordMatches(""));
  EXPECT_TRUE(e.keywordMatches("ab  cd"));  // doubled space
  EXPECT_FALSE(e.keywordMatches("ab,zz"));
  EXPECT_FALSE(e.keywordMatches("a/1"));  // the key is not searched
}

TEST(IndexEntry, LoadBodyIsLazyAndCached) {
  tavtest::TempExeDir tmp;
  makeSub(tmp, "a");
  tavtest::writeFileBytes(dataPath(tmp, "a/1"), "<k>kw,</k><f>0</f><c>0</c><n>本文</n>");
  IndexEntry e = IndexEntry::fromLine("a/1,0,0,0,kw");
  const std::string* b = e.loadBody("data");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(*b, "本文");
  // Once read, the file is not consulted again.
  tav::deleteFile(dataPath(tmp, "a/1"));
  b = e.loadBody("data");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(*b, "本文");
}

TEST(IndexEntry, LoadBodyOfPlainFileMissingFileAndDeletedEntry) {
  tavtest::TempExeDir tmp;
  makeSub(tmp, "a");
  tavtest::writeFileBytes(dataPath(tmp, "a/plain"), "line1\r\nline2");
  IndexEntry plain = IndexEntry::fromLine("a/plain,0,0,0,kw");
  ASSERT_NE(plain.loadBody("data"), nullptr);
  EXPECT_EQ(*plain.loadBody("data"), "line1\r\nline2");

  IndexEntry missing = IndexEntry::fromLine("a/missing,0,0,0,kw");
  EXPECT_EQ(missing.loadBody("data"), nullptr);

  IndexEntry deleted = IndexEntry::fromLine("a/missing,0,0,0,kw");
  deleted.status = EntryStatus::Deleted;
  ASSERT_NE(deleted.loadBody("data"), nullptr);
  EXPECT_EQ(*deleted.loadBody("data"), "");
}

TEST(IndexEntry, PrependLineOnlyBeforeANonEmptyBody) {
  IndexEntry e;
  e.rebuildRecord("a/1", "kw", "old", 0, false);
  EXPECT_TRUE(e.prependLine("new", "data"));
  EXPECT_EQ(e.body, "new\r\nold");
  EXPECT_EQ(e.status, EntryStatus::Clean);
  IndexEntry empty;
  empty.rebuildRecord("a/2", "kw", "", 0, false);
  EXPECT_FALSE(empty.prependLine("new", "data"));
  EXPECT_EQ(empty.body, "");
}

TEST(IndexEntry, BodyFilterFoldsAndHonoursNogrep) {
  IndexEntry e;
  e.rebuildRecord("a/1", "kw", "Hello World 表示", 0, false);
  EXPECT_TRUE(e.bodyContainsAll("", "data"));
  EXPECT_TRUE(e.bodyContainsAll("hello,WORLD", "data"));
  EXPECT_TRUE(e.bodyContainsAll("表示", "data"));
  EXPECT_FALSE(e.bodyContainsAll("hello,moon", "data"));
  EXPECT_TRUE(e.bodyContainsAll("o w", "data"));  // grep words split at "," only
  IndexEntry hidden;
  hidden.rebuildRecord("a/2", "secret nogrep", "Hello", 0, false);
  EXPECT_FALSE(hidden.bodyContainsAll("hello", "data"));
  EXPECT_TRUE(hidden.bodyContainsAll("", "data"));
}

TEST(ContainsText, MatchesAtEdgesAndRejectsNearMisses) {
  EXPECT_TRUE(tav::containsText("ABC", "abc", false));
  EXPECT_TRUE(tav::containsText("xxABC", "bc", false));
  EXPECT_TRUE(tav::containsText("12-3", "2-3", false));
  EXPECT_FALSE(tav::containsText("AB", "abc", false));
  EXPECT_FALSE(tav::containsText("aab", "abb", false));
  EXPECT_TRUE(tav::containsText("", "", false));
  EXPECT_TRUE(tav::containsText("ソフト", "フ", false));
}

}  // namespace
