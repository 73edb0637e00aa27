#!/usr/bin/env bash
# Makes a fresh Wine prefix for the tests that compare with the real Wine, once per test run.
# Leaves nothing running: the server is waited for before the script returns.
set -euo pipefail
prefix=$1
if [ -f "$prefix/system.reg" ] && [ -f "$prefix/.tessivar-complete" ]; then
    exit 0
fi
if ! command -v wine >/dev/null; then
    echo "wine is not installed: tests that need it will be skipped"
    exit 0
fi
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
echo "making a Wine prefix for the tests in $prefix"
# No Gecko or Mono dialogs, and no menu entries or file types written into $HOME by winemenubuilder.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" DISPLAY=
wineboot -i >/dev/null 2>&1 || true
wineserver -w || true
if [ -f "$prefix/system.reg" ]; then
    touch "$prefix/.tessivar-complete"
else
    echo "wineboot made no prefix: tests that need Wine will be skipped"
fi
