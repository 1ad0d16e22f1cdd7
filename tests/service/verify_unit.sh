#!/usr/bin/env bash
# The watch's systemd user unit as systemd reads it, for one instance folder,
# and its command run the way the unit runs it, ended as systemd ends it.
# usage: verify_unit.sh UNIT_FILE TELLWICK_EXPORT
set -u
unit="$1"
program="$2"
command -v systemd-analyze >/dev/null && command -v systemd-escape >/dev/null || {
  echo "systemd-analyze is not installed"
  exit 77
}
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home/.local/bin" "$root/work"
ln -s "$(realpath "$program")" "$root/home/.local/bin/tellwick-export"
instance="$(systemd-escape --path "$root/work")"
template="$(basename "$unit")"
cp "$unit" "$root/${template/@/@$instance}"

# Warnings count as failures: systemd would only log them.
report="$(HOME="$root/home" XDG_RUNTIME_DIR="$root" systemd-analyze --user verify \
  "$root/${template/@/@$instance}" 2>&1)"
status=$?
if [ "$status" -ne 0 ] || [ -n "$report" ]; then
  echo "systemd-analyze verify: status $status"
  echo "$report"
  exit 1
fi

# %f and %h as systemd expands them.
unit_text="$(cat "$unit")"
exec_start="$(sed -n 's/^ExecStart=//p' <<<"$unit_text")"
working="$(sed -n 's/^WorkingDirectory=//p' <<<"$unit_text")"
[ "$working" = "%f" ] || { echo "WorkingDirectory is not the instance folder: $working"; exit 1; }
exec_start="${exec_start//%h/$root/home}"
cd "$root/work" || exit 1
HOME="$root/home" timeout --preserve-status -s TERM 3 $exec_start >"$root/out" 2>"$root/err"
status=$?
if [ "$status" -ne 0 ]; then
  echo "the watch ended with status $status on SIGTERM"
  cat "$root/err"
  exit 1
fi
grep -q "game folder: no character folder" "$root/err" || { echo "no game folder named:"; cat "$root/err"; exit 1; }
echo "unit verified; the watch ran in $root/work and ended on SIGTERM with status 0"
