#!/usr/bin/env bash
# The Linux install script run from an unpacked release folder with a home
# of its own: what it places, the watch it enables, a second run, the
# uninstall, and a session without a systemd user instance. systemctl and
# systemd-escape are stand-ins that record their calls: the user's systemd
# is the one part a test machine lacks.
# usage: install_script_test.sh INSTALL_SCRIPT UNIT_FILE
set -u
script="$(realpath "$1")"
unit="$(realpath "$2")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# The unpacked release folder.
release="$root/release"
mkdir -p "$release"
cp "$script" "$release/install.sh"
cp "$unit" "$release/tellwick-export@.service"
printf '#!/bin/sh\necho stub tellwick-export "$@"\n' >"$release/tellwick-export"
chmod 755 "$release/tellwick-export"
printf '.TH TELLWICK-EXPORT 1\n' >"$release/tellwick-export.1"

# systemctl keeps what is enabled and running in a state folder, as systemd
# would; TEST_NO_USER_SYSTEMD makes it a session without a user instance.
stubs="$root/stubs"
mkdir -p "$stubs"
cat >"$stubs/systemctl" <<'EOF'
#!/bin/sh
echo "systemctl $*" >>"$TEST_CALLS"
[ "$1" = --user ] || exit 1
shift
[ -z "${TEST_NO_USER_SYSTEMD-}" ] || exit 1
command=$1
shift
case "$command" in
  show-environment | daemon-reload | restart) exit 0 ;;
  is-enabled | is-active)
    for unit in "$@"; do case "$unit" in -*) ;; *) [ -e "$TEST_STATE/$unit" ] || exit 1 ;; esac; done
    exit 0 ;;
  enable) for unit in "$@"; do case "$unit" in -*) ;; *) : >"$TEST_STATE/$unit" ;; esac; done ;;
  disable) for unit in "$@"; do case "$unit" in -*) ;; *) rm -f "$TEST_STATE/$unit" ;; esac; done ;;
  *) exit 1 ;;
esac
EOF
cat >"$stubs/systemd-escape" <<'EOF'
#!/bin/sh
echo "systemd-escape $*" >>"$TEST_CALLS"
[ "$1" = --path ] || exit 1
printf '%s\n' "$2" | sed 's|^/||; s|/|-|g'
EOF
chmod 755 "$stubs/systemctl" "$stubs/systemd-escape"

run_install() {  # HOME ARGS...
  local home="$1"
  shift
  env -u XDG_CONFIG_HOME HOME="$home" PATH="$stubs:/usr/bin:/bin" TEST_CALLS="$root/calls" \
    TEST_STATE="$root/state" "$release/install.sh" "$@"
}

# What the home holds, byte for byte and with the times of change.
snapshot() {
  (cd "$1" && find . -exec stat -c '%n %s %Y %a' {} + | sort && find . -type f -exec md5sum {} + | sort)
}

home="$root/home"
mkdir -p "$home" "$root/state"
instance="tellwick-export@$(printf '%s' "$home/tellwick" | sed 's|^/||; s|/|-|g').service"

# The first run places everything and enables the watch of ~/tellwick.
: >"$root/calls"
out="$(run_install "$home")" || fail "the first run failed: $out"
for placed in .local/bin/tellwick-export .config/systemd/user/tellwick-export@.service \
  .local/share/man/man1/tellwick-export.1; do
  [ -f "$home/$placed" ] || fail "not placed: $placed"
done
[ -x "$home/.local/bin/tellwick-export" ] || fail "the program is not executable"
cmp -s "$unit" "$home/.config/systemd/user/tellwick-export@.service" || fail "the unit differs from the release's"
[ -d "$home/tellwick" ] || fail "no working folder"
grep -qxF "systemctl --user enable --now $instance" "$root/calls" || fail "no enable call for $instance: $(cat "$root/calls")"
grep -qxF "systemctl --user daemon-reload" "$root/calls" || fail "no daemon-reload before the enable"
grep -qF "$home/tellwick/log/" <<<"$out" || fail "the exports' folder is not named: $out"
grep -qF -- "--uninstall" <<<"$out" || fail "the way to undo it is not named: $out"

# A second run changes nothing, and says so.
mkdir -p "$home/tellwick/log"
printf 'exported\r\n' >"$home/tellwick/log/x.log"
before="$(snapshot "$home")"
: >"$root/calls"
out="$(run_install "$home")" || fail "the second run failed: $out"
[ "$before" = "$(snapshot "$home")" ] || fail "the second run changed the home"
[ "$(grep -c "already installed" <<<"$out")" -eq 3 ] || fail "the second run does not say all is installed: $out"
if grep -E -- "--user (enable|restart|daemon-reload)" "$root/calls" >/dev/null; then
  fail "the second run worked the service again: $(cat "$root/calls")"
fi

# A new program replaces the old one and restarts the running watch.
printf '#!/bin/sh\necho newer\n' >"$release/tellwick-export"
: >"$root/calls"
out="$(run_install "$home")" || fail "the update failed: $out"
cmp -s "$release/tellwick-export" "$home/.local/bin/tellwick-export" || fail "the program was not replaced"
grep -qxF "systemctl --user restart $instance" "$root/calls" || fail "the watch was not restarted: $(cat "$root/calls")"

# The uninstall stops the watch, removes what was placed, keeps the exports.
: >"$root/calls"
out="$(run_install "$home" --uninstall)" || fail "the uninstall failed: $out"
grep -qxF "systemctl --user disable --now $instance" "$root/calls" || fail "no disable call: $(cat "$root/calls")"
for placed in .local/bin/tellwick-export .config/systemd/user/tellwick-export@.service \
  .local/share/man/man1/tellwick-export.1; do
  [ ! -e "$home/$placed" ] || fail "left after the uninstall: $placed"
done
[ -f "$home/tellwick/log/x.log" ] || fail "the uninstall removed an export"
grep -qF "Kept $home/tellwick" <<<"$out" || fail "the uninstall does not say the exports stay: $out"

# Without a systemd user instance nothing is enabled, and the script says
# how to start the watch by hand; a release without a manual page installs
# none.
rm "$release/tellwick-export.1"
home2="$root/home2"
mkdir -p "$home2"
: >"$root/calls"
out="$(TEST_NO_USER_SYSTEMD=1 run_install "$home2")" || fail "the run without systemd failed: $out"
[ -x "$home2/.local/bin/tellwick-export" ] || fail "no program placed without systemd"
[ -d "$home2/tellwick" ] || fail "no working folder without systemd"
[ ! -e "$home2/.local/share/man" ] || fail "a manual page was placed that the release does not have"
if grep -E -- "--user (enable|daemon-reload)" "$root/calls" >/dev/null; then
  fail "the service was worked without systemd: $(cat "$root/calls")"
fi
grep -qF "tellwick-export --watch" <<<"$out" || fail "no way to start the watch by hand: $out"

# Bad usage is refused before anything is placed.
home3="$root/home3"
mkdir -p "$home3"
run_install "$home3" --bogus >/dev/null 2>&1
[ "$?" -eq 2 ] || fail "an unknown option did not end with status 2"
[ -z "$(ls -A "$home3")" ] || fail "an unknown option placed files"
run_install "$home3" --help | grep -qF -- "--uninstall" || fail "--help does not name --uninstall"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "install script: placed, enabled, idempotent, updated, uninstalled, and without systemd"
