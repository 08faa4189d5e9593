#!/usr/bin/env bash
# The Debian package on a real system: installed with apt-get, a queue made
# by driver name in a cupsd of the test's own (private socket, configuration
# and spool), JPEG jobs printed through the module, k7730-print from the
# PATH, the conffile kept over a reinstall, and a purge that leaves nothing
# of what the package installed. Needs root (CI runs as root); the package
# is removed and the cupsd stopped however the test ends.
set -euo pipefail

package_dir=${1:?usage: package_test.sh PACKAGE_DIR}
deb=$(ls "$package_dir"/k7730fe_*_"$(dpkg-architecture -qDEB_HOST_ARCH)".deb)
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
conffile=/etc/k7730fe/queue.k77

fail() { echo "package_test: FAIL: $*" >&2; exit 1; }
step() { echo "package_test: $*"; }
trap 'echo "package_test: FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR

if [ "$(id -u)" -ne 0 ]; then
  fail "installs a package on this machine and so must run as root"
fi
if dpkg-query -W -f='${Status}' k7730fe 2>/dev/null | grep -q "ok installed"; then
  fail "k7730fe is installed already; remove it first (apt-get purge k7730fe)"
fi

work=$(mktemp -d /tmp/k7730-package-test.XXXXXX)
# shellcheck source=tests/packaging/private_cupsd.sh
source "$(dirname "$0")/private_cupsd.sh"

cleanup() {
  stop_cupsd
  if dpkg-query -W -f='${Status}' k7730fe 2>/dev/null | grep -q "installed"; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq k7730fe >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# apt-get with its chatter kept for a failure.
apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@" > "$work/apt.log" 2>&1 \
    || { cat "$work/apt.log" >&2; fail "apt-get $*"; }
}

installed_files() {
  dpkg -L k7730fe | while read -r path; do [ -d "$path" ] || echo "$path"; done
}

step "installing $deb"
apt_get install "$deb"
dpkg-query -W -f='${Conffiles}\n' k7730fe | grep -q " $conffile " || fail "$conffile is not a conffile"
installed_files > "$work/installed.txt"
while read -r path; do [ -e "$path" ] || fail "dpkg -L lists $path, which is missing"; done < "$work/installed.txt"
[ "$(stat -c '%U %a' /usr/lib/cups/filter/rastertok7730)" = "root 755" ] \
  || fail "rastertok7730 is not root's with mode 755, as CUPS demands"

step "the print command from the PATH"
command -v k7730-print | grep -qx /usr/bin/k7730-print || fail "k7730-print is not /usr/bin/k7730-print"
k7730-testpage "$work/photo.jpg"
k7730-print --quiet --sharpen mild --color-match "$work/photo.jpg" "$work/print.png"
[ -s "$work/print.png" ] || fail "k7730-print wrote nothing"
k7730-print info | grep -q "/usr/lib/[^ ]*/k7730fe/K7730fe.so" || fail "k7730-print does not use the installed module"

step "a queue by driver name in a private cupsd"
start_cupsd
driver=lsb/usr/k7730fe/k7730.ppd
k7730_drivers | grep -qx "$driver" || fail "lpinfo -m does not list $driver"
add_queue t "$driver"
print_job t "$work/photo.jpg" "$work/strong.ras" -o k7730-sharpen=strong
print_job t "$work/photo.jpg" "$work/off.ras" -o k7730-sharpen=off
cmp -s "$work/strong.ras" "$work/off.ras" && fail "strong sharpening printed the same as none"

# The raster the queue's rasterizer makes from the JPEG, run through the
# installed filter by hand as CUPS runs it: the queue's file must be that.
ppd=$(ls /usr/share/ppd/k7730fe/*.ppd)
cupsfilter -p "$ppd" -m application/vnd.cups-raster "$work/photo.jpg" > "$work/page.ras" 2>/dev/null
PPD=$ppd /usr/lib/cups/filter/rastertok7730 1 me photo 1 k7730-sharpen=strong "$work/page.ras" \
  > "$work/by-hand.ras" 2>/dev/null
cmp -s "$work/page.ras" "$work/by-hand.ras" && fail "the filter left the raster unchanged"
cmp -s "$work/strong.ras" "$work/by-hand.ras" || fail "the queue's output differs from the filter run by hand"
stop_cupsd

step "the conffile kept over a reinstall"
k7730-print --quiet settings save "$conffile" --sharpen strong
edited=$(md5sum < "$conffile")
apt_get install --reinstall "$deb"
[ "$(md5sum < "$conffile")" = "$edited" ] || fail "reinstalling replaced the edited $conffile"

step "purging"
apt_get purge k7730fe
while read -r path; do [ ! -e "$path" ] || fail "$path is left after the purge"; done < "$work/installed.txt"
[ ! -e "$conffile" ] || fail "$conffile is left after the purge"
step "passed"
