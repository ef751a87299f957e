#!/usr/bin/env bash
# Builds the optimised program and the benchmarks, runs them all and prints one table.
# The latency plot goes to docs/latency.png. Usage: scripts/bench.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target s88monitor s88bench >/dev/null
QT_QPA_PLATFORM=offscreen build/release/bench/s88bench --program build/release/s88monitor \
  --plot docs/latency.png "$@"
