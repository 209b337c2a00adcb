// What Enter in the keyword box does, decided from plain values; the window
// code carries the decision out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The check filter number of collectMatches from the check filter's text.
int checkFilterNumber(std::string_view text);

// The sub-folder new notes go to when "defdir" names none.
extern const char* const kDefaultDir;

struct OpenDecision {
  enum class Kind {
    AlreadyKnown,  // the keyword exists but the filters hide it: say so, nothing else
    Open,          // exactly one match: open it
    List,          // several matches: list them
    Hint,          // empty keyword, nothing matches: show the hint text
    New,           // nothing matches: a new note under keyword in folder
  };
  Kind kind = Kind::Hint;
  std::string keyword;  // Open: the note's keyword; New: the typed keyword
  std::string key;      // Open: the note's key
  std::string folder;   // New: the sub-folder the note is filed in
  // New: the folder came from the keyword's first comma field (an existing
  // sub-folder) rather than from defdir.
  bool folderFromKeyword = false;
};

// keyword: the keyword box; matches: the index lines collectMatches gave;
// keywordKnown: an entry with exactly this keyword exists (whatever its state);
// subFolders: the data folder's sub-folders; defdir: the settings value.
OpenDecision decideOpen(std::string_view keyword, const std::vector<std::string>& matches,
                        bool keywordKnown, const std::vector<std::string>& subFolders,
                        std::string_view defdir);

// The sub-folder of a key: the part before its first "/" (all of it without one).
std::string keyFolder(std::string_view key);

}  // namespace tav
