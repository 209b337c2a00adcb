// INI semantics: the same expectations hold for the Windows private-profile
// calls (under Wine) and our own reader and writer (natively).
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "testsupport.h"

namespace {

using tavtest::TempExeDir;

TEST(Ini, MissingFileSectionOrKeyGivesTheDefault) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  EXPECT_EQ(tav::iniRead("ini", "data", "Hello", ini), "Hello");
  tavtest::writeFileBytes(ini, "[etc]\r\nbackup=20111115\r\n");
  EXPECT_EQ(tav::iniRead("ini", "backup", "none", ini), "none");
  EXPECT_EQ(tav::iniRead("etc", "data", "none", ini), "none");
  EXPECT_EQ(tav::iniRead("etc", "backup", "", ini), "20111115");
  EXPECT_EQ(tav::iniRead("ETC", "BACKUP", "", ini), "20111115") << "names ignore case";
}

TEST(Ini, ValuesAreCutToTheBuffer) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  std::string longValue(400, 'v');
  tavtest::writeFileBytes(ini, "[ini]\r\ndata=" + longValue + "\r\nbackup=201111159\r\n");
  EXPECT_EQ(tav::iniRead("ini", "data", "", ini), std::string(255, 'v'));
  EXPECT_EQ(tav::iniRead("ini", "backup", "", ini, 9), "20111115");
}

// A cut never splits a double-byte character, and the text holds no NUL.
TEST(Ini, CutKeepsDoubleByteCharactersWhole) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  std::string v;
  for (int i = 0; i < 130; ++i) v += "表";
  tavtest::writeFileBytes(ini, "[ini]\r\ndata=" + v + "\r\nwarp=a" + v + "\r\n");
  EXPECT_EQ(tav::iniRead("ini", "data", "", ini), v.substr(0, 254));
  EXPECT_EQ(tav::iniRead("ini", "warp", "", ini), "a" + v.substr(0, 254));
  EXPECT_EQ(tav::iniRead("ini", "data", "", ini, 4), "表");
}

TEST(Ini, WriteReplacesOneKeyAndKeepsTheRest) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  tavtest::writeFileBytes(ini,
                          "; settings\r\n[ini]\r\ndata=old\r\nwarp=☆\r\n\r\n[etc]\r\nbackup=1\r\n");
  ASSERT_TRUE(tav::iniWrite("ini", "data", "会議", ini));
  ASSERT_TRUE(tav::iniWrite("ini", "defdir", "default", ini));
  ASSERT_TRUE(tav::iniWrite("etc", "backup", "20111115", ini));
  ASSERT_TRUE(tav::iniWrite("new", "k", "v", ini));
  EXPECT_EQ(tav::iniRead("ini", "data", "", ini), "会議");
  EXPECT_EQ(tav::iniRead("ini", "warp", "", ini), "☆");
  EXPECT_EQ(tav::iniRead("ini", "defdir", "", ini), "default");
  EXPECT_EQ(tav::iniRead("etc", "backup", "", ini), "20111115");
  EXPECT_EQ(tav::iniRead("new", "k", "", ini), "v");
  std::string text = tavtest::readFileBytes(ini);
  EXPECT_NE(text.find("; settings"), std::string::npos) << "comments stay";
  EXPECT_EQ(text.find("data=old"), std::string::npos);
  // The new key joins its own section, not the end of the file.
  EXPECT_LT(text.find("defdir=default"), text.find("[etc]"));
}

// Blanks around names and values, enclosing quotes and a last line without a
// line end read alike through the Windows calls and our own reader; a write
// replaces the spaced key rather than adding a second one.
TEST(Ini, BlanksQuotesAndLastLineWithoutLineEnd) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  tavtest::writeFileBytes(ini, "[ini]\r\n  data  =  two words  \r\nwarp=\"☆, ★\"\r\n"
                               "defdir=\r\n[etc]\r\nbackup=20111115");
  EXPECT_EQ(tav::iniRead("ini", "data", "", ini), "two words");
  EXPECT_EQ(tav::iniRead("ini", "warp", "", ini), "☆, ★");
  EXPECT_EQ(tav::iniRead("ini", "defdir", "default", ini), "") << "an empty value is no default";
  EXPECT_EQ(tav::iniRead("etc", "backup", "", ini), "20111115");

  ASSERT_TRUE(tav::iniWrite("ini", "data", "new", ini));
  ASSERT_TRUE(tav::iniWrite("etc", "EndTime", "2011/11/15 08:00:00", ini));
  EXPECT_EQ(tav::iniRead("ini", "data", "", ini), "new");
  EXPECT_EQ(tav::iniRead("etc", "backup", "", ini), "20111115");
  EXPECT_EQ(tav::iniRead("etc", "EndTime", "", ini), "2011/11/15 08:00:00");
  std::string text = tavtest::readFileBytes(ini);
  EXPECT_EQ(text.find("two words"), std::string::npos);
  EXPECT_EQ(text.find("data"), text.rfind("data")) << "one data key:\n" << text;
}

// A read-only "init.ini" is left as it is; reads still work.
TEST(Ini, ReadOnlyFileIsNotWritten) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  const std::string bytes = "[ini]\r\ndata=mine\r\n";
  tavtest::writeFileBytes(ini, bytes);
  tavtest::setReadOnly(ini, true);
  EXPECT_FALSE(tav::iniWrite("ini", "data", "other", ini));
  EXPECT_EQ(tavtest::readFileBytes(ini), bytes);
  EXPECT_EQ(tav::iniRead("ini", "data", "", ini), "mine");
  tavtest::setReadOnly(ini, false);
}

TEST(Ini, WriteCreatesTheFile) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  ASSERT_TRUE(tav::iniWrite("ini", "defdir", "default", ini));
  EXPECT_EQ(tav::iniRead("ini", "defdir", "", ini), "default");
  std::string text = tavtest::readFileBytes(ini);
  EXPECT_NE(text.find("[ini]"), std::string::npos);
}

}  // namespace
