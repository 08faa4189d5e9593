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
driver_name=gtk_dialog_test
settle=0.3
paint_wait=0.5
select_all=ctrl+a
source "$here/../../support/dialog_driver.sh"
source "$here/../../support/dialog_scenarios.sh"

# ---- Display -------------------------------------------------------------------

start() {
  need Xvfb xdotool import convert
  start_display
  echo "gtk-dialogs-ready on $DISPLAY"
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
    need xdotool import convert
    play "$command" gtk_dialog_test.sh
    ;;
esac
