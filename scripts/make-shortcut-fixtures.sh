#!/usr/bin/env bash
# Regenerates tests/fixtures/shortcuts/wine/: real links made by Wine's own shell32.
# Needs mingw-w64 (x86_64-w64-mingw32-gcc) and wine. Not run by test.sh; the output is committed.
#
#   scripts/make-shortcut-fixtures.sh [TEMPLATE_PREFIX]
#
# TEMPLATE_PREFIX (default: a fresh prefix made here with wineboot -i) is only ever copied; Wine
# runs on the copy, in a throw-away folder, and its server is stopped before the script ends.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/tests/fixtures/shortcuts/wine"
work=$(mktemp -d)
export WINEDEBUG=-all
export WINEPREFIX="$work/prefix"

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

if [ $# -ge 1 ]; then
    cp -a "$1" "$WINEPREFIX"
else
    wineboot -i >/dev/null 2>&1
fi

x86_64-w64-mingw32-gcc -municode -O1 -Wall -o "$work/make_links.exe" \
    "$root/tests/fixtures/shortcuts/generator/make_links.c" -lole32 -luuid -lshell32

mkdir -p "$WINEPREFIX/drive_c/out"
# Wine stores a path it cannot resolve relative to the current folder: keep this machine's
# folders out of the fixtures.
cd "$WINEPREFIX/drive_c"
wine "$work/make_links.exe" 'C:\out'
wineserver -w

mkdir -p "$out"
rm -f "$out"/*.lnk "$out"/*.url
cp "$WINEPREFIX/drive_c/out"/* "$out"/
ls -l "$out"
