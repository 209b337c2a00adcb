// Path text operations that are safe with code page 932: a trail byte of a
// double-byte character may be 0x5C ('\'), as in ソ or 表, so separators are
// found by stepping character by character, never byte by byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tav {

// The code page of every text the program keeps (Windows' number for Shift-JIS).
constexpr unsigned kCodePage = 932;

// Lead bytes of code page 932 double-byte characters.
inline bool isLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Is byte i the start of a character (not the trail byte of a double-byte one)?
bool isCharStart(std::string_view s, std::size_t i);

// Position of the last '\' or '/' that stands as a character of its own, or npos.
std::size_t lastSeparatorPos(std::string_view s);

// Does the text end with a '\' or '/' that stands as a character of its own?
bool endsWithSeparator(std::string_view s);

// The text up to and including its last separator; empty when there is none.
std::string folderOf(std::string_view path);

// The part after the last separator.
std::string fileNameOf(std::string_view path);

// Does the text contain a '\' standing as a character of its own?
bool containsBackslashChar(std::string_view s);

}  // namespace tav
