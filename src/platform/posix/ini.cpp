// A small INI reader and writer with the semantics of the Windows
// private-profile calls, so that settings behave alike on both platforms.
#include <cctype>
#include <strings.h>

#include "platform/path.h"
#include "platform/platform.h"
#include "platform/ini_text.h"

namespace tav {

std::string iniRead(const std::string& section, const std::string& key,
                    const std::string& def, const std::string& path, std::size_t bufSize) {
  std::optional<std::string> text = readWholeFile(path);
  std::string value = def;
  if (text) {
    std::optional<std::string> found = iniLookup(*text, section, key);
    if (found) value = *found;
  }
  if (bufSize == 0) return std::string();
  // Cut to the buffer, never inside a double-byte character (the Windows
  // call leaves such a character out whole).
  if (value.size() > bufSize - 1) {
    std::size_t cut = bufSize - 1;
    if (!isCharStart(value, cut)) --cut;
    value.resize(cut);
  }
  return value;
}

bool iniWrite(const std::string& section, const std::string& key, const std::string& value,
              const std::string& path) {
  std::string text = readWholeFile(path).value_or(std::string());
  return writeWholeFile(path, iniReplace(text, section, key, value));
}

}  // namespace tav
