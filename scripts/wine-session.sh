# Sourced by scripts that run the Windows build's tests: one Wine server and
# one X display for the whole run, so that ctest does not wait on the
# background processes that the first Wine program of a test would leave.
wine_session_start() {
  local build_dir="$1"
  export WINEPREFIX="$build_dir/wineprefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 TZ=Asia/Tokyo
  export WINEDLLOVERRIDES="mscoree,mshtml="
  "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" "$WINEPREFIX"
  if [ -z "${DISPLAY:-}" ]; then
    local display=":$((90 + RANDOM % 400))"
    Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    TELLWICK_XVFB_PID=$!
    export DISPLAY="$display"
    sleep 1
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_session_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [ -n "${TELLWICK_XVFB_PID:-}" ]; then
    kill "$TELLWICK_XVFB_PID" 2>/dev/null || true
    unset TELLWICK_XVFB_PID
  fi
}
