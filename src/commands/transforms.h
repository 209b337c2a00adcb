// Whole-note transforms: line sorting, duplicate removal, width and kana.
// Pure functions from the note text to the new note text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace tav {

// Lines (cut at LF) sorted by unsigned bytes with their CR still attached,
// then written back without CRs, empty lines dropped, each ended by CR LF.
std::string sortLines(std::string_view text, bool descending);

// First occurrence of every line kept in place (the first empty line too),
// every line ended by CR LF.
std::string removeDuplicateLines(std::string_view text);

// Width or kana mapping of the whole text; nothing when the mapping failed.
std::optional<std::string> convertWidthOrKana(std::string_view text, TextMap how);

}  // namespace tav
