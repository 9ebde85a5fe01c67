#!/usr/bin/env bash
# Installs, builds the movila command and runs it on the bundled example program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target movila
movila=build/release/movila
echo "== movila check examples/bonjour.pas"
$movila check examples/bonjour.pas
echo "== movila translate examples/bonjour.pas --to francais"
$movila translate examples/bonjour.pas --to francais --config-dir examples/config
