// Settings, the once-a-day step, time stamps and the daily launch log.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/stamps.h"
#include "testsupport.h"

namespace {

using tavtest::FakeClock;
using tavtest::localSeconds;
using tavtest::TempExeDir;

std::string ini(const TempExeDir& t, const char* section, const char* key) {
  return tav::iniRead(section, key, "<absent>", t.path("init.ini"));
}

TEST(Stamps, FormatsOfTheLocalTime) {
  FakeClock clock(localSeconds(2011, 11, 15, 9, 5, 7));
  EXPECT_EQ(tav::noteTimeStamp(), "201111150905070000");
  EXPECT_EQ(tav::monthStamp(), "201111");
  EXPECT_EQ(tav::tmpStamp(), "tmp,20111115090507");
  EXPECT_EQ(tav::dateStamp(true), "20111115");
  EXPECT_EQ(tav::dateStamp(false), "2011/11/15");
  EXPECT_EQ(tav::dateTimeStamp(), "2011/11/15 09:05:07");
}

TEST(DailyLog, OneFilePerDayAppended) {
  TempExeDir t;
  ASSERT_TRUE(tav::createFolder(t.path("tavolinlog")));
  FakeClock clock(localSeconds(2011, 11, 15, 10, 0, 0));
  tav::appendDailyLog("notepad a.txt");
  tav::appendDailyLog("notepad");
  std::string sep(1, tav::kPathSep);
  EXPECT_EQ(tavtest::readFileBytes(t.path("tavolinlog" + sep + "20111115.log")),
            "notepad a.txt\nnotepad\n");
  clock.advance(24 * 3600);
  tav::appendDailyLog(std::string(600, 'x'));
  EXPECT_EQ(tavtest::readFileBytes(t.path("tavolinlog" + sep + "20111116.log")),
            std::string(511, 'x') + "\n")
      << "a launch text is cut to 511 bytes";
}

TEST(DailyLog, MissingFolderLosesTheLineQuietly) {
  TempExeDir t;
  tav::appendDailyLog("notepad");
  EXPECT_EQ(tav::pathKind(t.path("tavolinlog")), tav::PathKind::None);
}

TEST(Settings, FirstStartWritesTheDefaultsOfEmptyKeysOnly) {
  TempExeDir t;
  FakeClock clock(localSeconds(2011, 11, 15, 9, 0, 0));
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(s.ctrl_T, 1);
  EXPECT_EQ(s.data, "Hello");
  EXPECT_EQ(s.defdir, "default");
  EXPECT_EQ(s.warp, "☆,★,・");
  EXPECT_EQ(s.worklog, "worklog");
  EXPECT_EQ(s.current, "data");
  EXPECT_EQ(s.sideSize2, 200);
  EXPECT_EQ(ini(t, "ini", "defdir"), "default");
  EXPECT_EQ(ini(t, "ini", "warp"), "☆,★,・");
  EXPECT_EQ(ini(t, "ini", "worklog"), "worklog");
  EXPECT_EQ(ini(t, "ini", "current"), "data");
  EXPECT_EQ(ini(t, "ini", "data"), "<absent>");
  EXPECT_EQ(ini(t, "ini", "EndTime"), "<absent>");
  EXPECT_EQ(tav::pathKind(t.path("start_end.log")), tav::PathKind::None);
}

TEST(Settings, EmptyValueIsRewrittenAndOddValuesAreSafe) {
  TempExeDir t;
  tavtest::writeFileBytes(t.path("init.ini"),
                          "[ini]\r\ndefdir=\r\nsideSize2=abc\r\nctrl_T=2x\r\ndata=" +
                              std::string(300, 'd') + "\r\n[etc]\r\nbackup=2011111599\r\n");
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(s.defdir, "default");
  EXPECT_EQ(ini(t, "ini", "defdir"), "default");
  EXPECT_EQ(s.sideSize2, 0) << "letters only read as 0";
  EXPECT_EQ(s.ctrl_T, 2);
  EXPECT_EQ(s.data, std::string(255, 'd'));
  EXPECT_EQ(s.backup, "20111115") << "the marker is seen cut to 8 characters";
}

TEST(Settings, EndTimeOfTodayLogsNothing) {
  TempExeDir t;
  FakeClock clock(localSeconds(2011, 11, 15, 20, 0, 0));
  tavtest::writeFileBytes(t.path("init.ini"), "[ini]\r\nEndTime=2011/11/15 08:00:00\r\n");
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(tav::pathKind(t.path("start_end.log")), tav::PathKind::None);
  EXPECT_EQ(ini(t, "ini", "EndTime"), "2011/11/15 08:00:00");
  EXPECT_EQ(ini(t, "etc", "backup"), "<absent>");
}

TEST(Settings, FirstStartOfADayLogsTwoLinesAndStamps) {
  TempExeDir t;
  FakeClock clock(localSeconds(2011, 11, 15, 8, 55, 40));
  tavtest::writeFileBytes(t.path("init.ini"),
                          "[ini]\r\nEndTime=2011/11/14 18:02:11\r\n[etc]\r\nbackup=20111114\r\n");
  tavtest::writeFileBytes(t.path("start_end.log"), "earlier\r\n");
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(tavtest::readFileBytes(t.path("start_end.log")),
            "earlier\r\n2011/11/14 18:02:11\r\n2011/11/15 08:55:40\r\n");
  EXPECT_EQ(ini(t, "ini", "EndTime"), "2011/11/15 08:55:40");
  EXPECT_EQ(ini(t, "etc", "backup"), "20111115");
  EXPECT_EQ(s.backup, "20111115");

  // A second start the same day adds nothing.
  clock.advance(3600);
  tav::Settings again;
  tav::loadSettings(again);
  EXPECT_EQ(tavtest::readFileBytes(t.path("start_end.log")),
            "earlier\r\n2011/11/14 18:02:11\r\n2011/11/15 08:55:40\r\n");
}

TEST(Settings, CloseWritesTheKeysBack) {
  TempExeDir t;
  FakeClock clock(localSeconds(2011, 11, 15, 18, 0, 0));
  tav::Settings s;
  tav::loadSettings(s);
  s.ctrl_T = 3;
  s.sideSize2 = 321;
  s.current = "data2";
  tav::writeSettingsAtClose(s, "会議,予定");
  tav::stampEndTime(s);
  EXPECT_EQ(ini(t, "ini", "data"), "会議,予定");
  EXPECT_EQ(ini(t, "ini", "ctrl_T"), "3");
  EXPECT_EQ(ini(t, "ini", "sideSize2"), "321");
  EXPECT_EQ(ini(t, "ini", "current"), "data2");
  EXPECT_EQ(ini(t, "ini", "EndTime"), "2011/11/15 18:00:00");
  tav::Settings back;
  tav::loadSettings(back);
  EXPECT_EQ(back.data, "会議,予定");
  EXPECT_EQ(back.sideSize2, 321);
}

TEST(Settings, ReadOnlyFolderOrFileDoesNotCrash) {
  TempExeDir t;
  // A folder named init.ini: nothing can be read or written, defaults hold.
  ASSERT_TRUE(tav::createFolder(t.path("init.ini")));
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(s.defdir, "default");
  EXPECT_EQ(s.current, "data");
  tav::writeSettingsAtClose(s, "x");
  EXPECT_EQ(tav::pathKind(t.path("init.ini")), tav::PathKind::Folder);
}

// A read-only "init.ini" (here with an empty defdir) is read, never replaced:
// the defaults hold in memory, the file keeps its bytes, no temporary file stays.
TEST(Settings, ReadOnlyIniKeepsItsBytes) {
  TempExeDir t;
  FakeClock clock(localSeconds(2011, 11, 15, 9, 0, 0));
  const std::string bytes = "[ini]\r\ndefdir=\r\ndata=会議\r\nEndTime=2011/11/14 18:00:00\r\n";
  tavtest::writeFileBytes(t.path("init.ini"), bytes);
  tavtest::setReadOnly(t.path("init.ini"), true);
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(s.defdir, "default");
  EXPECT_EQ(s.data, "会議");
  tav::writeSettingsAtClose(s, "other");
  tav::stampEndTime(s);
  EXPECT_EQ(tavtest::readFileBytes(t.path("init.ini")), bytes);
  EXPECT_EQ(tavtest::filesIn(t.dir()), (std::vector<std::string>{"init.ini", "start_end.log"}));
  tavtest::setReadOnly(t.path("init.ini"), false);
}

// ExeDir below a folder whose name has 0x5C trail bytes (表 95 5C, ソ 83 5C).
TEST(Settings, ExeDirWithTrailByte0x5CInItsName) {
  TempExeDir t("表ソ");
  FakeClock clock(localSeconds(2011, 11, 15, 8, 55, 40));
  tavtest::writeFileBytes(t.path("init.ini"), "[ini]\r\nEndTime=2011/11/14 18:02:11\r\n");
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(s.iniPath, t.path("init.ini"));
  EXPECT_EQ(ini(t, "ini", "defdir"), "default");
  EXPECT_EQ(ini(t, "etc", "backup"), "20111115");
  EXPECT_EQ(tavtest::readFileBytes(t.path("start_end.log")),
            "2011/11/14 18:02:11\r\n2011/11/15 08:55:40\r\n");
  ASSERT_TRUE(tav::createFolder(t.path("tavolinlog")));
  tav::appendDailyLog("notepad");
  EXPECT_EQ(tavtest::readFileBytes(t.path("tavolinlog") + tav::kPathSep + "20111115.log"),
            "notepad\n");
  EXPECT_EQ(tavtest::filesIn(t.dir()), (std::vector<std::string>{"init.ini", "start_end.log"}));
}

// Every note path is built on the data folder: a hand-edited "current" that
// is neither "data" nor "data2" must not lead outside ExeDir.
TEST(Settings, DataFolderIsDataOrData2) {
  TempExeDir t;
  tavtest::writeFileBytes(t.path("init.ini"), "[ini]\r\ncurrent=..\r\n");
  tav::Settings s;
  tav::loadSettings(s);
  EXPECT_EQ(s.dataFolder(), "data");
  s.current = "data2";
  EXPECT_EQ(s.dataFolder(), "data2");
  s.current = "../../etc";
  EXPECT_EQ(s.dataFolder(), "data");
  tav::writeSettingsAtClose(s, "x");
  EXPECT_EQ(ini(t, "ini", "current"), "../../etc") << "the stored value itself is kept";
}

}  // namespace
