#!/usr/bin/env bash
# The settings dialogs of K7730fe.dll in real windows: Xvfb for a display,
# Wine for the dialog host, xdotool for the user, ImageMagick's import for
# screenshots.
#   dialog_test.sh start STATE WINE_RUN           start Xvfb, prepare the Wine prefix
#   dialog_test.sh stop STATE WINE_RUN            stop Wine and Xvfb
#   dialog_test.sh SCENARIO STATE WINE_RUN HOST   play one scenario
# STATE is a folder of this build: the display, the prefix, the logs and
# the screenshots (STATE/screenshots/*.png) live there. Anything missing
# (Xvfb, Wine, xdotool, import) is an error, never a skip.
set -euo pipefail
trap 'echo "dialog_test: failed at line $LINENO" >&2' ERR

command=$1
state=$2
wine_run=$3
host=${4:-}
prefix=$state/wine-prefix
shots=$state/screenshots
driver_name=dialog_test
settle=0.2
paint_wait=0.3
select_all="End shift+Home"
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../support/dialog_driver.sh"
source "$here/../../support/dialog_scenarios.sh"

# ---- Display and Wine -------------------------------------------------------

start() {
  need Xvfb xdotool import
  start_display
  # Wine must see the display from its very first process on.
  "$wine_run" "$prefix" cmd /c echo wine-ready | grep -q wine-ready || fail "Wine did not start"
  # No window manager: Wine draws the frames itself.
  "$wine_run" "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null ||
    fail "cannot configure Wine's X11 driver"
  # Wine's own MS Sans Serif, so that dialog units have their usual size.
  local fonts=/usr/share/wine/fonts
  [ -f "$fonts/ms_sans_serif.ttf" ] || [ -f "$fonts/sserife.fon" ] || fail "Wine's fonts are missing ($fonts)"
  cp "$fonts"/* "$prefix/drive_c/windows/Fonts/"
  echo "dialogs-ready on $DISPLAY"
}

stop() {
  "$wine_run" "$prefix" --stop || true
  stop_display
  echo "dialogs-stopped"
}

# ---- The dialog host ---------------------------------------------------------

log=""
host_pid=""

# Starts the host on a dialog selector; its report goes to STATE/NAME.log.
run_host() {
  local selector=$1 name=$2
  log=$state/$name.log
  : >"$log"
  "$wine_run" "$prefix" "$host" "$selector" >"$log" 2>"$state/$name.err" &
  host_pid=$!
}

# The X window of this caption has the size the dialog reports for itself.
check_frame() {
  local caption=$1 l t r b id geometry
  IFS='|' read -r l t r b _ < <(report window "$caption")
  id=$(xdotool search --onlyvisible --name "^$caption\$" | tail -n1) || fail "X has no window \"$caption\""
  geometry=$(xdotool getwindowgeometry "$id" | awk '/Geometry:/ { print $2 }')
  [ "$geometry" = "$((r - l))x$((b - t))" ] || fail "\"$caption\" is $geometry on the screen, $((r - l))x$((b - t)) in Windows"
}

# ---- Scenarios (the shared ones in tests/support/dialog_scenarios.sh) ------------

check_opened() {
  check_frame "$1"
}

# The drawing area's window class went with the dialog.
check_tone_curve() {
  grep -q -x "editAreaClass|unregistered" "$log" || fail "the drawing area's class is still registered"
}

# Load... opens the system's file dialog; the file typed there fills the
# fields, and OK hands its settings and its path back.
scenario_mtf_load_file() {
  local file=$state/sample.mtf
  printf '0 0 0 0 0\n0 1 2 3 0\n0 4 5 6 0\n0 7 8 9 0\n0 0 0 0 0\n100\n' >"$file"
  local windows_path="Z:${file//\//\\}"
  run_host 4 mtf-load
  wait_window MTF
  click MTF 1001
  wait_window "OPEN Mtf file"
  screenshot "OPEN Mtf file" mtf-open-file
  xdotool type --delay 20 "$windows_path"
  click "OPEN Mtf file" 1 Button
  wait_visible "OPEN Mtf file" 0
  screenshot MTF mtf-loaded
  click MTF 1
  finish_host "result|1|error 0" "c12|5" "scale|100" "mtfName|$windows_path"
}

case "$command" in
  start) start ;;
  stop) stop ;;
  *)
    need xdotool import
    play "$command" dialog_test.sh
    ;;
esac
