#!/usr/bin/env bash
# Builds the Debian binary packages (k7730fe, k7730fe-gtk and
# k7730fe-printer-app) with dpkg-buildpackage from a copy of the source tree
# in OUT_DIR/k7730fe-VERSION, then runs lintian on them. The
# package files land in OUT_DIR. The copy keeps its build folder from one
# run to the next (dpkg-buildpackage -nc), so a second build compiles only
# what changed; every debhelper step still runs each time.
set -euo pipefail

out_dir=${1:?usage: debian_build.sh OUT_DIR}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
project_version=$(sed -n 's/^project(k7730fe VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
if [ "$version" != "$project_version" ]; then
  echo "debian_build: debian/changelog says $version, CMakeLists.txt $project_version: make them agree" >&2
  exit 1
fi
arch=$(dpkg-architecture -qDEB_HOST_ARCH)

mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)
tree="$out_dir/k7730fe-$version"
# The working tree as it is (uncommitted changes included), without build
# results. Only the CMake build folder of the last run is kept; everything
# else debhelper left, its build stamp above all (with it, dh would skip the
# build and package the old programs), goes.
mkdir -p "$tree"
rsync -a --delete --exclude=/.git --exclude=/build/ --exclude=/out/ --exclude='/obj-*/' \
  "$source_dir/" "$tree/"

if command -v ccache >/dev/null; then
  # debhelper gives the build an empty HOME, so name the cache explicitly.
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
fi

# Every binary package of this version, with their -dbgsym packages.
rm -f "$out_dir"/k7730fe*_"$version"_"$arch".deb
(cd "$tree" && dpkg-buildpackage -b -us -uc -nc -j"$(nproc)")

debs=("$out_dir"/k7730fe*_"${version}_${arch}".deb)
printf 'debian_build: %s\n' "${debs[@]}"
# Errors fail the build; the warnings that remain are listed, with their
# reasons, in docs/administrators.md.
lintian --fail-on error --info "${debs[@]}"
