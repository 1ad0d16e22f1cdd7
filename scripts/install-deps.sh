#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need; does nothing when
# they are all there already. Two of the Japanese fonts the windows can be laid
# out in under Wine: IPA P Gothic, the one they take first, and VL P Gothic, one
# that widens them, so that the tests see both kinds fit.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 wine wine64
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic fonts-vlgothic
  clang libclang-rt-14-dev
  locales python3
  help2man zip unzip groff-base man-db python3-markdown
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

# Wine maps file names through the Unix locale: without ja_JP.UTF-8 generated,
# names outside ASCII cannot be created in a prefix run with LC_ALL=ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  $sudo_cmd locale-gen >/dev/null
fi
