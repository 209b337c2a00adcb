#include "settings/settings.h"

#include "platform/platform.h"
#include "settings/stamps.h"
#include "store/text.h"

namespace tav {

namespace {

constexpr const char* kIni = "ini";

// A key that must never be empty: an empty or missing value is replaced by the
// fallback in the file and in the record.
std::string readOrDefault(const Settings& s, const char* key, const char* fallback) {
  std::string v = iniRead(kIni, key, "", s.iniPath);
  if (v.empty()) {
    iniWrite(kIni, key, fallback, s.iniPath);
    v = fallback;
  }
  return v;
}

}  // namespace

const std::string& Settings::dataFolder() const {
  static const std::string kData = "data", kData2 = "data2";
  return current == kData2 ? kData2 : kData;
}

void loadSettings(Settings& s) {
  s.iniPath = exePath("init.ini");
  s.ctrl_T = textToInt(iniRead(kIni, "ctrl_T", "1", s.iniPath));
  s.data = iniRead(kIni, "data", "Hello", s.iniPath);
  s.defdir = readOrDefault(s, "defdir", "default");
  s.warp = readOrDefault(s, "warp", "☆,★,・");
  s.worklog = readOrDefault(s, "worklog", "worklog");
  s.current = readOrDefault(s, "current", "data");
  s.sideSize2 = textToInt(iniRead(kIni, "sideSize2", "200", s.iniPath));

  std::string endTime = iniRead(kIni, "EndTime", "", s.iniPath);
  if (!endTime.empty() && endTime.find(dateStamp(false)) == std::string::npos) {
    std::string lines = endTime + "\r\n" + dateTimeStamp() + "\r\n";
    appendToFile(exePath("start_end.log"), lines);
    s.backup.clear();  // not read yet: the first start of a day always stamps
    stampEndTime(s);
  }
  s.backup = iniRead("etc", "backup", "", s.iniPath, 9);
}

void stampEndTime(Settings& s) {
  iniWrite(kIni, "EndTime", dateTimeStamp(), s.iniPath);
  std::string today = dateStamp(true);
  if (today != s.backup) {
    iniWrite("etc", "backup", today, s.iniPath);
    s.backup = today;
  }
}

void writeCurrentFolder(const Settings& s) { iniWrite(kIni, "current", s.current, s.iniPath); }

void writeSettingsAtClose(const Settings& s, const std::string& keywordBoxText) {
  iniWrite(kIni, "data", keywordBoxText, s.iniPath);
  iniWrite(kIni, "defdir", s.defdir, s.iniPath);
  iniWrite(kIni, "warp", s.warp, s.iniPath);
  iniWrite(kIni, "worklog", s.worklog, s.iniPath);
  iniWrite(kIni, "ctrl_T", intToText(s.ctrl_T), s.iniPath);
  iniWrite(kIni, "sideSize2", intToText(s.sideSize2), s.iniPath);
  iniWrite(kIni, "current", s.current, s.iniPath);
}

}  // namespace tav
