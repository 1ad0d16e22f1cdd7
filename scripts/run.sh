#!/usr/bin/env bash
# Sets up this machine, builds Tellwick and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null && cmake --build --preset native
cmake --preset windows >/dev/null && cmake --build --preset windows
# The export path is what exists so far; show its per-line cost.
build/native/bench/line_bench --benchmark_min_time=0.2
