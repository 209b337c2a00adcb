// Writes that fail: a save that cannot write a note, a full disk under the
// journal, a journal or an index that cannot be read, a note another program
// holds during a rebuild. One test per fault, named after it; each fails when
// its fix is taken out.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/journal.h"
#include "store/keyword_index.h"
#include "store/rebuild.h"
#include "testsupport.h"

namespace {

using tav::FileFault;
using tav::FileOp;
using tav::Journal;
using tav::KeywordIndex;

const std::string kMeeting = "<k>会議,</k><f>0</f><c>0</c><n>議題</n>";
const std::string kTable = "<k>表計算,</k><f>0</f><c>1</c><n>表</n>";

// The lines of an index text in byte order (a rebuild lists in the file
// system's order).
std::vector<std::string> sorted(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class FailedWrites : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.writeIndex("ソフト/1,0,0,0,会議\nソフト/2,0,1,0,表計算\n");
    folder.writeNote("ソフト/1", kMeeting);
    folder.writeNote("ソフト/2", kTable);
  }
  // A start: the index loaded with its journal.
  void start(KeywordIndex& idx, Journal& j) {
    idx.journal = &j;
    idx.load("data");
  }
  std::string body(KeywordIndex& idx, const std::string& key) {
    const std::string* b = nullptr;
    return idx.fetchNote(key, &b, nullptr, nullptr) && b ? *b : "<none>";
  }
  bool journalThere() const { return tav::pathKind(folder.path("journal.dat")) == tav::PathKind::File; }
  // The journal holds whole records only.
  void expectUntorn(const std::string& where) {
    std::string text = folder.read("journal.dat");
    std::size_t valid = 0;
    tav::readRecords(text, &valid);
    EXPECT_EQ(text.size(), valid) << where << ": a torn record stands in the journal";
  }

  tavtest::DataFolder folder;
};

// A save at close fails for one note (read-only), so the journal stays;
// another program then rewrites the other note, which the save did write. The
// next start keeps that program's text in the file and brings this run's
// text back beside it as a recovered note, never over it.
TEST_F(FailedWrites, Fault1_FailedSaveAtClose_NextStartNeverReplaysOldTextOverANewerFile) {
  {
    Journal j;
    KeywordIndex run;
    start(run, j);
    body(run, "ソフト/1");
    body(run, "ソフト/2");
    run.storeNote("議題\r\n予算", "会議", "ソフト/1", 0, false);
    run.storeNote("表\r\n能力", "表計算", "ソフト/2", 0, true);
    tavtest::setReadOnly(folder.path("ソフト/2"), true);
    EXPECT_FALSE(run.save("data"));
    // The save says which note it could not write.
    EXPECT_EQ(std::vector<std::string>{"表計算"}, run.lastSaveFailures().notes);
    EXPECT_FALSE(run.lastSaveFailures().index);
    EXPECT_TRUE(journalThere());
  }
  tavtest::setReadOnly(folder.path("ソフト/2"), false);
  const std::string theirs = "<k>会議,</k><f>0</f><c>0</c><n>他のプログラムの版</n>";
  folder.writeNote("ソフト/1", theirs);

  Journal j;
  KeywordIndex next;
  start(next, j);
  EXPECT_EQ(theirs, folder.read("ソフト/1"));
  EXPECT_EQ("表\r\n能力", body(next, "ソフト/2"));
  tav::IndexEntry* copy = next.findByKeyword(std::string("会議") + tav::kRecoveredMark);
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ("議題\r\n予算", body(next, std::string(copy->key())));
  EXPECT_EQ(1u, j.recoveredBeside());
  EXPECT_FALSE(journalThere());

  // A journal of the format before stamps still replays.
  tavtest::writeFileBytes(folder.path("journal.dat"),
                          tav::frameRecord(tav::storeRecord("古い記録", "会議", "ソフト/1", 0, false)));
  Journal j2;
  KeywordIndex old;
  start(old, j2);
  EXPECT_EQ("古い記録", body(old, "ソフト/1"));
}

// The disk fills up under the journal: the record that did not fit is cut
// back out (no torn record before later ones), kept and written once there
// is room, and a kill after that loses nothing.
TEST_F(FailedWrites, Fault4_FullDisk_JournalDropsNoRecordAndLeavesNoTornOne) {
  {
    Journal j;
    KeywordIndex run;
    start(run, j);
    run.storeNote("一", "会議", "ソフト/1", 0, false);
    {
      tavtest::FaultyFiles disk;
      disk.fail(FileOp::Append, "", FileFault::DiskFull);
      run.storeNote("二", "表計算", "ソフト/2", 0, true);
      run.storeNote("三", "新規", "ソフト/3", 0, false);
      EXPECT_TRUE(j.failing());
      expectUntorn("disk full");
      EXPECT_FALSE(j.retry());
      expectUntorn("retry on a full disk");
    }
    EXPECT_TRUE(j.retry());
    EXPECT_FALSE(j.failing());
    run.storeNote("四", "会議", "ソフト/1", 0, false);
    expectUntorn("room again");
    run.journal = nullptr;  // killed: nothing saved
  }
  Journal j;
  KeywordIndex next;
  start(next, j);
  EXPECT_EQ("四", body(next, "ソフト/1"));
  EXPECT_EQ("二", body(next, "ソフト/2"));
  EXPECT_EQ("三", body(next, "ソフト/3"));
}

