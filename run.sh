#!/usr/bin/env bash
# Builds Tessivar and runs it on the Wine prefix ($WINEPREFIX, else ~/.wine): the desktop program
# when there is a display, else the command-line scan over the sections chosen in the settings
# (every section on a first run), printed as the results view shows it; the scan says where its
# report is when the settings ask for one. Arguments are passed on (to the scan: --all, --tsv).
# Only the program that runs is built. On a machine with no Wine prefix at all it works on a demo
# prefix, made once under build/ by scripts/make-demo-prefix.sh; a prefix of the user's own is
# never touched by that. Everything but the scan's own output goes to stderr.
set -euo pipefail
# A prefix given relative to where the user stands, before leaving it.
if [ -n "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$(realpath -m "$WINEPREFIX")
    export WINEPREFIX
fi
cd "$(dirname "$0")"
./scripts/install-deps.sh >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

if { [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX" ]; } && [ ! -d "${HOME:-}/.wine" ]; then
    demo="$PWD/build/demo-wineprefix"
    if [ -n "${WINEPREFIX:-}" ]; then
        why="$WINEPREFIX is not a folder and there is no ~/.wine"
    else
        why="no Wine prefix here (WINEPREFIX is not set, there is no ~/.wine)"
    fi
    echo "run.sh: $why: working on the demo prefix $demo" >&2
    # Without it the program goes on to say that there is no prefix.
    if ./scripts/make-demo-prefix.sh "$demo" >&2; then
        export WINEPREFIX=$demo
    fi
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    cmake --build build -j "$(nproc)" --target tessivar >&2
    exec ./build/src/tessivar "$@"
fi
echo "run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the command-line scan" >&2
cmake --build build -j "$(nproc)" --target tessivar-cli >&2
exec ./build/src/tessivar-cli scan "$@"
