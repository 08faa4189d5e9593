#!/usr/bin/env bash
# The Debian packages on a real system, installed with apt-get: the main
# package alone first (no GTK, no PAPPL), then the others. A queue made by
# driver name in a cupsd of the test's own (private socket, configuration
# and spool), JPEG jobs printed through the module, k7730-print from the
# PATH, the GTK dialogs library found by the module, the printer application's
# system user, folders, sandboxed unit and control socket, the program from
# the PATH run as that user printing a JPEG sent with ipptool, the conffile
# kept over a reinstall, and a purge that leaves nothing of what the packages
# installed but the system user.
# Needs root (CI runs as root); the packages are removed and the servers
# stopped however the test ends.
set -euo pipefail

package_dir=${1:?usage: package_test.sh PACKAGE_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
mapfile -t packages < <(sed -n 's/^Package: *//p' "$source_dir/debian/control")
conffile=/etc/k7730fe/queue.k77
app_state=/var/lib/k7730-printer-app
app_unit=k7730-printer-app.service
app_user=k7730-printer-app
app_run=/run/k7730-printer-app
app_link=/run/k7730-printer-app.sock
app_socket=$app_run/k7730-printer-app.sock
backend_dirs=(/usr/lib/k7730fe/backend /etc/k7730fe/backend)

fail() { echo "package_test: FAIL: $*" >&2; exit 1; }
step() { echo "package_test: $*"; }
trap 'echo "package_test: FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR

is_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "installed"; }

# The absolute path of PACKAGE's .deb in the package folder.
deb_of() {
  local deb
  deb=$(ls "$package_dir/$1_"*"_$arch.deb") || fail "no $1 package in $package_dir"
  echo "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")"
}

if [ "$(id -u)" -ne 0 ]; then
  fail "installs packages on this machine and so must run as root"
fi
for p in "${packages[@]}"; do
  if is_installed "$p"; then fail "$p is installed already; remove it first (apt-get purge ${packages[*]})"; fi
done
# Purging removes the service's state folder, so one left by hand would go.
[ ! -e "$app_state" ] || fail "$app_state exists; remove it first (the purge at the end would)"

work=$(mktemp -d /tmp/k7730-package-test.XXXXXX)
# shellcheck source=tests/packaging/private_cupsd.sh
source "$here/private_cupsd.sh"
# shellcheck source=tests/packaging/private_printer_app.sh
source "$here/private_printer_app.sh"

