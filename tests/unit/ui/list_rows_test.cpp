#include <gtest/gtest.h>

#include "store/keyword_index.h"
#include "testsupport.h"
#include "ui/list_rows.h"

using tav::ListRow;
using tav::RowIcon;

namespace {

std::string show(const ListRow& r, const tav::LineTable& lines) {
  std::string s = r.header ? "H:" : "N:";
  s += tav::rowText(r, lines);
  if (!r.header) s += ":" + tav::rowKey(r, lines);
  return s + ":" + std::to_string(static_cast<int>(tav::rowIcon(r, lines)));
}

// Rows as "H:text" / "N:text:key:icon" for compact comparison. The rows over
// the entries of an index loaded from the same lines must show the same,
// built with the index's sub-folder runs and without them.
std::vector<std::string> render(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  const tav::LineTable table(lines);
  for (const ListRow& r : tav::buildRows(table)) out.push_back(show(r, table));
  tavtest::DataFolder data;
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  data.writeIndex(text);
  tav::KeywordIndex index;
  index.load(data.name());
  std::vector<const tav::IndexEntry*> hits;
  std::vector<std::uint32_t> runs;
  index.collectMatchEntries("", hits, runs, "", tav::KeywordIndex::kAnyCheck);
  for (const auto& withRuns : {runs, std::vector<std::uint32_t>()}) {
    std::vector<ListRow> rows;
    tav::buildRows(hits, withRuns, rows);
    std::vector<std::string> fromEntries;
    for (const ListRow& r : rows) fromEntries.push_back(show(r, tav::LineTable()));
    EXPECT_EQ(out, fromEntries) << (withRuns.empty() ? "every key read" : "with runs");
  }
  return out;
}

}  // namespace

TEST(ListRows, OneHeaderPerRunOfASubFolder) {
  std::vector<std::string> aab = {"a/1,0,0,0,one", "a/2,0,1,0,two", "b/3,0,0,0,three"};
  EXPECT_EQ((std::vector<std::string>{"H:a:0", "N:one:a/1:1", "N:two:a/2:2", "H:b:0",
                                      "N:three:b/3:1"}),
            render(aab));
  std::vector<std::string> aba = {"a/1,0,0,0,x", "b/2,0,0,0,y", "a/3,0,0,0,z"};
  EXPECT_EQ((std::vector<std::string>{"H:a:0", "N:x:a/1:1", "H:b:0", "N:y:b/2:1", "H:a:0",
                                      "N:z:a/3:1"}),
            render(aba));
}

TEST(ListRows, IconFollowsTheCheckField) {
  // Anything but a leading "0" in field 3 counts as checked.
  tav::LineTable lines {"d/1,5,0,0,k", "d/2,5,1,0,k", "d/3,5,01,0,k", "d/4,5,,0,k"};
  auto rows = tav::buildRows(lines);
  ASSERT_EQ(5u, rows.size());
  EXPECT_EQ(RowIcon::Folder, tav::rowIcon(rows[0], lines));
  EXPECT_EQ(RowIcon::Note, tav::rowIcon(rows[1], lines));
  EXPECT_EQ(RowIcon::Checked, tav::rowIcon(rows[2], lines));
  EXPECT_EQ(RowIcon::Note, tav::rowIcon(rows[3], lines));
  EXPECT_EQ(RowIcon::Checked, tav::rowIcon(rows[4], lines));
}

TEST(ListRows, GroupsCompareUpToTheSlash) {
  EXPECT_TRUE(tav::sameFolderGroup("memo/1", "memo/2"));
  EXPECT_FALSE(tav::sameFolderGroup("memo/1", "memos/1"));
  EXPECT_FALSE(tav::sameFolderGroup("mem/1", "memo/1"));
  EXPECT_FALSE(tav::sameFolderGroup("nokey", "nokey"));  // no "/": never one group
  // A keyword holding commas stays whole; a header row carries no key.
  std::vector<std::string> lines = {"表/1,0,0,0,a,b,c"};
  auto rows = tav::buildRows(lines);
  EXPECT_EQ("表", tav::rowText(rows[0], lines));
  EXPECT_EQ("", tav::rowKey(rows[0], lines));
  EXPECT_EQ("a,b,c", tav::rowText(rows[1], lines));
  EXPECT_TRUE(tav::buildRows({}).empty());
}

// A header starts every note whose key is not of the previous header's
// sub-folder, for rows over lines and over entries alike.
TEST(ListRows, HeadersFallWhereTheSubFolderChanges) {
  const std::vector<std::vector<std::string>> cases = {
      {"mem/1,0,0,0,a", "memo/2,0,0,0,b", "memo/3,0,0,0,c", "memos/4,0,0,0,d"},
      {"nokey,0,0,0,a/x", "nokey,0,0,0,a/y", "x/1,0,0,0,c", "x/2,0,0,0,d"},
      {"表/1,0,0,0,表示", "表/2,0,0,0,b", "ソ/3,0,0,0,ソフト", "ソフト/4,0,0,0,c", "ソフト/5,0,0,0,d"},
      {"a/1,0,0,0,x", "a/22222", "a,0,0,0,y", "a/3,0,0,0,z", "/4,0,0,0,w", "/5,0,0,0,v"},
  };
  for (const auto& lines : cases) {
    std::vector<std::string> expected;
    std::string group;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string key = lines[i].substr(0, lines[i].find(','));
      if (i == 0 || !tav::sameFolderGroup(group, key)) {
        group = key;
        expected.push_back("H:" + key.substr(0, key.find('/')) + ":0");
      }
      expected.push_back(render({lines[i]})[1]);
    }
    EXPECT_EQ(expected, render(lines)) << lines[0];
  }
}

// Typing in the list selected row 0, a header, whatever was typed.
TEST(ListRows, TypeAheadFindsTheRowBeginningWithTheTypedText) {
  tav::LineTable lines {"d/1,0,0,0,xapple", "d/2,0,0,0,xbanana", "d/3,0,0,0,XCherry",
                        "e/4,0,0,0,漢字メモ"};
  auto rows = tav::buildRows(lines);  // d, xapple, xbanana, XCherry, e, 漢字メモ
  EXPECT_EQ(tav::findRow(rows, lines, "xc", 0, true, true), 3);
  EXPECT_EQ(tav::findRow(rows, lines, "x", 2, true, true), 2);
  EXPECT_EQ(tav::findRow(rows, lines, "xa", 2, true, true), 1);   // wraps
  EXPECT_EQ(tav::findRow(rows, lines, "xa", 2, true, false), -1);
  EXPECT_EQ(tav::findRow(rows, lines, "漢字", 0, true, true), 5);
  EXPECT_EQ(tav::findRow(rows, lines, "xbanana", 0, false, true), 2);
  EXPECT_EQ(tav::findRow(rows, lines, "xban", 0, false, true), -1);
  EXPECT_EQ(tav::findRow(rows, lines, "z", 0, true, true), -1);
}
