#!/usr/bin/env bash
# Installs the Debian packages that Brindle's build, tests and tools need.
# Idempotent: returns quickly when everything is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev libgtk-3-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libjpeg62-turbo-dev libgif-dev
  libjpeg-turbo-progs
  clang libclang-rt-14-dev
  xvfb xauth xdotool xcompmgr x11-apps imagemagick
  dpkg-dev lintian desktop-file-utils groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
