#!/usr/bin/env bash
# The Windows archive: exactly the files it promises, each DLL the very one
# its build made (the 64-bit one under x86_64, the 32-bit one under i686),
# and the example host the one the Windows suite builds from the host
# authors' page.
set -euo pipefail

out_dir=${1:?usage: windows_dist_test.sh OUT_DIR WIN64_DIR WIN32_DIR}
win64=${2:?} win32=${3:?}
fail() { echo "windows_dist_test: FAIL: $*" >&2; exit 1; }

zip=$(ls "$out_dir"/k7730fe-*-windows.zip)
name=$(basename "$zip" .zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Each architecture's folder holds the same four files.
arch_files=(A17D50.ICC K77302.ICC K7730fe.dll vorndll.dll)
expected=$({
  for file in README.txt example/build.txt example/host.c \
              include/k7730fe.h include/k7730fe_abi.h include/k7730fe_cmm.h include/k7730fe_exports.h; do
    echo "$name/$file"
  done
  for arch in i686 x86_64; do
    for file in "${arch_files[@]}"; do echo "$name/$arch/$file"; done
  done
} | LC_ALL=C sort)
listed=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)
if [ "$listed" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$listed") >&2 || true
  fail "the archive's files differ from the list above (< expected, > found)"
fi

unzip -q "$zip" -d "$work"
for pair in "x86_64:$win64" "i686:$win32"; do
  arch=${pair%%:*} build=${pair#*:}
  for file in "${arch_files[@]}"; do
    cmp -s "$work/$name/$arch/$file" "$build/$file" || fail "$arch/$file is not $build/$file"
  done
done
# The block the Wine suite compiled and ran, when that suite was built.
tested="$win64/tests/windows/readme_host.c"
if [ -f "$tested" ]; then
  cmp -s "$work/$name/example/host.c" "$tested" || fail "example/host.c is not the host the Windows suite runs"
fi
grep -q "_SDKCMOpenProfile_@8" "$work/$name/README.txt" || fail "README.txt does not explain the twins"
echo "windows_dist_test: passed ($zip)"
