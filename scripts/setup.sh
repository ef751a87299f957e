#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, if any is missing.
# Runs apt-get as root directly, or through sudo for a normal user.
# Usage: scripts/setup.sh [more packages a task needs, as scripts/package.sh asks for its tools]
set -euo pipefail

packages=(
  # The build: compiler, CMake and Ninja, pkg-config for libmosquitto.
  build-essential cmake ninja-build pkg-config
  # Qt 6: Core, Gui, Widgets and Test (qt6-base-dev, with its tools for moc and uic),
  # SerialPort, and the GL headers Qt Gui's CMake package asks for.
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
  # Translations: CMake's Qt6LinguistTools package (qt6-tools-dev), lupdate and lrelease
  # (qt6-l10n-tools), and Qt's own texts for its dialogs (qt6-translations-l10n).
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  # Qt TextToSpeech; its CMake package asks for QmlIntegration, which only the declarative
  # headers ship. Speaking needs an engine at run time (see the README), building does not.
  qt6-speech-dev qt6-declarative-dev
  # The fonts the window is drawn and its tests measure with: DejaVu Sans is the desktop's
  # sans-serif, Liberation the metric-compatible fallback.
  fonts-dejavu-core fonts-liberation
  # Time zones: the history's clock column is local time with its offset.
  tzdata
  # The window benches and screenshots: an X server, window tools, pictures (Xlib for the bench).
  libx11-dev xvfb xdotool x11-utils imagemagick
  # The fuzzers and the sanitizer build.
  clang libclang-rt-dev
  # The MQTT bridge's client library, and the broker, clients and certificates its tests use.
  libmosquitto-dev mosquitto mosquitto-clients openssl
)

packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
# sudo clears the environment, so the front end is set inside it: no question waits for an
# answer (tzdata asks for a zone otherwise).
# apt's and dpkg's lines go to a log, shown only when something fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  cat "$log"
  echo "setup: installing the packages failed (apt's lines above)" >&2
  exit 1
fi
