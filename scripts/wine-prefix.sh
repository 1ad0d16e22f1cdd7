#!/usr/bin/env bash
# Creates a Wine prefix once: booted, with the crash dialog off (it would hang
# an unattended run until its timeout), and with the user's shell folders
# (Documents, Desktop, ...) as real folders inside the prefix instead of links
# to the Unix home, so that what a run writes into Documents stays in the
# prefix. The prefix is left as plain as a player's: no font replacement, so
# that the tests see the dialog font the program chooses by itself (a prefix
# made by an older version of this script loses the one it was given). Safe
# to call from parallel processes.
set -u
prefix="$1"
ready="$prefix/.tellwick-ready-4"
[ -f "$ready" ] && exit 0
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
[ -f "$ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wine reg delete 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /f </dev/null >/dev/null 2>&1
wineserver -w
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm -f "$link"
    mkdir -p "$link"
  fi
done
touch "$ready"
