#!/usr/bin/env bash
# Installs what is missing, builds when needed and starts the monitor.
# Every argument goes to the program: scripts/run.sh --simulate, scripts/run.sh --help
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target s88monitor >/dev/null
exec build/release/s88monitor "$@"
