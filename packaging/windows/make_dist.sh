#!/usr/bin/env bash
# Writes OUT_DIR/k7730fe-VERSION-windows.zip from the two Windows builds:
# each DLL with its line-filter library and default profiles in a folder of
# its architecture, the public headers, the host authors' LoadLibraryA host with
# its build line, and a short text on the exports and calling conventions.
set -euo pipefail

win64=${1:?usage: make_dist.sh WIN64_DIR WIN32_DIR OUT_DIR}
win32=${2:?usage: make_dist.sh WIN64_DIR WIN32_DIR OUT_DIR}
out_dir=${3:?usage: make_dist.sh WIN64_DIR WIN32_DIR OUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
version=$(sed -n 's/^project(k7730fe VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
name="k7730fe-$version-windows"

mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root="$stage/$name"

for pair in "x86_64:$win64" "i686:$win32"; do
  arch=${pair%%:*} build=${pair#*:}
  mkdir -p "$root/$arch"
  for file in K7730fe.dll vorndll.dll A17D50.ICC K77302.ICC; do
    [ -f "$build/$file" ] || { echo "make_dist: $build/$file is missing (make windows)" >&2; exit 1; }
    cp "$build/$file" "$root/$arch/"
  done
done

mkdir -p "$root/include" "$root/example"
cp "$source_dir"/include/k7730fe.h "$source_dir"/include/k7730fe_abi.h \
   "$source_dir"/include/k7730fe_cmm.h "$source_dir"/include/k7730fe_exports.h "$root/include/"
# The host authors' page's example host, the very block the Windows test suite builds
# and runs under Wine: the ```c block that starts with #include <windows.h>.
awk '/^```c$/ { inside = 1; text = ""; next }
     inside && /^```$/ { if (text ~ /^#include <windows.h>/) { printf "%s", text; found = 1; exit } inside = 0; next }
     inside { text = text $0 "\n" }
     END { exit !found }' "$source_dir/docs/host-authors.md" > "$root/example/host.c" \
  || { echo "make_dist: docs/host-authors.md has no Windows host example" >&2; exit 1; }
cp "$here/build.txt" "$root/example/"
cp "$here/README.txt" "$root/"

# Windows line ends for the texts a Windows user opens.
for text in "$root/README.txt" "$root/example/build.txt"; do sed -i 's/$/\r/' "$text"; done

rm -f "$out_dir/$name.zip"
(cd "$stage" && zip -q -X -r "$out_dir/$name.zip" "$name")
echo "make_dist: $out_dir/$name.zip"
