#!/usr/bin/env bash
# A note held open by another program (without sharing) while Tavolin closes:
# the close names the note and asks; a retry while it is still held asks
# again; once the other program lets go, the retry saves everything and the
# journal is gone. The note lies in the sub-folder "表" (its second byte is a
# backslash); Wine keeps file names in UTF-8 on the Linux side.
. "$(dirname "$0")/lib.sh"

home=$(new_home "held")
key="$(sjis '表')/201101010000000000"
file="$home/data/表/201101010000000000"
mkdir -p "$home/data/表"
printf '<k>alpha,</k><f>5</f><c>0</c><n>first</n>' >"$file"
printf '%s,5,0,0,alpha\n' "$key" >"$home/data/index2.txt"

start_tavolin "$home"
focus_tavolin box
keys ctrl+a
typed "alpha"
expect_ctl "text box" "alpha" "the keyword is typed"
keys Return
expect_ctl "text editor" "first" "the note opens"
focus_tavolin editor
keys ctrl+End
typed " more"
expect_ctl "text editor" "first more" "typed into the note"

# Another program holds the note file: its path as Windows sees it, in hex
# (code page 932 bytes do not pass a command line unchanged).
winpath() { printf 'Z:%s' "$1" | tr / '\\' | od -An -tx1 | tr -d ' \n'; }
flag="$WORK/let-go"
wine "$CTL" hold "hex:$(winpath "$home/data/")$(printf '%s' "$key" | od -An -tx1 | tr -d ' \n')" \
  "hex:$(winpath "$flag")" >"$WORK/hold.out" 2>&1 </dev/null &
holder=$!
for i in $(seq 1 100); do grep -q held "$WORK/hold.out" 2>/dev/null && break; sleep 0.2; done
grep -q held "$WORK/hold.out" || fail "the helper could not hold the note"

ctl post-close >/dev/null
text=$(ctl box "$WAIT") || fail "no message at close"
case "$text" in *alpha*) pass "the message names the note" ;; *) fail "the message: [$text]" ;; esac
ctl answer 6 >/dev/null  # はい: try again, still held
sleep 1
ctl box "$WAIT" >/dev/null && pass "a retry while held asks again" || fail "no second message"
expect_eq "<k>alpha,</k><f>5</f><c>0</c><n>first</n>" "$(cat "$file")" "the held note is untouched"

touch "$flag"
wait "$holder"
ctl answer 6 >/dev/null  # はい: try again, now free
ctl gone "$WAIT" >/dev/null || fail "the window did not close after the retry"
wait_processes
expect_eq "<k>alpha,</k><f>10</f><c>0</c><n>first more</n>" "$(cat "$file")" \
  "the retry saved the note"
[ -e "$home/data/journal.dat" ] && fail "the journal is left after a full save"
finish
