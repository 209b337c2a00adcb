// Names that other programs keep among the notes, and the conflict copies
// sync engines make of a note.
#include <gtest/gtest.h>

#include "store/note.h"
#include "store/sync_names.h"

namespace {

TEST(SyncNames, OtherProgramsEntriesAndConflictCopies) {
  struct Case {
    const char* name;
    bool foreign, conflict;
  };
  const Case cases[] = {
      {".stfolder", true, false},
      {"~syncthing~201212240000000000.tmp", true, false},
      {"desktop.ini", true, false},
      {"Thumbs.db", true, false},
      {"thumbs.DB", true, false},
      {"ソフト", false, false},
      {"desktop.ini.txt", false, false},
      {"201212240000000000", false, false},
      {"201212240000000000.sync-conflict-20261207-213000-ABCDEF1", false, true},
      {"予定.sync-conflict-20261207-213000-ABCDEF1.txt", false, true},
      {"201212240000000000.sync-conflict-2026120-213000-ABC", false, false},
      {"201212240000000000.sync-conflict-20261207-213000-", false, false},
      {"201212240000000000 (PC2's conflicted copy 2026-12-07)", false, true},
      {"表 (PC2 の競合コピー 2026-12-07)", false, true},
      {"競合コピー", false, false},
      // The marker's bytes starting inside a double-byte character are no marker.
      {"a (\x88\x8B\xA3" "合コピー)", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tav::isForeignEntry(c.name), c.foreign) << c.name;
    EXPECT_EQ(tav::isConflictCopyName(c.name), c.conflict) << c.name;
  }
  EXPECT_TRUE(tav::isForeignEntry("ソフト", true)) << "the hidden or system attribute";
  EXPECT_EQ(tav::conflictCopyKeyword(tav::conflictCopyKeyword("予定")), "予定 (競合コピー)");
  // New notes are never filed where no listing would find them again.
  EXPECT_EQ(tav::safeFolderName(".stversions"), "default");
  EXPECT_EQ(tav::safeFolderName("~old"), "default");
  EXPECT_EQ(tav::safeFolderName("表"), "表");
}

TEST(SyncNames, WhichChangesTheWatcherReports) {
  for (const char* key : {"表/a.txt", "表/", "ソ/201212240000000000", "index2.txt",
                          "index2.sync-conflict-20261207-213000-ABCDEF1.txt"})
    EXPECT_TRUE(tav::isWatchedKey(key)) << key;
  for (const char* key : {".stfolder/", ".stversions/表/a.txt", "表/~syncthing~a.txt.tmp",
                          "表/.~tav1_1.tmp", "表/Thumbs.db", "journal.dat", "journal-2.dat",
                          "bodies.dat", "desktop.ini", "表/sub/a.txt"})
    EXPECT_FALSE(tav::isWatchedKey(key)) << key;
}

}  // namespace
