#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test with CTest.
# Usage: scripts/test.sh [preset]   (dev by default; asan for the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
