#!/usr/bin/env bash
# Renders every window and view of the desktop program at 100% and 200% into docs/screenshots/100
# and docs/screenshots/200, on the offscreen platform. The main window scans and repairs a small
# Wine prefix the tool makes in a temporary folder (drive C: only); settings and data live in a
# throw-away folder too. Names given as arguments render only those shots (see tools/).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tessivar-screenshots >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 700 "$scratch"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch" XDG_CONFIG_HOME="$scratch/config" \
       XDG_DATA_HOME="$scratch/data" WINEPREFIX="$scratch/prefix" TMPDIR="$scratch"

for scale in 1 2; do
    QT_SCALE_FACTOR=$scale ./build/tools/tessivar-screenshots "docs/screenshots/$((scale * 100))" "$@"
done
