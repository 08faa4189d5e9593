# The scenarios both real-window dialog suites play (the Win32 DLL under
# Wine, the GTK library): what a user does in each dialog and what the
# SettingsBlock must hold afterwards. Sourced after dialog_driver.sh by a
# suite's script, which defines run_host and two checks of its own:
#   check_opened CAPTION                  a dialog has just opened
#   check_tone_curve CAPTION SHOT OUTCOME  after a drawn curve's OK or cancel

# Ticking "MTF Filter" opens the MTF dialog; its OK and then the
# correction dialog's OK switch the filter on.
scenario_correction_mtf() {
  run_host 0 correction
  wait_window Correction
  check_opened Correction
  screenshot Correction correction
  click Correction 1313
  wait_window MTF
  screenshot MTF correction-mtf
  click MTF 1
  wait_visible MTF 0
  click Correction 1
  finish_host "result|1|error 0" "mtfEnabled|1"
}

# Presses on the diagonal at input 128 and drags the new point up to
# output 200.
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

scenario_tone_curve_ok() {
  run_host 1 input-curve
  wait_window "Input Tone Curve"
  drag_in_area "Input Tone Curve"
  screenshot "Input Tone Curve" input-tone-curve
  click "Input Tone Curve" 1
  finish_host "result|1|error 0" "unchanged|no" "inputCurve|mode 1|points 3|0,0 128,200 255,255 |table128 200"
  check_tone_curve "Input Tone Curve" input-tone-curve ok
}

# Cancel leaves the block byte for byte, whatever was drawn.
scenario_tone_curve_cancel() {
  run_host 2 output-curve
  wait_window "Output Tone Curve"
  drag_in_area "Output Tone Curve"
  screenshot "Output Tone Curve" output-tone-curve
  click "Output Tone Curve" 2
  finish_host "result|1|error 0" "unchanged|yes"
  check_tone_curve "Output Tone Curve" output-tone-curve cancel
}

scenario_color_matching() {
  run_host 3 color-matching
  wait_window "Color Matching"
  check_opened "Color Matching"
  click "Color Matching" 1104
  screenshot "Color Matching" color-matching
  click "Color Matching" 1
  finish_host "result|1|error 0" "intent|2"
}

scenario_mtf_value() {
  run_host 4 mtf
  wait_window MTF
  check_opened MTF
  type_into MTF 1018 150
  screenshot MTF mtf
  click MTF 1
  finish_host "result|1|error 0" "c12|150"
}

# 1.5 is no integer: the range message, then Cancel leaves everything.
scenario_mtf_range_message() {
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
  finish_host "result|1|error 0" "unchanged|yes"
}

# A scenario of the suite by its name, on the display `start` made.
play() {
  local scenario=$1 script=$2
  declare -F "scenario_$scenario" >/dev/null || fail "unknown command $scenario"
  [ -n "$host" ] || fail "no dialog host given"
  [ -s "$state/display" ] || fail "no display: run '$script start' first"
  export DISPLAY=:$(head -n1 "$state/display")
  mkdir -p "$shots"
  "scenario_$scenario"
  echo "dialog scenario passed"
}
