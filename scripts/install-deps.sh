#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need.
# Idempotent: only packages that are missing are installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev
  liblcms2-dev libpng-dev libtiff-dev libjpeg62-turbo-dev
  icc-profiles-free libgs-common argyll colord-data
  libcups2-dev libcupsimage2-dev cups cups-client cups-filters
  libcli11-dev
)
# The Windows DLLs: cross compilers, GoogleTest's sources for them, and
# Wine to run the Windows tests.
packages+=(
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest wine wine64
)
# The dialogs in real windows: a virtual display, Wine's own fonts, a
# scripted mouse and keyboard, screenshots.
packages+=(xvfb xauth fonts-wine xdotool imagemagick)
# The Debian package (make package) and the Windows archive (make
# windows-dist): Debian's packaging tools, man pages from --help, the copy
# of the tree the package is built from, zip.
packages+=(debhelper dpkg-dev lintian help2man rsync zip unzip)
# `install-deps.sh fuzz` adds what the libFuzzer build needs.
if [ "${1:-}" = "fuzz" ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
