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
# Wine now and then loses a new process while it starts it, under load: the
# process ends at once with an error code (exit code 1 seen, after 0.04 to
# 0.16 s) before any of its own code has run, and says nothing, since Wine's
# messages are off (several of ntdll's start-up failures end with exit(1)
# after an error message). A GoogleTest program (WINE_RUN_EXPECTS_OUTPUT=1, set for
# every suite) prints before its first test, so when one ends with an error
# and printed nothing, Wine did not start it: it is started once more, and
# this says so. A program that printed anything is never run twice.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
run() {
  /usr/lib/wine/wine64 "$@" | tee "$out"
  return "${PIPESTATUS[0]}"
}
run "$@"
status=$?
if [ $status -ne 0 ] && [ "${WINE_RUN_EXPECTS_OUTPUT:-}" = 1 ] && [ ! -s "$out" ]; then
  echo "wine-run: ${1##*/} ended with exit code $status before it printed anything: Wine did not start it;" \
       "starting it once more" >&2
  run "$@"
  status=$?
fi
[ $status -eq 0 ] || echo "wine-run: ${1##*/} ended with exit code $status" >&2
exit $status
