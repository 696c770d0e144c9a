#!/usr/bin/env bash
# Builds everything and runs every test: the Windows tests under Wine (unit,
# end-to-end, the JVM double's own), the ARM64 launcher's end-to-end suite
# under emulated arm64 Wine, the JNI checks against OpenJDK 17 on Linux, and
# the rules natively under sanitizers with a short fuzz run. Installs what a
# fresh machine lacks first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/setup-arm64.sh >/dev/null

jobs=2
status=0

cmake --preset windows -G Ninja >/dev/null
cmake --build --preset windows -j"$jobs"
# Every suite runs once: a failure counts. Suites that share machine-wide state
# (the Java runtime registrations) take turns through CTest resource locks.
ctest --preset windows -j"$jobs" --timeout 600 || status=1

# The ARM64 suite (tests/arm64): each case runs some 5 times slower, emulated.
cmake --preset windows-arm64 -G Ninja >/dev/null
cmake --build --preset windows-arm64 -j"$jobs" --target e2e_arm64 desktop_holder
ctest --preset windows-arm64 -j"$jobs" --timeout 900 || status=1

cmake --preset jni-native -G Ninja >/dev/null
cmake --build --preset jni-native -j"$jobs"
ctest --preset jni-native -j"$jobs" --timeout 300 || status=1

# The rules natively under ASan/UBSan: their tests and a short run of every
# fuzz target (scripts/fuzz.sh runs them longer).
cmake --preset fuzz -G Ninja >/dev/null
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz -j"$jobs" --timeout 300 || status=1

exit $status
