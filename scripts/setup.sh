#!/usr/bin/env bash
# Installs the Debian 12 packages the game, its tests and its tools need, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic libpng-dev
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick python3 time
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
