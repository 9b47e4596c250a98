#!/usr/bin/env bash
# Installs every Debian package that building, playing and testing need.
# Safe to run again: it installs only what is missing.
set -euo pipefail
pkgs=(
  build-essential cmake pkg-config git
  zlib1g-dev libsqlite3-dev libstb-dev libvpx-dev libmd-dev libdumb1-dev
  libogg-dev libvorbis-dev libsdl1.2-dev libgl1-mesa-dev libglu1-mesa-dev
  libglew-dev rapidjson-dev googletest libgtest-dev
  xvfb xauth libgl1-mesa-dri fonts-dejavu-core fonts-dejavu-extra
  xdg-utils
  clang libclang-rt-14-dev
)
missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
