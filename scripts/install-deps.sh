#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need; does nothing when
# they are all there already.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 wine wine64
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
