#!/usr/bin/env bash
# Stops the wineserver and Xvfb of a test run's private Wine environment.
set -u
state="$(realpath -m "$1")"
if [ -d "$state/prefix" ]; then
  WINEPREFIX="$state/prefix" /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1
  WINEPREFIX="$state/prefix" timeout 20 /usr/lib/wine/wineserver -w </dev/null >/dev/null 2>&1
fi
if [ -f "$state/xvfb.pid" ]; then
  kill "$(cat "$state/xvfb.pid")" 2>/dev/null
  rm -f "$state/xvfb.pid"
fi
exit 0
