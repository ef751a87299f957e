#!/usr/bin/env bash
# Builds the optimised program and the benchmarks, runs them all and prints one table.
# The latency plot goes to docs/latency.png. Usage: scripts/bench.sh [--quick]
# The soak is built too; run it on its own: build/release/bench/s88soak --minutes 30
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target s88monitor s88bench s88soak s88alloc s88settings >/dev/null
# The window's figures under Xvfb (scripts/window-bench.sh) are drawn under the plot when there.
beside=()
[ -f build/window-bench/figures.txt ] && beside=(--beside build/window-bench/figures.txt)
QT_QPA_PLATFORM=offscreen build/release/bench/s88bench --program build/release/s88monitor \
  --plot docs/latency.png "${beside[@]}" "$@"
# Allocations on the receive path, per byte and per report (should be 0).
QT_QPA_PLATFORM=offscreen build/release/bench/s88alloc --mb 2
build/release/bench/s88settings --mb 100
