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

fail() {
  echo "dialog_test: $*" >&2
  exit 1
}

need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
  done
}

# ---- Display and Wine -------------------------------------------------------

start() {
  need Xvfb xdotool import
  mkdir -p "$state" "$shots"
  stop_display
  rm -f "$state/display"
  # Xvfb picks a free display and writes its number; it is detached from
  # every descriptor ctest watches.
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

stop_display() {
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
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

# Waits until the inspector has reported a window with this caption
# (for the COUNTth time).
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

# Screen centre of a control of the last window with this caption (and,
# if given, of this window class).
centre_of() {
  local caption=$1 id=$2 class=${3:-}
  awk -F'|' -v c="$caption" -v id="$id" -v cls="$class" \
    '$1 == "item" && $2 == c && $3 == id && (cls == "" || $8 == cls) { x = int(($4 + $6) / 2); y = int(($5 + $7) / 2) }
    END { if (x == "") exit 1; print x, y }' "$log" || fail "no control $id in \"$caption\""
}

click() {
  local caption=$1 id=$2 class=${3:-} x y
  read -r x y < <(centre_of "$caption" "$id" "$class")
  xdotool mousemove --sync "$x" "$y" click 1
  sleep 0.2
}

# Replaces the text of an edit control by typing.
type_into() {
  local caption=$1 id=$2 text=$3
  click "$caption" "$id"
  xdotool key End shift+Home
  xdotool type --delay 30 "$text"
  sleep 0.2
}

# A screenshot of the window with this caption, cut from the whole screen.
screenshot() {
  local caption=$1 name=$2 l t r b
  IFS='|' read -r l t r b _ < <(report window "$caption")
  # Let the window finish painting.
  sleep 0.3
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shots/$name.png" ||
    fail "no screenshot of \"$caption\""
}

# The X window of this caption has the size the dialog reports for itself.
check_frame() {
  local caption=$1 l t r b id geometry
  IFS='|' read -r l t r b _ < <(report window "$caption")
  id=$(xdotool search --onlyvisible --name "^$caption\$" | tail -n1) || fail "X has no window \"$caption\""
  geometry=$(xdotool getwindowgeometry "$id" | awk '/Geometry:/ { print $2 }')
  [ "$geometry" = "$((r - l))x$((b - t))" ] || fail "\"$caption\" is $geometry on the screen, $((r - l))x$((b - t)) in Windows"
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
  cat "$log"
  grep -q '^FAIL|' "$log" && fail "the dialogs do not match their templates"
  [ "$status" -eq 0 ] || fail "the dialog host ended with $status"
  for line in "$@"; do
    grep -q -x -F "$line" "$log" || fail "expected \"$line\""
  done
  echo "dialog scenario passed"
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
