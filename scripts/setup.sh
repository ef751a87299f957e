#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, if any is missing.
# Runs apt-get as root directly, or through sudo for a normal user.
# Usage: scripts/setup.sh [more packages a task needs, as scripts/package.sh asks for its tools]
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-base-dev-tools libgl-dev
  # Translations: lupdate and lrelease for the program's, Qt's own for its dialogs.
  qt6-l10n-tools qt6-translations-l10n
  # Qt TextToSpeech; its CMake package asks for QmlIntegration, which only the declarative
  # headers ship. Speaking needs an engine at run time (see the README), building does not.
  qt6-speech-dev qt6-declarative-dev
  fonts-liberation
  libx11-dev xvfb xdotool x11-utils imagemagick
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
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
