#!/usr/bin/env bash
# Makes what players download, into dist/:
#   tellwick-<version>-windows-x64.zip              the two Windows programs and the guide
#   tellwick-export-<version>-linux-x86_64.tar.gz    the static exporter, its service, manual page,
#                                                    install.sh and the guide
#   tellwick-export_<version>_amd64.deb              the same for Debian and Ubuntu
# The version is the one of the project() line in CMakeLists.txt. The
# programs come from the presets' own build folders, build/native and
# build/windows, made or brought up to date here: the Linux program that
# ships is linked from the objects that the native tests run on.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target tellwick-export tellwick-export-static
cmake --preset windows >/dev/null
cmake --build --preset windows --target tellwick tellwick-export

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)"
[ -n "$version" ] || { echo "package.sh: no project version in build/native" >&2; exit 1; }
static_program="build/native/src/cli/static/tellwick-export"
native_program="build/native/src/cli/tellwick-export"
guide="docs/guide-ja.md"
license=(LICENSE)

dist="$root/dist"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
rm -rf "$dist"
mkdir -p "$dist"
# Archives that depend only on their contents: fixed times and owners.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}"
stamp() { find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }

# The manual page, from the program's own --help and --version.
scripts/make-manual.sh "$native_program" "$stage/tellwick-export.1"

# Windows: the files at the top of the zip; Explorer's "extract all" makes
# the folder.
windows="$stage/windows"
mkdir -p "$windows"
cp build/windows/src/ui/tellwick.exe build/windows/src/cli/tellwick-export.exe "$guide" "${license[@]}" "$windows/"
# The guide also as a page a double click opens, its pictures inside it
# (Debian's Python, where python3-markdown is installed).
/usr/bin/python3 scripts/render-guide.py "$guide" "$windows/guide-ja.html"
stamp "$windows"
zip_name="tellwick-$version-windows-x64.zip"
(cd "$windows" && zip -qX -r "$dist/$zip_name" .)

# Linux: one folder to unpack and run install.sh in.
linux_name="tellwick-export-$version-linux-x86_64"
linux="$stage/$linux_name"
mkdir -p "$linux"
install -m 755 "$static_program" "$linux/tellwick-export"
install -m 755 resources/linux/install.sh "$linux/install.sh"
install -m 644 resources/linux/tellwick-export@.service "$stage/tellwick-export.1" "$guide" "${license[@]}" "$linux/"
stamp "$linux"
tar -C "$stage" --sort=name --owner=0 --group=0 --numeric-owner -cf - "$linux_name" | gzip -9n >"$dist/$linux_name.tar.gz"

# Debian: the program in /usr/bin, so the service starts it from there.
deb="$stage/deb"
doc="$deb/usr/share/doc/tellwick-export"
install -D -m 755 "$static_program" "$deb/usr/bin/tellwick-export"
install -d "$deb/usr/share/man/man1" "$deb/usr/lib/systemd/user" "$doc"
gzip -9n <"$stage/tellwick-export.1" >"$deb/usr/share/man/man1/tellwick-export.1.gz"
sed -e 's|%h/\.local/bin/tellwick-export|/usr/bin/tellwick-export|' \
  -e 's|^# The program is expected in ~/\.local/bin\.|# The program is /usr/bin/tellwick-export.|' \
  resources/linux/tellwick-export@.service >"$deb/usr/lib/systemd/user/tellwick-export@.service"
grep -q '^ExecStart=/usr/bin/tellwick-export ' "$deb/usr/lib/systemd/user/tellwick-export@.service" || {
  echo "package.sh: the service's ExecStart line has changed; update the Debian path above" >&2
  exit 1
}
install -m 644 "$guide" "${license[@]}" "$doc/"
install -d "$deb/DEBIAN"
cat >"$deb/DEBIAN/control" <<CONTROL
Package: tellwick-export
Version: $version
Architecture: amd64
Maintainer: Tellwick developers
Installed-Size: $(du -sk --exclude=DEBIAN "$deb" | cut -f1)
Section: games
Priority: optional
Description: FINAL FANTASY XIV message logs to text files
 tellwick-export turns a FINAL FANTASY XIV character's chunk files, where
 the game keeps its message log, into one text file, as the Windows program
 Tellwick does, and watches the game to export whenever it writes (the
 systemd user service tellwick-export@.service). It finds the game of
 XIVLauncher.Core, Steam (Proton) and Lutris by itself.
CONTROL
chmod 644 "$deb/DEBIAN/control"
stamp "$deb"
dpkg-deb --root-owner-group -Zxz --build "$deb" "$dist/tellwick-export_${version}_amd64.deb" >/dev/null

echo "=== dist/ (version $version)"
(cd "$dist" && ls -l)
