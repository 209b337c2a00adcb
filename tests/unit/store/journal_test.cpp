// The edit journal: its record format, what the index journals, and what a
// start that finds a journal makes of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/system.h"
#include "store/journal.h"
#include "store/keyword_index.h"
#include "testsupport.h"

namespace {

using tav::EntryStatus;
using tav::Journal;
using tav::KeywordIndex;

TEST(JournalFormat, RoundTripTornTailAndBadChecksum) {
  const std::vector<std::string> payloads = {
      tav::storeRecord("ソフト\r\n表示\r\n", "会議,予算", "ソフト/201101010000000000", 7, true),
      tav::checkRecord("a/1", '0'),
      tav::batchRecord({tav::checkRecord("a/1", '1'), tav::storeRecord("", "x", "a/2", 0, false)}),
      tav::storeRecord("", "", "a/3", 0, false)};
  std::string text;
  std::vector<std::size_t> ends;
  for (const std::string& p : payloads) {
    text += tav::frameRecord(p);
    ends.push_back(text.size());
  }
  std::size_t valid = 0;
  EXPECT_EQ(payloads, tav::readRecords(text, &valid));
  EXPECT_EQ(text.size(), valid);

  // Cut anywhere inside the last record: the others stay, the torn one goes.
  for (std::size_t cut = ends[2]; cut < ends[3]; ++cut) {
    std::vector<std::string> got = tav::readRecords(text.substr(0, cut), &valid);
    ASSERT_EQ(3u, got.size()) << cut;
    EXPECT_EQ(ends[2], valid);
  }
  // A changed byte in the second record's payload or length ends the journal there.
  for (std::size_t at : {ends[0] + 3, ends[1] - 2}) {
    std::string bad = text;
    bad[at] ^= 1;
    EXPECT_EQ(1u, tav::readRecords(bad, &valid).size()) << at;
    EXPECT_EQ(ends[0], valid);
  }
}

class JournalIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    tav::createFolder(tav::exePath("data"));
    tav::createFolder(data("a"));
    tavtest::writeFileBytes(data("index2.txt"), "a/1,0,0,0,one\na/2,0,1,0,two\na/3,0,0,0,three\n");
    tavtest::writeFileBytes(data("a/1"), "<k>one,</k><f>0</f><c>0</c><n>first</n>");
    tavtest::writeFileBytes(data("a/2"), "<k>two,</k><f>0</f><c>1</c><n>second</n>");
    tavtest::writeFileBytes(data("a/3"), "<k>three,</k><f>0</f><c>0</c><n>third</n>");
  }
  std::string data(const std::string& rest = "") const {
    return tav::exePath("data") + (rest.empty() ? "" : tav::kPathSep + rest);
  }
  // A fresh index with its own journal, loaded as a start loads it.
  void start(KeywordIndex& idx, Journal& j) {
    idx.journal = &j;
    idx.load("data");
  }
  std::string journalFile() const { return tavtest::readFileBytes(tav::journalPath("data")); }
  bool journalExists() const { return tav::pathKind(tav::journalPath("data")) == tav::PathKind::File; }
  std::string bodyOf(KeywordIndex& idx, const std::string& key) {
    const std::string* b = nullptr;
    return idx.fetchNote(key, &b, nullptr, nullptr) && b ? *b : "<none>";
  }

  tavtest::TempExeDir tmp;
};

