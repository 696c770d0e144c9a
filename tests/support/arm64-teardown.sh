#!/usr/bin/env bash
# Stops the arm64 wineserver and Xvfb of a test run (arm64-setup.sh).
set -u
state="$(realpath -m "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
if [ -d "$state/prefix" ] && [ -f "$state/display" ]; then
  LAUNCHER_TEST_STATE="$state" timeout 60 "$here/arm64-run.sh" --kill </dev/null >/dev/null 2>&1
fi
if [ -f "$state/xvfb.pid" ]; then
  kill "$(cat "$state/xvfb.pid")" 2>/dev/null
  rm -f "$state/xvfb.pid"
fi
exit 0
