// The settings dialog's logic: the two lists, directory sets, and what OK does
// to the data folders, the settings and the index (on real folders).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/settings_dialog.h"
#include "platform/platform.h"
#include "store/note.h"
#include "ui/open_keyword.h"
#include "testsupport.h"

namespace {

using tav::NameList;

NameList sorted(NameList v) {
  std::sort(v.begin(), v.end());
  return v;
}

// Sets keep one entry per name, so the box and the list never disagree.
TEST(DirectorySets, SavedAppliedReplacedAndDeletedByName) {
  NameList dirs{"古い,,default"};
  tav::saveDirSet(dirs, "a", "", {"x", "y"});
  tav::saveDirSet(dirs, "空", "", {});
  EXPECT_EQ((NameList{"古い,,default", "a,,x,y", "空,"}), dirs);
  // Exactly the set's sub-folders that exist end up on the left, wherever
  // they were; a folder named like the set is not a member.
  NameList left{"x", "z", "a"}, right{"y", "w", "x"};
  tav::applyDirSet(*tav::findDirSet(dirs, "a"), left, right);
  EXPECT_EQ((NameList{"x", "y"}), sorted(left));
  EXPECT_EQ((NameList{"a", "w", "z"}), sorted(right));
  tav::saveDirSet(dirs, "a", "", {"z"});         // same name: replaced
  tav::saveDirSet(dirs, "b", "古い", {"会議"});  // chosen set renamed
  EXPECT_EQ((NameList{"空,", "a,,z", "b,,会議"}), dirs);
  tav::deleteDirSet(dirs, "a");
  EXPECT_EQ((NameList{"空", "b"}), tav::dirSetNames(dirs));
  EXPECT_FALSE(tav::usableSetName("a,b"));  // would be read back as "a"
  EXPECT_FALSE(tav::usableSetName(""));
}

class SettingsOk : public ::testing::Test {
 protected:
  std::string path(const std::string& folder, const std::string& rest = "") const {
    return tmp.path(folder) + (rest.empty() ? "" : tav::kPathSep + rest);
  }
  void note(const std::string& folder, const std::string& key, const std::string& keyword) {
    tav::createFolder(path(folder));
    tav::createFolder(path(folder, tav::keyFolder(key)));
    tavtest::writeFileBytes(path(folder, key), tav::composeNoteFile(keyword, 0, false, keyword));
  }
  std::string index(const std::string& folder) const {
    return tavtest::readFileBytes(path(folder, "index2.txt"));
  }

  tavtest::TempExeDir tmp;
  tav::Settings s;
  tav::KeywordIndex idx;
};

TEST_F(SettingsOk, MovesUnlistedFoldersWithTheirNotesAndRebuildsBothIndexes) {
  note("data", "会議/201101010000000000", "kaigi");
  note("data", "ソフト/201101010000010000", "soft");
  note("data", "共有/201101010000020000", "shared1");
  note("data2", "共有/201101010000030000", "shared2");
  s.current = "data";
  idx.load("data");
  idx.storeNote("unsaved", "新しい", "ソフト/201101010000040000", 0, false);

  tav::SettingsDialogData d = tav::settingsDialogStart(s, {});
  EXPECT_EQ((NameList{"ソフト", "会議", "共有"}), sorted(d.dataSide));
  EXPECT_EQ((NameList{"共有"}), d.data2Side);
  // 会議 and 共有 go right; 共有 is on both sides already, so its move fails.
  d.dataSide = {"ソフト"};
  d.data2Side = {"会議", "共有"};
  d.defdir = "表";
  d.warp = "★";
  d.current = "data2";
  tav::SettingsOutcome r = tav::applySettingsDialog(d, s, idx);

  EXPECT_TRUE(r.saved);
  EXPECT_TRUE(r.moved);
  EXPECT_EQ("表", s.defdir);
  EXPECT_EQ("★", s.warp);
  EXPECT_EQ("data2", s.current);
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(path("data", "会議")));
  EXPECT_EQ("<k>kaigi,</k><f>0</f><c>0</c><n>kaigi</n>",
            tavtest::readFileBytes(path("data2", "会議/201101010000000000")));
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(path("data", "共有")));  // stayed, nothing lost
  EXPECT_NE("", tavtest::readFileBytes(path("data", "共有/201101010000020000")));
  // The unsaved note was written under the old folder before the rebuild.
  EXPECT_NE(std::string::npos, index("data").find("ソフト/201101010000040000,0,0,0,新しい\n"));
  EXPECT_NE(std::string::npos, index("data").find("共有/201101010000020000,0,0,0,shared1\n"));
  EXPECT_EQ(std::string::npos, index("data").find("会議"));
  EXPECT_NE(std::string::npos, index("data2").find("会議/201101010000000000,0,0,0,kaigi\n"));
  // The index in memory is the one of the folder now in use.
  EXPECT_EQ("data2", idx.folder());
  EXPECT_EQ(2u, idx.size());
  EXPECT_NE(nullptr, idx.findByKeyword("kaigi"));
}

