#!/usr/bin/env bash
# Killing the real program: while real keys type into notes and switch between
# them, the Tavolin process is killed (SIGKILL) at a random moment; the next
# start must bring back everything the editor showed two seconds before the
# kill, and say so in the status bar. TAV_CRASH_KILLS kills (default 5; `make
# crash-test` runs 100), TAV_CRASH_SEED for the random moments.
. "$(dirname "$0")/lib.sh"

KILLS=${TAV_CRASH_KILLS:-5}
RANDOM=${TAV_CRASH_SEED:-$$}
echo "kills: $KILLS, seed: ${TAV_CRASH_SEED:-$$}"
home=$(new_home "kill")
words=(alpha beta gamma)
declare -A typed   # keyword -> text the editor showed last
declare -A safe    # keyword -> text the editor showed 2 s before the kill
declare -A sent    # keyword -> text typed into it, shown or not
stamps="$WORK/stamps"  # lines "time keyword text-length" of confirmed texts

now() { date +%s.%N; }
alive() { kill -0 "$1" 2>/dev/null; }
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
# Waits briefly for a control text; false when it did not come (the kill).
shows() { ctl expect "$1" "hex:$(hex "$2")" 15 >/dev/null; }

# Body of the note filed under keyword kw, from the files on disk.
body_on_disk() {
  local key
  key=$(grep -a ",$1\$" "$home/data/index2.txt" | head -n1 | cut -d, -f1)
  [ -n "$key" ] || return 0
  sed -e 's/^.*<n>//' -e 's/<\/n>$//' "$home/data/$key"
}

check_recovered() {
  local kw body
  for kw in "${words[@]}"; do
    body=$(body_on_disk "$kw")
    if [ -n "${sent[$kw]:-}" ] &&
       [[ "$body" != "${safe[$kw]:-}"* || "${sent[$kw]}" != "$body"* ]]; then
      fail "after kill $1, $kw: [$body] must start with [${safe[$kw]:-}] and begin [${sent[$kw]}]"
      cp -r "$home" "/tmp/tav-kill-failed.$$.$1" 2>/dev/null
    fi
    typed[$kw]=$body
    sent[$kw]=$body
  done
}

wait_journal_gone() {
  local i
  for i in $(seq 1 100); do
    [ -f "$home/data/journal.dat" ] || return 0
    sleep 0.2
  done
  fail "the journal was not applied and removed at the start"
}

# Keys for the program while it lives; a kill may come at any moment, so
# nothing here waits long or counts as a failure.
send() {  # xdotool command and arguments
  alive "$pid" || return 1
  if ! x_focused; then
    ctl focus >/dev/null
    local w; w=$(xwin)
    [ -n "$w" ] && timeout 5 xdotool windowfocus --sync "$w" >/dev/null 2>&1
  fi
  xdotool "$@" >/dev/null 2>&1
}

# Types into notes, switching between them, until the process is gone.
type_until_killed() {
  local kw chunk n=0
  while alive "$pid"; do
    kw=${words[RANDOM % ${#words[@]}]}
    send key --delay 40 Escape ctrl+a || break
    send type --delay 40 "$kw" || break
    send key Return || break
    ctl expect focused editor 15 >/dev/null || continue
    shows "text editor" "${typed[$kw]:-}" || continue
    send key ctrl+End || break
    for _ in 1 2 3; do
      n=$((n + 1)); chunk="w$n "
      sent[$kw]="${typed[$kw]:-}$chunk"
      send type --delay 40 "$chunk" || break
      shows "text editor" "${typed[$kw]:-}$chunk" || break
      typed[$kw]="${typed[$kw]:-}$chunk"
      echo "$(now) $kw ${#typed[$kw]}" >>"$stamps"
    done
  done
}

for round in $(seq 1 "$KILLS"); do
  start_tavolin "$home"
  pid=${PIDS[-1]}
  if [ "$round" -gt 1 ]; then
    if [ "$had_journal" = 1 ]; then
      # The window exists while its creation is still applying the journal.
      expect_ctl "status 3" "$(sjis '前回の編集を復元しました')" "restart $round says the edits came back"
      wait_journal_gone
    fi
    check_recovered $((round - 1))
  fi
  focus_tavolin box
  : >"$stamps"
  delay=$((4 + RANDOM % 8)).$((RANDOM % 10))
  ( sleep "$delay"; now >"$WORK/killed"; kill -9 "$pid" ) &
  killer=$!
  type_until_killed
  wait "$killer"
  wait_processes
  ctl gone "$WAIT" >/dev/null || fail "the window stayed after the kill"
  had_journal=0; [ -f "$home/data/journal.dat" ] && had_journal=1
  limit=$(awk '{ printf "%.3f", $1 - 2 }' "$WORK/killed")
  for kw in "${words[@]}"; do
    len=$(awk -v t="$limit" -v k="$kw" '$1 <= t && $2 == k { n = $3 } END { print n + 0 }' "$stamps")
    [ -n "${typed[$kw]:-}" ] && safe[$kw]=${typed[$kw]:0:$len}
    # What was safe before this round stays safe.
    [ "$len" -eq 0 ] && safe[$kw]=$(body_on_disk "$kw")
  done
  echo "kill $round after ${delay}s: $(wc -l <"$stamps") texts confirmed, journal: $had_journal"
done
start_tavolin "$home"
[ "$had_journal" = 1 ] && wait_journal_gone
check_recovered "$KILLS"
close_tavolin
[ -f "$home/data/journal.dat" ] && fail "a clean close left the journal"
pass "$KILLS kills, every text shown 2 s before a kill was back"
finish
