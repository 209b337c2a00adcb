// What the start-up hand-off does with a command-line text: a pure decision
// that the main window carries out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
// buffer: at most 255 bytes arrive, and never half a double-byte character.
std::string cutHandedText(const std::string& title);

// The arguments of a whole command line (GetCommandLineA): the program name,
// quoted or not, and the blanks after it are skipped by the Windows rules.
// Bytes of 0x80 and above are never blanks, so a text starting with a
// double-byte character (予) or a single-byte katakana (ｱ) arrives whole.
std::string argumentsOf(std::string_view commandLine);

}  // namespace tav