// A sync engine's own folder is neither listed nor moved to the other side.
TEST_F(SettingsOk, SyncEngineFolders_NeitherListedNorMoved) {
  note("data", "ソフト/201101010000000000", "soft");
  tav::createFolder(path("data", ".stfolder"));
  s.current = "data";
  tav::SettingsDialogData d = tav::settingsDialogStart(s, {});
  EXPECT_EQ((NameList{"ソフト"}), d.dataSide);
  d.dataSide.clear();
  d.data2Side = {"ソフト"};
  tav::applySettingsDialog(d, s, idx);
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(path("data2", "ソフト")));
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(path("data", ".stfolder")));
}

TEST_F(SettingsOk, NoChangeMovesNothingAndRebuildsNothing) {
  note("data", "会議/201101010000000000", "kaigi");
  tav::createFolder(path("data2"));
  tavtest::writeFileBytes(path("data2", "index2.txt"), "x/1,0,0,0,stale\n");
  s.current = "data";
  tav::SettingsOutcome r = tav::applySettingsDialog(tav::settingsDialogStart(s, {}), s, idx);
  EXPECT_TRUE(r.saved);
  EXPECT_FALSE(r.moved);
  EXPECT_EQ("x/1,0,0,0,stale\n", index("data2"));  // not rebuilt
  EXPECT_EQ("data", idx.folder());
}

// Notes that cannot be written must not be dropped by the reload: the
// folders and the folder in use stay as they are, the index keeps them.
TEST_F(SettingsOk, FailedSaveKeepsUnsavedNotesAndTheFolders) {
  note("data", "会議/201101010000000000", "kaigi");
  s.current = "data";
  idx.load("data");
  idx.storeNote("cannot be written", "lost?", "missing/201101010000000000", 0, false);
  tav::SettingsDialogData d = tav::settingsDialogStart(s, {});
  d.dataSide.clear();
  d.data2Side = {"会議"};
  d.current = "data2";
  d.warp = "☆";
  tav::SettingsOutcome r = tav::applySettingsDialog(d, s, idx);
  EXPECT_FALSE(r.saved);
  EXPECT_EQ("data", s.current);
  EXPECT_EQ("☆", s.warp);
  EXPECT_EQ(tav::PathKind::Folder, tav::pathKind(path("data", "会議")));
  ASSERT_NE(nullptr, idx.findByKeyword("lost?"));
  EXPECT_EQ(tav::EntryStatus::Dirty, idx.findByKeyword("lost?")->status);
}

}  // namespace

namespace {

// The data folder in use is written when OK switches it, so a crash after the
// switch starts in the new folder, where its journal is, not the old one.
TEST_F(SettingsOk, Fault6_CrashAfterSwitchingDataFolders_NextStartAppliesTheJournal) {
  note("data", "会議/201101010000000000", "kaigi");
  note("data2", "ソフト/201101010000010000", "soft");
  s.iniPath = tmp.path("init.ini");
  tav::loadSettings(s);
  tav::Journal j;
  idx.journal = &j;
  idx.load(s.dataFolder());
  tav::SettingsDialogData d = tav::settingsDialogStart(s, {});
  d.current = "data2";
  ASSERT_TRUE(tav::applySettingsDialog(d, s, idx).saved);
  idx.storeNote("表\r\n新しい", "soft", "ソフト/201101010000010000", 0, false);
  idx.journal = nullptr;  // the crash: no close
  j = tav::Journal();

  tav::Settings next;
  next.iniPath = s.iniPath;
  tav::loadSettings(next);
  EXPECT_EQ("data2", next.dataFolder());
  tav::Journal j2;
  tav::KeywordIndex again;
  again.journal = &j2;
  again.load(next.dataFolder());
  EXPECT_EQ(1u, j2.recovered());
  EXPECT_NE(std::string::npos,
            tavtest::readFileBytes(path("data2", "ソフト/201101010000010000")).find("新しい"));
}

}  // namespace
