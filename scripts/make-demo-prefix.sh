#!/usr/bin/env bash
# Makes the demo Wine prefix that run.sh works on when the machine has no prefix of its own, so
# that a first run shows the program at work: a fresh prefix (wineboot, as for the tests), then
# what two programs deleted by hand left behind, written through Wine the way their installers
# wrote it: registrations of files that are gone (demo-leftovers.reg, imported with Wine's reg)
# and shortcuts to them (demo-links.js, saved by Wine's shell link object).
#
#   scripts/make-demo-prefix.sh PREFIX
#
# Made once: a finished demo prefix is left as it is. The prefix keeps to itself: its profile
# folders are plain folders instead of Wine's links into $HOME, and it has no Z: drive (the whole
# Unix tree), so that a scan's drive walk and a repair stay inside it. Leaves nothing running.
# Exits 1, saying why, when no demo prefix could be made.
set -euo pipefail
scripts="$(cd "$(dirname "$0")" && pwd)"
# Wine takes only an absolute prefix path.
prefix=$(realpath -m "${1:?usage: make-demo-prefix.sh PREFIX}")
done_marker="$prefix/.tessivar-demo"
# Beside the prefix while it is being made, so that a run broken off half way is taken up again.
making_marker="$prefix.making"

if [ -f "$done_marker" ]; then
    exit 0
fi
# Only ever a folder this script (or the test prefix maker it reuses) made: never someone's own
# prefix, which the maker would wipe.
if [ -d "$prefix" ] && [ -n "$(ls -A "$prefix")" ] && [ ! -f "$prefix/.tessivar-complete" ] &&
   [ ! -f "$making_marker" ]; then
    echo "$prefix is not empty and is not a demo prefix: leaving it alone" >&2
    exit 1
fi
if ! command -v wine >/dev/null; then
    echo "wine is not installed: no demo prefix can be made" >&2
    exit 1
fi

echo "making the demo prefix once (wineboot and the leftovers of two removed programs; up to a minute)"
mkdir -p "$(dirname "$prefix")"
touch "$making_marker"
"$scripts/make-test-prefix.sh" "$prefix" >/dev/null
if [ ! -f "$prefix/system.reg" ]; then
    echo "wineboot made no prefix in $prefix" >&2
    exit 1
fi

# Headless, and, as for the tests, no Gecko or Mono dialogs and nothing put into the user's menus.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export DISPLAY='' WAYLAND_DISPLAY=''
for folder in "$prefix"/drive_c/users/*/*; do
    if [ -L "$folder" ]; then
        rm "$folder"
        mkdir "$folder"
    fi
done

# Wine reads the two files from inside the prefix, which works with or without the Z: drive.
temp="$prefix/drive_c/windows/temp"
mkdir -p "$temp"
cp "$scripts/demo-leftovers.reg" "$scripts/demo-links.js" "$temp/"
log="$temp/demo-wine.log"
if ! wine reg import 'C:\windows\temp\demo-leftovers.reg' >"$log" 2>&1 ||
   ! wine cscript //nologo 'C:\windows\temp\demo-links.js' >>"$log" 2>&1; then
    wineserver -w || true
    cat "$log" >&2
    echo "Wine could not write the demo leftovers into $prefix" >&2
    exit 1
fi
wineserver -w || true
rm -f "$temp/demo-leftovers.reg" "$temp/demo-links.js" "$log"

rm -f "$prefix/dosdevices/z:"
touch "$done_marker"
rm -f "$making_marker"
