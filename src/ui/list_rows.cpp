#include "ui/list_rows.h"

#include "store/match.h"
#include "store/text.h"
#include "ui/open_keyword.h"

namespace tav {

namespace {

std::string_view keyOf(std::string_view line) { return line.substr(0, line.find(',')); }

// The sub-folder part of a line's key with its "/" (sameFolderGroup's
// condition as a prefix); empty when the key has no "/", so that the note
// shares its header with none. Neither "/" nor "," is ever a trail byte.
std::string_view groupPrefix(std::string_view line) {
  for (std::size_t i = 0; i < line.size() && line[i] != ','; ++i)
    if (line[i] == '/') return line.substr(0, i + 1);
  return std::string_view();
}

// A plain loop: the prefix is a few bytes, shorter than a library call.
bool startsWith(std::string_view line, std::string_view prefix) {
  if (line.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (line[i] != prefix[i]) return false;
  return true;
}

// One pass for both kinds of rows: a key release builds a row for every
// matching note, so a note of the current sub-folder costs only the compare
// of its line's first bytes with the sub-folder's, and nothing at all when
// the index says it is of the same run as the note before (runs).
template <typename LineOf>
void buildRowsOf(std::size_t n, LineOf&& lineOf, std::vector<ListRow>& rows,
                 const IndexEntry* const* entries, const std::uint32_t* runs) {
  rows.clear();
  rows.reserve(n + n / 8 + 1);
  std::string_view group;
  for (std::size_t i = 0; i < n; ++i) {
    const IndexEntry* e = entries ? entries[i] : nullptr;
    const auto at = static_cast<std::uint32_t>(i);
    if (!runs || i == 0 || runs[i] != runs[i - 1]) {
      const std::string_view line = lineOf(i);
      if (group.empty() || !startsWith(line, group)) {
        group = groupPrefix(line);
        rows.emplace_back(e, at, true);
      }
    }
    rows.emplace_back(e, at, false);
  }
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
  buildRowsOf(lines.size(), [&](std::size_t i) { return lines[i]; }, rows, nullptr, nullptr);
}

void buildRows(const std::vector<const IndexEntry*>& entries,
               const std::vector<std::uint32_t>& runs, std::vector<ListRow>& rows) {
  buildRowsOf(entries.size(), [&](std::size_t i) { return entries[i]->lineView(); }, rows,
              entries.data(), runs.size() == entries.size() ? runs.data() : nullptr);
}

std::vector<ListRow> buildRows(const LineTable& lines) {
  std::vector<ListRow> rows;
  buildRows(lines, rows);
  return rows;
}

std::string_view rowLine(const ListRow& row, const LineTable& lines) {
  if (row.entry) return row.entry->lineView();
  return row.line < lines.size() ? lines[row.line] : std::string_view();
}

std::string rowText(const ListRow& row, const LineTable& lines) {
  std::string_view line = rowLine(row, lines);
  if (row.header) return keyFolder(keyOf(line));
  return commaTail(line, 5);
}

std::string rowKey(const ListRow& row, const LineTable& lines) {
  if (row.header) return std::string();
  return std::string(keyOf(rowLine(row, lines)));
}

RowIcon rowIcon(const ListRow& row, const LineTable& lines) {
  if (row.header) return RowIcon::Folder;
  // Field 3, the check flag: only a leading "0" is an unchecked note.
  std::string_view line = rowLine(row, lines);
  std::size_t comma = line.find(',');
  if (comma != std::string_view::npos) comma = line.find(',', comma + 1);
  const bool unchecked = comma != std::string_view::npos && comma + 1 < line.size() &&
                         line[comma + 1] == '0';
  return unchecked ? RowIcon::Note : RowIcon::Checked;
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
