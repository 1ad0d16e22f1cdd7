#!/usr/bin/env bash
# Gives a Wine prefix a Japanese dialog font that Tellwick's windows read
# whole in: usage `scripts/wine-fonts.sh [PREFIX]` (default: $WINEPREFIX, else
# ~/.wine). Needs the IPA P Gothic font (Debian/Ubuntu: fonts-ipafont-gothic).
#
# Under a Japanese locale Wine draws dialogs in "MS UI Gothic", which it does
# not have; it falls back to the fixed-pitch IPA Gothic, whose wide letters
# overrun the labels and whose underscore vanishes at dialog size. The
# proportional IPA P Gothic, standing in for MS UI Gothic, fits them. A prefix
# that holds the real MS UI Gothic keeps it: Wine replaces only missing fonts.
set -eu
prefix="${1:-${WINEPREFIX:-$HOME/.wine}}"
if ! fc-list 'IPAPGothic' family | grep -q .; then
  echo "wine-fonts.sh: the font IPAPGothic is not installed (Debian/Ubuntu: apt-get install fonts-ipafont-gothic)" >&2
  exit 1
fi
WINEPREFIX="$prefix" WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\Fonts\Replacements' \
  /v 'MS UI Gothic' /t REG_SZ /d 'IPAPGothic' /f </dev/null >/dev/null 2>&1
