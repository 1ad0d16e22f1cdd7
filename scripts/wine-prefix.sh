#!/usr/bin/env bash
# Creates a Wine prefix once: booted, with the crash dialog off (it would hang
# an unattended run until its timeout). Safe to call from parallel processes.
set -u
prefix="$1"
[ -f "$prefix/.tellwick-ready" ] && exit 0
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.tellwick-ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wineserver -w
touch "$prefix/.tellwick-ready"
