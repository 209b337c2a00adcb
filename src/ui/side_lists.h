// The side lists kept across runs ("recent.txt", "dir.txt", "hanko.txt"):
// their file texts and the plain list operations the main window needs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The pieces of a side-list file (LF separated; CRs before the LF are dropped).
std::vector<std::string> sideListFromText(std::string_view text);

// The stamps of "hanko.txt": split at LF only; a CR before an LF is part of
// the stamp it ends, since a stamp may itself end with a line break.
std::vector<std::string> stampsFromText(std::string_view text);

// "recent.txt": the newest 16 entries (the list is oldest first), oldest of
// them first, each followed by LF.
std::string recentFileText(const std::vector<std::string>& history);
// "dir.txt": every entry, each followed by LF, in reverse list order.
std::string dirFileText(const std::vector<std::string>& dirs);
// "hanko.txt": every stamp followed by LF, in list order.
std::string stampFileText(const std::vector<std::string>& stamps);

}  // namespace tav