cleanup() {
  stop_printer_app
  stop_cupsd
  local installed=() p
  for p in "${packages[@]}"; do if is_installed "$p"; then installed+=("$p"); fi; done
  if [ "${#installed[@]}" -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${installed[@]}" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# apt-get with its chatter kept for a failure.
apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@" > "$work/apt.log" 2>&1 \
    || { cat "$work/apt.log" >&2; fail "apt-get $*"; }
}

# The files (not folders) PACKAGE installed, each checked to be there.
installed_files() {
  dpkg -L "$1" | while read -r path; do [ -d "$path" ] || echo "$path"; done > "$work/files.$1"
  while read -r path; do [ -e "$path" ] || fail "dpkg -L $1 lists $path, which is missing"; done < "$work/files.$1"
  cat "$work/files.$1" >> "$work/installed.txt"
}

# PACKAGE installs a file whose path matches the regular expression.
installs() {
  grep -qx "$2" "$work/files.$1" || fail "$1 installs nothing matching $2"
}

# k7730-print settings edit without a display, ld.so's record of what was
# loaded and bound in $work/edit.log. It must fail saying no dialog can be
# shown, with the library present or not.
edit_without_display() {
  rm -f "$work/edit.k77"
  if env -u DISPLAY -u WAYLAND_DISPLAY LD_DEBUG=libs,bindings \
       k7730-print settings edit "$work/edit.k77" > /dev/null 2> "$work/edit.log"; then
    fail "k7730-print settings edit succeeded without a display"
  fi
  grep -q "k7730-print: error: .*no dialog can be shown" "$work/edit.log" \
    || fail "k7730-print settings edit did not say that no dialog can be shown"
}

step "the main package alone"
main_deb=$(deb_of k7730fe)
if dpkg-deb -f "$main_deb" Depends | grep -Eq "libgtk|libpappl"; then
  fail "k7730fe depends on GTK or PAPPL: $(dpkg-deb -f "$main_deb" Depends)"
fi
apt_get install "$main_deb"
edit_without_display
if grep -q "calling init: .*/K7730fe_gtk\.so" "$work/edit.log"; then fail "k7730fe alone loaded a GTK dialogs library"; fi

step "installing ${packages[*]}"
others=()
for p in "${packages[@]}"; do [ "$p" = k7730fe ] || others+=("$(deb_of "$p")"); done
apt_get install "${others[@]}"
# The tmpfiles.d entry, applied on install whether systemd runs or not
# (checked first: a root k7730-printer-app server started meanwhile, as the
# printer application's test suites start, would take the link's place).
[ "$(stat -c '%U %G %a' "$app_run")" = "$app_user lpadmin 750" ] \
  || fail "$app_run is not $app_user's, group lpadmin, mode 750"
[ "$(readlink "$app_link")" = "$app_socket" ] || fail "$app_link does not link to $app_socket"
for p in "${packages[@]}"; do installed_files "$p"; done
installs k7730fe /usr/bin/k7730-print
installs k7730fe '/usr/lib/[^/]*/k7730fe/K7730fe\.so'
installs k7730fe-gtk '/usr/lib/[^/]*/k7730fe/K7730fe_gtk\.so'
installs k7730fe-printer-app /usr/bin/k7730-printer-app
installs k7730fe-printer-app "/lib/systemd/system/$app_unit"
installs k7730fe-printer-app /usr/lib/tmpfiles.d/k7730fe-printer-app.conf
installs k7730fe-printer-app '/usr/share/man/man1/k7730-printer-app\.1\.gz'
dpkg-query -W -f='${Conffiles}\n' k7730fe | grep -q " $conffile " || fail "$conffile is not a conffile"
[ "$(stat -c '%U %a' /usr/lib/cups/filter/rastertok7730)" = "root 755" ] \
  || fail "rastertok7730 is not root's with mode 755, as CUPS demands"

step "the print command from the PATH"
command -v k7730-print | grep -qx /usr/bin/k7730-print || fail "k7730-print is not /usr/bin/k7730-print"
k7730-testpage "$work/photo.jpg"
k7730-print --quiet --sharpen mild --color-match "$work/photo.jpg" "$work/print.png"
[ -s "$work/print.png" ] || fail "k7730-print wrote nothing"
k7730-print info | grep -q "/usr/lib/[^ ]*/k7730fe/K7730fe.so" || fail "k7730-print does not use the installed module"

step "the module loads the installed GTK dialogs library"
edit_without_display
gtk_library=$(grep '/K7730fe_gtk\.so$' "$work/files.k7730fe-gtk")
grep -q "calling init: $gtk_library\$" "$work/edit.log" || fail "the module did not load $gtk_library"
grep -q "to $gtk_library \[0\]: normal symbol \`k7730_window_system'" "$work/edit.log" \
  || fail "the module did not take the entry point of $gtk_library"

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

step "the printer application's user, folders and unit"
IFS=: read -r _ _ _ _ _ home shell < <(getent passwd "$app_user") || fail "installing made no user $app_user"
[ "$home" = "$app_state" ] || fail "$app_user's home is $home, not $app_state"
case "$shell" in */nologin|*/false) ;; *) fail "$app_user may log in (shell $shell)" ;; esac
id -nG "$app_user" | grep -qw lp || fail "$app_user is not in the group lp"
getent group lpadmin > /dev/null || fail "installing made no group lpadmin"
[ "$(stat -c '%U %G %a' "$app_state")" = "$app_user $app_user 700" ] \
  || fail "$app_state is $(stat -c '%U %G %a' "$app_state"), not $app_user's with mode 700"
for d in "${backend_dirs[@]}"; do
  [ "$(stat -c '%U %G %a' "$d")" = "root root 755" ] || fail "$d is not root's with mode 755"
done
unit=/lib/systemd/system/$app_unit
grep -qx "User=$app_user" "$unit" || fail "$app_unit does not run as $app_user"
# Installing enables the service even where systemd does not run (CI's
# container), so that it starts with the next boot.
[ -L "/etc/systemd/system/multi-user.target.wants/$app_unit" ] || fail "installing did not enable $app_unit"
read -r -a exec_start < <(sed -n 's/^ExecStart=//p' "$unit")
[ "${exec_start[0]} ${exec_start[1]}" = "$(command -v k7730-printer-app) server" ] \
  || fail "$app_unit does not run the installed k7730-printer-app server"
