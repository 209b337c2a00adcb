#include <gtest/gtest.h>

#include "dialogs/bookmarks.h"
#include "dialogs/stamp_list.h"

using tav::BookmarkOutcome;
using tav::MenuItem;
using Focus = BookmarkOutcome::Focus;
using Row = BookmarkOutcome::Row;

TEST(Bookmarks, ValidationFirstFailingRuleWins) {
  std::vector<std::string> list;
  BookmarkOutcome o = tav::addBookmark(list, "", "");
  EXPECT_EQ("表示に入力してください", o.status);
  EXPECT_EQ(Focus::Display, o.focus);
  o = tav::addBookmark(list, "a,b", "");
  EXPECT_EQ("表示に\",\"を使用しないで下さい", o.status);
  EXPECT_EQ(Focus::Display, o.focus);
  o = tav::addBookmark(list, "x", "");
  EXPECT_EQ("内容に入力してください", o.status);
  EXPECT_EQ(Focus::Data, o.focus);
  EXPECT_FALSE(o.clearEdits);
  EXPECT_EQ(Row::None, o.row);
  EXPECT_TRUE(list.empty());
  o = tav::updateBookmark(list, -1, "x", "y");
  EXPECT_EQ("選択して下さい", o.status);
  EXPECT_EQ(Focus::List, o.focus);
  EXPECT_EQ("選択して下さい", tav::deleteBookmark(list, -1).status);
}

TEST(Bookmarks, AddUpdateDeleteAndTheFileAndMenu) {
  std::vector<std::string> list;
  BookmarkOutcome o = tav::addBookmark(list, "議事録", "会議 メモ");
  EXPECT_EQ("追加しました", o.status);
  EXPECT_TRUE(o.clearEdits);
  EXPECT_EQ(Row::Append, o.row);
  tav::addBookmark(list, "表示", "q1,q2");  // the data keeps its commas
  tav::addBookmark(list, "表示", "dup");     // the same display twice is allowed
  o = tav::updateBookmark(list, 1, "表", "データ");
  EXPECT_EQ("更新しました", o.status);
  EXPECT_EQ(Row::Replace, o.row);
  EXPECT_EQ(1, o.index);
  EXPECT_EQ("議事録,会議 メモ\n表,データ\n表示,dup\n", tav::bookmarkFileText(list));
  EXPECT_EQ((std::vector<MenuItem>{{1500, "議事録"}, {1501, "表"}, {1502, "表示"}}),
            tav::bookmarkMenuItems(list));
  EXPECT_EQ("会議 メモ", tav::bookmarkQuery(list, 1500));
  EXPECT_FALSE(tav::bookmarkQuery(list, 1503));  // past the list: no jump
  o = tav::deleteBookmark(list, 0);
  EXPECT_EQ("削除しました", o.status);
  EXPECT_EQ(Row::Remove, o.row);
  tav::deleteBookmark(list, 0);
  tav::deleteBookmark(list, 0);
  EXPECT_EQ("", tav::bookmarkFileText(list));
  list = {"x,q1,q2"};
  EXPECT_EQ("q1,q2", tav::bookmarkQuery(list, 1500));
}

TEST(Stamps, ToggleComparesWholeTexts) {
  std::vector<std::string> stamps;
  EXPECT_FALSE(tav::toggleStamp(stamps, "abc"));
  EXPECT_FALSE(tav::toggleStamp(stamps, "abcd"));
  EXPECT_FALSE(tav::toggleStamp(stamps, "印"));
  EXPECT_TRUE(tav::toggleStamp(stamps, "abc"));
  EXPECT_EQ((std::vector<std::string>{"abcd", "印"}), stamps);
}

TEST(Stamps, MenuNewestFirstWithTheMnemonicTable) {
  EXPECT_EQ((std::vector<MenuItem>{{3, "&0 ソ表"}, {2, "&1 y"}, {1, "&2 x"}}),
            tav::stampMenuItems({"x", "y", "ソ表"}));
  std::string table;
  for (std::size_t p = 0; p <= 61; ++p) table += tav::stampMnemonic(p);
  EXPECT_EQ("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqr__", table);
  std::vector<std::string> many(61, "s");
  many[0] = "oldest";
  std::vector<MenuItem> items = tav::stampMenuItems(many);
  EXPECT_EQ((MenuItem{1, "&_ oldest"}), items.back());
  EXPECT_EQ("&r s", items[59].text);
}
