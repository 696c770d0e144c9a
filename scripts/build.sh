#!/usr/bin/env bash
# Builds the launcher for 64-bit Windows into dist/ (made afresh each time):
# launcher.exe for x64 and launcher-arm64.exe for ARM64, with the packaging
# tools and the example application beside it, and runs the example under
# Wine when dist/hello.ini's "JRE Path" names a Windows runtime. A
# dist/hello.ini the user edited is kept. Installs what a fresh machine lacks
# first.
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

# dist/ is made afresh; the example's .ini is the user's to edit (README asks
# for a "JRE Path" there), so an edited one is put back after packaging. It
# waits in build/ meanwhile, where a build that fails leaves it for the next.
kept_ini=build/hello.ini.kept
mkdir -p build
[ -f dist/hello.ini ] && cp dist/hello.ini "$kept_ini"
rm -rf dist
mkdir -p dist
cp build/windows/bin/launcher.exe build/windows/bin/package-app.exe build/windows/bin/embed-settings.exe dist/
cp build/windows-arm64/bin/launcher.exe dist/launcher-arm64.exe
cp build/jni-native/bin/package-app dist/
cp build/windows/example/hello.jar dist/
# The example's description ships in dist/ too, as the start of the reader's
# own (README's "Ship your application"); its files (icon, jar) are found beside it.
cp examples/hello/hello.package examples/hello/hello.ico dist/
dist/package-app dist/launcher.exe dist/hello.package dist/hello.exe
if [ -f "$kept_ini" ]; then
  if ! cmp -s "$kept_ini" dist/hello.ini; then
    mv dist/hello.ini dist/hello.ini.new
    cp "$kept_ini" dist/hello.ini
    echo "kept your edited dist/hello.ini; the one packaging made is dist/hello.ini.new"
  fi
  rm -f "$kept_ini"
fi
echo "built: dist/launcher.exe ($(stat -c %s dist/launcher.exe) bytes)," \
     "dist/launcher-arm64.exe ($(stat -c %s dist/launcher-arm64.exe) bytes), dist/package-app (Linux)," \
     "dist/package-app.exe, dist/embed-settings.exe"
echo "example: dist/hello.exe (packaged with its icon, version information and settings), dist/hello.ini, dist/hello.jar," \
     "and its description dist/hello.package with dist/hello.ico"
echo "installer: dist/hello-1.0.0.0.msi (install it with: /usr/lib/wine/wine64 msiexec /i dist/hello-1.0.0.0.msi)"

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
echo "running: /usr/lib/wine/wine64 hello.exe first \"second argument\" in dist/ (in a Wine prefix of its own)"
set +e
# In dist/: the example's "Output File" is relative, so its output lands there.
(cd dist && LAUNCHER_TEST_STATE="$state" timeout 120 ../tests/support/wine-run.sh hello.exe first "second argument") &
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
  *) echo "the example ended with exit code $code (low 8 bits, as Wine reports it)" ;;
esac
