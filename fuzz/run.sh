#!/bin/sh
# Builds every fuzz target with clang and runs each for N seconds (first argument, default 60).
# Exits non-zero when a target finds a crash; the input that caused it is left in the build
# folder's "artifacts" directory. MOVILA_FUZZ_BUILD chooses the build folder.
set -eu

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${MOVILA_FUZZ_BUILD:-$root/build/fuzz}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DMOVILA_FUZZ=ON -DMOVILA_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_targets -j2

mkdir -p "$build/artifacts"
status=0
for target in "$build"/fuzz/*Fuzz; do
    name="$(basename "$target")"
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    seeds=""
    if [ -d "$root/fuzz/seeds/$name" ]; then
        seeds="$root/fuzz/seeds/$name"
    fi
    echo "== $name: $seconds s"
    # shellcheck disable=SC2086 # $seeds is empty or one folder
    if ! "$target" -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" "$corpus" $seeds; then
        echo "== $name found a fault: see $build/artifacts" >&2
        status=1
    fi
done
exit "$status"
