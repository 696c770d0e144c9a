#!/usr/bin/env bash
# Starts a private Xvfb display for a test run in STATE: its number goes to
# STATE/display, its process id to STATE/xvfb.pid (the teardown scripts end it).
# Xvfb picks a free display itself and writes its number to fd 3.
set -eu
state="$1"
rm -f "$state/display"
setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display" </dev/null >/dev/null 2>&1 &
echo $! >"$state/xvfb.pid"
for _ in $(seq 1 100); do
  [ -s "$state/display" ] && break
  sleep 0.1
done
[ -s "$state/display" ] || { echo "xvfb-start: Xvfb did not start" >&2; exit 1; }
display=$(tr -d '\n ' <"$state/display"); echo "$display" >"$state/display"
