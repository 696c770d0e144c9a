#!/usr/bin/env bash
# Prepares a private Wine environment for one test run in STATE (an empty or
# earlier state folder): a Wine prefix copied from a cached template, a private
# Xvfb display and a persistent, warmed-up wineserver.
set -euo pipefail
state="$(realpath -m "$1")"
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
here="$(cd "$(dirname "$0")" && pwd)"

"$here/wine-teardown.sh" "$state" >/dev/null 2>&1 || true
mkdir -p "$state"
template="$state/template"

quiet() { "$@" </dev/null >/dev/null 2>&1; }

if [ ! -f "$template/.ready" ]; then
  rm -rf "$template"
  mkdir -p "$template"
  export WINEPREFIX="$template" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  quiet "$wine" wineboot --init || true
  # A crashing program must end, not wait on a crash dialog.
  quiet "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # A virtual desktop gives windows frames, so screenshots look like Windows.
  quiet "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f
  quiet "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f
  quiet "$server" -k || true
  quiet "$server" -w || true
  touch "$template/.ready"
fi

rm -rf "$state/prefix"
cp -a "$template" "$state/prefix"
# A second drive letter for drive C's folder, as SUBST makes one: programs
# started through it are reported under C:.
ln -sfn ../drive_c "$state/prefix/dosdevices/y:"

"$here/xvfb-start.sh" "$state"
display=$(cat "$state/display")

export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=":$display"
# The persistent server must start before any Wine process; its services must not
# inherit CTest's output pipe, or CTest waits for them forever.
setsid "$server" -p </dev/null >/dev/null 2>&1 &
sleep 0.2
quiet timeout 120 "$wine" cmd /c exit || true

# A holder with no output takes the desktop first (desktop-holder.sh).
. "$here/desktop-holder.sh"
start_desktop_holder "${2:-}" "$state" 600 wine-setup "$wine"
echo "wine-setup: prefix $WINEPREFIX, display :$display"
