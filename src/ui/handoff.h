// What the start-up hand-off does with a command-line text: a pure decision
// that the main window carries out.
#pragma once

#include <cstddef>
#include <string>

namespace tav {

struct HandoffPlan {
  bool onlyRestoreTitle = false;  // nothing else happens
  bool setBox = false;            // put boxText into the keyword box
  std::string boxText;
  bool selectBox = false;         // select all of it (the hint text)
  bool openKeyword = false;       // open what the keyword box then holds
  bool search = false;            // then search the notes for searchText
  std::string searchText;
};

// commandLine: the handed-over text; boxText: the keyword box now; indexEmpty:
// whether the index holds no entry; matches: countMatches(commandLine);
// lastData: the keyword box text saved at the last close.
HandoffPlan planHandoff(const std::string& commandLine, const std::string& boxText,
                        bool indexEmpty, std::size_t matches, const std::string& lastData);

// Shown in an empty keyword box at the first start.
extern const char* const kKeywordHint;

// The title text a second instance hands over is read back through a 256-byte
// buffer: at most 255 bytes arrive.
std::string cutHandedText(const std::string& title);

}  // namespace tav
