#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build, a pass under
# AddressSanitizer and UndefinedBehaviorSanitizer, bounded fuzz runs of every parser, and the
# registry back-end's tests under ThreadSanitizer (its loads and scans use a second thread), built
# with the plain loops that stand in for the SSE2 scans where there is no SSE2.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc)

echo "== format (clang-format, check only)"
git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' \
    'tools/*.cpp' 'tools/*.h' | xargs -0 clang-format --dry-run --Werror

fuzz_seconds=${TESSIVAR_FUZZ_SECONDS:-60}

# One Wine prefix per run, shared by every test that needs the real Wine.
export TESSIVAR_TEST_WINEPREFIX="$PWD/build/test-wineprefix"
./scripts/make-test-prefix.sh "$TESSIVAR_TEST_WINEPREFIX"

# Warnings are errors here (and so in CI), in the Release configuration a user builds, so that no
# user's build breaks unseen.
echo "== build (Release, warnings as errors) and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTESSIVAR_WARNINGS_AS_ERRORS=ON -DTESSIVAR_BUILD_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== fuzzing (${fuzz_seconds}s per target)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIVAR_WARNINGS_AS_ERRORS=ON \
    -DTESSIVAR_BUILD_FUZZ=ON \
    -DTESSIVAR_BUILD_TESTS=OFF -DTESSIVAR_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"
./scripts/run-fuzzers.sh build-fuzz/fuzz "$fuzz_seconds"

echo "== address and undefined-behaviour sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTESSIVAR_WARNINGS_AS_ERRORS=ON -DTESSIVAR_SANITIZE=ON \
    -DTESSIVAR_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
# The desktop program end to end ran above, on the one X server of this run.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -E desktop_end_to_end

# One build for both: the back-end's threads under ThreadSanitizer, and the plain loops that stand
# in for the SSE2 scans where there is no SSE2 (the scans themselves ran above, under ASan too).
echo "== thread sanitizer (the registry back-end), with the plain loops instead of the SSE2 scans"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIVAR_WARNINGS_AS_ERRORS=ON \
    -DTESSIVAR_SANITIZE_THREAD=ON -DTESSIVAR_PLAIN_SCANS=ON -DTESSIVAR_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target wine_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/wine_tests --gtest_brief=1
