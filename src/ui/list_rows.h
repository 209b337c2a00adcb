// The rows of the keyword list, computed from the index lines that matched:
// a header row before every run of notes from one sub-folder, then one row
// per note. Rows refer to their line, either an index entry (the keyword
// list) or a line copied into a LineTable (search results), so a list of
// 100,000 notes costs no string copies until a row is drawn.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "store/note.h"

namespace tav {

// The matched index lines, copied into one buffer: a refill of 100,000 lines
// costs one copy of their bytes, and clear() keeps the memory for the next.
class LineTable {
 public:
  LineTable() = default;
  LineTable(const std::vector<std::string>& lines);  // NOLINT: tests and callers pass vectors
  LineTable(std::initializer_list<std::string_view> lines);
  void clear() {
    bytes_.clear();
    ends_.clear();
  }
  void reserve(std::size_t lines, std::size_t bytes) {
    ends_.reserve(lines);
    bytes_.reserve(bytes);
  }
  void add(std::string_view line) {
    bytes_.append(line.data(), line.size());
    ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
  }
  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](std::size_t i) const {
    std::uint32_t from = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(from, ends_[i] - from);
  }

 private:
  std::string bytes_;
  std::vector<std::uint32_t> ends_;
};

enum class RowIcon : std::uint8_t { Folder = 0, Note = 1, Checked = 2 };

// A row reads its line when it is drawn, never earlier: an entry's record is
// rebuilt when its note is stored, so no view of it outlives a message. An
// entry row is valid only while the index has not been cleared or loaded
// since the row was built (KeywordIndex::loadCount); the caller checks that.
struct ListRow {
  ListRow() = default;
  ListRow(const IndexEntry* e, std::uint32_t l, bool h) : entry(e), line(l), header(h) {}
  const IndexEntry* entry = nullptr;  // the entry shown; null: lines[line]
  std::uint32_t line = 0;
  bool header = false;
};

// Do two keys belong to one group: equal byte for byte up to a "/" that both
// have at the same position?
bool sameFolderGroup(std::string_view a, std::string_view b);

std::vector<ListRow> buildRows(const LineTable& lines);
// The same into rows, whose memory is reused.
void buildRows(const LineTable& lines, std::vector<ListRow>& rows);
// The rows of index entries, in the order given; with the entries' sub-folder
// runs from KeywordIndex::collectMatchEntries (one per entry) a key is read
// only where the run changes, else (runs empty) every key is.
void buildRows(const std::vector<const IndexEntry*>& entries,
               const std::vector<std::uint32_t>& runs, std::vector<ListRow>& rows);

// The index line a row shows (its entry's, read now, or its copied line).
std::string_view rowLine(const ListRow& row, const LineTable& lines);
// Column 0: the sub-folder for a header, the keyword for a note.
std::string rowText(const ListRow& row, const LineTable& lines);
// Column 1: "" for a header (which marks it everywhere), the key for a note.
std::string rowKey(const ListRow& row, const LineTable& lines);
// A header's folder icon; a note's follows its check field, read now.
RowIcon rowIcon(const ListRow& row, const LineTable& lines);
// The most bytes of a row's keyword or key that the list's commands read, as
// a list control's item text buffer holds them.
constexpr std::size_t kRowTextMax = 255;

// Type-ahead: the first row from start on (wrapping to the top when wrap is
// set) whose column-0 text begins with text (partial) or equals it, matched
// as TextPattern does without case; -1 when none does.
int findRow(const std::vector<ListRow>& rows, const LineTable& lines, std::string_view text,
            std::size_t start, bool partial, bool wrap);

}  // namespace tav
