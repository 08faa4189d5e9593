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
source "$(cd "$(dirname "$0")" && pwd)/../../support/dialog_driver.sh"

finish() {
  finish_host "$@"
  echo "dialog scenario passed"
}

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

# ---- Scenarios ---------------------------------------------------------------

# Ticking "MTF Filter" opens the MTF dialog; its OK and then the
# correction dialog's OK switch the filter on.
correction_mtf() {
  run_host 0 correction
  wait_window Correction
  check_frame Correction
  screenshot Correction correction
  click Correction 1313
  wait_window MTF
  screenshot MTF correction-mtf
  click MTF 1
  wait_visible MTF 0
  click Correction 1
  finish "result|1|error 0" "mtfEnabled|1"
}

# Drags a new point at input 128 from the diagonal up to output 200.
drag_in_area() {
  local caption=$1 l t r b x y
  IFS='|' read -r l t r b < <(report area "$caption")
  x=$((l + 128))
  y=$((b - 1 - 128))
  xdotool mousemove --sync "$x" "$y" mousedown 1
  for out in 150 180 200; do
    sleep 0.1
    xdotool mousemove --sync "$x" "$((b - 1 - out))"
  done
  sleep 0.1
  xdotool mouseup 1
  sleep 0.3
}

tone_curve_ok() {
  run_host 1 input-curve
  wait_window "Input Tone Curve"
  drag_in_area "Input Tone Curve"
  screenshot "Input Tone Curve" input-tone-curve
  click "Input Tone Curve" 1
  finish "result|1|error 0" "unchanged|no" "inputCurve|mode 1|points 3|0,0 128,200 255,255 |table128 200" \
    "editAreaClass|unregistered"
}

tone_curve_cancel() {
  run_host 2 output-curve
  wait_window "Output Tone Curve"
  drag_in_area "Output Tone Curve"
  screenshot "Output Tone Curve" output-tone-curve
  click "Output Tone Curve" 2
  finish "result|1|error 0" "unchanged|yes" "editAreaClass|unregistered"
}

color_matching() {
  run_host 3 color-matching
  wait_window "Color Matching"
  check_frame "Color Matching"
  click "Color Matching" 1104
  screenshot "Color Matching" color-matching
  click "Color Matching" 1
  finish "result|1|error 0" "intent|2"
}

mtf_value() {
  run_host 4 mtf
  wait_window MTF
  check_frame MTF
  type_into MTF 1018 150
  screenshot MTF mtf
  click MTF 1
  finish "result|1|error 0" "c12|150"
}

# Load... opens the system's file dialog; the file typed there fills the
# fields, and OK hands its settings and its path back.
mtf_load_file() {
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
  finish "result|1|error 0" "c12|5" "scale|100" "mtfName|$windows_path"
}

# 1.5 is no integer: the range message, then Cancel leaves everything.
mtf_range_message() {
  run_host 4 mtf-range
  wait_window MTF
  type_into MTF 1018 1.5
  click MTF 1
  wait_window MTF 2
  [ "$(report message MTF)" = "An integer between -9999 and 9999 is required." ] ||
    fail "the message reads \"$(report message MTF)\""
  screenshot MTF mtf-range-message
  click MTF 1
  wait_visible MTF 1
  click MTF 2
  finish "result|1|error 0" "unchanged|yes"
}

case "$command" in
  start) start ;;
  stop) stop ;;
  correction_mtf | tone_curve_ok | tone_curve_cancel | color_matching | mtf_value | mtf_load_file | \
    mtf_range_message)
    [ -n "$host" ] || fail "no dialog host given"
    need xdotool import
    [ -s "$state/display" ] || fail "no display: run 'dialog_test.sh start' first"
    export DISPLAY=:$(head -n1 "$state/display")
    "$command"
    ;;
  *) fail "unknown command $command" ;;
esac
