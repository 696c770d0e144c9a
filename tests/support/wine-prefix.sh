# Sourced by the packaging tool's Wine checks: a private prefix and display in
# "$state", made from the Windows build's prefix template when there is one (it
# saves a fresh wineboot), torn down at exit, and W to run a program there.
# Needs $bin (the Windows build's bin folder), $support and $state.
if [ -f "$bin/../wine-state/template/.ready" ]; then
  mkdir -p "$state" && cp -a "$bin/../wine-state/template" "$state/template"
fi
bash "$support/wine-setup.sh" "$state" >/dev/null
trap 'bash "$support/wine-teardown.sh" "$state"' EXIT
W() { LAUNCHER_TEST_STATE="$state" "$support/wine-run.sh" "$@"; }
