#!/usr/bin/env bash
# Packages the real launcher with an [Installer] section on Linux and reads the
# Windows Installer package back with msiinfo; then the failures: a missing
# file, no wixl, a failing wixl.
#   installer_check.sh <package-app> <launcher.exe> <work folder>
set -euo pipefail
tool=$(realpath "$1") launcher=$(realpath -m "$2") work=$3
if [ ! -f "$launcher" ]; then
  echo "no Windows build at $launcher: build the windows preset first"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work/src/lib" "$work/src/jre/bin/server" "$work/out" && cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$(cd "$(dirname "$0")" && pwd)/msi_tables.sh"
has() { grep -qF -- "$2" <<<"$1" || fail "expected \"$2\" in: $1"; }

echo a >src/lib/a.jar && echo b >src/lib/b.jar && echo x >src/lib/notes.txt && echo j >src/jre/bin/server/jvm.dll
cat >src/app.package <<'DESC'
[Package]
Upgrade Code = {4F0A1E7C-3B2D-4C59-9E61-7A8B9C0D1E2F}
Console = companion
[Version]
File Version = 3.4.5.6
Product Version = 3.4.0.0
Product Name = Installer Check
Company Name = Check Company
[Embedded: Java Runtime Environment]
Main Class = test.Echo
[Ini: Product Information]
Product Name = Installer Check
Product Code = {1C2D3E4F-5A6B-4C7D-8E9F-0A1B2C3D4E5F}
[Installer]
Files = lib\*.jar; jre
Desktop Shortcut = yes
File Types = .ichk = Check document
DESC
"$tool" "$launcher" src/app.package out/Check.exe
msi=out/Check-3.4.0.0.msi
[ -f "$msi" ] || fail "no $msi"
[ -z "$(ls -A out | grep -E "\.wxs$|^\.installer-")" ] || fail "the WiX source or a partial package was left behind"

# The .ini it makes carries the key of the embedded settings.
iconv -f UTF-16 out/Check.ini | grep -q "^Upgrade Code={4F0A1E7C-3B2D-4C59-9E61-7A8B9C0D1E2F}" || fail "no Upgrade Code in Check.ini"
# --help is the description's reference, --version names the tool.
# (Read from a file: grep -q ends at the match, and the tool's later lines would meet a closed pipe.)
"$tool" --help >help.txt && grep -qF "  Open With = " help.txt || fail "--help lacks [Installer]'s keys"
"$tool" --version | grep -qx "package-app [0-9.]*" || fail "--version: $("$tool" --version)"

files=$(table "$msi" File)
for name in Check.exe Check.ini Check.com a.jar b.jar jvm.dll; do has "$files" "	$name	"; done
grep -qF notes.txt <<<"$files" && fail "lib\\*.jar installed notes.txt"
directories=$(table "$msi" Directory)
has "$directories" "INSTALLFOLDER	ProgramFiles64Folder	Installer Check"
has "$directories" "server"
shortcuts=$(table "$msi" Shortcut)
has "$shortcuts" "ProgramMenuFolder	Installer Check"
has "$shortcuts" "DesktopFolder	Installer Check"
registry=$(table "$msi" Registry)
has "$registry" "2	Software\\Classes\\.ichk		Check.ichk"
has "$registry" "2	Software\\Classes\\Check.ichk		Check document"
has "$registry" "2	Software\\Classes\\Check.ichk\\shell\\open\\command		\"[#F0]\" \"%1\""
upgrade=$(table "$msi" Upgrade)
has "$upgrade" "{4F0A1E7C-3B2D-4C59-9E61-7A8B9C0D1E2F}		3.4.0.0"
has "$upgrade" "WIX_DOWNGRADE_DETECTED"
has "$(table "$msi" LaunchCondition)" "NOT WIX_DOWNGRADE_DETECTED	A newer version of [ProductName] is already installed."
properties=$(table "$msi" Property)
has "$properties" "ProductVersion	3.4.0.0"
has "$properties" "UpgradeCode	{4F0A1E7C-3B2D-4C59-9E61-7A8B9C0D1E2F}"
has "$properties" "Manufacturer	Check Company"
has "$properties" "ALLUSERS	1"
# A new product code for every build.
code() { table "$1" Property | sed -n 's/^ProductCode\t//p'; }
first=$(code "$msi")
"$tool" "$launcher" src/app.package out/Check.exe
[ "$(code "$msi")" != "$first" ] || fail "the product code stayed $first"

# "SOURCE -> FOLDER" and a bundled runtime ([Package] Runtime): each file in
# the folder the File, Component and Directory tables give it (folder_of).
mkdir -p src/build/libs src/build/image src/build/runtime/bin/server
echo c >src/build/libs/c.jar && echo r >src/build/image/readme.txt
cp "$launcher" src/build/runtime/bin/server/jvm.dll  # an x64 image, as the launcher is
echo j >src/build/runtime/bin/java.dll && echo 'JAVA_VERSION="21.0.2"' >src/build/runtime/release
sed -e 's/^Files = .*/Files = build\/libs\/*.jar -> lib\\ext; build\/image -> ./' \
    -e 's/^Console = .*/Runtime = build\/runtime/' -e 's/^Main Class = .*/&\nMinimum Version = 17/' \
    src/app.package >src/targets.package
