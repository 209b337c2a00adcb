// Faults found by fuzzing the store (tests/fuzz): hand-made or damaged index
// lines and note folders must not lose or mix up notes.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "store/keyword_index.h"
#include "store/rebuild.h"
#include "testsupport.h"

namespace {

class HostileInput : public ::testing::Test {
 protected:
  std::string data(const std::string& rest = "") const {
    return tmp.path("data") + (rest.empty() ? "" : tav::kPathSep + rest);
  }
  tavtest::TempExeDir tmp;
  tav::KeywordIndex idx;
};

TEST_F(HostileInput, HandMadeIndexLinesKeepTheirEntriesAndTwinKeysTheEditedNote) {
  tav::createFolder(data());
  tav::createFolder(data("b"));
  tavtest::writeFileBytes(data("index2.txt"),
                          ",,a/1,,\n"            // 3 bytes once its commas are trimmed
                          "a/2,0,0,0,kw\r\r\n"   // a CR left at the end
                          ",,,,,,,\n"            // no key at all
                          "cc/1,0\n"             // no check field
                          "b/1,0,0,0,first\nb/1,0,0,0,second\n");
  tavtest::writeFileBytes(data("b/1"), "<k>first,</k><f>0</f><c>0</c><n>orig</n>");
  tav::createFolder(data("a"));
  tav::createFolder(data("cc"));
  for (const char* key : {"a/1", "a/2", "cc/1"}) tavtest::writeFileBytes(data(key), "");
  idx.load("data");
  ASSERT_EQ(idx.size(), 6u);

  // Nothing is stored under the empty key, and a line without a check field
  // keeps its mark rather than changing it only in memory.
  idx.storeNote("text", "kw", "", 0, false);
  idx.setChecked("cc/1", '0');
  EXPECT_EQ(idx.at(3).checked, 1u);

  // The twin's prepended line must not overwrite the edited note.
  idx.storeNote("edited", "first", "b/1", 0, false);
  idx.prependToMatches("second", "line", "");
  ASSERT_TRUE(idx.save("data"));
  EXPECT_EQ(tavtest::readFileBytes(data("b/1")), "<k>first,</k><f>0</f><c>0</c><n>edited</n>");
  EXPECT_EQ(tavtest::readFileBytes(data("index2.txt")),
            "a/1,,,\na/2,0,0,0,kw\r,\n,,,,,,\ncc/1,0\nb/1,0,0,0,first\nb/1,0,0,0,second\n");

  tav::KeywordIndex again;
  again.load("data");
  ASSERT_EQ(again.size(), idx.size());
  for (std::size_t i = 0; i < idx.size(); ++i) EXPECT_EQ(again.at(i).record, idx.at(i).record) << i;
}

TEST_F(HostileInput, RebuildLeavesOutNamesNoKeyCanHoldAndReadsValuesFromTheHeaderOnly) {
  tav::createFolder(data());
  tav::createFolder(data("a"));
  tav::createFolder(data("x,y"));
  tavtest::writeFileBytes(data("a/b,c"), "<k>comma,</k><n>x</n>");
  tavtest::writeFileBytes(data("x,y/1"), "<k>folder,</k><n>x</n>");
  // "<f>" inside the keyword, "<r>" and "<k>" inside the body, a comma in "<c>".
  tavtest::writeFileBytes(data("a/ok"), "<k>kw <f>3</f>,</k><f>7</f><c>1,2</c><n>b <r>9,9</r> <k>x</k></n>");
  tav::rebuildIndex("data", idx, "data");
  EXPECT_EQ(tavtest::readFileBytes(data("index2.txt")), "a/ok,7,1,0,kw <f>3</f>\n");
}

}  // namespace
