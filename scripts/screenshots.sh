#!/usr/bin/env bash
# The window at rest, in English and German, as docs/window-en.png and docs/window-de.png: the
# program built in build/dev, module counts 4, 3, 3 stored, on its own X server.
# Usage: scripts/screenshots.sh [DISPLAY_NUMBER] (default 93)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh xvfb imagemagick xdotool >/dev/null
display=":${1:-93}"
program=build/dev/s88monitor
[ -x "$program" ] || { echo "screenshots: build first (scripts/test.sh)" >&2; exit 1; }
work=$(mktemp -d)
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
printf '[S88Left]\nAntal=4\n[S88Mid]\nAntal=3\n[S88Right]\nAntal=3\n' >"$work/Gen_Vorn_S88.conf"
for language in en de; do
  DISPLAY=$display XDG_CONFIG_HOME=$work "$program" --language "$language" >/dev/null 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 50); do
    window=$(DISPLAY=$display xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) || true
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { kill "$pid"; echo "screenshots: no window for $language" >&2; exit 1; }
  sleep 1 # the first frame painted
  DISPLAY=$display import -window "$window" "docs/window-$language.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "docs/window-$language.png"
done
