#!/usr/bin/env bash
# Makes IPA P Gothic stand in for "MS UI Gothic" in a Wine prefix's registry:
# usage `scripts/wine-fonts.sh [PREFIX]` (default: $WINEPREFIX, else ~/.wine).
# Needs the IPA P Gothic font (Debian/Ubuntu: fonts-ipafont-gothic).
#
# Tellwick no longer needs it: where MS UI Gothic is missing, it lays its
# windows out in an installed Japanese font by itself (src/ui/dialog_font.h). It stays for the test that proves a
# prefix with the replacement still reads whole (the program then keeps its
# templates' own face, as it does on Windows), and for players who want
# other programs of the prefix to have the replacement too. A prefix that
# holds the real MS UI Gothic keeps it: Wine replaces only missing fonts.
set -eu
prefix="${1:-${WINEPREFIX:-$HOME/.wine}}"
if ! fc-list 'IPAPGothic' family | grep -q .; then
  echo "wine-fonts.sh: the font IPAPGothic is not installed (Debian/Ubuntu: apt-get install fonts-ipafont-gothic)" >&2
  exit 1
fi
WINEPREFIX="$prefix" WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\Fonts\Replacements' \
  /v 'MS UI Gothic' /t REG_SZ /d 'IPAPGothic' /f </dev/null >/dev/null 2>&1
