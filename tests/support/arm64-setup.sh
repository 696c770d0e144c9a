#!/usr/bin/env bash
# Prepares a private arm64 Wine environment for one ARM64 test run in STATE, as
# wine-setup.sh does for x64: a prefix copied from a template, an Xvfb display
# of its own, a wineserver that stays up, and the desktop taken by a holder.
# The arm64 Wine root comes from scripts/setup-arm64.sh.
set -euo pipefail
state="$(realpath -m "$1")"
holder="${2:-}"
here="$(cd "$(dirname "$0")" && pwd)"
run="$here/../../scripts/run-arm64.sh"

"$here/arm64-teardown.sh" "$state" >/dev/null 2>&1 || true
mkdir -p "$state"
template="$state/template"
quiet() { "$@" </dev/null >/dev/null 2>&1; }

if [ ! -f "$template/.settled" ]; then
  rm -rf "$template"
  export ARM64_WINEPREFIX="$template"
  unset DISPLAY
  "$run" --init >/dev/null || { echo "arm64-setup: could not make the prefix (run scripts/setup-arm64.sh)" >&2; exit 1; }
  # A crashing program must end, not wait on a crash dialog; a virtual desktop
  # gives windows frames, as in the x64 runs.
  quiet "$run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  quiet "$run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f
  quiet "$run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f
  quiet "$run" --init
  touch "$template/.settled"
  unset ARM64_WINEPREFIX
fi
rm -rf "$state/prefix"
cp -a "$template" "$state/prefix"

"$here/xvfb-start.sh" "$state"
display=$(cat "$state/display")

export LAUNCHER_TEST_STATE="$state"
# The server must not inherit CTest's output pipe, or CTest waits for it forever.
setsid "$here/arm64-run.sh" --server </dev/null >/dev/null 2>&1 &
quiet timeout 300 "$here/arm64-run.sh" cmd /c exit || true

. "$here/desktop-holder.sh"
start_desktop_holder "$holder" "$state" 1200 arm64-setup "$here/arm64-run.sh"
echo "arm64-setup: prefix $state/prefix, display :$display"
