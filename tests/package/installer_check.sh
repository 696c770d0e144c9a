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
table() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
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
[ ! -e out/Check.wxs ] && [ -z "$(ls -A out | grep "^\.installer-")" ] || fail "the WiX source or a partial package was left behind"

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

# A missing file: the description's line, exit 2, nothing written.
sed 's/^Files = .*/Files = lib\\*.jar; missing.jar/' src/app.package >src/missing.package
set +e
message=$("$tool" "$launcher" src/missing.package out/Missing.exe 2>&1); code=$?
set -e
[ $code -eq 2 ] || fail "a missing file gave exit $code"
has "$message" "missing.package:15: \"Files\" names \"missing.jar\", but there is no such file or folder"
[ -z "$(ls out | grep Missing)" ] || fail "a missing file left $(ls out | grep Missing)"

# A description named like the WiX source would be lost with it.
cp src/app.package src/Same.wxs
set +e
message=$("$tool" "$launcher" src/Same.wxs src/Same.exe 2>&1); code=$?
set -e
[ $code -eq 2 ] && [ -f src/Same.wxs ] || fail "the description named like the WiX source gave exit $code"
has "$message" "Same.wxs: the package description is also an output"

# No wixl on PATH, and a wixl that fails: exit 2 and no package.
mkdir -p nowixl badwixl
printf '#!/bin/sh\necho "wixl: something is wrong" >&2\ntouch "$4"\nexit 1\n' >badwixl/wixl && chmod +x badwixl/wixl
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
has "$message" "wixl failed"
[ -z "$(ls -A out | grep -E "(NoWixl|BadWixl).*\.(msi|wxs)|^\.installer-")" ] || fail "left behind: $(ls -A out)"
echo "installer check: passed"
