#!/usr/bin/env bash
# Installs, builds the movila command and runs the bundled example program: a check, a run with
# the pupil's answer on standard input, and the program re-worded into the French vocabulary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build-release.sh movila
movila=build/release/movila
echo "== movila check examples/bonjour.pas"
$movila check examples/bonjour.pas
echo "== echo Ada | movila run examples/bonjour.pas"
echo Ada | $movila run examples/bonjour.pas
echo
echo "== movila translate examples/bonjour.pas --to francais"
$movila translate examples/bonjour.pas --to francais --config-dir examples/config
