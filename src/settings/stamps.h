// Time stamps of the current local time (the clock is the platform's, which
// tests replace).
#pragma once

#include <ctime>
#include <string>

namespace tav {

std::string noteTimeStamp();              // YYYYMMDDhhmmss0000 (18 digits)
std::string monthStamp();                 // YYYYMM
std::string tmpStamp();                   // tmp,YYYYMMDDhhmmss
std::string dateStamp(bool compact);      // YYYYMMDD or YYYY/MM/DD
std::string dateTimeStamp();              // YYYY/MM/DD hh:mm:ss

// Appends text and LF to today's launch log, ExeDir + "tavolinlog" + YYYYMMDD.log.
// The launch text is cut to 511 bytes.
void appendDailyLog(const std::string& text);
std::string dailyLogPath();

}  // namespace tav
