#!/usr/bin/env bash
# Builds Tessivar and runs its main job on the Wine prefix ($WINEPREFIX, else ~/.wine): a scan
# over the sections chosen in the settings (every section on a first run), printed as the results
# view shows it. The scan says where its report is when the settings ask for one. Arguments are
# passed on (--all, --tsv).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tessivar-cli
exec ./build/src/tessivar-cli scan "$@"
