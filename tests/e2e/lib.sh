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

# How long any one wait may take: generous, because CI runs this on a busy
# two-core machine where starting a Wine program alone can take seconds.
WAIT=${TAV_E2E_WAIT:-60}

# Starts Tavolin in a home folder in the background and waits for its window.
start_tavolin() {
  local dir=$1; shift
  (cd "$dir" && exec wine ./Tavolin.exe "$@" >"$dir/.out" 2>&1 </dev/null) &
  PIDS+=($!)
  if ! ctl wait "$WAIT" >/dev/null; then
    # Every later step would only wait out its time: stop here.
    fail "the main window did not appear"
    finish
  fi
}

# Runs tavctl; its output (code page 932 bytes) goes to stdout.
ctl() {
  local out="$WORK/.ctl.$$"
  wine "$CTL" "$@" >"$out" 2>/dev/null </dev/null
  local rc=$?
  cat "$out"; rm -f "$out"
  return $rc
}

# Waits until a query of tavctl prints the expected text; fails the check
# with what it printed last otherwise. what: "text box", "status 3", "focused",
# "rows", "title".
expect_ctl() {  # what expected description
  local got
  # As hex: Wine would read code page 932 bytes on the command line as UTF-8.
  local hex; hex=$(printf '%s' "$2" | od -An -tx1 | tr -d ' \n')
  if got=$(ctl expect "$1" "hex:$hex" "$WAIT"); then pass "$3"; else fail "$3: expected [$2], got [$got]"; fi
}

# Closes the running Tavolin and waits for its process.
close_tavolin() {
  ctl close "$WAIT" >/dev/null || fail "the window did not close"
  wait_processes
}

wait_processes() {
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

# Real key events into the Tavolin window. The X focus must be on its
# window before a key is sent, or the key is lost: focus_tavolin asks Wine and
# the X server for it and waits until both agree, and retries, since under
# load the focus hand-over (there is no window manager) can take a while or
# be undone by a window that appears late.
xwin() { xdotool search --name '^Tavolin$' 2>/dev/null | head -n1; }
x_focused() {  # true when the X input focus is on the Tavolin window
  local w f
  w=$(xwin); f=$(xdotool getwindowfocus 2>/dev/null)
  [ -n "$w" ] && [ "$w" == "$f" ]
}
focus_tavolin() {  # [control that must have the keyboard focus]
  local want=${1:-} try
  for try in 1 2 3 4 5 6 7 8 9 10; do
    ctl focus >/dev/null
    local w; w=$(xwin)
    [ -n "$w" ] && timeout 10 xdotool windowfocus --sync "$w" >/dev/null 2>&1
    if x_focused; then
      if [ -z "$want" ] || ctl expect focused "$want" 5 >/dev/null; then return 0; fi
    fi
    sleep 0.5
  done
  fail "could not give the Tavolin window the keyboard focus"
  return 1
}
# Keys and text are sent only while the window holds the X focus; the caller
# then waits for their effect (expect_ctl), never for a fixed time.
keys() { x_focused || focus_tavolin; xdotool key --delay 40 "$@"; }
typed() { x_focused || focus_tavolin; xdotool type --delay 40 "$1"; }

# Text of a control of the main window: the keyword box or the editor.
box_text() { ctl text box; }
editor_text() { ctl text editor; }

# The one file in a folder (a note file), by name.
only_file() { ls "$1" 2>/dev/null | head -n1; }
