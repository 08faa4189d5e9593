#!/usr/bin/env bash
# The PNG speed benchmark: a 10000 x 10000 grainy photo printed with mild
# sharpening and colour matching, wall time, processor time (all threads)
# and peak memory of each run, beside vips icc_transform on the same page
# when libvips-tools is there. The processor time says how much of a slow
# run was the machine being busy with others.
#
#   bench/png_speed.sh [BUILD_DIR] [RUNS]     (default build/release, 3)
set -euo pipefail

build=${1:-build/release}
runs=${2:-3}
work=${TMPDIR:-/tmp}/k7730-png-speed
mkdir -p "$work"
page="$work/grainy-10000.png"
[ -f "$page" ] || "$build/bench/grainy_page" "$page"
echo "png_speed: $(stat -c %s "$page") bytes of PNG, load: $(cut -d' ' -f1-3 /proc/loadavg)"

measure() {
  local label=$1; shift
  for i in $(seq "$runs"); do
    /usr/bin/time -f "%e %M %U %S" -o "$work/time.txt" "$@" > /dev/null 2>&1
    read -r seconds kilobytes user system < "$work/time.txt"
    echo "png_speed: $label run $i: ${seconds} s, processor $(awk "BEGIN { print $user + $system }") s, peak $((kilobytes / 1024)) MB"
  done
}

measure "k7730-print --sharpen mild --color-match" \
  "$build/k7730-print" -q --sharpen mild --color-match "$page" "$work/print.png"
if command -v vips > /dev/null; then
  measure "vips icc_transform (LittleCMS)" \
    vips icc_transform "$page" "$work/vips.png" "$build/K77302.ICC" --input-profile "$build/A17D50.ICC"
else
  echo "png_speed: vips not installed (apt-get install libvips-tools), no comparison"
fi
