#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: natively,
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows build
# under Wine. Fails when any build or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

scripts/install-deps.sh

summary=()
run_preset() {
  local preset="$1"
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null || return 1
  cmake --build --preset "$preset" || return 1
  echo "=== $preset: tests"
  local log="build/$preset/ctest.log"
  if [ "$preset" = windows ]; then
    wine_session_start "$PWD/build/windows"
    trap wine_session_stop EXIT
  fi
  local status=0
  ctest --preset "$preset" 2>&1 | tee "$log" || status=$?
  if [ "$preset" = windows ]; then
    wine_session_stop
    trap - EXIT
  fi
  summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1 || echo 'no test ran')")
  return "$status"
}

failed=0
for preset in native native-asan windows; do
  run_preset "$preset" || { failed=1; summary+=("$preset: FAILED"); }
done

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
