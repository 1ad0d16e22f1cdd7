#!/usr/bin/env bash
# Makes the picture of the main window in the player's guide
# (docs/images/main-window.png) from the real program under Wine, on a
# virtual display: a sample character with a name and server, one export,
# and the window as it then shows. Needs the builds that scripts/run.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
source scripts/wine-session.sh

cmake --build build/native --target chunkgen >/dev/null
cmake --build build/windows --target tellwick tellwick-remote >/dev/null
unset DISPLAY
wine_session_start "$root/build/guide-picture"
trap wine_session_stop EXIT

# Inside the prefix, so that the status log shows a Windows-like path.
work="$WINEPREFIX/drive_c/Tellwick"
rm -rf "$work"
mkdir -p "$work"
game="$WINEPREFIX/drive_c/users/$(id -un)/Documents/My Games/FINAL FANTASY XIV - A Realm Reborn"
character=FFXIV_CHR0040000001A2B3C4D
rm -rf "$game"
build/native/tools/chunkgen/chunkgen --out "$game" --character "$character" --entries 20000 --per-chunk 1000 \
  --seed 20150620 >/dev/null
printf '[%s]\r\nSERVER=Tonberry\r\nNAME=Tellwick Tester\r\n' "$character" >"$work/tellwick.ini"

cd "$work"
wine "$root/build/windows/src/ui/tellwick.exe" &
tellwick_pid=$!
wine "$root/build/windows/tools/tellwick-remote/tellwick-remote.exe" wait extract shot main-window.png exit
wait "$tellwick_pid"
# The window's few colours as a palette: a few kilobytes instead of hundreds.
convert main-window.png -strip -colors 64 -define png:compression-level=9 "PNG8:$root/docs/images/main-window.png"
echo "docs/images/main-window.png: $(wc -c <"$root/docs/images/main-window.png") bytes"
