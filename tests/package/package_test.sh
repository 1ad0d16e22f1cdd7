#!/usr/bin/env bash
# What scripts/package.sh wrote into dist/, checked as a player gets it:
#   zip DIST VERSION WINDOWS_BUILD      the files, system DLLs only, the version resource,
#                                       and tellwick-export.exe --version under Wine
#   tarball DIST VERSION TELLWICK_EXPORT CHUNKGEN
#                                       the files, a static stripped program that runs alone in
#                                       an empty root, the manual page
#   deb DIST VERSION                    the paths, the control fields, the manual page, the unit
# Skipped (77) when the package is not there, unless TELLWICK_PACKAGES_REQUIRED
# is set, as the full test run sets it after making the packages.
set -u
kind="$1"
dist="$2"
version="$3"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
need_package() {
  [ -f "$1" ] && return 0
  if [ -n "${TELLWICK_PACKAGES_REQUIRED:-}" ]; then
    echo "FAILED: $1 is missing"
    exit 1
  fi
  echo "$1 is not there: run scripts/package.sh first"
  exit 77
}
expect_list() {
  local what="$1" expected="$2" got="$3"
  [ "$got" = "$expected" ] || fail "$what holds
$got
and not
$expected"
}
# The manual page renders without a warning, and names the version.
check_manual() {
  local page="$1" rendered
  rendered="$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww "$page" 2>"$work/groff.err")" || fail "groff failed on $page"
  [ -s "$work/groff.err" ] && fail "groff warns about $page: $(cat "$work/groff.err")"
  grep -q "tellwick-export $version" <<<"$rendered" || fail "the manual page does not name version $version"
  grep -q -- "--watch" <<<"$rendered" || fail "the manual page lacks the help's commands"
  if command -v man >/dev/null; then
    man -l "$page" >/dev/null 2>"$work/man.err" || fail "man -l failed on $page: $(cat "$work/man.err")"
  fi
}
license_listed() { printf '%s\n' "$@"; }

case "$kind" in
  zip)
    windows_build="$(realpath "$4")"
    zip="$dist/tellwick-$version-windows-x64.zip"
    need_package "$zip"
    expect_list "$zip" "$( (printf '%s\n' guide-ja.html guide-ja.md tellwick-export.exe tellwick.exe; license_listed LICENSE) | sort)" \
      "$(unzip -Z1 "$zip" | sort)"
    unzip -q "$zip" -d "$work/unpacked" || fail "unzip failed"
    # The guide's page stands alone: its pictures are inside it.
    grep -q '<meta charset="utf-8">' "$work/unpacked/guide-ja.html" || fail "guide-ja.html declares no charset"
    grep -q 'src="data:image/png;base64,' "$work/unpacked/guide-ja.html" || fail "guide-ja.html holds no picture"
    # Windows 10 and 11 have these; nothing else may be needed beside the programs.
    system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
                  psapi.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll ws2_32.dll "
    for exe in tellwick.exe tellwick-export.exe; do
      file="$work/unpacked/$exe"
      [ -f "$file" ] || continue
      while read -r dll; do
        case "$system_dlls" in
          *" ${dll,,} "*) ;;
          *) fail "$exe needs $dll, which Windows does not have" ;;
        esac
      done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
      resource="$(x86_64-w64-mingw32-windres -i "$file" -O rc 2>/dev/null)"
      for line in "FILEVERSION ${version//./, }" "PRODUCTVERSION ${version//./, }" \
        "VALUE \"ProductName\", \"Tellwick\"" "VALUE \"ProductVersion\", \"$version\"" \
        "VALUE \"FileVersion\", \"$version\"" "VALUE \"OriginalFilename\", \"$exe\""; do
        grep -qF "$line" <<<"$resource" || fail "$exe: the version resource lacks $line"
      done
      grep -q 'VALUE "FileDescription", "[^"]' <<<"$resource" || fail "$exe: no FileDescription"
    done
    source "$here/../../scripts/wine-session.sh"
    wine_session_start "$windows_build"
    shown="$(cd "$work/unpacked" && wine tellwick-export.exe --version </dev/null 2>/dev/null | tr -d '\r')"
    wine_session_stop
    [ "$shown" = "tellwick-export $version" ] || fail "tellwick-export.exe --version under Wine printed: $shown"
    ;;
  tarball)
    native_program="$(realpath "$4")"
    chunkgen="$(realpath "$5")"
    name="tellwick-export-$version-linux-x86_64"
    tarball="$dist/$name.tar.gz"
    need_package "$tarball"
    expect_list "$tarball" "$( (printf "$name/%s\n" "" guide-ja.md install.sh tellwick-export tellwick-export.1 \
      tellwick-export@.service; license_listed "$name/LICENSE") | sort)" "$(tar -tzf "$tarball" | sort)"
    tar -xzf "$tarball" -C "$work" || fail "tar failed"
    folder="$work/$name"
    program="$folder/tellwick-export"
    [ -x "$program" ] && [ -x "$folder/install.sh" ] || fail "tellwick-export and install.sh are not executable"
    # Static: no program interpreter, no dynamic section; stripped: no symbols.
    readelf -lW "$program" | grep -q 'INTERP' && fail "the program needs a dynamic loader"
    readelf -dW "$program" | grep -q 'NEEDED' && fail "the program needs shared libraries"
    readelf -SW "$program" | grep -q '\.symtab' && fail "the program is not stripped"
    check_manual "$folder/tellwick-export.1"
    cmp -s "$folder/tellwick-export@.service" "$here/../../resources/linux/tellwick-export@.service" ||
      fail "the service differs from resources/linux"
    "$here/static_export_test.sh" "$program" "$native_program" "$chunkgen" "$version"
    status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || fail "the packaged program does not run alone"
    ;;
  deb)
    deb="$dist/tellwick-export_${version}_amd64.deb"
    need_package "$deb"
    expect_list "$deb" "$(printf '%s\n' ./usr/bin/tellwick-export ./usr/lib/systemd/user/tellwick-export@.service \
      ./usr/share/doc/tellwick-export/guide-ja.md ./usr/share/man/man1/tellwick-export.1.gz |
      { cat; license_listed ./usr/share/doc/tellwick-export/LICENSE; } | sort)" \
      "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)"
    dpkg-deb -I "$deb" >"$work/info" || fail "dpkg-deb -I failed"
    for field in "Package: tellwick-export" "Version: $version" "Architecture: amd64"; do
      grep -qx " $field" "$work/info" || fail "the control fields lack $field"
    done
    dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x failed"
    [ "$("$work/root/usr/bin/tellwick-export" --version)" = "tellwick-export $version" ] ||
      fail "/usr/bin/tellwick-export --version"
    gzip -dc "$work/root/usr/share/man/man1/tellwick-export.1.gz" >"$work/tellwick-export.1" || fail "the manual page"
    check_manual "$work/tellwick-export.1"
    grep -qx 'ExecStart=/usr/bin/tellwick-export --watch' "$work/root/usr/lib/systemd/user/tellwick-export@.service" ||
      fail "the service does not start /usr/bin/tellwick-export"
    ;;
  *)
    echo "usage: package_test.sh zip|tarball|deb DIST VERSION ..."
    exit 2
    ;;
esac
[ "$failures" -eq 0 ] || exit 1
echo "$kind: as expected"
