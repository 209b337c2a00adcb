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
  // A value cut to the buffer may end before the count says (a double-byte
  // character is left out whole): the text ends at its NUL.
  std::size_t len = n < bufSize ? n : bufSize - 1;
  std::size_t end = 0;
  while (end < len && buf[end] != '\0') ++end;
  return std::string(buf.data(), end);
}

bool iniWrite(const std::string& section, const std::string& key, const std::string& value,
              const std::string& path) {
  // Windows refuses to write a read-only file; say so ourselves, so that the
  // file is kept also where the check is not made (Wine run by root).
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) return false;
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace tav
