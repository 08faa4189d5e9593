# What the real-window dialog suites (the Win32 DLL under Wine, the GTK
# library) share: a virtual display, and a user who finds windows and
# controls through the dialog host's report and clicks and types with
# xdotool. Sourced by each suite's script, which sets before sourcing:
#   driver_name   the name that leads every failure message
#   state         the suite's folder: display, process ids, logs
#   shots         the folder of the screenshots
#   settle        seconds to wait after a click or typing (default 0.3)
#   paint_wait    seconds to let a window paint before a screenshot (0.3)
#   select_all    the keys that select an edit control's text
# and keeps the running host's report in $log and its process in $host_pid.

fail() {
  echo "$driver_name: $*" >&2
  exit 1
}

need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
  done
}

# Starts Xvfb on a free display, detached from every descriptor ctest
# watches and stopped by its process id, and exports DISPLAY.
start_display() {
  mkdir -p "$state" "$shots"
  stop_display
  rm -f "$state/display"
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
}

stop_display() {
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
}

# Polls a condition (a command line after the caption) every 0.1 s for
# up to 30 s while the host runs; when it never holds, shows the host's
# report and fails.
wait_for_window() {
  local caption=$1
  shift
  for _ in $(seq 300); do
    "$@" && return 0
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$log" "${log%.log}.err" >&2 || true
  fail "no window \"$caption\" appeared"
}

inspected() {
  [ "$(grep -c -x "inspected|$1" "$log" || true)" -ge "$2" ]
}

# Waits until the inspector has reported a window with this caption (for
# the COUNTth time).
wait_window() {
  wait_for_window "$1" inspected "$1" "${2:-1}"
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
  sleep "${settle:-0.3}"
}

# Replaces the text of an edit control by typing.
type_into() {
  local caption=$1 id=$2 text=$3
  click "$caption" "$id"
  # shellcheck disable=SC2086
  xdotool key $select_all
  xdotool type --delay 30 "$text"
  sleep "${settle:-0.3}"
}

# A screenshot of the window with this caption, cut from the whole screen.
screenshot() {
  local caption=$1 name=$2 l t r b
  IFS='|' read -r l t r b _ < <(report window "$caption")
  sleep "${paint_wait:-0.3}"
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$shots/$name.png" ||
    fail "no screenshot of \"$caption\""
}

# Waits up to 20 s for the host to end; true when it has.
host_ended() {
  for _ in $(seq 200); do
    kill -0 "$host_pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# Waits for the host to end and checks its report: no mismatch, and each
# expected line present.
finish_host() {
  local status=0 line
  if ! host_ended; then
    kill "$host_pid" 2>/dev/null || true
    cat "$log" >&2
    fail "the dialog host did not end"
  fi
  wait "$host_pid" || status=$?
  grep -v '^item|' "$log" || true
  grep -q '^FAIL|' "$log" && fail "the dialogs do not match their templates"
  if [ "$status" -ne 0 ]; then
    cat "${log%.log}.err" >&2 || true
    fail "the dialog host ended with $status"
  fi
  for line in "$@"; do
    grep -q -x -F "$line" "$log" || fail "expected \"$line\""
  done
}
