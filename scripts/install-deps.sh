#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, by
# group. Idempotent: only packages that are missing are installed.
#
#   install-deps.sh                 everything `make test` needs
#   install-deps.sh GROUP...        only those groups
#
# Groups: build (the module, its profiles, the print command), test (the
# native suites and benchmarks), cups (the CUPS filter and its tests),
# printer-app (the IPP printer application, ipptool and a headless browser
# for its tests, a cupsd with CUPS's filters for its driverless-queue test),
# windows (the cross-built DLLs and Wine), display (the dialogs in real
# windows), package (the Debian package and the Windows archive), fuzz (the
# libFuzzer build).
set -euo pipefail

group_packages() {
  case "$1" in
    build)
      echo cmake ninja-build g++ make pkg-config \
        liblcms2-dev libpng-dev libtiff-dev libjpeg62-turbo-dev libcli11-dev libstb-dev libisal-dev \
        libwebp-dev libheif-dev ;;
    test)
      echo python3 universal-ctags libgtest-dev libgmock-dev libbenchmark-dev \
        icc-profiles-free libgs-common argyll colord-data ;;
    cups)
      echo libcups2-dev libcupsimage2-dev cups cups-client cups-filters ;;
    printer-app)
      echo libpappl-dev cups-ipp-utils chromium imagemagick cups cups-client cups-filters ;;
    windows)
      echo g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
        googletest wine wine64 ;;
    display)
      # A virtual display, Wine's own fonts, a scripted mouse and keyboard,
      # screenshots, and GTK 3 for the window system the Linux module loads
      # for its dialogs.
      echo xvfb xauth fonts-wine xdotool imagemagick libgtk-3-dev ;;
    package)
      # The Debian packages (make package) and the Windows archive (make
      # windows-dist): Debian's packaging tools (debhelper brings
      # dh_installsystemd), man pages from --help, the copy of the tree the
      # package is built from, zip; GTK 3 and PAPPL for the dialogs library
      # and the printer application the packages hold, ipptool, which
      # prints through the installed printer application in its test, and
      # systemd's tools (systemd-tmpfiles for the package's tmpfiles.d entry,
      # systemd-analyze rating the service's sandbox), which work without
      # systemd running.
      echo debhelper dpkg-dev lintian help2man rsync zip unzip libgtk-3-dev libpappl-dev cups-ipp-utils systemd ;;
    fuzz)
      echo clang libclang-rt-dev ;;
    *)
      echo "install-deps: unknown group '$1' (build, test, cups, printer-app, windows, display, package, fuzz)" >&2
      return 1 ;;
  esac
}

groups=("$@")
if [ "${#groups[@]}" -eq 0 ]; then groups=(build test cups printer-app windows display package); fi
# The fuzz build compiles the project too.
if [[ " ${groups[*]} " == *" fuzz "* && " ${groups[*]} " != *" build "* ]]; then groups+=(build); fi

packages=()
for g in "${groups[@]}"; do
  list=$(group_packages "$g") || exit 2
  read -r -a more <<<"$list"
  packages+=("${more[@]}")
done

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
