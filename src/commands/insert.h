// Putting generated text into an edit control: the whole text is rebuilt and
// the selection set afterwards, as pure functions over EditState.
#pragma once

#include <string>
#include <string_view>

#include "store/edit_state.h"

namespace tav {

// T's first p bytes, X, CR LF when lineEnd, then the rest of T (p clamped).
std::string spliceText(std::string_view t, std::string_view x, std::size_t p, bool lineEnd);

// Inserts x at p; the final selection is counted from the old selection start:
// with select the n inserted bytes after it are selected, else the caret
// stands n bytes after it.
EditState insertAt(const EditState& e, std::string_view x, std::size_t p, bool lineEnd,
                   bool select);

// insertAt at the end of the current selection.
EditState insertAtCaret(const EditState& e, std::string_view x, bool lineEnd, bool select);

// Start of the line after p, or p itself when p is the start of an empty line.
std::size_t lineStartAfter(std::string_view text, std::size_t p);

// Puts x (and a line end) under the line that holds the end of the selection;
// the caret ends at the start of the inserted block.
EditState insertOutput(const EditState& e, std::string_view x);

}  // namespace tav
