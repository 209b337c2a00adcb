// INI access through the Windows private-profile calls.
#include <windows.h>

#include <vector>

#include "platform/platform.h"

namespace tav {

std::string iniRead(const std::string& section, const std::string& key,
                    const std::string& def, const std::string& path, std::size_t bufSize) {
  if (bufSize == 0) return std::string();
  std::vector<char> buf(bufSize, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(),
                                     static_cast<DWORD>(bufSize), path.c_str());
  return std::string(buf.data(), n < bufSize ? n : bufSize - 1);
}

bool iniWrite(const std::string& section, const std::string& key, const std::string& value,
              const std::string& path) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace tav
