#include "commands/transforms.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "store/text.h"

namespace tav {

namespace {
std::string withoutCr(std::string piece) {
  replaceAll(piece, "\r", "");
  return piece;
}
}  // namespace

std::string sortLines(std::string_view text, bool descending) {
  std::vector<std::string> pieces;
  splitText(text, pieces, '\n');
  // std::string compares as unsigned bytes, a prefix first.
  if (descending)
    std::sort(pieces.begin(), pieces.end(), std::greater<std::string>());
  else
    std::sort(pieces.begin(), pieces.end());
  std::string out;
  out.reserve(text.size() + 2);
  for (std::string& p : pieces) {
    std::string line = withoutCr(std::move(p));
    if (line.empty()) continue;
    out += line;
    out += "\r\n";
  }
  return out;
}

std::string removeDuplicateLines(std::string_view text) {
  std::vector<std::string> pieces;
  splitText(text, pieces, '\n');
  // A set instead of comparing with every kept line: same result, and a long
  // note stays fast.
  std::unordered_set<std::string> kept;
  std::string out;
  out.reserve(text.size() + 2);
  for (std::string& p : pieces) {
    std::string line = withoutCr(std::move(p));
    if (!kept.insert(line).second) continue;
    out += line;
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> convertWidthOrKana(std::string_view text, TextMap how) {
  return mapText(text, how);
}

}  // namespace tav
