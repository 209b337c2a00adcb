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

TEST(Ini, WriteCreatesTheFile) {
  TempExeDir t;
  std::string ini = t.path("init.ini");
  ASSERT_TRUE(tav::iniWrite("ini", "defdir", "default", ini));
  EXPECT_EQ(tav::iniRead("ini", "defdir", "", ini), "default");
  std::string text = tavtest::readFileBytes(ini);
  EXPECT_NE(text.find("[ini]"), std::string::npos);
}

}  // namespace
