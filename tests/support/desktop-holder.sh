# Sourced by wine-setup.sh and arm64-setup.sh.
# start_desktop_holder HOLDER STATE TENTHS TAG RUNNER...: starts HOLDER (when
# given and present) through RUNNER, detached, so that it takes the run's Wine
# desktop first and keeps it, and waits up to TENTHS tenths of a second for its
# "desktop.ready" file in STATE. The first process that needs the desktop
# starts explorer.exe for it and hands it its standard error: from a test, that
# would be the test's output pipe, held open (and CTest waiting) while the
# desktop lives. The holder has no output.
start_desktop_holder() {
  local holder="$1" state="$2" tenths="$3" tag="$4"
  shift 4
  [ -n "$holder" ] && [ -f "$holder" ] || return 0
  rm -f "$state/desktop.ready"
  setsid "$@" "$holder" "Z:$(echo "$state/desktop.ready" | tr / '\\')" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 1 "$tenths"); do
    [ -f "$state/desktop.ready" ] && break
    sleep 0.1
  done
  [ -f "$state/desktop.ready" ] || echo "$tag: the desktop holder did not report" >&2
}
