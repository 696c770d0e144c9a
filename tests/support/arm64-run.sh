#!/usr/bin/env bash
# Runs a Windows ARM64 program under emulated arm64 Wine in the test run's
# private prefix and display (arm64-setup.sh), through scripts/run-arm64.sh.
# CMake uses it as the cross-compiling emulator of the ARM64 build.
set -u
state="${LAUNCHER_TEST_STATE:-}"
if [ -z "$state" ] || [ ! -d "$state/prefix" ]; then
  echo "arm64-run: no test Wine environment (LAUNCHER_TEST_STATE='$state'); run the wine_setup test first" >&2
  exit 125
fi
here="$(cd "$(dirname "$0")" && pwd)"
export ARM64_WINEPREFIX="$state/prefix"
export DISPLAY=":$(cat "$state/display")"
# What the test programs read of the environment; Linux's own variables stay outside.
export ARM64_PASSENV="LAUNCHER_TEST_STATE LAUNCHER_TEST_BIN ${ARM64_PASSENV:-}"
exec "$here/../../scripts/run-arm64.sh" "$@"
