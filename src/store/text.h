// Small byte-wise text operations over code page 932 texts. The separators
// used with them (',', ' ', CR, LF) are never trail bytes of a double-byte
// character, so working byte by byte is safe.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Number of separators, plus one when the text after the last one is not empty.
std::size_t countTokens(std::string_view text, char sep);

// Appends the pieces between separators to out (a trailing empty piece is
// not produced) and returns their number.
std::size_t splitText(std::string_view text, std::vector<std::string>& out, char sep);

// Bytes from start up to, not including, end (clamped to the text).
std::string copyRange(std::string_view text, std::size_t start, std::size_t end);

// Removes every leading and trailing c; with frame, puts one c at each end.
std::string trimSeparator(std::string_view text, char c, bool frame);

// The n-th (1-based) comma field; empty when n is out of range.
std::string commaField(std::string_view text, int n);
// Everything after the (n-1)-th comma; empty when n <= 0 or there are too few commas.
std::string commaTail(std::string_view text, int n);

// Bytes between the first "<t>" and the first "</t>" after it, or nothing when
// "<t>" does not occur. A missing closing mark takes the rest of the text.
std::optional<std::string> extractTag(std::string_view text, std::string_view tag);

std::string intToText(long long value);

// Like atoi: optional sign and leading decimal digits after blanks; 0 when none.
int textToInt(std::string_view text);

// From offset up to, not including, the next CR (the whole rest without one).
std::string restOfLine(std::string_view text, std::size_t offset);

// Replaces every occurrence of find, left to right, never searching inserted text.
void replaceAll(std::string& target, std::string_view find, std::string_view replacement);

// "A"-"Z" to "a"-"z" where they are characters of their own; a trail byte
// that looks like a capital (ア is 83 41) stays, and nothing else changes.
std::string foldLower(std::string_view text);
// The same for the bytes from `from` on, which start a text of their own.
void foldLowerInPlace(std::string& text, std::size_t from = 0);

// Selected text as the edit control reports it: a selection ending with a
// line break does not include that CR LF.
std::string selectedRange(std::string_view text, std::size_t selStart, std::size_t selEnd);

// An edit control that counts characters (Wine's ANSI edit) and the core,
// which counts code page 932 bytes: a double-byte character is one position
// there and two here. Both clamp to the text.
std::size_t charsToBytes(std::string_view text, std::size_t chars);
std::size_t bytesToChars(std::string_view text, std::size_t bytes);

}  // namespace tav
