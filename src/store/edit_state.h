// The state of an edit control as a plain value: its text (code page 932
// bytes) and the selection as byte offsets, as EM_GETSEL reports them.
#pragma once

#include <cstddef>
#include <string>

namespace tav {

struct EditState {
  std::string text;
  std::size_t selStart = 0;
  std::size_t selEnd = 0;

  bool operator==(const EditState& o) const {
    return text == o.text && selStart == o.selStart && selEnd == o.selEnd;
  }
};

}  // namespace tav
