#!/usr/bin/env bash
# The demo behind `make demo`: makes a photo-like test page and prints it
# through the module with a mild sharpening and, when this module build has
# it, colour matching from the default profiles. Usage: demo.sh BUILD_DIR
set -euo pipefail

build=${1:-build/release}
print="$build/k7730-print"
mkdir -p out

"$build/k7730-testpage" out/sample-page.png
echo "demo: made out/sample-page.png (1800 x 1200: landscape, skin tones, saturated patches, ramps, fine detail)"

info=$("$print" info)
has() { grep -q "^$1 *yes" <<<"$info"; }

if ! has "running pages"; then
  echo "demo: this module build cannot run pages yet (it has no plugin_filter_do); nothing printed" >&2
  exit 1
fi

args=(out/sample-page.png out/demo.png --verbose)
what=()
if has "MTF sharpening"; then
  args+=(--sharpen mild)
  what+=("a mild MTF sharpening")
else
  echo "demo: this module build has no MTF sharpening yet; skipping it"
fi
proof=no
if has "colour matching"; then
  args+=(--color-match --intent perceptual --proof out/demo-proof.png)
  what+=("colour matching A17D50.ICC -> K77302.ICC (perceptual)")
  proof=yes
else
  echo "demo: this module build has no colour matching yet; printing without it"
fi
if [ "${#what[@]}" -gt 0 ]; then
  echo "demo: printing with $(IFS=';'; echo "${what[*]}" | sed 's/;/ and /g')"
fi

"$print" "${args[@]}"
if [ "$proof" = yes ]; then
  echo "demo: compare out/demo-proof.png with out/sample-page.png: the proof shows how the print will look on paper."
  echo "demo: out/demo.png is the print itself; it holds the printer's device values, which look washed out on a screen."
else
  echo "demo: open out/demo.png next to out/sample-page.png to compare"
fi
