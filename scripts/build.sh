#!/usr/bin/env bash
# Builds the launcher for 64-bit Windows into dist/ (launcher.exe for x64,
# launcher-arm64.exe for ARM64), with the example application beside it, and
# runs the example under Wine. Installs what a fresh machine lacks first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/setup-arm64.sh >/dev/null

cmake --preset windows -G Ninja >/dev/null
cmake --build --preset windows -j2 --target launcher package-app embed-settings example
# The packaging tool also runs natively: the example is packaged without Wine.
cmake --preset jni-native -G Ninja >/dev/null
cmake --build --preset jni-native -j2 --target package-app
# The same launcher for ARM64, built with zig.
cmake --preset windows-arm64 -G Ninja >/dev/null
cmake --build --preset windows-arm64 -j2 --target launcher

rm -rf dist
mkdir -p dist
cp build/windows/bin/launcher.exe build/windows/bin/package-app.exe build/windows/bin/embed-settings.exe dist/
cp build/windows-arm64/bin/launcher.exe dist/launcher-arm64.exe
cp build/jni-native/bin/package-app dist/
cp build/windows/example/hello.jar dist/
# The description's files (icon, jar) are found beside it.
stage=build/example-package
rm -rf "$stage" && mkdir -p "$stage"
cp examples/hello/hello.package examples/hello/hello.ico dist/hello.jar "$stage/"
dist/package-app dist/launcher.exe "$stage/hello.package" dist/hello.exe
echo "built: dist/launcher.exe ($(stat -c %s dist/launcher.exe) bytes)," \
     "dist/launcher-arm64.exe ($(stat -c %s dist/launcher-arm64.exe) bytes), dist/package-app (Linux)," \
     "dist/package-app.exe, dist/embed-settings.exe"
echo "example: dist/hello.exe (packaged with its icon, version information and settings), dist/hello.ini, dist/hello.jar"
echo "installer: dist/hello-1.0.0.0.msi (install it with: wine64 msiexec /i dist/hello-1.0.0.0.msi)"

# Run the example in a private Wine prefix and display of its own.
state="$PWD/build/example-wine"
bash tests/support/wine-setup.sh "$state" >/dev/null
trap 'bash tests/support/wine-teardown.sh "$state"' EXIT
# Without a runtime the launcher would wait in its "JRE Not Found" dialog on a
# display nobody sees: run the example only when "JRE Path" holds a jvm.dll.
jre=$(iconv -f UTF-16 -t UTF-8 dist/hello.ini | tr -d '\r' | sed -n 's/^JRE Path=//p' | head -n 1)
jre_unix=""
[ -n "$jre" ] && jre_unix=$(LAUNCHER_TEST_STATE="$state" tests/support/wine-run.sh winepath -u "$jre" 2>/dev/null | tr -d '\r')
if ! ls "${jre_unix:-/nonexistent}"/bin/*/jvm.dll >/dev/null 2>&1; then
  echo "not running the example: no usable Windows Java runtime in this Wine prefix, so the launcher would" \
       "ask for one in its \"JRE Not Found\" dialog. Point \"JRE Path\" in dist/hello.ini at a 64-bit Windows" \
       "runtime folder (see README)."
  exit 0
fi
echo "running: wine64 dist/hello.exe first \"second argument\""
set +e
LAUNCHER_TEST_STATE="$state" timeout 120 tests/support/wine-run.sh dist/hello.exe first "second argument" &
runner=$!
wait $runner
code=$?
set -e
if [ -f dist/hello-output.txt ]; then
  echo "--- dist/hello-output.txt (the application's standard output)"
  cat dist/hello-output.txt
fi
case $code in
  0) echo "the example ran and ended with exit code 0" ;;
  255) echo "the launcher ended with -1 (0xFFFFFFFF): no usable Windows Java runtime in this Wine prefix." \
            "Point \"JRE Path\" in dist/hello.ini at a 64-bit Windows runtime folder (see README)." ;;
  *) echo "the example ended with exit code $code (low 8 bits, as wine64 reports it)" ;;
esac
