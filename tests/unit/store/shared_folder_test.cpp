// A data folder that other programs and PCs write too: a save never writes
// over their changes, and the index it writes lists the note files on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/keyword_index.h"
#include "store/sync_names.h"
#include "testsupport.h"

namespace {

using tav::KeywordIndex;

std::string note(const std::string& keyword, const std::string& body, int caret = 0) {
  return tav::composeNoteFile(keyword, static_cast<unsigned>(caret), false, body);
}

// A folder with the one note "表/1" (keyword 予定), loaded and the note read
// as the editor reads it; what the editor was given.
std::string readOneNote(const tavtest::DataFolder& d, KeywordIndex& idx, const std::string& body) {
  d.writeIndex("表/1,0,0,0,予定\n");
  d.writeNote("表/1", note("予定", body));
  idx.load(d.name());
  const std::string* shown = nullptr;
  EXPECT_TRUE(idx.fetchNote("表/1", &shown, nullptr, nullptr));
  return shown ? *shown : std::string();
}

std::vector<std::string> listedKeys(const std::string& indexText) {
  std::vector<std::string> keys;
  for (std::size_t p = 0; p < indexText.size();) {
    std::size_t end = indexText.find('\n', p);
    std::string line = indexText.substr(p, end - p);
    keys.push_back(line.substr(0, line.find(',')));
    p = end + 1;
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

// Each row: what this run does to a note it read, what another program did
// to its file meanwhile, and what the save leaves.
TEST(SharedFolder, SaveKeepsEveryChangedVersionAndMarksTheOtherOne) {
  enum Here { Edit, Same, Delete };
  enum There { Changed, Caret, Removed, Untouched };
  struct Case {
    const char* what;
    Here here;
    There there;
    const char* file;     // the note's own file afterwards; "" for none
    const char* copy;     // the body of a marked copy; "" for none
  };
  const Case cases[] = {
      {"both changed: both kept", Edit, Changed, "ここの表", "あちらのソ"},
      {"changed only there: the file is right", Same, Changed, "あちらのソ", ""},
      {"only the caret there: no conflict", Edit, Caret, "ここの表", ""},
      {"edited here, deleted there: the edit", Edit, Removed, "ここの表", ""},
      {"deleted here, edited there: the edit", Delete, Changed, "あちらのソ", ""},
      {"deleted here, untouched there", Delete, Untouched, "", ""},
  };
  tavtest::FakeClock clock(tavtest::localSeconds(2026, 12, 7, 22, 40, 5));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tavtest::DataFolder d;
    KeywordIndex idx;
    ASSERT_EQ("元の本文", readOneNote(d, idx, "元の本文"));
    if (c.here == Edit) idx.storeNote("ここの表", "予定", "表/1", 0, false);
    if (c.here == Same) {  // changed and changed back: Dirty, as read
      idx.storeNote("元の本文", "予定変更", "表/1", 0, false);
      idx.storeNote("元の本文", "予定", "表/1", 0, false);
    }
    if (c.here == Delete) idx.storeNote("", "予定", "表/1", 0, false);
    if (c.there == Changed) d.writeNote("表/1", note("予定", "あちらのソ"));
    if (c.there == Caret) d.writeNote("表/1", note("予定", "元の本文", 1234));
    if (c.there == Removed) tav::deleteFile(d.path("表/1"));

    ASSERT_TRUE(idx.save(d.name()));
    const std::string own = d.read("表/1");
    EXPECT_EQ(own.empty() ? "" : tav::noteBodyOf(own), c.file);
    const std::vector<std::string> keys = listedKeys(d.read("index2.txt"));
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "表/1"), *c.file ? 1 : 0);
    ASSERT_EQ(keys.size(), (*c.file ? 1u : 0u) + (*c.copy ? 1u : 0u));
    if (*c.copy) {
      const std::string copyKey = keys[0] == "表/1" ? keys[1] : keys[0];
      EXPECT_EQ(tav::noteBodyOf(d.read(copyKey)), c.copy);
      EXPECT_EQ(tav::noteKeywordOf(d.read(copyKey)), "予定 (競合コピー 2026/12/07 22:40)");
      std::vector<std::string> rows;
      EXPECT_EQ(idx.collectMatches("予定", rows, "", KeywordIndex::kAnyCheck), 2u)
          << "the note's own keyword lists both";
    }
    EXPECT_EQ(idx.lastSaveReport().conflicts, *c.copy ? 1u : 0u);
  }
}

