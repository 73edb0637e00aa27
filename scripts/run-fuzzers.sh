#!/usr/bin/env bash
# Runs every fuzz target in a folder for a bounded time, starting from its seed corpus.
set -euo pipefail
dir=$1
seconds=$2
root="$(cd "$(dirname "$0")/.." && pwd)"
failed=0
ran=0
for target in "$dir"/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=$(mktemp -d)
    seeds="$root/fuzz/corpus/$name"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
    echo "-- $name"
    if "$target" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
            -timeout=10 -print_final_stats=1 >"$corpus.log" 2>&1; then
        grep -E 'stat::number_of_executed_units|Done' "$corpus.log" | tail -n 2
    else
        failed=$((failed + 1))
        tail -n 40 "$corpus.log"
    fi
    ran=$((ran + 1))
    rm -rf "$corpus" "$corpus.log"
done
echo "$((ran - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
