#!/usr/bin/env bash
# Installs, builds and runs every test: the development build, the engine under Address and
# UndefinedBehavior sanitizers, the command's tests on the optimised build, and a short run of
# each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake --preset dev -DMOVILA_IDE=ON >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"

# The optimised build, compiled with the interpreter's profile: its command's tests again.
scripts/build-release.sh movila
python3 tests/cli/run_cli_tests.py build/release/movila tests

if [ -x fuzz/run.sh ]; then
    fuzz/run.sh "${FUZZ_SECONDS:-30}"
fi
