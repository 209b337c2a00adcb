#!/usr/bin/env bash
# Two Tavolin homes on this machine, A and B, whose data folders two Syncthing
# instances keep in step over 127.0.0.1. Each program runs in a Wine prefix of
# its own (its own wineserver, display and computer name), as on two PCs.
# Both sides create, edit and delete notes; one note is edited on both sides at
# once; both programs restart and close again. Afterwards every text typed on
# either side must be in a note file that both sides' "index2.txt" list, no
# note may be lost or come back, and no file of Syncthing's may be listed.
# TAV_SYNC_FULL=1 (make sync-test) adds a round that edits and deletes notes
# that came from the other side and edits a note on both sides where the other
# side's text arrives while the note is still open.
. "$(dirname "$0")/lib.sh"

FULL=${TAV_SYNC_FULL:-0}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# The prefixes live beside the Windows build tree and are kept between runs:
# making one costs more than the short round itself.
BUILD_DIR=${EXE%/win/src/app/Tavolin.exe}
[ "$BUILD_DIR" != "$EXE" ] || BUILD_DIR=$WORK
SYNC_WAIT=${TAV_SYNC_WAIT:-120}
APIKEY=tavolin-sync-test
FOLDER=tavolin-data
declare -A PFX DISP HOMES STPID GUI LISTEN DEVID TPID
declare -A LIVE   # what was typed and must be kept: label -> body
declare -A DEAD   # notes deleted: label -> key
S="" H=""
# Two runs at once would share the prefixes (and so their wineservers).
exec 9>>"$BUILD_DIR/wineprefix-sync.lock"
flock -w 900 9 || { fail "another sync test holds the prefixes"; finish; }
echo "round: $([ "$FULL" = 1 ] && echo full || echo short)"

sync_cleanup() {
  local s
  for s in A B; do [ -n "${STPID[$s]:-}" ] && kill "${STPID[$s]}" 2>/dev/null; done
  touch "$WORK/stop"  # the keepers stop their wineservers and displays
  if [ "$FAILS" -gt 0 ]; then
    local keep=/tmp/tav-sync-failed.$$
    mkdir -p "$keep" && tar -C "$WORK" --exclude=Tavolin.exe --exclude='*.db' -cf - . |
      tar -C "$keep" -xf - 2>/dev/null && echo "the homes and logs are kept in $keep"
  fi
  cleanup
}
trap sync_cleanup EXIT

other() { [ "$1" = A ] && echo B || echo A; }
on() { S=$1; H=${HOMES[$1]}; export WINEPREFIX=${PFX[$1]} DISPLAY=${DISP[$1]}; }
hex() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n'; }
# Waits until a query of tavctl prints text (UTF-8 here, code page 932 there).
shows() { ctl expect "$1" "hex:$(hex "$2")" "${3:-$WAIT}" >/dev/null; }
utf8() { iconv -f CP932 -t UTF-8 2>/dev/null; }
# xdotool cannot type Japanese into Wine reliably: Japanese goes through the
# clipboard, as a user's IME result would arrive in one piece.
put() { ctl clip "hex:$(hex "$1")" >/dev/null && keys ctrl+v; }

# --- the two sides' Wine: each prefix set up by scripts/with-wine, as every
# test's is, and kept running by a keeper until the stop file appears. The
# keeper runs under a host name of its own, which Wine takes as the computer name.
side_up() {
  local s=$1 low=${1,,}
  PFX[$s]=$BUILD_DIR/wineprefix-sync-$low
  HOMES[$s]=$(new_home "$s")
  local body='echo "$DISPLAY" >"$1.display"
    wine cmd /c echo %COMPUTERNAME% >"$1.name" 2>/dev/null </dev/null
    touch "$1.ready"; while [ ! -e "$2" ]; do sleep 0.3; done'
  local run=(env -u DISPLAY WINEPREFIX="${PFX[$s]}" "$ROOT/scripts/with-wine"
             bash -c "$body" _ "$WORK/side-$s" "$WORK/stop")
  if [ "$(id -u)" = 0 ] && unshare -u true 2>/dev/null; then
    run=(unshare -u bash -c 'hostname "$0" 2>/dev/null; exec "$@"' "tavolin-$low" "${run[@]}")
  fi
  "${run[@]}" >"$WORK/side-$s.log" 2>&1 </dev/null &
}
side_ready() {
  local s=$1 i
  for i in $(seq 1 600); do [ -e "$WORK/side-$s.ready" ] && break; sleep 0.5; done
  [ -e "$WORK/side-$s.ready" ] || { fail "the Wine prefix of $s was not ready"; finish; }
  DISP[$s]=$(cat "$WORK/side-$s.display")
  echo "$s: prefix ${PFX[$s]}, display ${DISP[$s]}, computer $(tr -d '\r' <"$WORK/side-$s.name")"
}

