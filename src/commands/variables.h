// The variables of one command run: "?name value" defines "?name?", which
// later lines use. Names keep their definition order.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tav {

// The names and values of one run together stay within this many bytes: lines
// that copy a large value into ever new variables would otherwise exhaust the
// memory long before the run ends.
constexpr std::size_t kMaxVariableBytes = 16u << 20;

// The substitutions of one run together may look at about this many bytes.
// Names formed from long values (a line's quoted retry defines the whole line
// as a name) could otherwise make a hostile note's run take hours; an
// ordinary run stays far below it.
constexpr std::size_t kMaxSubstitutionWork = 64u << 20;

struct CommandVariables {
  std::vector<std::string> names;   // with the leading and the added trailing "?"
  std::vector<std::string> values;
  std::size_t bytes = 0;            // of all names and values
  std::unordered_map<std::string, std::size_t> byName;
  std::vector<std::size_t> nameLengths;  // distinct, for finding names in a text
  // What the run's substitutions may still look at (kMaxSubstitutionWork).
  mutable std::size_t workLeft = kMaxSubstitutionWork;

  void clear();
  std::size_t size() const { return names.size(); }
  // The value of a name, or nothing.
  const std::string* find(const std::string& name) const;
};

// Defines word + "?" with the argument (an absent argument defines nothing);
// an existing name gets the new value. A definition that would take the run's
// variables beyond kMaxVariableBytes changes nothing. Always 0, the line's result.
int defineVariable(CommandVariables& vars, const std::string& word,
                   const std::optional<std::string>& arg);

// Replaces every variable name in text by its value, one variable after the
// other in definition order, each left to right without searching the text it
// inserted (so a value may bring in names of later variables, never of earlier
// ones). Only the variables that occur are visited, which keeps a run with
// thousands of variables fast. False, with text unchanged, when the result
// would grow beyond maxSize bytes, or when the run's substitutions have used
// up their work (then every later one with a name to look for fails too).
bool substituteVariables(const CommandVariables& vars, std::string& text, std::size_t maxSize);

}  // namespace tav
