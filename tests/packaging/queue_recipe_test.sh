#!/usr/bin/env bash
# The administrators' queue recipe on what `make install` writes, with the build
# folder out of reach: the build is installed below a DESTDIR, then, in a
# mount namespace of the test's own, the build folder is covered by an empty
# folder and the staged prefix is mounted over the real one, so the
# installed files sit where the recipe expects them and nothing of the build
# can be reached. The recipe's commands then run as written: the settings
# record saved where the PPD names it, a queue made by driver name in a
# private cupsd, a job printed through it, and the print command from the
# PATH. Needs root for the namespace and cupsd (CI runs as root).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "queue_recipe_test: FAIL: $*" >&2; exit 1; }
trap 'echo "queue_recipe_test: FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR

if [ "${1:-}" != "--inside" ]; then
  build_dir=${1:?usage: queue_recipe_test.sh BUILD_DIR PREFIX}
  prefix=${2:?usage: queue_recipe_test.sh BUILD_DIR PREFIX}
  [ "$(id -u)" -eq 0 ] || fail "needs root, for a mount namespace and a cupsd"
  # The staged prefix is mounted over the real one, which must therefore be
  # a folder of its own, not /usr itself.
  case "$prefix" in /usr | /) fail "the build's prefix is $prefix; configure it with another (the default /usr/local)" ;; esac
  [ -d "$prefix" ] || fail "$prefix does not exist to mount the staged installation over"
  work=$(mktemp -d /tmp/k7730-queue-recipe.XXXXXX)
  trap '[ -n "${K7730_KEEP_TEST_FILES:-}" ] || rm -rf "$work"' EXIT
  DESTDIR="$work/stage" cmake --install "$build_dir" > "$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
  unshare --mount --propagation private "$here/queue_recipe_test.sh" --inside "$build_dir" "$prefix" "$work"
  echo "queue_recipe_test: passed"
  exit 0
fi

build_dir=$2 prefix=$3 work=$4
stage="$work/stage"
mount -t tmpfs -o size=1m,mode=755 k7730-build-moved-away "$build_dir"
mount --bind "$stage$prefix" "$prefix"
cd /
export PATH="$prefix/bin:$PATH"

# CUPS's program folder, with the staged filter in place of any installed one.
cups_serverbin=$(cups-config --serverbin)
export K7730_SERVERBIN="$work/serverbin"
mkdir -p "$K7730_SERVERBIN/filter"
for part in "$cups_serverbin"/*; do
  [ "$(basename "$part")" = filter ] || ln -s "$part" "$K7730_SERVERBIN/"
done
for filter in "$cups_serverbin"/filter/*; do
  [ "$(basename "$filter")" = rastertok7730 ] || ln -s "$filter" "$K7730_SERVERBIN/filter/"
done
ln -s "$stage$cups_serverbin/filter/rastertok7730" "$K7730_SERVERBIN/filter/"

# shellcheck source=tests/packaging/private_cupsd.sh
source "$here/private_cupsd.sh"
trap stop_cupsd EXIT

# The installed programs find the installed module.
k7730-print info | grep -q "$prefix/lib[^ ]*/k7730fe/K7730fe.so" || fail "k7730-print does not use the installed module"
k7730-testpage "$work/photo.jpg"

# The recipe: the queue's settings where the installed PPD names them.
ppd=$(ls "$prefix"/share/ppd/k7730fe/*.ppd)
settings=$(sed -n 's/^\*k7730SettingsFile: "\(.*\)"$/\1/p' "$ppd")
[ -f "$settings" ] || fail "the PPD names $settings, which make install did not write"
k7730-print --quiet settings save "$settings" --sharpen mild --color-match
start_cupsd
# (An installed package's PPD may be listed too.)
driver=$(k7730_drivers | grep -v '^lsb/usr/' || true)
[ -n "$driver" ] || fail "lpinfo -m does not list the installed PPD"
add_queue k7730 "$driver"
print_job k7730 "$work/photo.jpg" "$work/strong.ras" -o k7730-sharpen=strong
print_job k7730 "$work/photo.jpg" "$work/settings.ras"
cmp -s "$work/strong.ras" "$work/settings.ras" && fail "strong sharpening printed the same as the settings' mild"
stop_cupsd

# The print command from the PATH, with the queue's settings.
k7730-print --quiet --settings "$settings" "$work/photo.jpg" "$work/print.png"
[ -s "$work/print.png" ] || fail "k7730-print wrote nothing"
