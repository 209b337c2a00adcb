#!/usr/bin/env bash
# First start, the once-a-day step and the single-instance hand-off, against
# the real program under Wine.
. "$(dirname "$0")/lib.sh"

# --- a first start in an empty folder whose name has 0x5C trail bytes (表, ソ)
home=$(new_home "表ソフト")
start_tavolin "$home"
ini="$home/init.ini"
[ -f "$ini" ] || fail "init.ini was not written at start"
expect_eq "default" "$(ini_value "$ini" defdir)" "defdir default written"
expect_eq "$(sjis '☆,★,・')" "$(ini_value "$ini" warp)" "warp default in code page 932"
expect_eq "worklog" "$(ini_value "$ini" worklog)" "worklog default written"
expect_eq "data" "$(ini_value "$ini" current)" "current default written"
grep -aq '^EndTime=' "$ini" && fail "EndTime written at a first start"
[ -e "$home/start_end.log" ] && fail "start_end.log made at a first start"
[ -d "$home/tavolinlog" ] || fail "no tavolinlog folder"
expect_ctl title "Tavolin" "title after start"
expect_ctl "text box" "$(sjis 'ここになにかキーワードを入力して下さい')" "hint in the keyword box of an empty index"

# --- a second start with an argument hands it over and exits with 0
(cd "$home" && wine ./Tavolin.exe "second start" >"$home/.out2" 2>&1 </dev/null)
expect_eq "0" "$?" "second instance exit code"
expect_ctl title "Tavolin" "the first window's title is restored"
close_tavolin
grep -aq '^EndTime=' "$ini" || fail "no EndTime after close"

# --- a second start whose argument is a known keyword: the first window shows
# and opens that keyword, its title is "Tavolin" again, the second exits with 0.
# Both keywords start with a byte of 0x80 or above (予 is 97 5C, ｱ is B1), which
# the C runtime's lpCmdLine used to lose.
home3=$(new_home "handoff")
mkdir -p "$home3/data/default"
sjis $'default/201111151234560000,0,0,0,予算案\ndefault/201111151234570000,0,0,0,ｱｲｳ\n' >"$home3/data/index2.txt"
sjis '<k>予算案,</k><f>0</f><c>0</c><n>議題</n>' >"$home3/data/default/201111151234560000"
sjis '<k>ｱｲｳ,</k><f>0</f><c>0</c><n>半角</n>' >"$home3/data/default/201111151234570000"
start_tavolin "$home3"
expect_ctl "text box" "Hello" "the last keyword (default Hello) when the index is not empty"
(cd "$home3" && wine ./Tavolin.exe "予算案" >"$home3/.out2" 2>&1 </dev/null)
expect_eq "0" "$?" "second instance with a known keyword exits with 0"
expect_ctl "text box" "$(sjis '予算案')" "the handed keyword is in the first window's keyword box"
expect_ctl "text editor" "$(sjis '議題')" "the handed keyword's note is open"
expect_ctl title "Tavolin" "title restored after the hand-off"
(cd "$home3" && wine ./Tavolin.exe "ｱｲｳ" >"$home3/.out2" 2>&1 </dev/null)
expect_ctl "text box" "$(sjis 'ｱｲｳ')" "a single-byte katakana keyword arrives whole"
expect_ctl "text editor" "$(sjis '半角')" "and its note is open"
close_tavolin
# The note open during the second hand-off kept its own keyword.
expect_eq "$(sjis $'default/201111151234560000,0,0,0,予算案\ndefault/201111151234570000,0,0,0,ｱｲｳ')" \
  "$(cat "$home3/data/index2.txt")" "a hand-off never renames the open note"

# --- EndTime from an earlier day: two lines appended, backup set to today
home2=$(new_home "dayone")
printf '[ini]\r\nEndTime=2011/11/14 18:02:11\r\n' >"$home2/init.ini"
start_tavolin "$home2"
log="$home2/start_end.log"
if [ -f "$log" ]; then
  expect_eq "2011/11/14 18:02:11" "$(head -n1 "$log" | tr -d '\r')" "old EndTime logged first"
  expect_eq "2" "$(wc -l <"$log" | tr -d ' ')" "two lines in start_end.log"
  grep -aq $'\r$' "$log" || fail "start_end.log lines end with CR LF"
  today=$(date +%Y/%m/%d)
  head -n2 "$log" | tail -n1 | grep -q "^$today " || fail "second line is now"
else
  fail "start_end.log missing after a new day"
fi
expect_eq "$(date +%Y%m%d)" "$(ini_value "$home2/init.ini" backup)" "backup is today"
close_tavolin

finish
