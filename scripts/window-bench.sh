#!/usr/bin/env bash
# The window's figures on the real window under Xvfb (xcb platform), measured with the shared
# window bench, each beside the same measurement of the minimal C reader (bench/minreader.c)
# on the same stream, one after the other in one run. Summaries go to build/window-bench/.
# Usage: scripts/window-bench.sh [RUNS]   (WINDOW_BENCH=path/to/window-bench.py to override)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
harness=${WINDOW_BENCH:-../shared/tools/window-bench.py}
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build build/release -j2 --target s88monitor minreader >/dev/null
out=build/window-bench
rm -rf "$out" && mkdir -p "$out"
# Counts stored, so the window starts without reminders; Start is at (36, 40).
printf '[S88Left]\nAntal=4\n[S88Mid]\nAntal=3\n[S88Right]\nAntal=3\n' >"$out/counts.conf"
common=(--runs "$runs" --phases A,B --flood-mb 10 --big-flood-mb 100 --big-if-under 120)
uptime
python3 "$harness" "${common[@]}" --out "$out/window" \
  --cmd "$PWD/build/release/s88monitor --port 1={device}" \
  --home-file "$out/counts.conf:.config/Gen_Vorn_S88.conf" --after-start 'click 36 40'
python3 "$harness" "${common[@]}" --out "$out/minreader" \
  --cmd "$PWD/build/release/bench/minreader {device} 8"
uptime
python3 bench/window-figures.py "$out/window" "$out/minreader" | tee "$out/figures.txt"
