# Shared helpers of the end-to-end scripts. Each script is run by CTest under
# scripts/with-wine as: script.sh <Tavolin.exe> <tavctl.exe>.
set -u
EXE=$(readlink -f "$1")
CTL=$(readlink -f "$2")
FAILS=0
WORK=$(mktemp -d /tmp/tav-e2e.XXXXXX)
PIDS=()

cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
pass() { echo "ok: $*"; }

# A fresh home folder with a copy of the program; prints its path.
new_home() {
  local dir="$WORK/$1"
  mkdir -p "$dir" && cp "$EXE" "$dir/Tavolin.exe"
  echo "$dir"
}

# Starts Tavolin in a home folder in the background and waits for its window.
start_tavolin() {
  local dir=$1; shift
  (cd "$dir" && exec wine ./Tavolin.exe "$@" >"$dir/.out" 2>&1 </dev/null) &
  PIDS+=($!)
  ctl wait 30 >/dev/null || fail "the main window did not appear"
}

# Runs tavctl; its output (code page 932 bytes) goes to stdout.
ctl() {
  local out="$WORK/.ctl.$$"
  wine "$CTL" "$@" >"$out" 2>/dev/null </dev/null
  local rc=$?
  cat "$out"; rm -f "$out"
  return $rc
}

# Closes the running Tavolin and waits for its process.
close_tavolin() {
  ctl close >/dev/null || fail "the window did not close"
  for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null; done
  PIDS=()
}

# Text as code page 932 bytes.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# INI value of a key (first match), without the line end.
ini_value() { grep -a "^$2=" "$1" | head -n1 | cut -d= -f2- | tr -d '\r'; }

expect_eq() {  # expected actual what
  if [ "$1" == "$2" ]; then pass "$3"; else fail "$3: expected [$1], got [$2]"; fi
}

finish() {
  if [ "$FAILS" -eq 0 ]; then echo "all passed"; exit 0; fi
  echo "$FAILS failed"; exit 1
}

# Real key events into the Tavolin window (X focus set on its window first).
xwin() { xdotool search --name '^Tavolin$' 2>/dev/null | head -n1; }
focus_tavolin() {
  ctl focus >/dev/null
  local w; w=$(xwin)
  [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null
  sleep 0.3
}
keys() { xdotool key --delay 60 "$@"; sleep 0.4; }
typed() { xdotool type --delay 60 "$1"; sleep 0.4; }

# Text of a control of the main window by id: 101 keyword box, 102 editor.
box_text() { ctl text 101; }
editor_text() { ctl text 102; }

# The one file in a folder (a note file), by name.
only_file() { ls "$1" 2>/dev/null | head -n1; }
