#!/usr/bin/env bash
# Installs the Debian packages Tethrix needs to build, play and test.
# Only what is missing is installed; sudo is used when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgl1-mesa-dev libglu1-mesa-dev freeglut3-dev
  libsdl2-mixer-dev nlohmann-json3-dev libpng-dev
  desktop-file-utils appstream
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-apps imagemagick libgl1-mesa-dri python3-pil
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
