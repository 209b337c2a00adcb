#include <gtest/gtest.h>

#include "ui/open_keyword.h"

using tav::decideOpen;
using Kind = tav::OpenDecision::Kind;

namespace {
const std::vector<std::string> kNone;
const std::vector<std::string> kFolders = {"default", "memo", "表"};
}  // namespace

TEST(OpenKeyword, OneMatchOpensItsKeyAndKeyword) {
  auto d = decideOpen("shop", {"memo/201101011200000000,12,1,0,memo,shop,list"}, true, kFolders,
                      "default");
  EXPECT_EQ(Kind::Open, d.kind);
  EXPECT_EQ("memo/201101011200000000", d.key);
  EXPECT_EQ("memo,shop,list", d.keyword);
}

TEST(OpenKeyword, SeveralMatchesAreListed) {
  auto d = decideOpen("a", {"default/1,0,0,0,a1", "default/2,0,0,0,a2"}, true, kFolders, "x");
  EXPECT_EQ(Kind::List, d.kind);
}

TEST(OpenKeyword, KnownKeywordHiddenByFiltersMakesNoDuplicate) {
  auto d = decideOpen("shop", kNone, true, kFolders, "default");
  EXPECT_EQ(Kind::AlreadyKnown, d.kind);
}

TEST(OpenKeyword, EmptyKeywordAsksForOne) {
  EXPECT_EQ(Kind::Hint, decideOpen("", kNone, false, kFolders, "default").kind);
}

TEST(OpenKeyword, NewNoteFolderFromFirstFieldOrDefdir) {
  auto d = decideOpen("memo,shopping", kNone, false, kFolders, "default");
  EXPECT_EQ(Kind::New, d.kind);
  EXPECT_EQ("memo", d.folder);
  EXPECT_TRUE(d.folderFromKeyword);
  EXPECT_EQ("memo,shopping", d.keyword);

  d = decideOpen("表,予定", kNone, false, kFolders, "default");
  EXPECT_EQ("表", d.folder);

  // Only an exact sub-folder name counts (no case folding, no prefix).
  d = decideOpen("Memo,x", kNone, false, kFolders, "work");
  EXPECT_EQ("work", d.folder);
  EXPECT_FALSE(d.folderFromKeyword);
  d = decideOpen("mem,x", kNone, false, kFolders, "work");
  EXPECT_EQ("work", d.folder);
}

TEST(OpenKeyword, Bug_EmptyDefdirFilesUnderDefault) {
  auto d = decideOpen("anything", kNone, false, {}, "");
  EXPECT_EQ(Kind::New, d.kind);
  EXPECT_EQ("default", d.folder);
}

TEST(OpenKeyword, CheckFilterNumbers) {
  EXPECT_EQ(1, tav::checkFilterNumber("チェックあり"));
  EXPECT_EQ(0, tav::checkFilterNumber("チェックなし"));
  EXPECT_EQ(3, tav::checkFilterNumber("指定なし"));
  EXPECT_EQ(3, tav::checkFilterNumber(""));
}
