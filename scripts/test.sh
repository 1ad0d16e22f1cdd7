#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: natively,
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows build
# under Wine; then makes the packages (scripts/package.sh) and checks them.
# Fails when any build or test fails.
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
  local verbose=()
  # The fuzz runs print their execution counts only when verbose.
  [ "$preset" = fuzz ] && verbose=(-V)
  # Under Wine a console or process call now and then never returns (seen
  # once in many runs, on a test that takes a second): such a test is ended
  # early and given one more run.
  [ "$preset" = windows ] && verbose=(--timeout 240 --repeat until-pass:2)
  ctest --preset "$preset" "${verbose[@]}" 2>&1 | tee "$log" | grep -v '^[0-9]*: ' || status=$?
  if [ "$preset" = windows ]; then
    wine_session_stop
    trap - EXIT
  fi
  summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1 || echo 'no test ran')")
  if [ "$preset" = fuzz ]; then
    summary+=("  executions: $(grep -E 'Test command|stat::number_of_executed_units' "$log" |
      sed -E 's|.*/([a-z_]+)_fuzz .*|\1|; s|.*number_of_executed_units: *||' | paste -sd' ' - | sed -E 's/([a-z_]+) ([0-9]+)/\1=\2/g')")
  fi
  return "$status"
}

# The packages players download, made from the native and Windows builds
# above, and checked as a player gets them.
run_packages() {
  echo "=== packages: make and check"
  scripts/package.sh || return 1
  local log="build/native/package-ctest.log"
  local status=0
  TELLWICK_PACKAGES_REQUIRED=1 ctest --test-dir build/native -L package --output-on-failure 2>&1 | tee "$log" ||
    status=$?
  summary+=("packages: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1 || echo 'no test ran')")
  return "$status"
}

failed=0
for preset in native native-asan windows fuzz; do
  run_preset "$preset" || { failed=1; summary+=("$preset: FAILED"); }
done
run_packages || { failed=1; summary+=("packages: FAILED"); }

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
