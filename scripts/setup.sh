#!/usr/bin/env bash
# Installs every Debian package Kelvra needs to build, run and test.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ccache
  libwxgtk3.2-dev libgtk-3-dev
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  zlib1g-dev libpng-dev libjpeg62-turbo-dev libgl2ps-dev
  libfreetype-dev libfontconfig-dev
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation2 fonts-urw-base35 fonts-dejavu-core
  librsvg2-bin libglib2.0-dev desktop-file-utils appstream groff-base man-db
  shared-mime-info xdg-utils libglib2.0-bin file
  adwaita-icon-theme
  libgtest-dev googletest xvfb xauth xdotool xclip x11-apps imagemagick
  poppler-utils ghostscript libtinyxml2-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
