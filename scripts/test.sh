#!/usr/bin/env bash
# Installs, builds and runs every test: the development build, the engine under Address and
# UndefinedBehavior sanitizers, and a short run of each fuzz target.
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

if [ -x fuzz/run.sh ]; then
    fuzz/run.sh "${FUZZ_SECONDS:-30}"
fi
