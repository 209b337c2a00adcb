// The store below folders whose names hold 0x5C trail bytes (表 95 5C,
// ソ 83 5C, 予 97 5C): ExeDir, the sub-folder and the atomic write's
// temporary file must all stay where they belong.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "store/keyword_index.h"
#include "store/rebuild.h"
#include "testsupport.h"

namespace {

TEST(TrailByte, NotesSaveReloadAndRebuildBelowSuchFolders) {
  tavtest::TempExeDir t("表ソ");
  const std::string sep(1, tav::kPathSep);
  const std::string data = t.path("data");
  tav::KeywordIndex idx;
  idx.load("data");
  ASSERT_TRUE(tav::createFolder(data + sep + "ソフト"));
  idx.storeNote("予定\r\n表", "会議", "ソフト/201111150905070000", 4, true);
  ASSERT_TRUE(idx.saveAndClear("data"));

  EXPECT_EQ(tavtest::filesIn(data), std::vector<std::string>{"index2.txt"});
  EXPECT_EQ(tavtest::filesIn(data + sep + "ソフト"),
            std::vector<std::string>{"201111150905070000"});
  EXPECT_EQ(tavtest::readFileBytes(data + sep + "ソフト" + sep + "201111150905070000"),
            "<k>会議,</k><f>4</f><c>1</c><n>予定\r\n表</n>");

  idx.load("data");
  const std::string* body = nullptr;
  ASSERT_TRUE(idx.fetchNote("ソフト/201111150905070000", &body, nullptr, nullptr));
  EXPECT_EQ(*body, "予定\r\n表");

  tav::rebuildAllIndexes(idx, "data");
  EXPECT_EQ(tavtest::readFileBytes(data + sep + "index2.txt"),
            "ソフト/201111150905070000,4,1,0,会議\n");
  EXPECT_EQ(tav::pathKind(t.path("data2") + sep + "index2.txt"), tav::PathKind::File);
}

}  // namespace
