#include <gtest/gtest.h>

#include <map>

#include "commands/file_commands.h"
#include "platform/platform.h"
#include "testsupport.h"

namespace {

// A file system of names and contents; folders are not modelled.
struct FakeFiles {
  std::map<std::string, std::string> files;
  int moves = 0;
  tav::FileOps ops() {
    tav::FileOps fs;
    fs.anyMatch = [this](const std::string& p) { return files.count(p) > 0; };
    fs.moveFile = [this](const std::string& a, const std::string& b) {
      ++moves;
      if (!files.count(a) || files.count(b)) return false;
      files[b] = files[a];
      files.erase(a);
      return true;
    };
    fs.writeWholeFile = [this](const std::string& p, std::string_view t) {
      files[p] = std::string(t);
      return true;
    };
    return fs;
  }
};

TEST(NumberFile, TakesTheFirstFreeNumberAndLeavesAnEmptyFile) {
  FakeFiles f;
  f.files["C:\\memo\\log.txt"] = "old";
  EXPECT_EQ(tav::numberFile("C:\\memo\\log.txt", f.ops()), 32);
  EXPECT_EQ(f.files["C:\\memo\\log001.txt"], "old");
  EXPECT_EQ(f.files["C:\\memo\\log.txt"], "");

  f.files["C:\\memo\\log.txt"] = "new";
  f.files["C:\\memo\\log002.txt"] = "";
  f.files["C:\\memo\\log003.txt"] = "";
  f.files.erase("C:\\memo\\log001.txt");  // a gap is filled again
  EXPECT_EQ(tav::numberFile("C:\\memo\\log.txt", f.ops()), 32);
  EXPECT_EQ(f.files["C:\\memo\\log001.txt"], "new");

  f.files["C:\\memo\\log.txt"] = "third";
  EXPECT_EQ(tav::numberFile("C:\\memo\\log.txt", f.ops()), 32);
  EXPECT_EQ(f.files["C:\\memo\\log004.txt"], "third");
}

TEST(NumberFile, RefusesWhatItCannotNumber) {
  FakeFiles f;
  f.files["C:\\memo\\README"] = "x";
  EXPECT_EQ(tav::numberFile("C:\\memo\\README", f.ops()), 0);  // no dot
  EXPECT_EQ(tav::numberFile("C:\\memo\\missing.txt", f.ops()), 0);
  EXPECT_EQ(tav::numberFile("", f.ops()), 0);
  EXPECT_EQ(f.moves, 0);

  f.files["a.txt"] = "full";
  for (int j = 1; j <= 999; ++j) {
    char n[8];
    std::snprintf(n, sizeof n, "%03d", j);
    f.files[std::string("a") + n + ".txt"] = "";
  }
  EXPECT_EQ(tav::numberFile("a.txt", f.ops()), 0);
  EXPECT_EQ(f.files["a.txt"], "full");
  EXPECT_EQ(f.moves, 0);

  // The numbered name must fit in 264 bytes with its terminator.
  std::string fits = std::string(256, 'x') + ".txt";   // 256 + 3 + 4 = 263
  std::string longer = std::string(257, 'x') + ".txt";
  f.files[fits] = "a";
  f.files[longer] = "b";
  EXPECT_EQ(tav::numberFile(longer, f.ops()), 0);
  EXPECT_EQ(f.files[longer], "b");
  EXPECT_EQ(tav::numberFile(fits, f.ops()), 32);
}

TEST(NumberFile, RealFilesAndADotInAFolderName) {
  tavtest::TempExeDir dir;
  tavtest::writeFileBytes(dir.path("log.txt"), "contents");
  EXPECT_EQ(tav::numberFile(dir.path("log.txt"), tav::platformFileOps()), 32);
  EXPECT_EQ(tavtest::readFileBytes(dir.path("log001.txt")), "contents");
  EXPECT_EQ(tav::pathKind(dir.path("log.txt")), tav::PathKind::File);
  EXPECT_EQ(tavtest::readFileBytes(dir.path("log.txt")), "");

  // The last dot is in the folder: the name goes to a missing folder and fails.
  ASSERT_TRUE(tav::createFolder(dir.path("old.notes")));
  std::string readme = dir.path("old.notes") + tav::kPathSep + "README";
  tavtest::writeFileBytes(readme, "keep");
  EXPECT_EQ(tav::numberFile(readme, tav::platformFileOps()), 0);
  EXPECT_EQ(tavtest::readFileBytes(readme), "keep");
  EXPECT_EQ(tav::pathKind(dir.path("old001.notes")), tav::PathKind::None);
}

std::optional<std::string> lineFor(const std::string& drive, std::uint64_t freeBytes,
                                   std::uint64_t total) {
  return tav::diskSpaceLine(drive, [&](const std::string& path) -> std::optional<tav::VolumeSpace> {
    if (path.size() != 2 || path[1] != ':') return std::nullopt;
    return tav::VolumeSpace{freeBytes, total};
  });
}

TEST(DiskSpaceLine, GigabyteAndMegabyteFormats) {
  const std::uint64_t GiB = 1073741824ULL;
  EXPECT_EQ(lineFor("C", 100 * GiB, 500 * GiB), "C:  100.00 G / 500.00 G  (20.0%)\r\n");
  EXPECT_EQ(lineFor("D", GiB / 2, GiB), "D:  512.00 M / 1024.00 M  (50.0%)\r\n");
  EXPECT_EQ(lineFor("C", 0, 500 * GiB), "C:  0.00 G / 500.00 G  (0.0%)\r\n");
  EXPECT_EQ(lineFor("C", 0, GiB), "Max!!");
  EXPECT_EQ(lineFor("C", 5, 0), "Max!!");
  // Free bytes times 100 is formed in 64 bits: no overflow at 64 TiB.
  EXPECT_EQ(lineFor("E", 16384 * GiB, 65536 * GiB), "E:  16384.00 G / 65536.00 G  (25.0%)\r\n");
}

TEST(DiskSpaceLine, UnreadableOrOverlongGivesNothing) {
  int calls = 0;
  auto count = [&](const std::string&) -> std::optional<tav::VolumeSpace> {
    ++calls;
    return tav::VolumeSpace{1, 2};
  };
  EXPECT_EQ(lineFor("C:", 1, 2), std::nullopt);  // "C::" cannot be queried
  EXPECT_EQ(tav::diskSpaceLine(std::string(300, 'C'), count), std::nullopt);
  EXPECT_EQ(calls, 0);
  // The line must fit in 64 bytes.
  EXPECT_EQ(tav::diskSpaceLine(std::string(40, 'C'), count), std::nullopt);
  EXPECT_EQ(calls, 1);
}

TEST(DiskSpaceLine, TheRealSystemVolumeCanBeRead) {
  std::optional<tav::VolumeSpace> v = tav::volumeSpace("C:");
  ASSERT_TRUE(v.has_value());
  EXPECT_GT(v->totalBytes, 0u);
  EXPECT_LE(v->freeBytes, v->totalBytes);
  std::optional<std::string> line =
      tav::diskSpaceLine("C", [](const std::string& p) { return tav::volumeSpace(p); });
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->substr(0, 4), *line == "Max!!" ? "Max!" : "C:  ");
  EXPECT_EQ(tav::volumeSpace("C::"), std::nullopt);
}

}  // namespace
