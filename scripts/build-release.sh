#!/usr/bin/env bash
# Builds the optimised tree build/release (the `movila` command by default, or the targets
# given), compiled with a profile of the interpreter at work: an instrumented build in
# build/release-train runs the programs of bench/training, and build/release is compiled with
# what they recorded, and linked as one whole (link-time optimisation: the interpreter calls the
# data manager across files on every step). With a compiler other than GCC the tree gets the
# plain optimised build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
train=$root/build/release-train
profile=$root/build/release-profile
jobs=$(nproc)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(movila)
fi

if ! "${CXX:-c++}" -v 2>&1 | grep -q '^gcc version'; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$jobs" --target "${targets[@]}"
    exit 0
fi

# The interpreter's layers (statement, plan, data manager) are many small functions that each
# execution goes through; GCC's default limits leave most of them as calls. These let the hot
# ones be inlined into one another (about a tenth fewer instructions on calls and lists). The
# code is for any x86-64 processor of the last fifteen years, scheduled for the benchmark
# machines' (a few per cent on calls and lists), and linked at a fixed address: the step
# dispatch's jump tables then hold addresses, not offsets to add (fewer instructions on every
# step, 8 to 9% less time on recursive calls).
linking=""
inlining="--param max-inline-insns-single=1000 --param max-inline-insns-auto=400 \
--param inline-unit-growth=500 --param large-function-growth=1000 \
--param max-inline-insns-recursive=1000 --param early-inlining-insns=40"
if [ "$(uname -m)" = x86_64 ]; then
    inlining="$inlining -march=x86-64-v2 -mtune=znver2 -fno-pie"
    linking="-no-pie"
fi

# The profile files are named after the objects' paths below each build directory, so that
# the two trees find the same ones.
rm -rf "$profile"
cmake -S . -B "$train" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOVILA_TESTS=OFF -DMOVILA_IDE=OFF \
    -DCMAKE_INTERPROCEDURAL_OPTIMIZATION=ON -DCMAKE_EXE_LINKER_FLAGS="$linking" \
    -DCMAKE_CXX_FLAGS="$inlining -fprofile-generate=$profile -fprofile-prefix-path=$train" >/dev/null
cmake --build "$train" -j "$jobs" --target movila
for program in bench/training/*.pas; do
    if ! "$train/movila" run --unlimited-passes --max-stack 100 "$program" >/dev/null; then
        echo "build-release: the training program $program failed" >&2
        exit 1
    fi
done

# A source changed since the training only loses its profile (it is then optimised as usual).
cmake --preset release -DCMAKE_EXE_LINKER_FLAGS="$linking" -DCMAKE_CXX_FLAGS="$inlining -fprofile-use=$profile \
-fprofile-prefix-path=$root/build/release -fprofile-partial-training -Wno-missing-profile \
-Wno-coverage-mismatch" >/dev/null
cmake --build --preset release -j "$jobs" --target "${targets[@]}"
