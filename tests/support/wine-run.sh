#!/usr/bin/env bash
# Runs a Windows program under Wine in the test run's private prefix and display.
# CMake uses it as the cross-compiling emulator; LAUNCHER_TEST_STATE names the
# folder that wine-setup.sh prepared (prefix/, display).
set -u
state="${LAUNCHER_TEST_STATE:-}"
if [ -z "$state" ] || [ ! -d "$state/prefix" ]; then
  echo "wine-run: no test Wine environment (LAUNCHER_TEST_STATE='$state'); run the wine_setup test first" >&2
  exit 125
fi
export WINEPREFIX="$state/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=":$(cat "$state/display")"
# Linux variables leak into Windows processes: keep the ones the launcher reads out.
unset JAVA_HOME JRE_HOME CLASSPATH _JAVA_OPTIONS JAVA_TOOL_OPTIONS
/usr/lib/wine/wine64 "$@"
status=$?
# A program that Wine could not start at all ends at once and says nothing
# (its messages are off): the code tells what went wrong.
[ $status -eq 0 ] || echo "wine-run: ${1##*/} ended with exit code $status" >&2
exit $status
