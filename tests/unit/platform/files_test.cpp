// The file helpers, run natively and under Wine against the Win32 calls.
#include <gtest/gtest.h>

#include <algorithm>

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
  tav::listFolder(t.dir(), files, 1);
  EXPECT_EQ(files, std::vector<std::string>{"x"});
}

TEST(Files, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempExeDir t;
  // A folder stands where the file should go: the rename cannot succeed.
  ASSERT_TRUE(tav::createFolder(t.path("target")));
  EXPECT_FALSE(tav::writeWholeFile(t.path("target"), "new"));
  EXPECT_EQ(tav::pathKind(t.path("target")), 1);
  // A file in a missing folder cannot be written either.
  EXPECT_FALSE(tav::writeWholeFile(t.path("nofolder") + tav::kPathSep + "f", "x"));
  std::vector<std::string> files;
  tav::listFolder(t.dir(), files, 1);
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
  tav::listFolder(t.dir(), files, 1);
  EXPECT_EQ(files, std::vector<std::string>{"held.txt"});
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

  EXPECT_EQ(tav::pathKind(so), 1);
  EXPECT_EQ(tav::pathKind(so + tav::kPathSep), 1) << "one trailing separator is ignored";
  EXPECT_EQ(tav::pathKind(hyo + tav::kPathSep), 1);
  EXPECT_EQ(tav::pathKind(t.path("file.txt")), 2);
  EXPECT_EQ(tav::pathKind(t.path("missing")), 0);
  EXPECT_EQ(tav::pathKind(""), 0);

  std::vector<std::string> dirs{"kept"};
  tav::listFolder(t.dir(), dirs, 0);
  EXPECT_EQ(sorted(dirs), sorted({"kept", "ソフト", "表"}));
  std::vector<std::string> files;
  tav::listFolder(t.dir(), files, 1);
  EXPECT_EQ(files, std::vector<std::string>{"file.txt"});
  std::vector<std::string> inner;
  tav::listFolder(so + tav::kPathSep, inner, 1);
  EXPECT_EQ(inner, std::vector<std::string>{"予定.txt"});
  std::vector<std::string> none{"x"};
  tav::listFolder(t.path("missing"), none, 1);
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
  EXPECT_EQ(tav::pathKind(t.path("c")), 0);
}

TEST(Files, ExeDirEndsWithSeparator) {
  std::string dir = tav::moduleFolder();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), tav::kPathSep);
  EXPECT_EQ(tav::pathKind(dir), 1);
}

}  // namespace
