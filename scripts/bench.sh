#!/usr/bin/env bash
# Prints the launcher's benchmark figures:
#  1. start-up overhead: the median time from process start to the runtime's
#     JNI_CreateJavaVM (the test-double jvm.dll) against a bare windowed
#     program's start to its entry point, both under Wine in a private prefix
#     (goal: ratio of medians <= 1.10);
#     and the median time from process start until the splash window is
#     visible against a bare program's start until its window is visible
#     (goal: ratio of medians <= 1.15);
#     the same launcher writing its diagnostics log (VORN_LAUNCHER_LOG) is
#     timed too;
#  2. the size of launcher.exe (budget: at most 144 KB);
#  3. single-instance hand-over: a secondary's whole run (start to exit)
#     against a bare windowed program's, ratio of medians (goal: <= 1.10);
#  4. the startup cache, natively on Linux through the launcher's JNI layer
#     against the real runtimes: a small application with many classes from
#     process start until its main returned, with the cache against without
#     it, ratio of medians (goals: <= 0.95 with OpenJDK 17's archive, <= 0.80
#     with JDK 25's AOT cache, where JDK 25 is installed).
# Figures only: a missed goal is printed, not failed. Installs what a fresh
# machine lacks first.
#
# BENCH_RUNS (default 31) and BENCH_WARMUPS (default 3) set the run counts
# (CACHE_BENCH_RUNS, default 15, those of part 4);
# BENCH_BUILD_DIR builds in another folder than the windows preset's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

runs="${BENCH_RUNS:-31}"
warmups="${BENCH_WARMUPS:-3}"
if [ -n "${BENCH_BUILD_DIR:-}" ]; then
  build="$BENCH_BUILD_DIR"
  cmake --preset windows -G Ninja -B "$build" >/dev/null
  cmake --build "$build" -j2 --target launcher jvm_double startup_bench bench_bare bench_bare_windowed bench_bare_window splash_pictures handover_bench
else
  build=build/windows
  cmake --preset windows -G Ninja >/dev/null
  cmake --build --preset windows -j2 --target launcher jvm_double startup_bench bench_bare bench_bare_windowed bench_bare_window splash_pictures handover_bench
fi
build="$(realpath "$build")"

# A private Wine prefix, display and warm wineserver, stopped however we end.
state="$build/bench-wine"
trap 'bash tests/support/wine-teardown.sh "$state"' EXIT
bash tests/support/wine-setup.sh "$state" >/dev/null

echo
echo "== 1. Launcher start-up overhead (Wine, test-double runtime, main class test.Echo)"
# Other work on the machine spreads the times: say how busy it was.
echo "machine load (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
LAUNCHER_TEST_STATE="$state" timeout 900 \
  tests/support/wine-run.sh "$build/bin/startup_bench.exe" "$runs" "$warmups" </dev/null | tr -d '\r'

echo
echo "== 2. Size of launcher.exe"
exe=dist/launcher.exe
[ -f "$exe" ] || exe="$build/bin/launcher.exe"
size=$(stat -c %s "$exe")
goal=147456
verdict="met"
[ "$size" -le "$goal" ] || verdict="NOT met"
echo "$exe: $size bytes ($((size / 1024)) KB), budget $goal bytes (144 KB): $verdict"
built="$build/bin/launcher.exe"
if [ "$exe" != "$built" ] && ! cmp -s "$exe" "$built"; then
  echo "(dist/ differs from this build; just built: $built, $(stat -c %s "$built") bytes)"
fi

echo
echo "== 3. Single-instance hand-over (Wine, test-double runtime, main class test.SecondaryInt)"
LAUNCHER_TEST_STATE="$state" timeout 900 \
  tests/support/wine-run.sh "$build/bin/handover_bench.exe" time "$runs" "$warmups" </dev/null | tr -d '\r'

echo
echo "== 4. Startup cache (Linux, real runtimes, through the launcher's JNI layer; application tests/jni/java/cachetest)"
cmake --preset jni-native -G Ninja >/dev/null
cmake --build --preset jni-native -j2 --target startup_cache_bench >/dev/null
echo "machine load (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
cache_runs="${CACHE_BENCH_RUNS:-15}"
build/jni-native/tests/jni/startup_cache_bench 17 /usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so "$cache_runs"
jdk25=$(grep -m1 '^VORN_JDK25_HOME:' build/jni-native/CMakeCache.txt | cut -d= -f2-)
if [ -f "$jdk25/lib/server/libjvm.so" ]; then
  build/jni-native/tests/jni/startup_cache_bench 25 "$jdk25/lib/server/libjvm.so" "$cache_runs"
else
  echo "no JDK 25 at $jdk25: its AOT cache is not measured"
fi
