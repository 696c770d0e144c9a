#!/usr/bin/env bash
# README's "Ship your application", run as printed: its sh blocks run with
# bash in a folder laid out as the section tells the reader to have it (dist/
# with the launcher, the Linux packaging tool and the example's description
# and icon; the application's jars in myapp/lib/; a Windows runtime in
# myapp/runtime/, here the test-double jvm.dll), with Wine's commands in a
# prefix and on a display of this test's own. Then the result is read back:
# the packaged executable and its .ini, the installer's tables, what the
# installed executable started and with which runtime, and the uninstall.
#   ship_check.sh <package-app> <windows bin folder> <work folder>
set -euo pipefail
tool=$(realpath "$1") bin=$(realpath -m "$2") work=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
support="$source_dir/tests/support"
if [ ! -f "$bin/launcher.exe" ] || [ ! -f "$bin/double/jvm.dll" ]; then
  echo "no Windows build at $bin: build the windows preset first"
  exit 77
fi
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$here/msi_tables.sh"
has() { grep -qF -- "$2" <<<"$1" || fail "expected \"$2\" in: $1"; }

# The section's commands, exactly as printed: every ```sh block between its
# heading and the next one.
steps=$(awk '/^## /{inside = ($0 == "## Ship your application")} inside && /^```/{block = !block && $0 == "```sh"; next}
             inside && block' "$source_dir/README.md")
for command in "dist/package-app dist/launcher.exe" "wine64 msiexec /i" "MyApp.exe" "wine64 msiexec /x"; do
  grep -qF -- "$command" <<<"$steps" || fail "README's \"Ship your application\" has no step with \"$command\": $steps"
done

rm -rf "$work" && mkdir -p "$work" && cd "$work"
state="$work/wine"
. "$support/wine-prefix.sh"
winpath() { W winepath -w "$1" 2>/dev/null | tr -d '\r'; }
hex() { printf '%s' "$1" | iconv -t UTF-16BE | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }

# What the reader has: dist/ (the files of it the section uses, as
# scripts/build.sh puts them there), the jars and a runtime.
mkdir -p reader/dist reader/myapp/lib reader/myapp/runtime/bin/server
cp "$bin/launcher.exe" "$tool" "$source_dir/examples/hello/hello.package" "$source_dir/examples/hello/hello.ico" reader/dist/
echo app >reader/myapp/lib/app.jar && echo util >reader/myapp/lib/util.jar
cp "$bin/double/jvm.dll" reader/myapp/runtime/bin/server/jvm.dll
echo j >reader/myapp/runtime/bin/java.dll && echo 'JAVA_VERSION="21.0.2"' >reader/myapp/runtime/release
printf '%s\n' "$steps" >steps.sh

echo "== README's steps, in $work/reader"
cat steps.sh
: >record.txt
# Wine's commands run in this test's prefix and on its display, as wine-run.sh
# runs them; the double records what the installed executable asked of it and
# the launcher's log says which runtime it chose.
(
  export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=":$(cat "$state/display")"
  unset JAVA_HOME JRE_HOME CLASSPATH _JAVA_OPTIONS JAVA_TOOL_OPTIONS
  export VORN_DOUBLE_RECORD="$(winpath "$work/record.txt")" VORN_LAUNCHER_LOG="$(winpath "$work/launcher.log")"
  cd reader && timeout 300 bash -euo pipefail ../steps.sh
) >output.txt 2>&1 || fail "the steps failed: $(cat output.txt)"
cat output.txt

echo "== what package-app wrote"
out=reader/out
for f in MyApp.exe MyApp.ini MyApp-1.0.0.0.msi; do [ -f "$out/$f" ] || fail "no out/$f: $(ls -A "$out")"; done
iconv -f UTF-16 "$out/MyApp.ini" | tr -d '\r' | grep -qx "Upgrade Code={8D3F5A1C-2B4E-4F6A-9C7D-1E2F3A4B5C6D}" ||
  fail "out/MyApp.ini lacks the Upgrade Code: $(iconv -f UTF-16 "$out/MyApp.ini")"
msi="$out/MyApp-1.0.0.0.msi"
for pair in MyApp.exe=. MyApp.ini=. app.jar=lib util.jar=lib jvm.dll='runtime\bin\server' java.dll='runtime\bin' release=runtime; do
  [ "$(folder_of "$msi" "${pair%%=*}")" = "${pair#*=}" ] ||
    fail "${pair%%=*} is in \"$(folder_of "$msi" "${pair%%=*}")\", not ${pair#*=}"
done
has "$(table "$msi" Directory)" "INSTALLFOLDER	ProgramFiles64Folder	My Application"
has "$(table "$msi" Shortcut)" "ProgramMenuFolder	My Application"
has "$(table "$msi" Property)" "UpgradeCode	{8D3F5A1C-2B4E-4F6A-9C7D-1E2F3A4B5C6D}"
echo "out/MyApp-1.0.0.0.msi installs MyApp.exe, MyApp.ini, lib\\app.jar, lib\\util.jar and runtime\\ into Program Files\\My Application"

echo "== what the installed executable ran"
installed='C:\Program Files\My Application'
grep -qx "main com/example/Main argc=2" record.txt || fail "no main call of com.example.Main with two arguments: $(cat record.txt)"
grep -qx "arg\[0\]=$(hex first)" record.txt && grep -qx "arg\[1\]=$(hex second)" record.txt ||
  fail "the arguments are not first and second: $(cat record.txt)"
for jar in app.jar util.jar; do
  grep -q "^option\[[0-9]*\]=-Djava.class.path=.*$(sed 's/\\/\\\\/g' <<<"$installed\\lib\\$jar")" record.txt ||
    fail "$jar of the installed lib is not on the class path: $(cat record.txt)"
done
tr -d '\r' <launcher.log | grep -qxF "chosen runtime library: $installed\\runtime\\bin\\server\\jvm.dll" ||
  fail "the installed runtime was not the one chosen: $(cat launcher.log)"
tr -d '\r' <launcher.log | grep -qx "exit code 0" || fail "the run did not end with 0: $(cat launcher.log)"
[ "$(grep -c '^main ' record.txt)" = 1 ] || fail "not one run: $(cat record.txt)"
# What the reader sees: the application's output (com.example.Main prints its arguments).
tr -d '\r' <output.txt | grep -qx first && tr -d '\r' <output.txt | grep -qx second ||
  fail "the application's output is not in the steps' output: $(cat output.txt)"
echo "com.example.Main ran with first and second on $installed\\runtime, its jars from $installed\\lib"

echo "== uninstalled"
[ ! -e "$state/prefix/drive_c/Program Files/My Application" ] ||
  fail "left behind: $(find "$state/prefix/drive_c/Program Files/My Application")"
echo "README's \"Ship your application\": passed"
