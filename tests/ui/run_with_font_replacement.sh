#!/usr/bin/env bash
# Runs a test program under Wine in a prefix of its own that replaces MS UI
# Gothic as scripts/wine-fonts.sh does, so that the windows keep their
# templates' own face: usage `run_with_font_replacement.sh PREFIX PROGRAM
# ARGS...`. The build's own prefix stays plain, as a player's is.
set -u
prefix="$1"
shift
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 TZ=Asia/Tokyo WINEDLLOVERRIDES="mscoree,mshtml="
"$scripts/wine-prefix.sh" "$prefix" || exit 1
# Wine's server and services started apart from the test, so that they do not
# hold ctest's pipes open (see scripts/wine-session.sh).
wineserver -p </dev/null >/dev/null 2>&1
"$scripts/wine-fonts.sh" "$prefix" || exit 1
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$@"
status=$?
wineserver -k </dev/null >/dev/null 2>&1
exit "$status"
