// The file helpers, run natively and under Wine against the Win32 calls.
#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "testsupport.h"

namespace {

using tavtest::TempExeDir;

std::vector<std::string> sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

TEST(Files, ReadWriteAppendRoundTrips) {
  TempExeDir t;
  std::string f = t.path("a.txt");
  EXPECT_FALSE(tav::readWholeFile(f).has_value()) << "a missing file reads as nothing";

  ASSERT_TRUE(tav::writeWholeFile(f, ""));
  ASSERT_TRUE(tav::readWholeFile(f).has_value()) << "a zero-byte file reads as empty text";
  EXPECT_EQ(*tav::readWholeFile(f), "");

  std::string bytes = "表\r\nソ\x81\x5C\xFC\xFC end";
  ASSERT_TRUE(tav::writeWholeFile(f, bytes));
  EXPECT_EQ(*tav::readWholeFile(f), bytes);
  ASSERT_TRUE(tav::writeWholeFile(f, "short"));
  EXPECT_EQ(tavtest::readFileBytes(f), "short") << "a rewrite truncates";

  std::string g = t.path("log.txt");
  ASSERT_TRUE(tav::appendToFile(g, "one\n"));
  ASSERT_TRUE(tav::appendToFile(g, "two\n"));
  EXPECT_EQ(tavtest::readFileBytes(g), "one\ntwo\n");
}

TEST(Files, NulEndsTheText) {
  TempExeDir t;
  tavtest::writeFileBytes(t.path("n"), std::string("ab\0cd", 5));
  EXPECT_EQ(*tav::readWholeFile(t.path("n")), "ab");
}

TEST(Files, AtomicWriteLeavesNoTemporaryFiles) {
  TempExeDir t;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(tav::writeWholeFile(t.path("x"), std::string(i, 'x')));
  std::vector<std::string> files;
  tav::listFolder(t.dir(), files, tav::ListWhat::Files);
  EXPECT_EQ(files, std::vector<std::string>{"x"});
}

TEST(Files, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempExeDir t;
  // A folder stands where the file should go: the rename cannot succeed.
  ASSERT_TRUE(tav::createFolder(t.path("target")));
  EXPECT_FALSE(tav::writeWholeFile(t.path("target"), "new"));
  EXPECT_EQ(tav::pathKind(t.path("target")), tav::PathKind::Folder);
  // A file in a missing folder cannot be written either.
  EXPECT_FALSE(tav::writeWholeFile(t.path("nofolder") + tav::kPathSep + "f", "x"));
  std::vector<std::string> files;
  tav::listFolder(t.dir(), files, tav::ListWhat::Files);
  EXPECT_TRUE(files.empty()) << files.front();
}

TEST(Files, FileHeldByAnotherProgramIsNotReplaced) {
  TempExeDir t;
  std::string f = t.path("held.txt");
  ASSERT_TRUE(tav::writeWholeFile(f, "old contents"));
  tavtest::HeldFile hold(f);
  if (!hold.holding()) GTEST_SKIP() << "this platform does not lock files";
  EXPECT_FALSE(tav::writeWholeFile(f, "new"));
  hold.release();
  EXPECT_EQ(tavtest::readFileBytes(f), "old contents");
  std::vector<std::string> files;
  tav::listFolder(t.dir(), files, tav::ListWhat::Files);
  EXPECT_EQ(files, std::vector<std::string>{"held.txt"});
}

// An editor that holds a note open for writing (sharing reads and writes)
// must not make it unreadable: a rebuild would have listed it as "null".
TEST(Files, Fault5_NoteOpenForWritingInAnEditor_IsStillRead) {
  TempExeDir t;
  std::string f = t.path("表");
  ASSERT_TRUE(tav::writeWholeFile(f, "<k>会議,</k><n>本文</n>"));
  tavtest::HeldFile editor(f, tavtest::HeldFile::ReadWrite);
  if (!editor.holding()) GTEST_SKIP() << "this platform does not lock files";
  EXPECT_EQ(std::optional<std::string>("<k>会議,</k><n>本文</n>"), tav::readWholeFile(f));
}

// A file the user marked read-only is not replaced, on either platform.
TEST(Files, ReadOnlyFileIsNotReplaced) {
  TempExeDir t;
  std::string f = t.path("init.ini");
  ASSERT_TRUE(tav::writeWholeFile(f, "[ini]\r\ndata=mine\r\n"));
  tavtest::setReadOnly(f, true);
  EXPECT_FALSE(tav::writeWholeFile(f, "replaced"));
  EXPECT_EQ(tavtest::readFileBytes(f), "[ini]\r\ndata=mine\r\n");
  EXPECT_EQ(tavtest::filesIn(t.dir()), std::vector<std::string>{"init.ini"});
  tavtest::setReadOnly(f, false);
  EXPECT_TRUE(tav::writeWholeFile(f, "replaced"));
  EXPECT_EQ(tavtest::readFileBytes(f), "replaced");
}

// The temporary file's name holds the process id; one left behind by a killed
// process that had the same id must not make every later write fail.
TEST(Files, LeftoverTemporaryFileOfAnEarlierProcessIsSteppedOver) {
  TempExeDir t;
#ifdef _WIN32
  const std::string prefix = "~tav" + std::to_string(GetCurrentProcessId()) + "_";
#else
  const std::string prefix = ".~tav" + std::to_string(::getpid()) + "_";
#endif
  for (int n = 1; n <= 90; ++n) tavtest::writeFileBytes(t.path(prefix + std::to_string(n) + ".tmp"), "");
  EXPECT_TRUE(tav::writeWholeFile(t.path("note"), "body"));
  EXPECT_EQ(tavtest::readFileBytes(t.path("note")), "body");
  EXPECT_EQ(tavtest::filesIn(t.dir()).size(), 91u) << "no temporary file of ours is left";
}

#ifndef _WIN32
TEST(Files, ReplacedFileKeepsItsPermissions) {
  TempExeDir t;
  std::string f = t.path("private");
  ASSERT_TRUE(tav::writeWholeFile(f, "a"));
  ASSERT_EQ(::chmod(f.c_str(), 0600), 0);
  ASSERT_TRUE(tav::writeWholeFile(f, "b"));
  struct stat st {};
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}
#endif

// Wildcards as the Windows find calls read them: '*' and '?' (one character,
// double-byte ones too), letters without case, "*.*" also for names without a
// dot, and no other special characters.
TEST(Files, WildcardsMatchAsOnWindows) {
  TempExeDir t;
  ASSERT_TRUE(tav::writeWholeFile(t.path("noext"), ""));
  ASSERT_TRUE(tav::writeWholeFile(t.path("a[1].txt"), ""));
  ASSERT_TRUE(tav::writeWholeFile(t.path("表.log"), ""));
  EXPECT_TRUE(tav::anyMatch(t.path("*.*")));
  EXPECT_TRUE(tav::anyMatch(t.path("noext.*")));
  EXPECT_TRUE(tav::anyMatch(t.path("NOEXT")));
  EXPECT_TRUE(tav::anyMatch(t.path("a[1].txt"))) << "brackets are plain characters";
  EXPECT_TRUE(tav::anyMatch(t.path("*.TXT")));
  EXPECT_TRUE(tav::anyMatch(t.path("?.log"))) << "? matches one double-byte character";
  EXPECT_FALSE(tav::anyMatch(t.path("??.log")));
  EXPECT_FALSE(tav::anyMatch(t.path("a1*")));
  EXPECT_FALSE(tav::anyMatch(t.path("*.doc")));
  EXPECT_FALSE(tav::anyMatch(t.path("missing") + tav::kPathSep + "*.*"));
}

TEST(Files, FoldersKindsAndListing) {
  TempExeDir t;
  // Folder names whose second byte is 0x5C must work as folders.
  std::string so = t.path("ソフト");
  std::string hyo = t.path("表");
  ASSERT_TRUE(tav::createFolder(so));
  ASSERT_TRUE(tav::createFolder(hyo));
  EXPECT_FALSE(tav::createFolder(so)) << "an existing folder fails harmlessly";
  ASSERT_TRUE(tav::writeWholeFile(so + tav::kPathSep + "予定.txt", "x"));
  ASSERT_TRUE(tav::writeWholeFile(t.path("file.txt"), "y"));

  EXPECT_EQ(tav::pathKind(so), tav::PathKind::Folder);
  EXPECT_EQ(tav::pathKind(so + tav::kPathSep), tav::PathKind::Folder) << "one trailing separator is ignored";
  EXPECT_EQ(tav::pathKind(hyo + tav::kPathSep), tav::PathKind::Folder);
  EXPECT_EQ(tav::pathKind(t.path("file.txt")), tav::PathKind::File);
  EXPECT_EQ(tav::pathKind(t.path("missing")), tav::PathKind::None);
  EXPECT_EQ(tav::pathKind(""), tav::PathKind::None);

  std::vector<std::string> dirs{"kept"};
  tav::listFolder(t.dir(), dirs, tav::ListWhat::Folders);
  EXPECT_EQ(sorted(dirs), sorted({"kept", "ソフト", "表"}));
  std::vector<std::string> files;
  tav::listFolder(t.dir(), files, tav::ListWhat::Files);
  EXPECT_EQ(files, std::vector<std::string>{"file.txt"});
  std::vector<std::string> inner;
  tav::listFolder(so + tav::kPathSep, inner, tav::ListWhat::Files);
  EXPECT_EQ(inner, std::vector<std::string>{"予定.txt"});
  std::vector<std::string> none{"x"};
  tav::listFolder(t.path("missing"), none, tav::ListWhat::Files);
  EXPECT_EQ(none, std::vector<std::string>{"x"});

  EXPECT_TRUE(tav::anyMatch(so + tav::kPathSep + "*.txt"));
  EXPECT_FALSE(tav::anyMatch(so + tav::kPathSep + "*.doc"));
}

TEST(Files, DeleteAndMove) {
  TempExeDir t;
  ASSERT_TRUE(tav::writeWholeFile(t.path("a"), "1"));
  ASSERT_TRUE(tav::writeWholeFile(t.path("b"), "2"));
  EXPECT_FALSE(tav::moveFile(t.path("a"), t.path("b"))) << "never over an existing file";
  EXPECT_TRUE(tav::moveFile(t.path("a"), t.path("c")));
  EXPECT_EQ(tavtest::readFileBytes(t.path("c")), "1");
  EXPECT_TRUE(tav::deleteFile(t.path("c")));
  EXPECT_FALSE(tav::deleteFile(t.path("c")));
  EXPECT_EQ(tav::pathKind(t.path("c")), tav::PathKind::None);
}

TEST(Files, ExeDirEndsWithSeparator) {
  std::string dir = tav::moduleFolder();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), tav::kPathSep);
  EXPECT_EQ(tav::pathKind(dir), tav::PathKind::Folder);
}

}  // namespace
