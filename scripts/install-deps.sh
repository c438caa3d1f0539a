#!/usr/bin/env bash
# Installs every Debian package Quillmark needs to build, run and test.
# Idempotent: apt-get runs only when a package is missing.
set -euo pipefail

PACKAGES=(
  # toolchain
  cmake ninja-build g++ pkg-config python3 lld
  # Qt and friends
  qt6-base-dev qt6-webengine-dev qt6-httpserver-dev qt6-websockets-dev qt6-svg-dev
  qcoro-qt6-dev qtkeychain-qt6-dev libqrencode-dev libgl-dev libxkbcommon-dev
  # pictures: TIFF and friends for Qt's readers, HEIC through libheif
  qt6-image-formats-plugins libheif-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # headless desktop for tests and screenshots
  xvfb xauth x11-utils x11-apps imagemagick trayer xdotool libgl1-mesa-dri
  # printing: CUPS client tools and a private scheduler for the test bed
  cups cups-client cups-daemon cups-filters printer-driver-cups-pdf
  # secret store on a private D-Bus
  dbus gnome-keyring libsecret-1-0 libsecret-tools libglib2.0-bin
  # label fonts (metric substitutes) and tools to inspect what we print
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fonts-urw-base35 fonts-texgyre
  poppler-utils zbar-tools
  # label typefaces: system design with all weights, rounded, monospaced, and the named faces' substitutes
  fonts-inter fonts-comfortaa fonts-jetbrains-mono fonts-league-spartan fonts-adf-gillius fonts-opendin
  fonts-adf-baskervald fonts-roboto-slab
  # buyer names with emoji, and the symbolic icons the screens use
  fonts-noto-color-emoji adwaita-icon-theme
  # the desktop browser for the Google sign-in
  xdg-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
