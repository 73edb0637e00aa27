#!/usr/bin/env bash
# Builds Tessivar and runs its main job on the Wine prefix ($WINEPREFIX, else ~/.wine).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tessivar-cli
exec ./build/src/tessivar-cli reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /s
