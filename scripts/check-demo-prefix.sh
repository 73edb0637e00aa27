#!/usr/bin/env bash
# Checks the demo prefix maker by hand (it takes Wine, and about a minute on a slow machine, so it
# is not part of the test suite): makes a demo prefix in a temporary folder with a temporary home,
# then checks that it keeps to itself, that a second call leaves it as it is, that a folder it did
# not make is refused, and that the command-line scan finds the leftovers in their sections.
#
#   scripts/check-demo-prefix.sh [TESSIVAR_CLI]     (default: build/src/tessivar-cli)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli=${1:-$root/build/src/tessivar-cli}
if ! command -v wine >/dev/null; then
    echo "SKIPPED: wine is not installed"
    exit 0
fi
[ -x "$cli" ] || { echo "no $cli: build the tessivar-cli target first" >&2; exit 2; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home"
mkdir -p "$HOME"
unset WINEPREFIX DISPLAY WAYLAND_DISPLAY
prefix="$scratch/demo"
failures=0
check() { # DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

"$root/scripts/make-demo-prefix.sh" "$prefix"
check "the prefix is marked as made" test -f "$prefix/.tessivar-demo"
check "there is no Z: drive" test ! -e "$prefix/dosdevices/z:" -a ! -L "$prefix/dosdevices/z:"
check "no profile folder links out of the prefix" test -z "$(find "$prefix/drive_c/users" -maxdepth 2 -type l)"
check "nothing was written into the home folder" test -z "$(ls -A "$HOME")"

before=$(stat -c %Y "$prefix/system.reg")
check "a second call leaves the prefix as it is" "$root/scripts/make-demo-prefix.sh" "$prefix"
check "  and writes no registry file" test "$before" = "$(stat -c %Y "$prefix/system.reg")"

mkdir "$scratch/own"
touch "$scratch/own/system.reg"
check "a folder it did not make is refused" bash -c "! '$root/scripts/make-demo-prefix.sh' '$scratch/own' 2>/dev/null"
check "  and kept" test -f "$scratch/own/system.reg"

set +e
WINEPREFIX=$prefix "$cli" scan >"$scratch/scan.txt" 2>/dev/null
status=$?
set -e
check "the scan finds problems (exit 1)" test "$status" = 1
for section in "Software Locations ( 2 " "Help Files ( 2 " "Shared Files ( 1 " "Windows Startup Files  ( 1 " \
               "Uninstall Section File  ( 4 " "Windows Fonts (  1 " "Windows Shortcut File (4 " "lumenthumb.dll"; do
    check "the scan reports: $section" grep -qF "$section" "$scratch/scan.txt"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; the scan printed:"
    cat "$scratch/scan.txt"
    exit 1
fi
echo "all checks passed"
