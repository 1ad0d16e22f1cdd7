#!/usr/bin/env bash
# The statically linked tellwick-export alone in an empty root folder, as on
# a Linux system with nothing installed: it prints its version, and exports
# a chunk series in UTF-8 and in Shift_JIS, with a Shift_JIS settings file,
# and reads the Shift_JIS export back, byte for byte as the ordinary build
# does on this system. No C library, locale or conversion module is there to
# help it: code page 932 comes from its own tables.
# usage: static_export_test.sh STATIC_PROGRAM ORDINARY_PROGRAM CHUNKGEN VERSION
set -u
static_program="$(realpath "$1")"
ordinary_program="$(realpath "$2")"
chunkgen="$(realpath "$3")"
version="$4"
chroot_program="$(command -v chroot)"
if [ "$(id -u)" -ne 0 ] || [ -z "$chroot_program" ] || ! "$chroot_program" / true 2>/dev/null; then
  echo "chroot needs root here"
  exit 77
fi
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

character=FFXIV_CHR0040000001A2B3C4D
"$chunkgen" --out "$root/series" --character "$character" --entries 20000 --per-chunk 1000 --shape real \
  --start-time 1394021260 >/dev/null || {
  echo "chunkgen failed"
  exit 1
}
# A zone without a zone file: there is none in the empty root.
export TZ=JST-9

# An empty root holding the program and the game folder; the root is also
# the working folder, since chroot starts there.
make_root() {
  mkdir -p "$1/tmp"
  cp "$static_program" "$1/tellwick-export"
  cp -r "$root/series" "$1/game"
}
# The same run beside the ordinary program, in a working folder of its own.
make_work() {
  mkdir -p "$1"
  cp -r "$root/series" "$1/game"
}
run_static() {
  local jail="$1"
  shift
  env -i TZ="$TZ" "$chroot_program" "$jail" /tellwick-export "$@"
}
run_ordinary() {
  local work="$1"
  shift
  (cd "$work" && "$ordinary_program" "$@")
}

jail="$root/jail-version"
make_root "$jail"
[ "$(run_static "$jail" --version)" = "tellwick-export $version" ] || fail "--version: $(run_static "$jail" --version 2>&1)"
[ "$(ls -A "$jail")" = "$(printf 'game\ntellwick-export\ntmp')" ] || fail "the root holds more than the program: $(ls -A "$jail")"

# CHARSET 1 is UTF-8, 0 the ANSI code page (932); the Shift_JIS settings
# file names a log folder in Japanese, which only a working code page 932
# reader finds.
logdir_sjis=$(printf '.\\\\\x83\x8D\x83\x4F\\\\')  # .\ログ\ in code page 932
for charset in utf8 sjis; do
  jail="$root/jail-$charset"
  work="$root/work-$charset"
  make_root "$jail"
  make_work "$work"
  for folder in "$jail" "$work"; do
    if [ "$charset" = utf8 ]; then
      printf '[GENERIC]\r\nCHARSET=1\r\n' >"$folder/tellwick.ini"
    else
      printf '[GENERIC]\r\nCHARSET=0\r\nLOGDIR=%s\r\n' "$logdir_sjis" >"$folder/tellwick.ini"
    fi
  done
  run_static "$jail" --game-dir /game "$character" >"$root/static-$charset.out" 2>"$root/static-$charset.err" ||
    fail "$charset: the static export failed: $(cat "$root/static-$charset.err")"
  run_ordinary "$work" --game-dir "$work/game" "$character" >"$root/ordinary-$charset.out" 2>/dev/null ||
    fail "$charset: the ordinary export failed"
  log="log"
  [ "$charset" = sjis ] && log="ログ"
  # An export file is named by the minute it was written in: the two runs
  # may fall on each side of a minute, so the files are paired by order.
  mapfile -t ordinary_files < <(find "$work/$log" -type f 2>/dev/null | sort)
  mapfile -t static_files < <(find "$jail/$log" -type f 2>/dev/null | sort)
  [ "${#ordinary_files[@]}" -gt 0 ] || fail "$charset: the ordinary program wrote nothing into $log/"
  [ "${#static_files[@]}" -eq "${#ordinary_files[@]}" ] ||
    fail "$charset: the static program wrote ${#static_files[@]} files into $log/, not ${#ordinary_files[@]}"
  for i in "${!ordinary_files[@]}"; do
    [ -s "${ordinary_files[$i]}" ] || fail "$charset: ${ordinary_files[$i]} is empty"
    cmp "${static_files[$i]:-/dev/null}" "${ordinary_files[$i]}" || fail "$charset: the export differs"
  done
  if [ "$charset" = sjis ]; then
    # Reading the export back decodes every character it holds.
    for i in "${!ordinary_files[@]}"; do
      run_static "$jail" --read "/ログ/$(basename "${static_files[$i]:-none}")" >"$root/static-read" 2>/dev/null ||
        fail "--read failed in the root"
      run_ordinary "$work" --read "${ordinary_files[$i]}" >"$root/ordinary-read" 2>/dev/null || fail "--read failed"
      [ -s "$root/ordinary-read" ] || fail "--read printed nothing"
      cmp "$root/static-read" "$root/ordinary-read" || fail "--read of the export differs"
      LC_ALL=C grep -q $'\xE3' "$root/static-read" || fail "--read of the export holds no Japanese"
    done
  fi
done

[ "$failures" -eq 0 ] || exit 1
echo "the static program ran alone and wrote what the ordinary one writes"