// Every kind of change of a run comes back after a crash (the run's index is
// abandoned without a save), in the state a save would have given.
TEST_F(JournalIndex, EveryChangeOfAnAbandonedRunComesBackAtTheNextStart) {
  auto session = [this](KeywordIndex& run) {
    tav::createFolder(data("b"));
    bodyOf(run, "a/1");  // opened, as the editor opens it
    run.storeNote("first", "one", "a/1", 0, false);  // no change: nothing journaled
    EXPECT_FALSE(journalExists());
    run.storeNote("新しい\r\n表", "新規,表", "a/4", 2, true);
    run.storeNote("first edited", "one", "a/1", 5, false);
    run.storeNote("", "three", "a/3", 0, false);
    run.setChecked("a/2", '0');
    run.prependToMatches("", "top", "a/1");
    ASSERT_TRUE(run.moveNote("a/2", "b/9", 0));
    EXPECT_TRUE(journalExists());
  };
  std::string savedIndex;
  std::vector<std::string> savedFiles;
  {
    tavtest::TempExeDir reference("ref");
    SetUp();
    Journal j;
    KeywordIndex run;
    start(run, j);
    session(run);
    ASSERT_TRUE(run.save("data"));
    EXPECT_FALSE(journalExists());
    savedIndex = tavtest::readFileBytes(data("index2.txt"));
    savedFiles = {bodyOf(run, "a/1"), bodyOf(run, "a/4"), bodyOf(run, "b/9")};
  }
  {
    Journal j;
    KeywordIndex run;
    start(run, j);
    session(run);
    run.journal = nullptr;  // the crash: nothing of the run is saved
  }
  Journal j2;
  KeywordIndex next;
  start(next, j2);
  EXPECT_EQ(6u, j2.recovered());
  EXPECT_FALSE(journalExists());
  EXPECT_EQ(savedIndex, tavtest::readFileBytes(data("index2.txt")));
  EXPECT_EQ(savedFiles, (std::vector<std::string>{bodyOf(next, "a/1"), bodyOf(next, "a/4"),
                                                  bodyOf(next, "b/9")}));
  EXPECT_EQ("top\r\nsecond", bodyOf(next, "b/9"));
  EXPECT_EQ(std::vector<std::string>{"index2.txt"}, tavtest::filesIn(data()));
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(data("a/3")));
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(data("a/2")));
}

// Records that name unsafe keys, cannot be parsed or cannot be applied are
// skipped; the rest is applied, and nothing on disk outside them changes.
// A sync engine copied another PC's journal here: never applied, deleted or
// continued here. This run journals beside it, under this machine's mark, and
// the next start here recovers that. (Unmarked journals, as earlier versions
// wrote them, are applied in the tests above.)
TEST_F(JournalIndex, OtherMachinesJournal_NeitherAppliedNorDeletedNorContinued) {
  const std::string theirs = tav::frameRecord(tav::machineRecord("別のPC")) +
                             tav::frameRecord(tav::storeRecord("their text", "one", "a/1", 0, false));
  tavtest::writeFileBytes(tav::journalPath("data"), theirs);
  {
    Journal j;
    KeywordIndex run;
    start(run, j);
    EXPECT_EQ(0u, j.recovered());
    EXPECT_EQ(1u, j.othersLeft());
    EXPECT_EQ("first", bodyOf(run, "a/1"));
    run.storeNote("mine", "one", "a/1", 0, false);
    run.journal = nullptr;  // a crash
  }
  EXPECT_EQ(theirs, journalFile());
  std::vector<std::string> mine;
  for (const std::string& f : tavtest::filesIn(data()))
    if (tav::isAsideJournalName(f)) mine = tav::readRecords(tavtest::readFileBytes(data(f)));
  ASSERT_FALSE(mine.empty());
  EXPECT_EQ(tav::machineRecord(tav::machineName()), mine.front());
  {
    Journal j;
    KeywordIndex next;
    start(next, j);
    EXPECT_EQ(1u, j.recovered());
    EXPECT_EQ("mine", bodyOf(next, "a/1"));
    EXPECT_EQ(theirs, journalFile());
  }
}

