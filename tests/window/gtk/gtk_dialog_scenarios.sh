# The scenarios of gtk_dialog_test.sh of its own (those it shares with the
# Wine suite are in tests/support/dialog_scenarios.sh), and its checks of
# the drawn curves. Sourced by the script.

black=0,0,0
white=255,255,255
grid=127,127,127

# The new point's handle, the curve through it and the grid behind it.
check_curve_pixels() {
  local caption=$1 name=$2 curve=$3 x
  expect_area_pixel "$caption" "$name" 128 55 "$black" "the handle's centre"
  expect_area_pixel "$caption" "$name" 126 53 "$black" "the handle's corner"
  expect_area_pixel "$caption" "$name" 26 5 "$grid" "the first vertical grid line"
  expect_area_pixel "$caption" "$name" 250 240 "$white" "the background"
  for x in 32 64 192 224; do
    expect_area_pixel "$caption" "$name" "$x" "$((255 - $(sample "$curve" "$x")))" "$black" "the curve at $x"
  done
}

# After OK the drawn curve; after cancel the handle that was dragged.
check_tone_curve() {
  local caption=$1 name=$2 outcome=$3
  if [ "$outcome" = ok ]; then
    check_curve_pixels "$caption" "$name" inputCurveTable
  else
    expect_area_pixel "$caption" "$name" 128 55 "$black" "the dragged handle"
  fi
}

check_opened() { :; }

# The gamma tool, then 2.2 typed into its box: the channel becomes a gamma
# curve of 2.20.
scenario_tone_curve_gamma() {
  local x
  run_host 1 input-gamma
  wait_window "Input Tone Curve"
  click "Input Tone Curve" 1204
  type_into "Input Tone Curve" 1203 2.2
  screenshot "Input Tone Curve" input-gamma
  click "Input Tone Curve" 1
  finish_host "result|1|error 0" "inputCurveGamma|220"
  grep -q '^inputCurve|mode 3|' "$log" || fail "the input curve is not a gamma curve"
  for x in 32 64 192 224; do
    expect_area_pixel "Input Tone Curve" input-gamma "$x" "$((255 - $(sample inputCurveTable "$x")))" "$black" \
      "the gamma curve at $x"
  done
}

# Load... opens GTK's file chooser in the module's folder (where the
# dialog starts), which lists folders and the one MTF file put there for
# the scenario, named to sort last; End picks it and Return opens it. The fields take its settings, and OK hands them and its
# path back.
scenario_mtf_load_file() {
  local file l t r b
  file=$(cd "$state/.." && pwd)/zz-gtk-dialog-sample.mtf
  printf '0 0 0 0 0\n0 1 2 3 0\n0 4 5 6 0\n0 7 8 9 0\n0 0 0 0 0\n100\n' >"$file"
  trap 'rm -f "$file"' RETURN
  run_host 4 mtf-load
  wait_window MTF
  click MTF 1001
  wait_window "OPEN Mtf file"
  [ "$(report chooser "OPEN Mtf file")" = "Mtf file (*.mtf);Mtf file (*.mtf)|$(dirname "$file")" ] ||
    fail "the chooser offers \"$(report chooser "OPEN Mtf file")\""
  IFS='|' read -r l t r b _ < <(report window "OPEN Mtf file")
  xdotool mousemove --sync "$(((l + r) / 2))" "$((b - 150))" click 1
  sleep 0.3
  xdotool key End
  sleep 0.3
  screenshot "OPEN Mtf file" mtf-open-file
  xdotool key Return
  wait_visible "OPEN Mtf file" 0
  screenshot MTF mtf-loaded
  click MTF 1
  finish_host "result|1|error 0" "c12|5" "scale|100" "mtfName|$file"
}

# ---- k7730-print settings edit (HOST is k7730-print) -----------------------------

# The id of the last visible window with this caption, if there is one.
visible_x_window() {
  local id
  id=$( (xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true) | tail -n1)
  [ -n "$id" ] && echo "$id"
}

# Waits for a visible window with this caption and prints its id.
wait_x_window() {
  wait_for_window "$1" visible_x_window "$1"
}

# Presses a key with the pointer over the window (without a window manager
# the keyboard follows the pointer).
key_in_window() {
  local id=$1 key=$2 x y w h
  eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=' | sed 's/^/local /')"
  xdotool mousemove --sync "$((X + WIDTH / 2))" "$((Y + HEIGHT - 5))"
  sleep 0.2
  xdotool key "$key"
}

# Waits for the command to end and checks its exit status and output.
finish_command() {
  local expected=$1 line status=0
  shift
  host_ended || fail "the command did not end"
  wait "$host_pid" || status=$?
  host_pid=""
  cat "$log" "${log%.log}.err"
  [ "$status" -eq "$expected" ] || fail "the command ended with $status, expected $expected"
  for line in "$@"; do
    grep -q -F "$line" "$log" "${log%.log}.err" || fail "expected \"$line\""
  done
}

# A record that does not exist yet: the correction dialog opens on the
# defaults with the mild sharpening asked for (the screenshot the host
# authors' page shows), Enter presses OK, and the record holds the sharpening.
scenario_settings_edit_ok() {
  local record=$state/edited.k77 id
  rm -f "$record"
  run_command settings-edit "$host" settings edit "$record" --sharpen mild
  id=$(wait_x_window Correction)
  sleep 0.5
  import -window "$id" "$shots/settings-edit.png" || fail "no screenshot of the correction dialog"
  key_in_window "$id" Return
  finish_command 0 "$record does not exist; starting from the module's defaults" "saved the settings to $record"
  "$host" settings show "$record" | grep -q "^MTF sharpening     on" || fail "the saved record has no sharpening"
}

# Escape cancels: the record stays as it was, byte for byte.
scenario_settings_edit_cancel() {
  local record=$state/kept.k77 copy=$state/kept.k77.before id
  "$host" settings save "$record" --sharpen strong -q
  cp "$record" "$copy"
  run_command settings-cancel "$host" settings edit "$record" --no-mtf
  id=$(wait_x_window Correction)
  key_in_window "$id" Escape
  finish_command 0 "cancelled; $record is unchanged"
  cmp -s "$record" "$copy" || fail "the cancelled edit changed the record"
}
