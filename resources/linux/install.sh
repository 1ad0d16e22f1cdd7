#!/bin/sh
# Installs tellwick-export and its watch service for the user who runs it,
# from the folder it was unpacked with; no root. Run it again after an
# update: what is already in place is left alone.
set -eu

usage() {
  cat <<'EOF'
usage: ./install.sh [--uninstall]

Installs, for you alone (no root needed):
  ~/.local/bin/tellwick-export                 the exporter
  ~/.config/systemd/user/tellwick-export@.service
                                               the watch service
  ~/.local/share/man/man1/tellwick-export.1    the manual page, when it came with this folder
  ~/tellwick/                                  the working folder: tellwick.ini and log/
and, when your session runs a systemd user instance, starts the watch of
~/tellwick at once and at every login.

  --uninstall   stop the watch and remove the program, the service and the
                manual page; ~/tellwick with your exports stays
  -h, --help    this help
EOF
}

source_dir=$(cd "$(dirname "$0")" && pwd)
program_name=tellwick-export
unit_name=tellwick-export@.service
manual_name=tellwick-export.1

bin_dir="$HOME/.local/bin"
# systemd reads user units from XDG_CONFIG_HOME when it is set.
unit_dir="${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user"
manual_dir="$HOME/.local/share/man/man1"
work_dir="$HOME/tellwick"

changed=0

say() { printf '%s\n' "$*"; }
fail() {
  printf 'install.sh: %s\n' "$*" >&2
  exit 1
}

# Copies through a temporary name beside the target, so that a running
# watch never sees half a program; a target that already holds the same
# bytes is not touched.
place() {
  from=$1
  to=$2
  mode=$3
  if [ -f "$to" ] && cmp -s "$from" "$to"; then
    say "already installed: $to"
    return 0
  fi
  mkdir -p "$(dirname "$to")"
  cp "$from" "$to.new"
  chmod "$mode" "$to.new"
  mv -f "$to.new" "$to"
  say "installed: $to"
  changed=1
}

remove() {
  if [ -e "$1" ] || [ -L "$1" ]; then
    rm -f "$1"
    say "removed: $1"
  else
    say "not there: $1"
  fi
}

user_systemd_runs() {
  command -v systemctl >/dev/null 2>&1 && command -v systemd-escape >/dev/null 2>&1 &&
    systemctl --user show-environment >/dev/null 2>&1
}

instance_unit() {
  printf 'tellwick-export@%s.service' "$(systemd-escape --path "$work_dir")"
}

install_all() {
  [ -f "$source_dir/$program_name" ] || fail "$program_name is not in $source_dir"
  [ -f "$source_dir/$unit_name" ] || fail "$unit_name is not in $source_dir"

  place "$source_dir/$program_name" "$bin_dir/$program_name" 755
  place "$source_dir/$unit_name" "$unit_dir/$unit_name" 644
  if [ -f "$source_dir/$manual_name" ]; then
    place "$source_dir/$manual_name" "$manual_dir/$manual_name" 644
  fi
  if [ -d "$work_dir" ]; then
    say "already there: $work_dir"
  else
    mkdir -p "$work_dir"
    say "made the working folder: $work_dir"
  fi

  if user_systemd_runs; then
    unit=$(instance_unit)
    [ "$changed" -eq 0 ] || systemctl --user daemon-reload
    if systemctl --user is-enabled --quiet "$unit" 2>/dev/null && systemctl --user is-active --quiet "$unit"; then
      if [ "$changed" -eq 0 ]; then
        say "the watch already runs: $unit"
      else
        # The running watch still has the old program: it ends after the
        # cycle under way and the new one starts.
        systemctl --user restart "$unit"
        say "restarted the watch with the new files: $unit"
      fi
    else
      systemctl --user enable --now "$unit"
      say "started the watch, and it starts at every login: $unit"
    fi
    say "its status texts: journalctl --user -u '$unit' -f"
  else
    say "no systemd user instance runs in this session: start the watch by hand with"
    say "  cd ~/tellwick && ~/.local/bin/tellwick-export --watch"
  fi

  say ""
  say "Your exports will appear in $work_dir/log/ (settings in $work_dir/tellwick.ini)."
  say "The characters found: cd ~/tellwick && ~/.local/bin/tellwick-export --list"
  case ":$PATH:" in
    *":$bin_dir:"*) ;;
    *) say "$bin_dir is not on your PATH: call the program by its full path, or add the folder to PATH." ;;
  esac
  say "To undo: $source_dir/install.sh --uninstall"
}

uninstall_all() {
  if user_systemd_runs; then
    unit=$(instance_unit)
    if systemctl --user is-enabled --quiet "$unit" 2>/dev/null || systemctl --user is-active --quiet "$unit"; then
      systemctl --user disable --now "$unit"
      say "stopped the watch and took it out of the login: $unit"
    fi
  fi
  remove "$unit_dir/$unit_name"
  remove "$bin_dir/$program_name"
  remove "$manual_dir/$manual_name"
  if user_systemd_runs; then
    systemctl --user daemon-reload
  fi
  say ""
  say "Kept $work_dir with your exports and tellwick.ini; delete it yourself if you no longer want them."
}

case "${1-}" in
  "")
    [ "$#" -eq 0 ] || { usage >&2; exit 2; }
    install_all
    ;;
  --uninstall)
    [ "$#" -eq 1 ] || { usage >&2; exit 2; }
    uninstall_all
    ;;
  -h | --help) usage ;;
  *)
    printf 'install.sh: unknown option: %s\n' "$1" >&2
    usage >&2
    exit 2
    ;;
esac
