// Operating-system effects of the text commands: opening with the shell, the
// clipboard, volume sizes, and the Japanese width and kana mappings. Each has
// a Win32 implementation and a POSIX one; the same tests run against both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// Opens a program, document, folder or URL with its default handler ("open"),
// parameters or none. The result follows ShellExecuteA: above 32 is success,
// 0 to 32 an error code.
int shellOpen(const std::string& file, const std::optional<std::string>& params);

// Puts a text on the clipboard as CF_TEXT; false when the clipboard is busy.
bool setClipboardText(const std::string& text);
// The clipboard's CF_TEXT, or nothing when there is none.
std::optional<std::string> clipboardText();

struct VolumeSpace {
  std::uint64_t freeBytes = 0;   // free bytes of the whole volume, not a quota share
  std::uint64_t totalBytes = 0;
};
// Sizes of the volume that holds path ("C:" on Windows; a drive-letter form
// means the root file system elsewhere), or nothing when it cannot be queried.
std::optional<VolumeSpace> volumeSpace(const std::string& path);

// This computer's name (the one the network knows it by), or "" when it cannot be asked.
std::string machineName();

// The four mappings of the width and kana commands, over code page 932 text.
enum class TextMap { FullWidth, HalfWidth, Katakana, Hiragana };
// The mapped text, or nothing when the mapping failed. Characters without a
// counterpart pass unchanged.
std::optional<std::string> mapText(std::string_view text, TextMap how);

}  // namespace tav
