// INI text handling shared by the POSIX profile functions and their tests.
#pragma once

#include <optional>
#include <string>

namespace tav {

// Value of section/key in INI text (names compared without ASCII case; value
// trimmed of blanks and of one pair of enclosing quotes), or nothing.
std::optional<std::string> iniLookup(const std::string& text, const std::string& section,
                                     const std::string& key);

// The INI text with section/key set to value; the rest stays as it was. A new
// key goes after the section's last entry, a new section at the end.
std::string iniReplace(const std::string& text, const std::string& section,
                       const std::string& key, const std::string& value);

}  // namespace tav