"$tool" "$launcher" src/targets.package out/Targets.exe
msi=out/Targets-3.4.0.0.msi
for pair in c.jar=lib\\ext readme.txt=. jvm.dll='runtime\bin\server' java.dll='runtime\bin' release=runtime Targets.exe=.; do
  [ "$(folder_of "$msi" "${pair%%=*}")" = "${pair#*=}" ] ||
    fail "${pair%%=*} installed in \"$(folder_of "$msi" "${pair%%=*}")\", not ${pair#*=}"
done
# Texts arrive as written: a "$(...)" in the build's folders reaches no
# preprocessor, markup characters stay; --keep-wxs keeps the WiX source beside
# the package, and without it a user's own file of that name stays untouched.
secret="src/\$(env.PROBE_SECRET)"
mkdir -p "$secret/lib" && echo a >"$secret/lib/a.jar"
sed -e 's/^Product Name = .*/Product Name = Check \& <Co> "Q"/' -e 's/^Files = .*/Files = lib\\*.jar/' \
  -e 's/^Company Name = .*/Company Name = O'"'"'Brien \& [Sons]/' src/app.package >"$secret/app.package"
echo "a user's own" >out/Literal-3.4.0.0.wxs
PROBE_SECRET=leaked "$tool" "$launcher" "$secret/app.package" out/Literal.exe
properties=$(table out/Literal-3.4.0.0.msi Property)
has "$properties" "ProductName	Check & <Co> \"Q\""
has "$properties" "Manufacturer	O'Brien & [Sons]"
has "$(table out/Literal-3.4.0.0.msi File)" "	a.jar	"
[ "$(cat out/Literal-3.4.0.0.wxs)" = "a user's own" ] || fail "the user's .wxs was replaced"
PROBE_SECRET=leaked "$tool" "$launcher" "$secret/app.package" out/Literal.exe --keep-wxs
grep -qF 'Name="Check &amp; &lt;Co&gt; &quot;Q&quot;"' out/Literal-3.4.0.0.wxs || fail "no WiX source kept"
for t in $(msiinfo tables out/Literal-3.4.0.0.msi); do
  ! msiinfo export out/Literal-3.4.0.0.msi "$t" 2>/dev/null | grep -qa leaked || fail "the build's environment leaked into $t"
done

# Refused before anything is written: a name wixl would expand or lose, a
# link out of a listed folder, a package that would replace a listed file.
refused() {  # <description> <output> <expected message>
  set +e
  message=$("$tool" "$launcher" "$1" "$2" 2>&1); code=$?
  set -e
  [ $code -eq 2 ] || fail "$1 gave exit $code: $message"
  has "$message" "$3"
}
before=$(ls -A out) here=$(pwd -P)
sed 's/^Product Name = .*/Product Name = \xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82/' src/app.package >src/cyrillic.package
refused src/cyrillic.package out/Cyrillic.exe "cyrillic.package:7: \"Product Name\" holds \"$(printf '\xd0\x9f')\": the installer's build tool (wixl) keeps only ASCII text"
sed 's/^Product Name = .*/Product Name = Leak $(env.PROBE_SECRET) Name/' src/app.package >src/leak.package
refused src/leak.package out/Leak.exe "leak.package:7: \"Product Name\" holds \"\$\""
ln -s /etc/hostname src/lib/host.jar
refused src/app.package out/Link.exe "app.package:15: $here/src/lib/host.jar is a link to /etc/hostname, outside the listed folder $here/src/lib"
rm src/lib/host.jar
touch 'src/lib/x$y.jar'
refused src/app.package out/Dollar.exe "app.package:15: $here/src/lib/x\$y.jar: the name holds \"\$\""
rm 'src/lib/x$y.jar'
# An output named like a device, with or without an extension, in any case.
for name in CON.exe con Lpt1.txt.exe nul.EXE com9.exe; do
  refused src/app.package "out/$name" "out/$name: the output's name is the name of a device on Windows"
done
# Two outputs at one path: the package, the .ini or the companion over the executable.
for name in Same.exe SAME.ini same.com; do
  { cat src/app.package; echo "File = $name"; } >src/same.package
  refused src/same.package out/Same.exe "out/$name: the installer package (\"File\" in [Installer]) would replace"
done
refused src/app.package out/Same.ini "out/Same.ini: the .ini would replace the executable"
{ cat src/app.package; echo "File = Same.wxs"; } >src/same.package
set +e; "$tool" "$launcher" src/same.package out/Same.exe --keep-wxs >/dev/null 2>&1; code=$?; set -e
[ $code -eq 2 ] || fail "a package named like the kept WiX source gave exit $code"
[ "$(ls -A out)" = "$before" ] || fail "a refused description left $(ls -A out)"
sed 's/^Files = .*/Files = *.jar\nFile = a.jar/' src/app.package >src/lib/over.package
cp src/lib/a.jar a.jar.before
refused src/lib/over.package src/lib/Over.exe "over.package:15: \"Files\" lists $here/src/lib/a.jar, which is also an output"
cmp -s src/lib/a.jar a.jar.before && [ ! -e src/lib/Over.exe ] || fail "the listed jar was replaced"

