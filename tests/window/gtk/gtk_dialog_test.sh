#!/usr/bin/env bash
# The settings dialogs of K7730fe.so in real GTK windows: Xvfb for a
# display, the GTK dialog host for the print host, xdotool for the user,
# ImageMagick for screenshots and their pixels.
#   gtk_dialog_test.sh start STATE              start Xvfb
#   gtk_dialog_test.sh stop STATE               stop Xvfb
#   gtk_dialog_test.sh SCENARIO STATE HOST      play one scenario
#   gtk_dialog_test.sh run STATE COMMAND...     run a command on the display
# STATE is a folder of this build: the display number, Xvfb's process id,
# the logs and the screenshots (STATE/screenshots/*.png) live there.
# Anything missing (Xvfb, xdotool, ImageMagick) is an error, never a skip.
set -euo pipefail
trap 'echo "gtk_dialog_test: failed at line $LINENO" >&2' ERR
# A scenario that fails leaves no host (and none of its windows) behind
# for the next one.
trap 'if [ -n "${host_pid:-}" ]; then kill "$host_pid" 2>/dev/null || true; fi' EXIT

command=$1
state=$2
host=${3:-}
shots=$state/screenshots
here=$(cd "$(dirname "$0")" && pwd)

fail() {
  echo "gtk_dialog_test: $*" >&2
  exit 1
}

need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
  done
}

# ---- Display -------------------------------------------------------------------

start() {
  need Xvfb xdotool import convert
  mkdir -p "$state" "$shots"
  stop_display
  rm -f "$state/display"
  # Xvfb picks a free display and writes its number; it is detached from
  # every descriptor ctest watches and stopped by its process id.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display" \
    </dev/null >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$state/display" ] && break
    sleep 0.1
  done
  [ -s "$state/display" ] || fail "Xvfb did not start: $(cat "$state/xvfb.log")"
  export DISPLAY=:$(head -n1 "$state/display")
  xdotool getdisplaygeometry >/dev/null || fail "the display $DISPLAY does not answer"
  echo "gtk-dialogs-ready on $DISPLAY"
}

stop_display() {
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
}

stop() {
  stop_display
  echo "gtk-dialogs-stopped"
}

# ---- The dialog host --------------------------------------------------------------

log=""
host_pid=""

# Starts a host (the dialog host on a selector, or any command line); its
# report goes to STATE/NAME.log.
run_command() {
  local name=$1
  shift
  log=$state/$name.log
  : >"$log"
  # No accessibility bus, no settings daemon: nothing but the display.
  NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory GDK_BACKEND=x11 \
    LSAN_OPTIONS="suppressions=$here/gtk_leaks.supp:print_suppressions=0" \
    "$@" >"$log" 2>"$state/$name.err" &
  host_pid=$!
}

run_host() {
  run_command "$2" "$host" "$1"
}

# Waits until the inspector has reported a window with this caption (for
# the COUNTth time).
wait_window() {
  local caption=$1 count=${2:-1}
  for _ in $(seq 300); do
    [ "$(grep -c -x "inspected|$caption" "$log" || true)" -ge "$count" ] && return 0
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$log" "${log%.log}.err" >&2 || true
  fail "no window \"$caption\" appeared"
}

# Waits until exactly COUNT windows with this caption are on the screen.
wait_visible() {
  local caption=$1 count=$2 seen
  for _ in $(seq 100); do
    seen=$( (xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null || true) | wc -l)
    [ "$seen" -eq "$count" ] && return 0
    sleep 0.1
  done
  fail "$seen windows \"$caption\" on the screen, expected $count"
}

# The last report of this kind for this caption, fields after the caption.
report() {
  local kind=$1 caption=$2
  awk -F'|' -v k="$kind" -v c="$caption" '$1 == k && $2 == c { line = $0 } END { print line }' "$log" |
    cut -d'|' -f3-
}

