#include "ui/handoff.h"

#include "platform/path.h"

namespace tav {

const char* const kKeywordHint = "ここになにかキーワードを入力して下さい";

HandoffPlan planHandoff(const std::string& commandLine, const std::string& boxText,
                        bool indexEmpty, std::size_t matches, const std::string& lastData) {
  HandoffPlan plan;
  if (commandLine.empty()) {
    if (!boxText.empty()) {
      plan.onlyRestoreTitle = true;
      return plan;
    }
    plan.setBox = true;
    if (!indexEmpty) {
      plan.boxText = lastData;
    } else {
      plan.boxText = kKeywordHint;
      plan.selectBox = true;
    }
    return plan;
  }
  plan.openKeyword = true;
  if (matches > 0) {
    plan.setBox = true;
    plan.boxText = commandLine;
  } else {
    plan.search = true;
    plan.searchText = commandLine;
  }
  return plan;
}

std::string cutHandedText(const std::string& title) {
  if (title.size() <= 255) return title;
  // Never half a double-byte character: the buffer leaves such a character out whole.
  std::size_t cut = 255;
  if (!isCharStart(title, cut)) --cut;
  return title.substr(0, cut);
}

std::string argumentsOf(std::string_view commandLine) {
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  if (n > 0 && commandLine[0] == '"') {
    i = commandLine.find('"', 1);
    i = i == std::string_view::npos ? n : i + 1;
  } else {
    while (i < n && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return std::string(commandLine.substr(i));
}

}  // namespace tav
