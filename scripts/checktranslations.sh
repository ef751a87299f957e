#!/usr/bin/env bash
# Fails while a tr() text of the program is new (missing from a translation) or unfinished in
# any language. Works on copies: the committed .ts files are left as they are. Bring them up to
# date with `cmake --build --preset dev --target update_translations`, then translate.
# Usage: scripts/checktranslations.sh [lupdate]
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate="${1:-/usr/lib/qt6/bin/lupdate}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp translations/*.ts "$work/"
"$lupdate" -silent -no-obsolete -locations none -I src src -ts "$work"/*.ts
status=0
for ts in "$work"/*.ts; do
  name=$(basename "$ts")
  # A text lupdate adds, or one left unfinished, is marked type="unfinished".
  if grep -q 'type="unfinished"' "$ts"; then
    echo "$name: texts without a finished translation:"
    python3 - "$ts" <<'PY'
import sys, xml.etree.ElementTree as ET
for m in ET.parse(sys.argv[1]).iter('message'):
    t = m.find('translation')
    if t is not None and t.get('type') == 'unfinished':
        ctx = m.find('source')
        print('  ' + (ctx.text or ''))
PY
    status=1
  fi
done
[ $status -eq 0 ] && echo "translations: every text finished in $(ls translations/*.ts | wc -l) languages"
exit $status
