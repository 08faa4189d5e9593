#!/usr/bin/env bash
# Makes seed inputs for the profile fuzzers from the generated test profiles
# and Debian's, where installed: single profiles for cmm_parse_fuzzer, and
# pairs (an intent byte, the first profile's length, both profiles) for
# cmm_profile_fuzzer.
# Usage: make_profile_seeds.sh PAIR_FOLDER SINGLE_FOLDER GENERATED_PROFILE_FOLDER
set -euo pipefail
pairs=$1
singles=$2
generated=$3
mkdir -p "$pairs" "$singles"

profiles=()
for p in "$generated"/*.icc \
         /usr/share/color/icc/sRGB.icc /usr/share/color/icc/LStar-RGB.icc \
         /usr/share/color/icc/ghostscript/{srgb,a98,scrgb,esrgb,default_cmyk,ps_cmyk}.icc \
         /usr/share/color/icc/colord/{sRGB,Crayons,AdobeRGB1998,Bluish,Gamma5000K}.icc \
         /usr/share/color/argyll/ref/Rec2020.icm; do
  [ -f "$p" ] && profiles+=("$p")
done

le32() {
  local n=$1
  printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $(((n >> 8) & 255)))"
  printf "\\x$(printf %02x $(((n >> 16) & 255)))\\x$(printf %02x $(((n >> 24) & 255)))"
}

s=0
for a in "${profiles[@]}"; do
  # Small profiles only: mutations of megabyte files are slow.
  [ "$(stat -c %s "$a")" -gt 65536 ] && continue
  cp "$a" "$singles/seed_$s"
  s=$((s + 1))
done

i=0
for a in "${profiles[@]}"; do
  for b in "${profiles[@]}"; do
    total=$(( $(stat -c %s "$a") + $(stat -c %s "$b") ))
    [ "$total" -gt 65536 ] && continue
    { printf "\\x$(printf %02x $((i % 4)))"; le32 "$(stat -c %s "$a")"; cat "$a" "$b"; } > "$pairs/seed_$i"
    i=$((i + 1))
  done
done
echo "make_profile_seeds: $s single and $i pair seeds"
