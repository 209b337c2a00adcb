#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#ifndef _WIN32
#include <unistd.h>
#endif
#include "store/rebuild.h"
#include "testsupport.h"

namespace {

using Lines = std::vector<std::string>;

class Rebuild : public ::testing::Test {
 protected:
  std::string path(const std::string& folder, const std::string& rest = "") const {
    return tmp.path(folder) + (rest.empty() ? "" : tav::kPathSep + rest);
  }
  void sub(const std::string& folder, const std::string& name) {
    tav::createFolder(path(folder));
    tav::createFolder(path(folder, name));
  }
  // Lines of an index text, sorted: the order is the file system's.
  static Lines sortedLines(const std::string& text) {
    Lines out;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      EXPECT_NE(end, std::string::npos) << "every line ends with LF";
      if (end == std::string::npos) break;
      out.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  tavtest::TempExeDir tmp;
  tav::KeywordIndex idx;
};

TEST_F(Rebuild, LinesComeFromTheNoteFilesByteForByte) {
  sub("data", "a");
  tavtest::writeFileBytes(path("data", "a/1"), "<k>会議,</k><f>12</f><c>1</c><n>議題</n>");
  tavtest::writeFileBytes(path("data", "a/2"), "no keyword here");
  tavtest::writeFileBytes(path("data", "a/3"), "<k>,,a,b,,</k><r>7</r><n>x</n>");
  tavtest::writeFileBytes(path("data", "a/4"), "<k>empty parts</k><f></f><c></c><n></n>");
  EXPECT_EQ(sortedLines(tav::rebuildIndexText("data")),
            (Lines{"a/1,12,1,0,会議", "a/2,0,0,0,null2", "a/3,0,0,7,a,b",
                   "a/4,,,0,empty parts"}));
}

// A line break inside an element, or a "<k>" that is never closed (a plain
// text that happens to hold it), must not split the note's index line.
TEST_F(Rebuild, LineBreaksInElementsDoNotSplitTheLine) {
  sub("data", "a");
  tavtest::writeFileBytes(path("data", "a/1"), "<k>two\r\nlines,</k><f>3</f><c>1</c><n>x</n>");
  tavtest::writeFileBytes(path("data", "a/2"), "see <k>\nb/evil,0,0,0,injected\n");
  EXPECT_EQ(sortedLines(tav::rebuildIndexText("data")),
            (Lines{"a/1,3,1,0,two  lines", "a/2,0,0,0, b/evil,0,0,0,injected "}));
  tav::rebuildIndex("data", idx, "data");
  EXPECT_EQ(idx.size(), 2u);
  EXPECT_EQ(idx.findByKey("b/evil"), nullptr);
}

TEST_F(Rebuild, OnlyFilesOneLevelDownAreIndexedAndUnreadableOnesStayVisible) {
  sub("data", "a");
  sub("data", "a/deeper");
  sub("data", "ソフト");
  tavtest::writeFileBytes(path("data", "loose.txt"), "<k>loose,</k>");
  tavtest::writeFileBytes(path("data", "a/deeper/x"), "<k>deep,</k>");
  tavtest::writeFileBytes(path("data", "ソフト/表"), "<k>表,</k><f>1</f><c>0</c><n>b</n>");
  tavtest::writeFileBytes(path("data", "index2.txt"), "stale,0,0,0,old\n");
  sub("data", "b");
  const std::string held = path("data", "b/held");
#ifdef _WIN32
  tavtest::writeFileBytes(held, "<k>held,</k>");
  tavtest::HeldFile holder(held);  // opened without sharing: cannot be read
  ASSERT_TRUE(holder.holding());
#else
  ASSERT_EQ(::symlink("nowhere", held.c_str()), 0);  // listed, cannot be read
#endif
  EXPECT_EQ(sortedLines(tav::rebuildIndexText("data")),
            (Lines{"b/held,0,0,0,null", "ソフト/表,1,0,0,表"}));
}

TEST_F(Rebuild, AllIndexesCreatesMissingFoldersReloadsAndCallsTheHook) {
  sub("data", "a");
  tavtest::writeFileBytes(path("data", "a/1"), "<k>one,</k><f>5</f><c>0</c><n>body</n>");
  idx.load("data");
  idx.storeNote("unsaved", "gone", "a/2", 0, false);  // dropped by the reload
  int calls = 0;
  tav::rebuildAllIndexes(idx, "data", [&] { ++calls; });
  EXPECT_EQ(tavtest::readFileBytes(path("data", "index2.txt")), "a/1,5,0,0,one\n");
  EXPECT_EQ(tav::pathKind(path("data2")), tav::PathKind::Folder);
  EXPECT_EQ(tav::pathKind(path("data2", "index2.txt")), tav::PathKind::File);
  EXPECT_EQ(tavtest::readFileBytes(path("data2", "index2.txt")), "");
  EXPECT_GE(calls, 1);
  ASSERT_EQ(idx.size(), 1u);
  EXPECT_EQ(idx.at(0).recordText(), "a/1,5,0,0,one");
  EXPECT_EQ(idx.findByKey("a/2"), nullptr);
  tav::rebuildAllIndexes(idx, "data");  // no hook is fine
  EXPECT_EQ(idx.size(), 1u);
}

TEST_F(Rebuild, WhatTheStoreWritesTheRebuildReadsBack) {
  sub("data", "a");
  idx.load("data");
  idx.storeNote("本文\r\n二行目", "会議,予定,", "a/201111151234560000", 3, true);
  idx.storeNote("x", "plain", "a/201111151234560001", 0, false);
  ASSERT_TRUE(idx.save("data"));
  std::string saved = tavtest::readFileBytes(path("data", "index2.txt"));
  tav::rebuildIndex("data", idx, "data");
  EXPECT_EQ(sortedLines(tavtest::readFileBytes(path("data", "index2.txt"))), sortedLines(saved));
}

// A body holding "<r>1,2</r>" became field 4 of the rebuilt line and shifted
// the keyword; the tags are taken from the header only.
TEST_F(Rebuild, HeaderOnly_TagsInTheBodyAreText) {
  sub("data", "g");
  tavtest::writeFileBytes(path("data", "g/1"),
                          "<k>rkw,</k><f>0</f><c>0</c><n>see <r>1,2</r> and <k>x</k></n>");
  tavtest::writeFileBytes(path("data", "g/2"), "<k>plain</k><c>7</c>");  // no body at all
  EXPECT_EQ(sortedLines(tav::rebuildIndexText("data")),
            (Lines {"g/1,0,0,0,rkw", "g/2,0,7,0,plain"}));
}

// What an interrupted save leaves behind is not a note: never indexed, and
// removed at the next start.
TEST_F(Rebuild, TempFiles_NeverIndexedAndRemovedAtStart) {
  sub("data", "g");
  sub("data2", "表");
  tavtest::writeFileBytes(path("data", "g/1"), "<k>one</k>");
  for (const std::string& t : {path("data", "g/~tav4711_3.tmp"), path("data", "g/.~tav12_1.tmp"),
                               path("data2", "表/~tav9_1.tmp"), tmp.path("~tav1_1.tmp")})
    tavtest::writeFileBytes(t, "<k>half</k>");
  // Another program's (its name starts with "~"), so no note, but not ours to delete.
  tavtest::writeFileBytes(path("data", "g/~tavern.txt"), "<k>kept</k>");
  tavtest::writeFileBytes(path("data", "g/~tavkB.tmp"), "<k>mine</k>");
  EXPECT_EQ(sortedLines(tav::rebuildIndexText("data")), (Lines {"g/1,0,0,0,one"}));
  EXPECT_EQ(tav::rebuildIndexText("data2"), "");
  tav::removeStaleTempFiles();
  EXPECT_EQ(tavtest::filesIn(path("data", "g")), (Lines {"1", "~tavern.txt", "~tavkB.tmp"}));
  EXPECT_TRUE(tavtest::filesIn(path("data2", "表")).empty());
  EXPECT_EQ(tav::pathKind(tmp.path("~tav1_1.tmp")), tav::PathKind::None);
}

// A data folder that a sync engine or the shell also writes: their files and
// folders are no notes and not ours to clean up; a sync engine's conflict copy
// is a note, marked in its index line only.
TEST_F(Rebuild, SyncArtefacts_NeverIndexedNorCleanedAndConflictCopiesMarked) {
  for (const char* s : {"ソフト", "表", "隠し", ".stfolder", ".stversions"}) sub("data", s);
  const std::string note = "<k>予定,</k><f>0</f><c>0</c><n>x</n>";
  for (const char* f : {"ソフト/1", "ソフト/~syncthing~1.tmp", "ソフト/.syncthing.1.tmp",
                        "ソフト/desktop.ini", "ソフト/Thumbs.db", ".stversions/1",
                        ".stversions/~tav1_1.tmp", "表/3", "隠し/1"})
    tavtest::writeFileBytes(path("data", f), note);
  const std::string syncthing = "表/1.sync-conflict-20261207-213000-ABCDEF1";
  const std::string dropbox = "表/2 (PC2 の競合コピー 2026-12-07)";
  tavtest::writeFileBytes(path("data", syncthing), note);
  // Stored here since it came: marked once.
  tavtest::writeFileBytes(path("data", dropbox), "<k>予定 (競合コピー),</k><n>y</n>");
  Lines want {"ソフト/1,0,0,0,予定", syncthing + ",0,0,0,予定 (競合コピー)",
              dropbox + ",0,0,0,予定 (競合コピー)"};
  // Where there are attributes, hidden entries are other programs' too.
  if (!tavtest::setHidden(path("data", "表/3")) || !tavtest::setHidden(path("data", "隠し")))
    want.insert(want.end(), {"表/3,0,0,0,予定", "隠し/1,0,0,0,予定"});
  std::sort(want.begin(), want.end());
  EXPECT_EQ(sortedLines(tav::rebuildIndexText("data")), want);
  tav::removeStaleTempFiles();
  EXPECT_EQ(tavtest::filesIn(path("data", ".stversions")), (Lines {"1", "~tav1_1.tmp"}));
}

// The menu's rebuild reloaded without saving: every note stored in the run was gone.
TEST_F(Rebuild, SaveFirst_NotesStoredInTheRunSurvive) {
  sub("data", "g");
  idx.load("data");
  idx.storeNote("new text", "fresh", "g/1", 3, true);
  tav::saveAndRebuildAll(idx, "data");
  const std::string* body = nullptr;
  ASSERT_TRUE(idx.fetchNote("g/1", &body, nullptr, nullptr));
  EXPECT_EQ(*body, "new text");
}

}  // namespace

// One count over the notes of both data folders, each note once, and a
// request to stop is not heard: a rebuild is never left half-written.
TEST_F(Rebuild, ProgressCountsTheNotesOfBothFoldersAndNeverStops) {
  sub("data", "表");
  sub("data2", "ソ");
  for (const char* f : {"1", "2", "3"}) tavtest::writeFileBytes(path("data", std::string("表/") + f), "<k>k,</k><n>b</n>");
  tavtest::writeFileBytes(path("data2", "ソ/9"), "<k>ソ,</k><n>b</n>");
  std::vector<std::pair<std::size_t, std::size_t>> steps;
  tav::Progress stopAtOnce {[&](std::size_t done, std::size_t total) {
    steps.emplace_back(done, total);
    return false;
  }};
  tav::rebuildAllIndexes(idx, "data", {}, stopAtOnce);
  const std::vector<std::pair<std::size_t, std::size_t>> want {{1, 4}, {2, 4}, {3, 4}, {4, 4}};
  EXPECT_EQ(want, steps);
  EXPECT_EQ(3u, sortedLines(tavtest::readFileBytes(path("data", "index2.txt"))).size());
  EXPECT_EQ("ソ/9,0,0,0,ソ\n", tavtest::readFileBytes(path("data2", "index2.txt")));
}
