#!/usr/bin/env bash
# Checks a built package: its menu entry and metainfo validate, lintian finds no error, and the
# unpacked program answers --version and --help with no display. Its manual pages, English and
# German, must name every option of --help.
# Usage: scripts/checkpackage.sh build/package/s88monitor_VERSION_ARCH.deb
set -euo pipefail
deb=$(realpath "$1")
id=org.s88monitor.S88Monitor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"
fail() {
  echo "checkpackage: $*" >&2
  exit 1
}

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
for icon in scalable/apps/$id.svg 48x48/apps/$id.png 256x256/apps/$id.png; do
  [ -f "$root/usr/share/icons/hicolor/$icon" ] || fail "icon $icon missing"
done

lintian_ok=true
lintian --fail-on error "$deb" >"$work/lintian" || lintian_ok=false
echo "lintian: $(grep -c '^E:' "$work/lintian") errors, $(grep -c '^W:' "$work/lintian") warnings"
cat "$work/lintian"
$lintian_ok || fail "lintian reports errors"

program=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/s88monitor")
version=$(dpkg-deb -f "$deb" Version)
[ "$("${program[@]}" --version)" = "s88monitor $version" ] || fail "--version is not $version"
help=$("${program[@]}" --help)
grep -q '^Usage: s88monitor' <<<"$help" || fail "--help prints no usage"
for page in man1 de/man1; do
  manual=$(zcat "$root/usr/share/man/$page/s88monitor.1.gz")
  for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$manual" ||
      fail "the manual page $page does not describe $option"
  done
done
# --headless becomes the service's own program where the package put it.
config=$work/config
mkdir -p "$config"
said=$(XDG_CONFIG_HOME=$config timeout -s TERM 3 "${program[@]}" --headless --counts 1,1,1 \
  --port 1="$work/no-such-port" 2>&1 || true)
grep -q 'no-such-port cannot be opened' <<<"$said" || fail "--headless did not run the service: $said"
echo "checkpackage: $(basename "$deb") is fine"
