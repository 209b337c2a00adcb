#include "ui/open_keyword.h"

#include "store/note.h"
#include "store/text.h"

namespace tav {

const char* const kDefaultDir = "default";

int checkFilterNumber(std::string_view text) {
  if (text == "チェックあり") return 1;
  if (text == "チェックなし") return 0;
  return 3;
}

std::string keyFolder(std::string_view key) {
  std::size_t slash = key.find('/');
  return std::string(key.substr(0, slash));
}

OpenDecision decideOpen(std::string_view keyword, const std::vector<std::string>& matches,
                        bool keywordKnown, const std::vector<std::string>& subFolders,
                        std::string_view defdir) {
  OpenDecision d;
  if (matches.empty() && keywordKnown) {
    d.kind = OpenDecision::Kind::AlreadyKnown;
    return d;
  }
  if (matches.size() == 1) {
    d.kind = OpenDecision::Kind::Open;
    d.keyword = commaTail(matches[0], 5);
    d.key = commaField(matches[0], 1);
    return d;
  }
  if (matches.size() > 1) {
    d.kind = OpenDecision::Kind::List;
    return d;
  }
  if (keyword.empty()) {
    d.kind = OpenDecision::Kind::Hint;
    return d;
  }
  d.kind = OpenDecision::Kind::New;
  d.keyword = std::string(keyword);
  std::string dir = safeFolderName(defdir);
  std::string first = commaField(keyword, 1);
  d.folder = dir;
  for (const std::string& name : subFolders) {
    if (name == first) {
      d.folder = name;
      break;
    }
  }
  d.folderFromKeyword = d.folder != dir;
  return d;
}

}  // namespace tav
