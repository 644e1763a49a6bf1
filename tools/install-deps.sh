#!/usr/bin/env bash
# Installs the Debian packages Kestralune needs to build, test and run, if any
# is missing. Safe to run again: with everything present it changes nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0 mesa-utils-bin
  libfreetype-dev libfontconfig-dev fonts-liberation libstb-dev
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-dev clang-format
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  xvfb xauth xdotool x11-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_prefix=()
if [ "$(id -u)" -ne 0 ]; then sudo_prefix=(sudo); fi
"${sudo_prefix[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_prefix[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