# A missing file: the description's line, exit 2, nothing written.
sed 's/^Files = .*/Files = lib\\*.jar; missing.jar/' src/app.package >src/missing.package
set +e
message=$("$tool" "$launcher" src/missing.package out/Missing.exe 2>&1); code=$?
set -e
[ $code -eq 2 ] || fail "a missing file gave exit $code"
has "$message" "missing.package:15: \"Files\" names \"missing.jar\", but there is no such file or folder"
[ -z "$(ls out | grep Missing)" ] || fail "a missing file left $(ls out | grep Missing)"

# A description named like the kept WiX source would be lost with it.
cp src/app.package src/Same-3.4.0.0.wxs
set +e
message=$("$tool" "$launcher" src/Same-3.4.0.0.wxs src/Same.exe --keep-wxs 2>&1); code=$?
set -e
[ $code -eq 2 ] && [ -f src/Same-3.4.0.0.wxs ] || fail "the description named like the WiX source gave exit $code"
has "$message" "Same-3.4.0.0.wxs: the package description is also an output"

# No wixl on PATH, and a wixl that fails or crashes: exit 2, its words, nothing written.
mkdir -p nowixl badwixl
printf '#!/bin/sh\necho "wixl: something is wrong" >&2\ntouch "$4"\nexit 1\n' >badwixl/wixl && chmod +x badwixl/wixl
mkdir -p crashwixl && printf '#!/bin/sh\necho "wixl: halfway"\nkill -TRAP $$\n' >crashwixl/wixl && chmod +x crashwixl/wixl
set +e
message=$(PATH="$work/nowixl" "$tool" "$launcher" src/app.package out/NoWixl.exe 2>&1); code=$?
set -e
[ $code -eq 2 ] || fail "a missing wixl gave exit $code"
has "$message" "wixl was not found on PATH"
set +e
message=$(PATH="$work/badwixl:$PATH" "$tool" "$launcher" src/app.package out/BadWixl.exe 2>&1); code=$?
set -e
[ $code -eq 2 ] || fail "a failing wixl gave exit $code"
has "$message" "wixl: something is wrong"
has "$message" "wixl failed (exit code 1); no installer was written. wixl said:
wixl: something is wrong"
set +e
message=$(PATH="$work/crashwixl:$PATH" "$tool" "$launcher" src/app.package out/CrashWixl.exe 2>&1); code=$?
set -e
[ $code -eq 2 ] || fail "a crashing wixl gave exit $code"
has "$message" "wixl failed (stopped by signal 5); no installer was written. wixl said:
wixl: halfway"
[ -z "$(ls -A out | grep -E "NoWixl|BadWixl|CrashWixl|^\.installer-")" ] || fail "left behind: $(ls -A out)"
# A run ended by SIGINT, SIGTERM or SIGHUP while wixl works ends wixl and
# removes its private folder; one ended by SIGKILL leaves the folder, and the
# next run beside it removes it.
mkdir -p stuckwixl
printf '#!/bin/sh\necho $$ >"$STUCK_PID.tmp" && mv "$STUCK_PID.tmp" "$STUCK_PID"\nexec sleep 60\n' >stuckwixl/wixl
chmod +x stuckwixl/wixl
stuck() {  # <signal>: a run sent the signal once wixl works; its wait status in $status
  rm -f stuck.pid
  set -m  # a job of its own, which SIGINT reaches
  STUCK_PID=$work/stuck.pid PATH="$work/stuckwixl:$PATH" "$tool" "$launcher" src/app.package out/Stuck.exe 2>/dev/null &
  run=$!
  set +m
  for _ in $(seq 200); do [ -s stuck.pid ] && break; sleep 0.1; done
  [ -s stuck.pid ] || fail "the stuck wixl did not start"
  ls -A out | grep -q "^\.installer-$run-" || fail "no private folder while wixl works: $(ls -A out)"
  kill -"$1" $run
  set +e; wait $run; status=$?; set -e
}
for signal in INT TERM HUP; do
  stuck $signal
  [ $status -eq $((128 + $(kill -l $signal))) ] || fail "SIG$signal ended the run with status $status"
  ! kill -0 "$(cat stuck.pid)" 2>/dev/null || fail "wixl outlived the run ended by SIG$signal"
  [ -z "$(ls -A out | grep -E "^\.installer-|Stuck")" ] || fail "SIG$signal left $(ls -A out)"
done
stuck KILL
kill "$(cat stuck.pid)"
ls -A out | grep -q "^\.installer-$run-" || fail "SIGKILL left no folder: $(ls -A out)"
"$tool" "$launcher" src/app.package out/Check.exe
[ -z "$(ls -A out | grep "^\.installer-")" ] || fail "the next run did not remove the folder SIGKILL left"
echo "installer check: passed"