# --- Syncthing
USED_PORTS=" "
pick_port() {  # sets PORT to a free port on 127.0.0.1
  while :; do
    PORT=$((20000 + RANDOM % 40000))
    [[ $USED_PORTS == *" $PORT "* ]] && continue
    (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null && continue
    USED_PORTS+="$PORT "; return
  done
}
st_home() { echo "$WORK/st-$1"; }
st_config() {  # side: only the two devices, only 127.0.0.1, nothing announced or reported
  local s=$1 o versioning=""; o=$(other "$1")
  # B keeps old versions, as many users have it: its ".stversions" lies in the data folder.
  [ "$s" = B ] && versioning='
        <versioning type="simple"><param key="keep" val="5"></param></versioning>'
  cat >"$(st_home "$s")/config.xml" <<EOF
<configuration version="36">
    <folder id="$FOLDER" label="data" path="${HOMES[$s]}/data" type="sendreceive"
            rescanIntervalS="10" fsWatcherEnabled="true" fsWatcherDelayS="1">
        <filesystemType>basic</filesystemType>
        <device id="${DEVID[$s]}" introducedBy=""></device>
        <device id="${DEVID[$o]}" introducedBy=""></device>
        <minDiskFree unit="%">0</minDiskFree>
        <maxConflicts>10</maxConflicts>
        <markerName>.stfolder</markerName>$versioning
    </folder>
    <device id="${DEVID[$s]}" name="$s" compression="metadata" introducer="false">
        <address>dynamic</address>
    </device>
    <device id="${DEVID[$o]}" name="$o" compression="metadata" introducer="false">
        <address>tcp://127.0.0.1:${LISTEN[$o]}</address>
    </device>
    <gui enabled="true" tls="false">
        <address>127.0.0.1:${GUI[$s]}</address>
        <apikey>$APIKEY</apikey>
    </gui>
    <options>
        <listenAddress>tcp://127.0.0.1:${LISTEN[$s]}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <startBrowser>false</startBrowser>
        <crashReportingEnabled>false</crashReportingEnabled>
        <reconnectionIntervalS>2</reconnectionIntervalS>
        <setLowPriority>false</setLowPriority>
    </options>
</configuration>
EOF
}
rest() { curl -sf --max-time 10 -H "X-API-Key: $APIKEY" "http://127.0.0.1:${GUI[$1]}$2"; }
st_up() {
  local s
  for s in A B; do
    syncthing generate --home="$(st_home $s)" --no-default-folder >/dev/null 2>&1
    DEVID[$s]=$(syncthing serve --home="$(st_home $s)" --device-id 2>/dev/null)
    [ -n "${DEVID[$s]}" ] || { fail "syncthing made no keys for $s"; finish; }
    pick_port; GUI[$s]=$PORT; pick_port; LISTEN[$s]=$PORT
    mkdir -p "${HOMES[$s]}/data/.stfolder"
  done
  for s in A B; do
    st_config "$s"
    syncthing serve --home="$(st_home $s)" --no-browser --no-restart --no-upgrade \
      >"$WORK/syncthing-$s.log" 2>&1 </dev/null &
    STPID[$s]=$!
  done
  local i
  for s in A B; do
    for i in $(seq 1 60); do rest "$s" /rest/system/ping >/dev/null && break; sleep 0.5; done
    rest "$s" /rest/system/ping >/dev/null || { fail "syncthing $s does not answer"; finish; }
  done
}

# Every file of a side's data folder but Syncthing's own, with its checksum (none
# for a file that Syncthing removes meanwhile: the sides then differ for now).
listing() {
  (cd "${HOMES[$1]}/data" && find . \( -name .stfolder -o -name .stversions \) -prune -o \
     -type f ! -name '~syncthing~*' ! -name '.syncthing.*' -print | LC_ALL=C sort |
   while IFS= read -r f; do
     printf '%s %s\n' "$(md5sum <"$f" 2>/dev/null | cut -c1-32)" "$f"
   done)
}
# Both sides connected, idle, needing nothing, and holding the same files.
in_step_once() {
  local s o st
  for s in A B; do
    o=$(other "$s")
    rest "$s" /rest/system/connections | tr -d ' \n' | grep -o "\"${DEVID[$o]}\":{[^}]*}" |
      grep -q '"connected":true' || { WHY="$s is not connected to $o"; return 1; }
    st=$(rest "$s" "/rest/db/status?folder=$FOLDER" | tr -d ' \n')
    [[ $st == *'"state":"idle"'* && $st == *'"needTotalItems":0,'* ]] ||
      { WHY="$s is busy: ${st:0:300}"; return 1; }
    rest "$s" "/rest/db/completion?folder=$FOLDER&device=${DEVID[$o]}" | tr -d ' \n' |
      grep -q '"completion":100,' || { WHY="$s has not seen all of $o"; return 1; }
  done
  [ "$(listing A)" == "$(listing B)" ] || { WHY="the files differ"; return 1; }
}
# Waits until both sides are in step twice in a row, a second apart.
wait_in_step() {  # what
  local t=$SECONDS n=0
  while [ $((SECONDS - t)) -lt "$SYNC_WAIT" ]; do
    if in_step_once; then
      n=$((n + 1))
      [ $n -ge 2 ] && { echo "in step after $((SECONDS - t)) s: $1"; return 0; }
    else
      n=0
    fi
    sleep 1
  done
  fail "not in step within $SYNC_WAIT s ($1): $WHY"
  diff <(listing A) <(listing B) | utf8 | head -20
  return 1
}

# --- notes: "key<TAB>body" of every note file of a side (sub-folder/file)
note_files() {
  local d=${HOMES[$1]}/data f t
  for f in "$d"/*/*; do
    [ -f "$f" ] || continue
    case "${f#"$d"/}" in ~*|*/~*|*/.*) continue ;; esac
    t=$(utf8 <"$f"); t=${t#*<n>}; t=${t%</n>*}
    printf '%s\t%s\n' "${f#"$d"/}" "$t"
  done
}
keys_with_body() { note_files "$1" | awk -F'\t' -v b="$2" '$2 == b { print $1 }'; }
index_keys() { utf8 <"$1" | cut -d, -f1 | LC_ALL=C sort; }

start_side() {
  on "$1"
  (cd "$H" && exec wine ./Tavolin.exe >"$H/.out" 2>&1 </dev/null) &
  TPID[$1]=$!; PIDS+=($!)
  ctl wait "$WAIT" >/dev/null || { fail "$1: the main window did not appear"; finish; }
}
post_close() { on "$1"; ctl post-close >/dev/null; }
gone() {
  on "$1"
  ctl gone "$WAIT" >/dev/null || fail "$1: the window did not close"
  wait "${TPID[$1]}" 2>/dev/null
}
# Closes a side and keeps the index it wrote and the note files it saw then.
close_and_keep_index() {
  post_close "$1"; gone "$1"
  cp "${HOMES[$1]}/data/index2.txt" "$WORK/index-$1"
  note_files "$1" | cut -f1 | LC_ALL=C sort >"$WORK/files-$1"
  wait_in_step "$1 closed after the restart"
}
# Leaves the editor for the keyword box, which stores the note.
leave() { keys Escape; ctl expect focused box "$WAIT" >/dev/null || fail "$S: Esc did not store"; }

# Types a keyword and Enter; true when the note opens with body.
open_note() {  # keyword body
  focus_tavolin box; keys ctrl+a; put "$1"
  shows "text box" "$1" || { fail "$S: the keyword $1 was not typed"; return 1; }
  keys Return
  if ! shows "text editor" "$2" 15 || ! shows "status 3" 編集 5; then
    fail "$S: $1 does not open with [$2]:" \
      "status [$(ctl status 3 | utf8)], editor [$(editor_text | utf8)]"
    leave; return 1
  fi
}
new_note() {  # keyword body
  focus_tavolin box; keys ctrl+a; put "$1"
  shows "text box" "$1" || { fail "$S: the keyword $1 was not typed"; return 1; }
  keys Return
  shows "status 3" 新規 || { fail "$S: $1 does not start a new note"; leave; return 1; }
  put "$2"
  shows "text editor" "$2" || fail "$S: the body of $1 was not typed"
  leave
  LIVE["$1"]=$2
}
# Opens the note and types text at its end; leaves it open when asked to.
# A label other than the keyword names one of the versions typed on both sides.
edit_note() {  # label keyword body text [stay]
  open_note "$2" "$3" || return 1
  keys ctrl+End; put "$4"
  shows "text editor" "$3$4" || { fail "$S: the text for $2 was not typed"; return 1; }
  [ -n "${5:-}" ] || leave
  unset 'LIVE[$2]'
  LIVE["$1"]=$3$4
}
delete_note() {  # keyword body
  local key; key=$(keys_with_body "$S" "$2" | head -n1)
  open_note "$1" "$2" || return 1
  keys ctrl+a Delete
  shows "text editor" "" || { fail "$S: the body of $1 was not emptied"; return 1; }
  leave
  unset 'LIVE[$1]'
  DEAD["$1"]=$key
}

# --- A's data folder starts with a few notes (sub-folder 表: a 0x5C trail
# byte); Syncthing brings them to B before either program starts.
seed() {  # key keyword body
  local d=${HOMES[A]}/data
  mkdir -p "$d/${1%/*}"
  printf '<k>%s,</k><f>0</f><c>0</c><n>%s</n>' "$2" "$3" | iconv -f UTF-8 -t CP932 >"$d/$1"
  printf '%s,0,0,0,%s\n' "$1" "$2" | iconv -f UTF-8 -t CP932 >>"$d/index2.txt"
  LIVE["$2"]=$3
}

side_up A; side_up B
seed default/202612010900000000 共有メモ 共有の本文ソ表
seed 表/202612010900010000 消すA Aで消すソ
seed default/202612010900020000 消すB Bで消す表
seed default/202612010900030000 直すB Bで直す能
[ "$FULL" = 1 ] && seed default/202612010900040000 両方二 二度目の両方ソ
side_ready A; side_ready B
# Keys go to the display's focused window: each side must have a display of its own.
[ "${DISP[A]}" != "${DISP[B]}" ] || { fail "both sides were given the display ${DISP[A]}"; finish; }
st_up
wait_in_step "A's notes reached B" || finish

# --- round 1: both sides run at once; new notes, a delete each, an edit on B,
# and one note edited on both sides, then both close together.
start_side A; start_side B
# A second apart: keys made in the same second on both sides would meet as
# one file, whose loser Syncthing keeps as a conflict copy, which the other
# program lists at its next save, not at its start, so round 2 could not open it.
on A; new_note 新A一 Aの新しいメモ表
sleep 1.1
on B; new_note 新B一 Bの新しいメモソ
if [ "$FULL" = 1 ]; then
  sleep 1.1
  on A; new_note 新A二 Aの二つ目ソ
  sleep 1.1
  on B; new_note 新B二 Bの二つ目表
fi
on A; delete_note 消すA Aで消すソ
on B; delete_note 消すB Bで消す表
on B; edit_note 直すB 直すB Bで直す能 " B追記ソ"
on A; edit_note 共有@A 共有メモ 共有の本文ソ表 " Aが書いた表" stay
on B; edit_note 共有@B 共有メモ 共有の本文ソ表 " Bが書いたソ" stay
post_close A; post_close B; gone A; gone B
wait_in_step "round 1 closed on both sides" || finish

# --- round 2 (full): notes that came from the other side are edited and
# deleted; a note open on both sides gets A's text while B still edits it.
if [ "$FULL" = 1 ]; then
  start_side A; start_side B
  on A; edit_note 新B一 新B一 Bの新しいメモソ " Aから表"
  on B; edit_note 新A一 新A一 Aの新しいメモ表 " Bからソ"
  on A; delete_note 新B二 Bの二つ目表
  on B; delete_note 新A二 Aの二つ目ソ
  on A; new_note 新A三 Aの三つ目能
  on B; new_note 新B三 Bの三つ目予
  on A; edit_note 両方二@A 両方二 二度目の両方ソ " Aが先表" stay
  on B; edit_note 両方二@B 両方二 二度目の両方ソ " Bが後ソ" stay
  post_close A; gone A
  wait_in_step "A closed while B still edits" || finish
  post_close B; gone B
  wait_in_step "round 2 closed on both sides" || finish
fi

# --- both restart and close again, one after the other, so that each writes
# its own "index2.txt" over everything that arrived; each is kept as written.
# A Syncthing on Windows leaves "~syncthing~*.tmp" files where a transfer broke.
for s in A B; do : >"${HOMES[$s]}/data/default/~syncthing~202612010900000000.tmp"; done
start_side A; start_side B
close_and_keep_index A
close_and_keep_index B

# --- what must hold
for s in A B; do
  index_keys "$WORK/index-$s" >"$WORK/keys-$s"
  missing=$(comm -13 "$WORK/keys-$s" "$WORK/files-$s" | tr '\n' ' ')
  extra=$(comm -23 "$WORK/keys-$s" "$WORK/files-$s" | tr '\n' ' ')
  [ -z "$missing" ] && pass "$s's index2.txt lists every note file on $s" ||
    fail "$s's index2.txt does not list these note files on $s: $missing"
  [ -z "$extra" ] && pass "$s's index2.txt lists no note without a file" ||
    fail "$s's index2.txt lists notes without a file on $s: $extra"
  bad=$(utf8 <"$WORK/index-$s" | grep -E '\.stfolder|\.stversions|~syncthing~|\.syncthing\.')
  [ -z "$bad" ] && pass "no Syncthing file in $s's index2.txt" ||
    fail "$s's index2.txt lists Syncthing's own files: $bad"
done
for label in "${!LIVE[@]}"; do
  body=${LIVE[$label]}
  for s in A B; do
    found=$(keys_with_body "$s" "$body" | tr '\n' ' ')
    [ -n "$found" ] || { fail "$label: [$body] is in no note file on $s"; continue 2; }
  done
  # The sides hold the same files now: the keys found on B are A's too.
  listed=""
  for key in $found; do
    grep -qxF "$key" "$WORK/keys-A" && grep -qxF "$key" "$WORK/keys-B" && { listed=$key; break; }
  done
  if [ -n "$listed" ]; then
    pass "$label: [$body] is in $listed, listed on both sides"
  else
    where=""
    for key in $found; do
      for s in A B; do
        grep -qxF "$key" "$WORK/keys-$s" || where+="$s's index2.txt lacks $key; "
      done
    done
    fail "$label: [$body] is on both sides but not listed by both: $where"
  fi
done
for label in "${!DEAD[@]}"; do
  key=${DEAD[$label]} bad=""
  [ -n "$key" ] || bad="its key was not found before the delete"
  for s in A B; do
    [ -n "$key" ] && [ -e "${HOMES[$s]}/data/$key" ] && bad+="its file is back on $s; "
    [ -n "$key" ] && grep -qxF "$key" "$WORK/keys-$s" && bad+="$s's index2.txt lists it; "
  done
  [ -z "$bad" ] && pass "$label: the deleted note $key is gone on both sides" ||
    fail "$label: the deleted note $key: $bad"
done
echo "took $SECONDS s"
finish
