#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need.
# Idempotent: does nothing when every package is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  clang libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libpng-dev libjpeg-dev libfreetype-dev fonts-dejavu-core
  libopenal-dev libopenal1
  libcurl4-openssl-dev
  libogg-dev libtheora-dev libvorbis-dev
  liblua5.4-dev
  xvfb xauth xdotool x11-utils x11-apps xfonts-base libx11-dev openbox
  xdg-utils
  g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
