#include "ui/list_rows.h"

#include "store/match.h"
#include "store/text.h"
#include "ui/open_keyword.h"

namespace tav {

namespace {

std::string_view keyOf(std::string_view line) { return line.substr(0, line.find(',')); }

// What a row needs of its line: the key (field 1) and whether field 3, the
// check flag, starts with "0" (an unchecked note), found in one pass over the
// first fields: a key release builds a row for every matching note.
struct LineHead {
  std::string_view key;
  bool unchecked = false;
};

LineHead headOf(std::string_view line) {
  const char* p = line.data();
  const char* end = p + line.size();
  const char* c = p;
  while (c < end && *c != ',') ++c;
  LineHead h {std::string_view(p, static_cast<std::size_t>(c - p))};
  if (c == end) return h;
  ++c;
  while (c < end && *c != ',') ++c;  // past the caret field
  h.unchecked = c + 1 < end && c[1] == '0';
  return h;
}

}  // namespace

bool sameFolderGroup(std::string_view a, std::string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
    if (a[i] == '/') return true;
  }
  return false;
}

LineTable::LineTable(const std::vector<std::string>& lines) {
  for (const std::string& l : lines) add(l);
}

LineTable::LineTable(std::initializer_list<std::string_view> lines) {
  for (std::string_view l : lines) add(l);
}

void buildRows(const LineTable& lines, std::vector<ListRow>& rows) {
  rows.clear();
  rows.reserve(lines.size() + lines.size() / 8 + 1);
  std::string_view groupKey;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LineHead h = headOf(lines[i]);
    auto n = static_cast<std::uint32_t>(i);
    if (i == 0 || !sameFolderGroup(groupKey, h.key)) {
      groupKey = h.key;
      rows.push_back({n, true, RowIcon::Folder});
    }
    rows.push_back({n, false, h.unchecked ? RowIcon::Note : RowIcon::Checked});
  }
}

std::vector<ListRow> buildRows(const LineTable& lines) {
  std::vector<ListRow> rows;
  buildRows(lines, rows);
  return rows;
}

std::string rowText(const ListRow& row, const LineTable& lines) {
  if (row.line >= lines.size()) return std::string();
  std::string_view line = lines[row.line];
  if (row.header) return keyFolder(keyOf(line));
  return commaTail(line, 5);
}

std::string rowKey(const ListRow& row, const LineTable& lines) {
  if (row.header || row.line >= lines.size()) return std::string();
  return std::string(keyOf(lines[row.line]));
}

int findRow(const std::vector<ListRow>& rows, const LineTable& lines, std::string_view text,
            std::size_t start, bool partial, bool wrap) {
  const std::size_t n = rows.size();
  if (n == 0) return -1;
  if (start >= n) {
    if (!wrap) return -1;
    start = 0;
  }
  const std::size_t count = wrap ? n : n - start;
  const TextPattern typed(text, false);
  for (std::size_t k = 0; k < count; ++k) {
    std::size_t r = (start + k) % n;
    const std::string row = rowText(rows[r], lines);
    if ((partial || row.size() == text.size()) && typed.at(row, 0)) return static_cast<int>(r);
  }
  return -1;
}

}  // namespace tav
