#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest:
#   wine_run.sh PREFIX PROGRAM [ARGS...]
#   wine_run.sh PREFIX --stop
# The private prefix is created once under a lock. One long-lived wineserver
# and the prefix's background processes are started with every descriptor on
# /dev/null, so that none of them holds ctest's output pipe open; the test
# program itself then starts in a fraction of a second. Missing or broken
# Wine is an error, never a skip.
set -euo pipefail

prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

find_tool() {
  local candidate
  for candidate in "$@"; do
    if [ -x "$candidate" ]; then echo "$candidate"; return 0; fi
    if command -v "$candidate" >/dev/null 2>&1; then command -v "$candidate"; return 0; fi
  done
  return 1
}

wine=$(find_tool /usr/lib/wine/wine64 wine64 wine) || { echo "wine_run: Wine is not installed (wine64 not found)" >&2; exit 1; }
wineserver=$(find_tool /usr/lib/wine/wineserver wineserver64 wineserver) || { echo "wine_run: wineserver not found" >&2; exit 1; }

if [ "${1:-}" = "--stop" ]; then
  "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  exit 0
fi

mkdir -p "$(dirname "$prefix")"
{
  flock 9
  if [ ! -f "$prefix/.k7730-ready" ]; then
    rm -rf "$prefix"
    if ! "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&-; then
      echo "wine_run: creating the Wine prefix $prefix failed" >&2
      exit 1
    fi
    touch "$prefix/.k7730-ready"
  fi
  # A server that outlives the single test, and the prefix's services,
  # detached from every descriptor ctest watches.
  "$wineserver" -p300 </dev/null >/dev/null 2>&1 9>&- || true
  "$wine" wineboot </dev/null >/dev/null 2>&1 9>&- || true
} 9>"$prefix.lock"

exec "$wine" "$@"
