// Command ids of the main menu "IDR_MENU" and the version numbers of the
// VERSIONINFO block. Read by the window code (C++) and by windres, so only
// plain #defines belong here.
//
// The menu, the icons ("IDI_ICON1", "IDI_ICON3", "IDI_ICON4", "IDI_ICON5")
// and the dialog templates are named resources: those names are deliberately
// not #defined, so that LoadMenuA/LoadIconA find them by their string names.
#ifndef TAVOLIN_RESOURCE_H
#define TAVOLIN_RESOURCE_H

// "ファイル(&F)"
#define IDM_REBUILD_INDEX     40023  // "インデックスの再作成 (&I)"
#define IDM_EXIT_WITHOUT_SAVE 40022  // "保存しないで終了 (&N)"
#define IDM_EXIT              40021  // "終了(&E)"

// "編集(&E)"
#define IDM_SETTINGS          40017  // "設定"
#define IDM_CHANGE_KEY        10081  // "キー変更", enabled only while the editor has the focus
#define IDM_CHANGE_DIR        10082  // "ディレクトリ変更", likewise

// "履歴(&R)": the placeholder item that the history menu replaces at run time.
#define IDM_HISTORY_DEFAULT   10009  // "default"

// "ブックマーク (&B)"
#define IDM_BOOKMARK_EDIT     50000  // "編集"

// Top-level item without a sub-menu.
#define IDM_SEARCH            50020  // "検索(&S)"

// "チェック(&C)"
#define IDM_CHECK_ALL         40027  // "一覧すべてにチェックを付ける"
#define IDM_UNCHECK_ALL       40028  // "一覧すべてチェックを外す"

// "ヘルプ(&H)"
#define IDM_HELP              40031  // "ヘルプ"
#define IDM_VERSION           40032  // "バージョン"

// Sent by the program itself (no menu item): run the editor's command lines.
#define IDM_RUN_COMMANDS      50010

// Items added at run time: history entries from 1001, bookmark entries from
// 1500; every id up to 1999 jumps to the keyword of its item.
#define IDM_HISTORY_FIRST     1001
#define IDM_BOOKMARK_FIRST    1500
#define IDM_JUMP_LAST         1999

// ---- Settings dialog "IDD_SETTEI" (loaded by name): its control ids.
#define IDC_SETTEI_DEFDIR     10070  // EDIT "データフォルダ："
#define IDC_SETTEI_WARP       10080  // EDIT "ジャンプキーワード："
#define IDC_SETTEI_BASE       1028   // drop-down list "ベースフォルダ：": "data", "data2"
#define IDC_SETTEI_SETS       1022   // drop-down with edit field: directory sets
#define IDC_SETTEI_SAVE_SET   1023   // "更新"
#define IDC_SETTEI_DELETE_SET 1024   // "削除"
#define IDC_SETTEI_DATA       1017   // list "data:"
#define IDC_SETTEI_DATA2      10010  // list "data2:"
#define IDC_SETTEI_ALL_LEFT   1021   // "<<"
#define IDC_SETTEI_LEFT       1019   // "<"
#define IDC_SETTEI_RIGHT      1018   // ">"
#define IDC_SETTEI_ALL_RIGHT  1020   // ">>"
// ---- end of the settings dialog

// Controls of the dialog "IDD_SEARCH" (search text and options; also the name prompt).
#define IDC_SEARCH_TEXT       10070
#define IDC_SEARCH_ALL        1015   // "一覧すべて検索 (&A)"
#define IDC_SEARCH_CASE       1016   // "大文字/小文字を区別(&B)"

// ---- Note pop-up window "CHILDW" (loaded by name): its control ids.
#define IDC_NOTEWIN_KEYWORD   10070  // the note's keyword
#define IDC_NOTEWIN_BODY      10080  // the note's body
#define IDC_NOTEWIN_DELETE    1018   // "削除": empties the body
#define IDC_NOTEWIN_PREV      1020   // "←": the previous four matches
#define IDC_NOTEWIN_NEXT      1021   // "→": the next four matches
// ---- end of the note pop-up window

// Bookmark dialog "IDD_DIALOG1". Its "閉じる" button has the id 8 (IDCLOSE).
#define IDC_BOOKMARK_LIST     10010
#define IDC_BOOKMARK_DISPLAY  10070
#define IDC_BOOKMARK_DATA     10080
#define IDC_BOOKMARK_STATUS   10008
#define IDC_BOOKMARK_ADD      10040
#define IDC_BOOKMARK_UPDATE   10050
#define IDC_BOOKMARK_DELETE   10060

// Version of the VERSIONINFO block.
#define TAVOLIN_VERSION_MAJOR 0
#define TAVOLIN_VERSION_MINOR 1
#define TAVOLIN_VERSION_PATCH 0
#define TAVOLIN_VERSION_TEXT  "0.1.0"

#endif  // TAVOLIN_RESOURCE_H
