#!/usr/bin/env bash
# Fetches the BSD-licensed sample photographs of Debian's python3-skimage
# package for the colour-matching benchmark: the package is downloaded and
# unpacked with dpkg -x (not installed), and only the photographs are kept.
# Never fails the build: without network or package the benchmark skips.
# Usage: fetch_photos.sh OUTPUT_FOLDER
set -u
out=$1
photos=(astronaut.png coffee.png chelsea.png motorcycle_left.png)
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! (cd "$work" && apt-get download -qq python3-skimage >/dev/null 2>&1); then
  echo "fetch_photos: python3-skimage could not be downloaded; the benchmark will skip" >&2
  exit 0
fi
dpkg -x "$work"/python3-skimage_*.deb "$work/x"
for p in "${photos[@]}"; do
  cp "$work/x/usr/lib/python3/dist-packages/skimage/data/$p" "$out/" 2>/dev/null || true
done
touch "$out/.fetched"
echo "fetch_photos: $(ls "$out" | wc -l) photographs in $out"
