#!/usr/bin/env bash
# Runs every fuzz target in a folder for a bounded time, starting from its seed corpus, as many
# at once as there are cores.
set -euo pipefail
dir=$1
seconds=$2
root="$(cd "$(dirname "$0")/.." && pwd)"
results=$(mktemp -d)
# Inputs that fail are kept beside the fuzz programs, to be turned into tests.
findings="$(cd "$dir" && pwd)/findings"
mkdir -p "$findings"
trap 'rm -rf "$results"' EXIT

run_one() {
    local target=$1 seconds=$2 root=$3 results=$4 findings=$5
    local name corpus log
    name=$(basename "$target")
    corpus=$(mktemp -d)
    log="$results/$name.log"
    if [ -d "$root/fuzz/corpus/$name" ]; then
        cp -r "$root/fuzz/corpus/$name"/. "$corpus"/
    fi
    # A fixed seed and a fixed number of inputs: every run retraces the same inputs.
    local budget
    budget=$(awk -v n="$name" '$1 == n { print $2 }' "$root/fuzz/budget.txt" 2>/dev/null)
    if "$target" "$corpus" -seed=1 ${budget:+-runs="$budget"} -artifact_prefix="$findings/" \
            -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
            -timeout=10 -print_final_stats=1 >"$log" 2>&1; then
        echo "-- $name: $(grep -m1 -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$') runs, no finding"
        touch "$results/$name.ok"
    else
        echo "-- $name: FAILED"
        tail -n 40 "$log"
    fi
    rm -rf "$corpus"
}
export -f run_one

find "$dir" -maxdepth 1 -name 'fuzz_*' -type f -perm -u+x | sort |
    xargs -r -P "$(nproc)" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$root" "$results" "$findings"

ran=$(find "$results" -name '*.log' | wc -l)
passed=$(find "$results" -name '*.ok' | wc -l)
echo "$passed passed, $((ran - passed)) failed"
[ "$ran" -eq "$passed" ]