// A journal that cannot be read at start is set aside and read at a later
// start; one that cannot even be set aside stays as it is. Neither is ever
// deleted by a save.
TEST_F(FailedWrites, Fault3_UnreadableJournal_IsKeptAndAppliedLaterNeverDeletedUnread) {
  const std::string record =
      tav::frameRecord(tav::storeRecord("読めなかった編集", "会議", "ソフト/1", 0, false));
  tavtest::writeFileBytes(folder.path("journal.dat"), record);
  {
    tavtest::FaultyFiles held;
    held.fail(FileOp::Read, "journal.dat", FileFault::SharingViolation, 1);
    held.fail(FileOp::Rename, "journal.dat", FileFault::SharingViolation);
    Journal j;
    KeywordIndex run;
    start(run, j);
    EXPECT_TRUE(j.unreadable());
    run.storeNote("表\r\n追加", "表計算", "ソフト/2", 0, true);  // pending: not behind its records
    EXPECT_TRUE(run.save("data"));
    EXPECT_EQ(record, folder.read("journal.dat"));
  }
  {
    tavtest::FaultyFiles held;
    held.fail(FileOp::Read, "journal.dat", FileFault::SharingViolation, 1);
    Journal j;
    KeywordIndex run;
    start(run, j);
    ASSERT_FALSE(j.keptAside().empty());
    EXPECT_EQ(record, folder.read(j.keptAside()));
    run.storeNote("表\r\n再追加", "表計算", "ソフト/2", 0, true);
    EXPECT_TRUE(run.save("data"));
    EXPECT_EQ(record, folder.read(j.keptAside()));
  }
  Journal j;
  KeywordIndex next;
  start(next, j);
  EXPECT_EQ("読めなかった編集", body(next, "ソフト/1"));
  EXPECT_EQ("表\r\n再追加", body(next, "ソフト/2"));
  EXPECT_EQ(std::vector<std::string>({"index2.txt"}), tavtest::filesIn(folder.path()));
}

// "index2.txt" cannot be read at start while a journal waits: the journal is
// applied to the index the note files give, saved, and removed, so no later
// start replays it again.
TEST_F(FailedWrites, Fault2_UnreadableIndexAtStart_JournalIsAppliedAndRemoved) {
  tavtest::writeFileBytes(folder.path("journal.dat"),
                          tav::frameRecord(tav::checkRecord("ソフト/1", '1')) +
                              tav::frameRecord(tav::storeRecord("新しい", "会議", "ソフト/1", 0, true)));
  {
    tavtest::FaultyFiles held;
    held.fail(FileOp::Read, "index2.txt", FileFault::SharingViolation, 1);
    Journal j;
    KeywordIndex run;
    start(run, j);
    EXPECT_EQ(KeywordIndex::LoadKind::RebuiltUnreadable, run.loadKind());
    EXPECT_EQ(2u, j.recovered());
    EXPECT_FALSE(journalThere());
    // A save later in the same run removes its journal too.
    run.storeNote("表\r\n二", "表計算", "ソフト/2", 0, true);
    EXPECT_TRUE(journalThere());
    EXPECT_TRUE(run.save("data"));
    EXPECT_FALSE(journalThere());
  }
  EXPECT_EQ(sorted("ソフト/1,0,1,0,会議\nソフト/2,0,1,0,表計算\n"), sorted(folder.read("index2.txt")));
  Journal j;
  KeywordIndex next;
  start(next, j);
  EXPECT_EQ(0u, j.recovered());
  EXPECT_EQ("新しい", body(next, "ソフト/1"));
  EXPECT_EQ("表\r\n二", body(next, "ソフト/2"));
}

// No "index2.txt" beside note files: the notes are listed, and the index
// written, from the files; a save of one more note keeps them all.
TEST_F(FailedWrites, Fault9_MissingIndex_IsRebuiltNotLeftEmpty) {
  tav::deleteFile(folder.path("index2.txt"));
  KeywordIndex idx;
  idx.load("data");
  EXPECT_EQ(KeywordIndex::LoadKind::RebuiltMissing, idx.loadKind());
  EXPECT_EQ(2u, idx.size());
  EXPECT_EQ(sorted("ソフト/1,0,0,0,会議\nソフト/2,0,1,0,表計算\n"), sorted(folder.read("index2.txt")));
  idx.storeNote("三", "表", "表/3", 0, false);
  tav::createFolder(folder.path("表"));
  ASSERT_TRUE(idx.save("data"));
  EXPECT_EQ(sorted("ソフト/1,0,0,0,会議\nソフト/2,0,1,0,表計算\n表/3,0,0,0,表\n"),
            sorted(folder.read("index2.txt")));
  KeywordIndex fresh;
  fresh.load("data");
  EXPECT_EQ(3u, fresh.size());
  EXPECT_EQ(KeywordIndex::LoadKind::Read, fresh.loadKind());
}

// A rebuild while another program holds a note keeps that note's line (not
// "null"), and keeps a check mark set from the list since the note's file
// was written; a note file written after the index gives its own mark.
TEST_F(FailedWrites, Fault5_RebuildKeepsTheLineOfAnUnreadableNoteAndNewerCheckMarks) {
  folder.writeNote("ソフト/3", "<k>予定,</k><f>0</f><c>1</c><n>三</n>");
  folder.writeIndex("ソフト/1,0,1,0,会議\nソフト/2,4,1,0,表計算\nソフト/3,0,0,0,予定\n");
  tavtest::ageFile(folder.path("ソフト/1"), 3600);  // the mark of 1 was set later, from the list
  tavtest::ageFile(folder.path("index2.txt"), 1800);  // 3 was written after the index
  tavtest::FaultyFiles held;
  held.fail(FileOp::Read, std::string("ソフト") + tav::kPathSep + "2", FileFault::SharingViolation);
  KeywordIndex idx;
  tav::rebuildIndex("data", idx, "data");
  EXPECT_EQ(sorted("ソフト/1,0,1,0,会議\nソフト/2,4,1,0,表計算\nソフト/3,0,1,0,予定\n"),
            sorted(folder.read("index2.txt")));
}

}  // namespace