# Screen centre of a control of the last window with this caption.
centre_of() {
  local caption=$1 id=$2
  awk -F'|' -v c="$caption" -v id="$id" \
    '$1 == "item" && $2 == c && $3 == id { x = int(($4 + $6) / 2); y = int(($5 + $7) / 2) }
    END { if (x == "") exit 1; print x, y }' "$log" || fail "no control $id in \"$caption\""
}

click() {
  local caption=$1 id=$2 x y
  read -r x y < <(centre_of "$caption" "$id")
  xdotool mousemove --sync "$x" "$y" click 1
  sleep 0.3
}

# Replaces the text of an edit control by typing.
type_into() {
  local caption=$1 id=$2 text=$3
  click "$caption" "$id"
  xdotool key ctrl+a
  xdotool type --delay 30 "$text"
  sleep 0.3
}

# A screenshot of the window with this caption, cut from the whole screen.
screenshot() {
  local caption=$1 name=$2 l t r b
  IFS='|' read -r l t r b _ < <(report window "$caption")
  # Let the window finish painting.
  sleep 0.5
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shots/$name.png" ||
    fail "no screenshot of \"$caption\""
}

# The colour of one pixel of a screenshot as r,g,b.
pixel() {
  local file=$1 x=$2 y=$3
  convert "$file" -format "%[fx:int(255*p{$x,$y}.r+0.5)],%[fx:int(255*p{$x,$y}.g+0.5)],%[fx:int(255*p{$x,$y}.b+0.5)]" info:
}

# A pixel of the drawing area (area coordinates) in a dialog's screenshot
# has this colour.
expect_area_pixel() {
  local caption=$1 name=$2 x=$3 y=$4 colour=$5 what=$6 wl wt al at seen
  IFS='|' read -r wl wt _ < <(report window "$caption")
  IFS='|' read -r al at _ < <(report area "$caption")
  seen=$(pixel "$shots/$name.png" "$((al - wl + x))" "$((at - wt + y))")
  [ "$seen" = "$colour" ] || fail "$what: the area's pixel $x,$y is $seen, expected $colour"
}

# The value the host reported for a table sample.
sample() {
  local name=$1 x=$2
  awk -F'|' -v n="$name" -v x="$x" '$1 == n && $2 == x { print $3 }' "$log"
}

# Waits for the host to end and checks its report: no mismatch, and each
# expected line present.
finish() {
  local status=0 line
  for _ in $(seq 200); do
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$host_pid" 2>/dev/null; then
    kill "$host_pid" 2>/dev/null || true
    cat "$log" >&2
    fail "the dialog host did not end"
  fi
  wait "$host_pid" || status=$?
  grep -v '^item|' "$log"
  grep -q '^FAIL|' "$log" && fail "the dialogs do not match their templates"
  if [ "$status" -ne 0 ]; then
    cat "${log%.log}.err" >&2
    fail "the dialog host ended with $status"
  fi
  for line in "$@"; do
    grep -q -x -F "$line" "$log" || fail "expected \"$line\""
  done
}

passed() {
  echo "dialog scenario passed"
}

source "$here/gtk_dialog_scenarios.sh"

case "$command" in
  start) start ;;
  stop) stop ;;
  run)
    [ -s "$state/display" ] || fail "no display: run 'gtk_dialog_test.sh start' first"
    shift 2
    export DISPLAY=:$(head -n1 "$state/display") NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory GDK_BACKEND=x11
    export LSAN_OPTIONS="suppressions=$here/gtk_leaks.supp:print_suppressions=0"
    trap - EXIT
    exec "$@"
    ;;
  *)
    declare -F "scenario_$command" >/dev/null || fail "unknown command $command"
    [ -n "$host" ] || fail "no dialog host given"
    need xdotool import convert
    [ -s "$state/display" ] || fail "no display: run 'gtk_dialog_test.sh start' first"
    export DISPLAY=:$(head -n1 "$state/display")
    mkdir -p "$shots"
    "scenario_$command"
    passed
    ;;
esac
