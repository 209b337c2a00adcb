#include "dialogs/bookmarks.h"

#include "store/text.h"

namespace tav {

namespace {

using Focus = BookmarkOutcome::Focus;
using Row = BookmarkOutcome::Row;

BookmarkOutcome problem(const char* status, Focus focus) {
  BookmarkOutcome o;
  o.status = status;
  o.focus = focus;
  return o;
}

// The first rule a display and data break, if any.
std::optional<BookmarkOutcome> invalid(const std::string& display, const std::string& data) {
  if (display.empty()) return problem("表示に入力してください", Focus::Display);
  if (display.find(',') != std::string::npos)
    return problem("表示に\",\"を使用しないで下さい", Focus::Display);
  if (data.empty()) return problem("内容に入力してください", Focus::Data);
  return std::nullopt;
}

bool selected(const std::vector<std::string>& list, int sel) {
  return sel >= 0 && static_cast<std::size_t>(sel) < list.size();
}

BookmarkOutcome done(const char* status, Row row, int index, const std::string& display) {
  BookmarkOutcome o;
  o.status = status;
  o.clearEdits = true;
  o.row = row;
  o.index = index;
  o.display = display;
  return o;
}

}  // namespace

std::string bookmarkFileText(const std::vector<std::string>& list) {
  std::string t;
  for (const std::string& line : list) t += line + "\n";
  return t;
}

std::vector<MenuItem> bookmarkMenuItems(const std::vector<std::string>& list) {
  std::vector<MenuItem> items;
  for (std::size_t i = 0; i < list.size(); ++i) {
    int id = kBookmarkFirstId + static_cast<int>(i);
    if (id > kBookmarkLastId) break;
    items.push_back({id, commaField(list[i], 1)});
  }
  return items;
}

std::optional<std::string> bookmarkQuery(const std::vector<std::string>& list, int id) {
  if (id < kBookmarkFirstId || !selected(list, id - kBookmarkFirstId)) return std::nullopt;
  return commaTail(list[static_cast<std::size_t>(id - kBookmarkFirstId)], 2);
}

BookmarkOutcome addBookmark(std::vector<std::string>& list, const std::string& display,
                            const std::string& data) {
  if (auto bad = invalid(display, data)) return *bad;
  list.push_back(display + "," + data);
  return done("追加しました", Row::Append, static_cast<int>(list.size()) - 1, display);
}

BookmarkOutcome updateBookmark(std::vector<std::string>& list, int sel,
                               const std::string& display, const std::string& data) {
  if (!selected(list, sel)) return problem("選択して下さい", Focus::List);
  if (auto bad = invalid(display, data)) return *bad;
  list[static_cast<std::size_t>(sel)] = display + "," + data;
  return done("更新しました", Row::Replace, sel, display);
}

BookmarkOutcome deleteBookmark(std::vector<std::string>& list, int sel) {
  if (!selected(list, sel)) return problem("選択して下さい", Focus::List);
  list.erase(list.begin() + sel);
  return done("削除しました", Row::Remove, sel, "");
}

}  // namespace tav