TEST(SharedFolder, SavedIndexListsExactlyTheNoteFilesOnDisk) {
  tavtest::DataFolder d;
  d.writeIndex("表/1,0,0,0,一\n表/2,0,0,0,二\n表/3,0,0,0,三\n");
  for (const char* key : {"表/1", "表/2", "表/3"}) d.writeNote(key, note("古い", "本文"));
  KeywordIndex idx;
  idx.load(d.name());
  idx.storeNote("", "三", "表/3", 0, false);  // deleted here: stays deleted

  // Meanwhile other programs: a note synced in with its header, one deleted,
  // the index replaced by another PC's close, a sync engine's copy of it, and
  // the engine's own files, which are never notes.
  d.writeNote("ソ/4", note("届いたソ", "x"));
  tav::deleteFile(d.path("表/2"));
  d.writeNote("ソ/5", note("見出し", "y"));
  d.writeNote("ソ/6", note("見出し", "z"));
  d.writeIndex("表/1,0,0,0,一\nソ/5,3,1,0,あちらの五\nな/9,0,0,0,ファイルなし\n");
  d.writeNote("ソ/7", note("見出し", "w"));
  const std::string copy = d.path("index2.sync-conflict-20261207-213000-ABCDEF1.txt");
  tavtest::writeFileBytes(copy, "ソ/7,0,0,0,写しの七\n");
  tav::createFolder(d.path(".stfolder"));
  d.writeNote(".stversions/8", note("古い版", "v"));
  tavtest::writeFileBytes(d.path("ソ") + tav::kPathSep + "~syncthing~ソ.tmp", "t");

  ASSERT_TRUE(idx.save(d.name()));
  const std::string written = d.read("index2.txt");
  EXPECT_EQ(listedKeys(written), (std::vector<std::string>{"ソ/4", "ソ/5", "ソ/6", "ソ/7", "表/1"}));
  EXPECT_NE(written.find("ソ/4,0,0,0,届いたソ\n"), std::string::npos) << written;
  EXPECT_NE(written.find("ソ/5,3,1,0,あちらの五\n"), std::string::npos) << written;
  EXPECT_NE(written.find("ソ/7,0,0,0,写しの七\n"), std::string::npos) << written;
  EXPECT_EQ(tav::pathKind(copy), tav::PathKind::None) << "merged, then removed";
  EXPECT_EQ(tav::pathKind(d.path("表/3")), tav::PathKind::None);
  EXPECT_EQ(idx.findByKey("表/2"), nullptr);
  EXPECT_EQ(idx.lastSaveReport().added, 4u);
  EXPECT_EQ(idx.lastSaveReport().dropped, 1u);

  // Written by this save, the index is this run's again: another save keeps it.
  ASSERT_TRUE(idx.save(d.name()));
  EXPECT_EQ(d.read("index2.txt"), written);
}

// Two PCs closed at once and the sync engine kept the loser's index as a
// copy: its notes are listed from the start, not only after the next save.
TEST(SharedFolder, AnIndexCopyIsMergedAtLoad) {
  tavtest::DataFolder d;
  d.writeIndex("表/1,0,0,0,一\n");
  d.writeNote("表/1", note("一", "a"));
  d.writeNote("ソ/2", note("二", "b"));
  tavtest::writeFileBytes(d.path("index2.sync-conflict-20261207-213000-ABCDEF1.txt"),
                          "ソ/2,0,1,0,写しの二\nソ/3,0,0,0,消えた三\n");
  KeywordIndex idx;
  idx.load(d.name());
  ASSERT_NE(idx.findByKey("ソ/2"), nullptr);
  EXPECT_EQ(idx.findByKey("ソ/2")->keyword(), "写しの二");
  EXPECT_EQ(idx.findByKey("ソ/3"), nullptr) << "its file is gone";
}

// Filter words look at the file once more when they change, so a body read
// before another program changed the note is not what they search.
TEST(SharedFolder, ANewFilterWordSeesTheNoteAsItsFileNowIs) {
  tavtest::DataFolder d;
  d.writeIndex("表/1,0,0,0,予定\n");
  d.writeNote("表/1", note("予定", "会議ソ"));
  KeywordIndex idx;
  idx.load(d.name());
  std::vector<std::string> rows;
  ASSERT_EQ(idx.collectMatches("", rows, "会議", KeywordIndex::kAnyCheck), 1u);
  d.writeNote("表/1", note("予定", "出張の表"));
  rows.clear();
  EXPECT_EQ(idx.collectMatches("", rows, "出張", KeywordIndex::kAnyCheck), 1u);
  rows.clear();
  EXPECT_EQ(idx.collectMatches("", rows, "会議", KeywordIndex::kAnyCheck), 0u);
}

// The editor still shows the text it was given when a filter read the newer
// file; storing that text unchanged must not write it back over the file.
TEST(SharedFolder, AnEditorsUnchangedTextNeverWritesOverANewerFile) {
  tavtest::DataFolder d;
  KeywordIndex idx;
  const std::string editor = readOneNote(d, idx, "古いソ");
  ASSERT_EQ("古いソ", editor);
  d.writeNote("表/1", note("予定", "新しい表の本文"));
  std::vector<std::string> rows;
  ASSERT_EQ(idx.collectMatches("", rows, "新しい", KeywordIndex::kAnyCheck), 1u);
  idx.storeNote(editor, "予定", "表/1", 0, false);
  ASSERT_TRUE(idx.save(d.name()));
  EXPECT_EQ(tav::noteBodyOf(d.read("表/1")), "新しい表の本文");
  EXPECT_EQ(listedKeys(d.read("index2.txt")), std::vector<std::string>{"表/1"});
}

}  // namespace