[[ " ${exec_start[*]} " == *" server-socket=$app_socket "* ]] || fail "$app_unit does not make its socket at $app_socket"
# The sandbox as the unit has it rates 1.5 on systemd 252's scale; a looser
# one fails here.
systemd-analyze security --offline=yes --threshold=15 "$unit" > "$work/security.txt" 2>&1 \
  || { cat "$work/security.txt" >&2; fail "systemd-analyze rates $app_unit's sandbox above 1.5"; }

step "the printer application from the PATH as $app_user, through its socket"
# What the unit runs as root before each start: the tmpfiles.d entry again.
read -r -a pre < <(sed -n 's/^ExecStartPre=+//p' "$unit") || true
[[ " ${pre[*]} " == *" --create k7730fe-printer-app.conf "* ]] \
  || fail "$app_unit does not apply its tmpfiles.d entry before it starts"
"${pre[@]}" || fail "$app_unit's ExecStartPre=+${pre[*]} failed"
start_printer_app "$app_socket"
# As root through the link, as a member of lpadmin, and not as anyone else.
# `status` starts no server when it finds none. TMPDIR keeps the per-user
# socket PAPPL tries first out of reach.
status_as() { setpriv "$@" env TMPDIR="$work/none" k7730-printer-app status 2>&1; }
lpadmin_gid=$(getent group lpadmin | cut -d: -f3)
[ -L "$app_link" ] || fail "$app_link is no longer a link: a root k7730-printer-app server runs on this machine"
[[ $(status_as --reuid=0) == Running* ]] || fail "root cannot reach the server through $app_link"
[[ $(status_as --reuid=nobody --regid=nogroup --groups="$lpadmin_gid") == Running* ]] \
  || fail "a member of lpadmin cannot reach the server"
[[ $(status_as --reuid=nobody --regid=nogroup --clear-groups) == *"is not open to this user (root and the lpadmin group only)"* ]] \
  || fail "a user outside lpadmin reaches the server's socket"
add_app_printer photo
print_with_ipptool photo "$work/photo.jpg"
stop_printer_app
out=$(ls "$work"/app-out/*.pwg) || fail "the device folder holds no PWG raster"
[ "$(stat -c '%U %a' "$out")" = "$app_user 600" ] || fail "the job file is not $app_user's with mode 600"
pages=$(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import pwg
print(" ".join("%dx%d" % (w, h) for w, h, _, _ in pwg.read_stream(open(sys.argv[2], "rb").read())))' \
  "$source_dir/tests/host/printer_app" "$out") || fail "the device folder holds no PWG raster"
[ "$pages" = "1200x1800" ] || fail "the device got pages '$pages', not one 4x6 inch page at 300 dpi"
# A record stored for the service's printer lands in its state folder.
k7730-print --quiet settings save "$work/photo.k7730" --sharpen mild
k7730-printer-app settings -d photo "$work/photo.k7730" > /dev/null
[ -f "$app_state/photo.k7730" ] || fail "k7730-printer-app settings did not store the record in $app_state"
setpriv --reuid="$app_user" --regid="$app_user" --init-groups cat "$app_state/photo.k7730" > /dev/null \
  || fail "the service's user cannot read the record root stored"

step "the conffile kept over a reinstall"
k7730-print --quiet settings save "$conffile" --sharpen strong
edited=$(md5sum < "$conffile")
apt_get install --reinstall "$main_deb"
[ "$(md5sum < "$conffile")" = "$edited" ] || fail "reinstalling replaced the edited $conffile"

step "purging"
apt_get purge "${packages[@]}"
while read -r path; do [ ! -e "$path" ] || fail "$path is left after the purge"; done < "$work/installed.txt"
for path in "$conffile" "$app_state" "/etc/systemd/system/multi-user.target.wants/$app_unit" \
            "$app_run" "$app_link" "${backend_dirs[@]}"; do
  if [ -e "$path" ] || [ -L "$path" ]; then fail "$path is left after the purge"; fi
done
# The system user stays, as Debian has it, owning nothing the packages made.
getent passwd "$app_user" > /dev/null || fail "purging removed the system user $app_user"
left=$(find /etc /var/lib /run /usr -xdev -user "$app_user" -print -quit 2>/dev/null)
[ -z "$left" ] || fail "$left, $app_user's, is left after the purge"
step "passed"
