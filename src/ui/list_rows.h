// The rows of the keyword list, computed from the index lines that matched:
// a header row before every run of notes from one sub-folder, then one row
// per note. Rows refer to their line, so a list of 100,000 notes costs no
// string copies until a row is drawn.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

enum class RowIcon : std::uint8_t { Folder = 0, Note = 1, Checked = 2 };

struct ListRow {
  std::uint32_t line = 0;  // index into the lines the rows were built from
  bool header = false;
  RowIcon icon = RowIcon::Note;
};

// Do two keys belong to one group: equal byte for byte up to a "/" that both
// have at the same position?
bool sameFolderGroup(std::string_view a, std::string_view b);

std::vector<ListRow> buildRows(const std::vector<std::string>& lines);

// Column 0: the sub-folder for a header, the keyword for a note.
std::string rowText(const ListRow& row, const std::vector<std::string>& lines);
// Column 1: "" for a header (which marks it everywhere), the key for a note.
std::string rowKey(const ListRow& row, const std::vector<std::string>& lines);

}  // namespace tav
