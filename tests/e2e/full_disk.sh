#!/usr/bin/env bash
# The data folder on a small disk of its own (a 300 KB tmpfs) that fills up
# while the user types: the status bar warns; a kill then loses nothing typed
# before the disk filled; at close the save fails and asks, and once space is
# freed the retry saves the newest text. Needs root for the mount: skipped
# (and says so) without it.
. "$(dirname "$0")/lib.sh"

home=$(new_home "full")
mkdir -p "$home/data"
if ! mount -t tmpfs -o size=300k tmpfs "$home/data" 2>/dev/null; then
  echo "skipped: cannot mount a tmpfs here (needs root)"
  exit 0
fi
unmount() { umount "$home/data" 2>/dev/null; }
trap 'unmount; cleanup' EXIT

fill() { dd if=/dev/zero of="$home/data/filler" bs=4k 2>/dev/null; sync; }
free_space() { rm -f "$home/data/filler"; }
note_file() { grep -l 'alpha' "$home"/data/default/* 2>/dev/null | head -n1; }

start_tavolin "$home"
focus_tavolin box
typed "alpha"
expect_ctl "text box" "alpha" "the keyword is typed"
keys Return
expect_ctl focused editor "a new note starts"
typed "before"
expect_ctl "text editor" "before" "typed before the disk fills"
# A long note, so that a record of it never fits in what the journal's last
# page has left once the disk is full.
long=$(printf 'x%.0s' $(seq 1 6000))
ctl clip "$long" >/dev/null || fail "no clipboard"
keys ctrl+v
for i in $(seq 1 50); do grep -aq "before$long" "$home/data/journal.dat" 2>/dev/null && break; sleep 0.2; done
grep -aq "before$long" "$home/data/journal.dat" || fail "the pause did not reach the journal"

fill
typed " after"
expect_ctl "status 3" "$(sjis '編集の記録を書き込めません。ディスクの空きを確かめてください（書き込めるようになると続きを書きます）')" \
  "the status bar warns that the journal cannot be written"

# A kill now: what was typed before the disk filled comes back.
kill -9 "${PIDS[-1]}"
ctl gone "$WAIT" >/dev/null || fail "the window stayed after the kill"
wait_processes
free_space
start_tavolin "$home"
expect_ctl "status 3" "$(sjis '前回の編集を復元しました')" "the next start says it recovered"
f=$(note_file)
[ -n "$f" ] && grep -aq "before$long" "$f" && pass "nothing typed before the disk filled is lost" \
  || fail "the note lost what was typed before the disk filled: [$(cat "$f" 2>/dev/null)]"

# Full again while typing; the close cannot save, asks; space freed, the retry saves.
focus_tavolin box
keys ctrl+a
typed "alpha"
keys Return
expect_ctl focused editor "the note opens again"
keys ctrl+End
fill
typed " again"
ctl post-close >/dev/null
text=$(ctl box "$WAIT") || fail "no message when the save fails on the full disk"
case "$text" in *alpha*) pass "the message names the note" ;; *) fail "the message: [$text]" ;; esac
free_space
ctl answer 6 >/dev/null  # はい: try again
ctl gone "$WAIT" >/dev/null || fail "the retry after freeing space did not close"
wait_processes
f=$(note_file)
grep -aq "again" "$f" 2>/dev/null && pass "freeing space lets the save finish" || fail "the note: [$(cat "$f" 2>/dev/null)]"
[ -e "$home/data/journal.dat" ] && fail "the journal is left after the save"
finish
