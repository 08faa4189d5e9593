#!/usr/bin/env bash
# Makes seed inputs for cmm_profile_fuzzer from pairs of profiles: the
# generated test profiles and Debian's, where installed.
# Usage: make_profile_seeds.sh OUTPUT_FOLDER GENERATED_PROFILE_FOLDER
set -euo pipefail
out=$1
generated=$2
mkdir -p "$out"

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

i=0
for a in "${profiles[@]}"; do
  for b in "${profiles[@]}"; do
    # Keep seeds small enough for quick mutation: pairs of files under 64 kB.
    total=$(( $(stat -c %s "$a") + $(stat -c %s "$b") ))
    [ "$total" -gt 65536 ] && continue
    { le32 "$(stat -c %s "$a")"; cat "$a" "$b"; } > "$out/seed_$i"
    i=$((i + 1))
  done
done
echo "make_profile_seeds: $i seeds in $out"
