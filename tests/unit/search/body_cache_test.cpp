#include "search/body_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/system.h"
#include "testsupport.h"

namespace {

using tavtest::ageFile;

std::string body(const tav::BodyCache& c, const std::string& key) {
  auto b = c.find(key);
  return b ? std::string(*b) : "(none)";
}

}  // namespace

// A note's cached body counts only while its file is as it was; a body read
// right after a write is not kept; the cache file survives a cut and forgets
// what no longer holds.
TEST(BodyCache, KeepsOnlyBodiesWhoseFilesAreUnchanged) {
  tavtest::TempExeDir exe;
  const std::string sep(1, tav::kPathSep);
  ASSERT_TRUE(tav::createFolder(exe.path("data")));
  ASSERT_TRUE(tav::createFolder(exe.path("data" + sep + "表")));
  ASSERT_TRUE(tav::createFolder(exe.path("data" + sep + "ソ")));
  const std::string a = "表/20110101000001.txt", b = "表/20110101000002.txt",
                    c = "ソ/20110101000003.txt";
  auto file = [&](const std::string& key) {
    std::string k = key;
    k.replace(k.find('/'), 1, sep);
    return exe.path("data" + sep + k);
  };
  tavtest::writeFileBytes(file(a), "<n>予定\r\n会議</n>");
  tavtest::writeFileBytes(file(b), "<n>ソ表\\\tタブ\n改行</n>");
  tavtest::writeFileBytes(file(c), "<n>今書いた</n>");
  ageFile(file(a), 100);
  ageFile(file(b), 100);

  tav::BodyCache cache;
  cache.open("data");
  EXPECT_FALSE(cache.find(a));  // no "bodies.dat" yet
  cache.learn(a, "予定\r\n会議");
  cache.learn(b, "ソ表\\\tタブ\n改行");
  cache.learn(c, "今書いた");                 // written a moment ago
  cache.learn("表/missing.txt", "無い");      // no such file
  ASSERT_TRUE(cache.saveIfChanged());
  const std::string saved = tavtest::readFileBytes(exe.path("data" + sep + "bodies.dat"));

  tav::BodyCache next;
  next.open("data");
  EXPECT_EQ("予定\r\n会議", body(next, a));
  EXPECT_EQ("ソ表\\\tタブ\n改行", body(next, b));
  EXPECT_EQ("(none)", body(next, c));
  EXPECT_EQ("(none)", body(next, "表/missing.txt"));

  // Another program changes one note and deletes the other: seen at the
  // next listing, which a re-check soon after the last one skips.
  tavtest::writeFileBytes(file(b), "<n>書き換えた</n>");
  ageFile(file(b), 50);
  ASSERT_TRUE(tav::deleteFile(file(a)));
  next.recheck(600);
  EXPECT_EQ("ソ表\\\tタブ\n改行", body(next, b));
  next.recheck(0);
  EXPECT_EQ("(none)", body(next, a));
  EXPECT_EQ("(none)", body(next, b));
  ASSERT_TRUE(next.saveIfChanged());
  next.open("data");
  EXPECT_TRUE(next.records().empty());

  // A file cut short keeps the whole records before the cut; a damaged or
  // foreign file gives nothing, and a key no note can have is skipped.
  tav::BodyCache parsed;
  parsed.parse(saved);
  ASSERT_EQ(2u, parsed.records().size());
  parsed.parse(saved.substr(0, saved.size() - 3));
  EXPECT_EQ(1u, parsed.records().size());
  parsed.parse("Tavolin bodies 2\tPC1\n../x.txt\t1\t2\t1\nA\nk/ok.txt\t1\t2\t1\nB\n");
  ASSERT_EQ(1u, parsed.records().size());
  EXPECT_EQ("B", parsed.records().begin()->second.body);
  parsed.parse("Tavolin bodies 2\tPC1\nk/ok.txt\t1\t99999999999999999999999\t1\nB\n");
  EXPECT_TRUE(parsed.records().empty());
  parsed.parse("something else\n");
  EXPECT_TRUE(parsed.records().empty());
}

// A sync engine may bring another PC's cache: its records are not used, even
// where the stamps agree (same size and write time, another text).
TEST(BodyCache, OnlyThisMachinesCacheIsUsed) {
  tavtest::DataFolder d;
  d.writeNote("表/1", "<n>本当の本文</n>");
  const std::optional<tav::FileStamp> st = tav::fileStampOf(d.path("表/1"));
  ASSERT_TRUE(st.has_value());
  const std::string body = "ソの本文";
  for (const std::string& machine : {tav::machineName(), std::string("ほかのPC")}) {
    tavtest::writeFileBytes(d.path(tav::BodyCache::kFileName),
                            "Tavolin bodies 2\t" + machine + "\n表/1\t" + std::to_string(st->size) +
                                "\t" + std::to_string(st->time) + "\t" +
                                std::to_string(body.size()) + "\n" + body + "\n");
    tav::BodyCache cache;
    cache.open(d.name());
    EXPECT_EQ(cache.records().size(), machine == tav::machineName() ? 1u : 0u) << machine;
  }
}
