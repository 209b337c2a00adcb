// The program's settings: the values of "init.ini" in ExeDir.
#pragma once

#include <string>
#include <vector>

namespace tav {

struct Settings {
  // ---- values of "init.ini"
  std::string iniPath;          // ExeDir + "init.ini"
  std::string defdir;           // sub-folder new notes are filed in at start
  std::string data;             // keyword box text at the last close
  std::string warp;             // comma-separated jump marks
  std::string worklog;          // keyword of the work-log note
  std::string current;          // data folder in use: "data" or "data2"
  int ctrl_T = 1;               // date format of the date insertion (1, 2, 3)
  int sideSize2 = 200;          // keyword list width in pixels
  std::string backup;           // "etc"/backup: YYYYMMDD of the last daily step

  // The data folder in use: "data2" when the key says so, else "data". A
  // hand-edited value such as "../x" must not lead every note path out of ExeDir.
  const std::string& dataFolder() const;
};

// Reads "init.ini" of ExeDir, writes back the defaults of empty keys and runs
// the once-a-day step ("start_end.log" and the backup marker).
void loadSettings(Settings& s);

// Writes EndTime = now and, on a new day, etc/backup = today.
void stampEndTime(Settings& s);

// Writes the keys the close sequence keeps: data (the keyword box text),
// defdir, warp, worklog, ctrl_T, sideSize2 and current.
void writeSettingsAtClose(const Settings& s, const std::string& keywordBoxText);
// Writes current alone: the data folder in use is known to the next start
// from the moment it changes, so a crash cannot send it to the other folder.
void writeCurrentFolder(const Settings& s);

}  // namespace tav