TEST_F(JournalIndex, UnsafeUnparseableAndUnappliableRecordsAreSkipped) {
  std::string text = tav::frameRecord(tav::storeRecord("evil", "x", "../../evil", 0, false)) +
                     tav::frameRecord(tav::storeRecord("evil", "x", "a/..", 0, false)) +
                     tav::frameRecord("Snot fields") + tav::frameRecord("Zunknown") +
                     tav::frameRecord(tav::checkRecord("a/77", '1')) +
                     tav::frameRecord(tav::storeRecord("kept", "one", "a/1", 0, false)) +
                     "@0000zz";  // a torn tail
  tavtest::writeFileBytes(tav::journalPath("data"), text);
  Journal j;
  KeywordIndex idx;
  start(idx, j);
  EXPECT_EQ(1u, j.recovered());
  EXPECT_EQ("<k>one,</k><f>0</f><c>0</c><n>kept</n>", tavtest::readFileBytes(data("a/1")));
  EXPECT_EQ("a/1,0,0,0,one\na/2,0,1,0,two\na/3,0,0,0,three\n",
            tavtest::readFileBytes(data("index2.txt")));
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(tmp.path("evil")));
  EXPECT_FALSE(journalExists());

  // Nothing but garbage: the folder stays exactly as it was.
  tavtest::writeFileBytes(tav::journalPath("data"), "garbage\nmore garbage");
  std::string before = tavtest::readFileBytes(data("index2.txt"));
  KeywordIndex again;
  Journal j2;
  start(again, j2);
  EXPECT_EQ(0u, j2.recovered());
  EXPECT_EQ(before, tavtest::readFileBytes(data("index2.txt")));
  EXPECT_EQ("<k>two,</k><f>0</f><c>1</c><n>second</n>", tavtest::readFileBytes(data("a/2")));
}

// A save that fails keeps the journal; later records follow its last whole
// one (the torn tail is cut off); discarding removes it unapplied.
TEST_F(JournalIndex, FailedSaveKeepsTheJournalAndDiscardRemovesIt) {
  const std::string one = tav::frameRecord(tav::storeRecord("one!", "one", "a/1", 0, false));
  const std::string lost = tav::frameRecord(tav::storeRecord("x", "x", "nofolder/1", 0, false));
  tavtest::writeFileBytes(tav::journalPath("data"), one + lost + "@000");
  // An index that cannot be read is recovered into the index the note files
  // give; that save fails too (a folder stands in the index's place), so the
  // journal stays as it is.
  tav::deleteFile(data("index2.txt"));
  tav::createFolder(data("index2.txt"));
  {
    Journal j;
    KeywordIndex idx;
    start(idx, j);
    EXPECT_EQ(2u, j.recovered());
    EXPECT_EQ(one + lost + "@000", journalFile());
  }
  tav::removeFolder(data("index2.txt"));
  tavtest::writeFileBytes(data("index2.txt"), "a/1,0,0,0,one\n");
  Journal j;
  KeywordIndex idx;
  start(idx, j);  // the note of "nofolder/1" cannot be written: the save fails
  EXPECT_EQ(2u, j.recovered());
  EXPECT_EQ("<k>one,</k><f>0</f><c>0</c><n>one!</n>", tavtest::readFileBytes(data("a/1")));
  const std::optional<tav::FileStamp> base = tav::fileStampOf(data("a/2"));
  idx.storeNote("two!", "two", "a/2", 0, false);
  EXPECT_EQ(one + lost + tav::frameRecord(tav::storeRecord("two!", "two", "a/2", 0, false, &base)),
            journalFile());
  EXPECT_TRUE(j.unflushed());
  j.flush();
  EXPECT_FALSE(j.unflushed());
  EXPECT_FALSE(idx.save("data"));
  EXPECT_TRUE(journalExists());
  j.discard();
  EXPECT_FALSE(journalExists());
}

// Keys only note their time; while typing goes on the text is journaled at
// most once a second and never flushed; a pause flushes once.
TEST(JournalPace, TypingNeverFlushesAndAPauseDoes) {
  tav::JournalPace pace;
  int snapshots = 0, flushes = 0;
  for (std::uint32_t now = 100000; now < 105000; now += 50) {
    if (now % 100 == 0) pace.keyed(now);  // a key every 100 ms
    if (pace.snapshotDue(now)) {
      pace.snapshotTaken();
      ++snapshots;
    }
    if (pace.flushDue(now)) ++flushes;
  }
  EXPECT_EQ(0, flushes);
  EXPECT_GE(snapshots, 4);
  EXPECT_LE(snapshots, 6);
  EXPECT_FALSE(pace.snapshotDue(105100) && pace.flushDue(105100));
  EXPECT_TRUE(pace.flushDue(106000));
  EXPECT_TRUE(pace.snapshotDue(106000));
  pace.snapshotTaken();
  pace.lastFlush = 106000;
  EXPECT_FALSE(pace.snapshotDue(106500));
  EXPECT_FALSE(pace.flushDue(106500));
}

}  // namespace
