#!/usr/bin/env bash
# The edit-and-keep cycle with real key events: type a keyword, write a note,
# a second keyword and note, close; the files hold the exact bytes; a restart
# finds everything again. Then the same with "保存しないで終了".
# Every step waits for its effect (text, status, focus) instead of sleeping.
. "$(dirname "$0")/lib.sh"

home=$(new_home "cycle")
start_tavolin "$home"
expect_ctl "text box" "$(sjis 'ここになにかキーワードを入力して下さい')" "hint text in an empty folder"
focus_tavolin box

typed "alpha"
expect_ctl "text box" "alpha" "the keyword is typed over the selected hint"
keys Return
expect_ctl "status 3" "$(sjis '新規')" "Enter on a new keyword starts a new note"
expect_ctl focused editor "the editor has the focus"
typed "first note"
expect_ctl "text editor" "first note" "the first note is typed"
keys Escape
expect_ctl focused box "Esc goes back to the keyword box"
typed "beta"
expect_ctl "text box" "beta" "the second keyword is typed"
keys Return
expect_ctl focused editor "the editor has the focus again"
typed "second"
expect_ctl "text editor" "second" "the second note is in the editor"
close_tavolin

idx="$home/data/index2.txt"
[ -f "$idx" ] || fail "no index2.txt"
lines=$(wc -l <"$idx" | tr -d ' ')
expect_eq "2" "$lines" "two index lines"
alpha_key=$(grep -a ',alpha$' "$idx" | cut -d, -f1)
beta_key=$(grep -a ',beta$' "$idx" | cut -d, -f1)
[[ "$alpha_key" =~ ^default/[0-9]{18}$ ]] || fail "alpha key [$alpha_key]"
[[ "$beta_key" =~ ^default/[0-9]{18}$ ]] || fail "beta key [$beta_key]"
expect_eq "$alpha_key,10,0,0,alpha
$beta_key,6,0,0,beta" "$(cat "$idx")" "index2.txt lines"
grep -aq $'\r' "$idx" && fail "index2.txt holds a CR"
expect_eq "<k>alpha,</k><f>10</f><c>0</c><n>first note</n>" "$(cat "$home/data/$alpha_key")" \
  "alpha's note file"
expect_eq "<k>beta,</k><f>6</f><c>0</c><n>second</n>" "$(cat "$home/data/$beta_key")" \
  "beta's note file"
expect_eq "beta" "$(ini_value "$home/init.ini" data)" "init.ini data is the last keyword"
expect_eq "$(printf 'alpha\nbeta\n' | od -An -tx1)" "$(od -An -tx1 <"$home/recent.txt")" \
  "recent.txt bytes"
[ -f "$home/dir.txt" ] && [ ! -s "$home/dir.txt" ] || fail "dir.txt not written empty"
[ -f "$home/hanko.txt" ] && [ ! -s "$home/hanko.txt" ] || fail "hanko.txt not written empty"

# --- restart: the last keyword is back; typing the first one opens its note
start_tavolin "$home"
expect_ctl "text box" "beta" "the keyword box shows the last keyword"
focus_tavolin box
keys ctrl+a
typed "alp"
expect_ctl "text box" "alp" "the keyword is typed over the old one"
expect_ctl rows "default|
alpha|$alpha_key" "typing narrows the list"
keys Return
expect_ctl "text editor" "first note" "Enter opens the note again"
expect_ctl "status 3" "$(sjis '編集')" "status after opening"
expect_ctl focused editor "the opened note has the focus"
keys ctrl+End
typed "!"
expect_ctl "text editor" "first note!" "the edit is in the editor"
close_tavolin
expect_eq "<k>alpha,</k><f>11</f><c>0</c><n>first note!</n>" "$(cat "$home/data/$alpha_key")" \
  "an edit after a restart is kept"

# --- exit without saving: side files written, no note or index change
before=$(md5sum <"$idx")
start_tavolin "$home"
expect_ctl "text box" "alpha" "the keyword box shows the last keyword again"
focus_tavolin box
keys ctrl+a
typed "gamma"
expect_ctl "text box" "gamma" "a third keyword is typed"
keys Return
expect_ctl focused editor "the new note has the focus"
typed "lost"
expect_ctl "text editor" "lost" "the third note is typed"
ctl command 40022 >/dev/null
ctl gone "$WAIT" || fail "no exit after 保存しないで終了"
wait_processes
expect_eq "$before" "$(md5sum <"$idx")" "index2.txt unchanged"
[ -e "$home/data/journal.dat" ] && fail "exit without saving left the edit journal"
expect_eq "2" "$(ls "$home/data/default" | wc -l | tr -d ' ')" "no new note file"
expect_eq "gamma" "$(ini_value "$home/init.ini" data)" "init.ini still written"
expect_eq "$(printf 'alpha\nbeta\nalp\ngamma\n' | od -An -tx1)" "$(od -An -tx1 <"$home/recent.txt")" \
  "recent.txt still written"

finish
