#include <gtest/gtest.h>

#include "ui/list_rows.h"

using tav::ListRow;
using tav::RowIcon;

namespace {

// Rows as "H:text" / "N:text:key:icon" for compact comparison.
std::vector<std::string> render(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const ListRow& r : tav::buildRows(lines)) {
    std::string s = r.header ? "H:" : "N:";
    s += tav::rowText(r, lines);
    if (!r.header) s += ":" + tav::rowKey(r, lines);
    s += ":" + std::to_string(static_cast<int>(r.icon));
    out.push_back(s);
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
  auto rows = tav::buildRows({"d/1,5,0,0,k", "d/2,5,1,0,k", "d/3,5,01,0,k", "d/4,5,,0,k"});
  ASSERT_EQ(5u, rows.size());
  EXPECT_EQ(RowIcon::Folder, rows[0].icon);
  EXPECT_EQ(RowIcon::Note, rows[1].icon);
  EXPECT_EQ(RowIcon::Checked, rows[2].icon);
  EXPECT_EQ(RowIcon::Note, rows[3].icon);
  EXPECT_EQ(RowIcon::Checked, rows[4].icon);
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
