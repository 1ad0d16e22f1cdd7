#!/usr/bin/env bash
# Sets up this machine, builds Tellwick and runs it under Wine with a sample
# character, in a Wine prefix of its own (build/player/wineprefix).
#
# With a display, the window opens and the run ends when you press 終了 (exit).
# Without one (or with TELLWICK_HEADLESS=1), Tellwick runs on a virtual
# display: the extract button is pressed, the status log and the export file
# are printed, and a picture of the window is saved.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
source scripts/wine-session.sh

scripts/install-deps.sh
cmake --preset native >/dev/null && cmake --build --preset native --target chunkgen
cmake --preset windows >/dev/null && cmake --build --preset windows --target tellwick tellwick-remote

player="$root/build/player"
work="$player/work"  # tellwick.ini and the log folder live here
tellwick="$root/build/windows/src/ui/tellwick.exe"
remote="$root/build/windows/tools/tellwick-remote/tellwick-remote.exe"
headless="${TELLWICK_HEADLESS:-}"
[ -z "${DISPLAY:-}" ] && headless=1

mkdir -p "$work"
if [ -n "$headless" ]; then unset DISPLAY; fi
wine_session_start "$player"  # the prefix, and a virtual display when there is none
trap wine_session_stop EXIT

# The sample character, where the game keeps it: Documents\My Games\...
documents="$WINEPREFIX/drive_c/users/$(id -un)/Documents"
game="$documents/My Games/FINAL FANTASY XIV - A Realm Reborn"
character=FFXIV_CHR0040000001A2B3C4D
build/native/tools/chunkgen/chunkgen --out "$game" --character "$character" --entries 20000 --per-chunk 1000 \
  --seed 20150620

cd "$work"
if [ -z "$headless" ]; then
  echo "Tellwick is starting; its exports go to $work/log/"
  wine "$tellwick"
  exit 0
fi

wine "$tellwick" &
tellwick_pid=$!
echo "=== status log after pressing ログを抽出 (extract)"
wine "$remote" wait extract status-log shot tellwick-window.png exit
echo
wait "$tellwick_pid"
export_file="$(ls -t "$work"/log/*.log 2>/dev/null | grep -v "/recipe\." | head -n 1 || true)"
[ -n "$export_file" ] || { echo "no export file was written" >&2; exit 1; }
echo "=== export file: $export_file ($(wc -l <"$export_file") lines)"
head -n 5 "$export_file" | iconv -f SHIFT_JIS -t UTF-8 || true
echo "=== screenshot: $work/tellwick-window.png"
