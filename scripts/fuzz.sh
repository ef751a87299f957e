#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target]   (60 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
for target in fuzz_receive fuzz_countvalue fuzz_recording; do
  name="${target#fuzz_}"
  work="build/fuzz/corpus-$name"
  mkdir -p "$work"
  echo "== $target for ${seconds}s"
  log="build/fuzz/$name.log"
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -artifact_prefix="build/fuzz/$name-" -print_final_stats=1 \
      "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$target found a problem; the input is under build/fuzz/$name-*"
    exit 1
  fi
  grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$log" || true
done
echo "fuzzing: no crash, leak or sanitizer report"
