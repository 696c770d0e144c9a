#!/usr/bin/env bash
# Starts 50 secondaries of a single-instance launcher at the same moment
# against one primary (the test-double runtime) and prints how many argument
# lists reached "secondaryMain" intact and once, and how many secondaries ended
# with their own answer (goal: 50 of 50 each). Exit code 0 when both are met.
# Not part of the test command. Installs what a fresh machine lacks first.
#
# BURST_COUNT (default 50, at most 50) sets the number of secondaries;
# BENCH_BUILD_DIR builds in another folder than the windows preset's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh >/dev/null

if [ -n "${BENCH_BUILD_DIR:-}" ]; then
  build="$BENCH_BUILD_DIR"
  cmake --preset windows -G Ninja -B "$build" >/dev/null
  cmake --build "$build" -j2 --target launcher jvm_double handover_bench
else
  build=build/windows
  cmake --preset windows -G Ninja >/dev/null
  cmake --build --preset windows -j2 --target launcher jvm_double handover_bench
fi
build="$(realpath "$build")"

# A private Wine prefix, display and warm wineserver, stopped however we end.
state="$build/burst-wine"
trap 'bash tests/support/wine-teardown.sh "$state"' EXIT
bash tests/support/wine-setup.sh "$state" >/dev/null

echo
echo "== Single-instance burst (Wine, test-double runtime, main class test.SecondaryInt)"
LAUNCHER_TEST_STATE="$state" timeout 600 \
  tests/support/wine-run.sh "$build/bin/handover_bench.exe" burst "${BURST_COUNT:-50}" </dev/null | tr -d '\r'
