#!/usr/bin/env bash
# The installer end to end under Wine, in a Wine prefix of its own: install,
# run, open documents (with a second one handed to the running application),
# upgrade in place, refuse a downgrade, uninstall; then a per-user install.
#   installer_wine_check.sh <package-app> <windows bin folder> <work folder>
set -euo pipefail
tool=$(realpath "$1") bin=$(realpath -m "$2") work=$(realpath -m "$3")
support=$(cd "$(dirname "$0")/../support" && pwd)
if [ ! -f "$bin/launcher.exe" ] || [ ! -f "$bin/double/jvm.dll" ]; then
  echo "no Windows build at $bin: build the windows preset first"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work"
state="$work/wine"
. "$support/wine-prefix.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
winpath() { W winepath -w "$1" 2>/dev/null | tr -d '\r'; }
hex() { printf '%s' "$1" | iconv -t UTF-16BE | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }
# Waits up to two minutes for a line in a file.
await() {
  for _ in $(seq 1 600); do
    grep -qF -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  fail "no \"$2\" in $1: $(cat "$1" 2>/dev/null)"
}
msiexec() { W msiexec "$@" /qn; }
C="$state/prefix/drive_c"
uninstall_entries() {
  W reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    grep -c "DisplayName    REG_SZ    $1\$" || true
}
key_exists() { W reg query "$1" >/dev/null 2>&1; }

product="Installer Wine Check" upgrade="{6A7B8C9D-0E1F-4A2B-8C3D-4E5F6A7B8C9D}" types=".iwchk = Wine check document"
extra="Open With = .txt"
folder="$C/Program Files/$product"
# The runtime ships with the application ([Package] Runtime, installed as runtime\).
mkdir -p src/lib src/rt/bin/server
cp "$bin/double/jvm.dll" src/rt/bin/server/jvm.dll
echo j >src/rt/bin/java.dll && echo 'JAVA_VERSION="21.0.2"' >src/rt/release
echo a1 >src/lib/a.jar
output=$(winpath "$work/output.txt")
package() {  # <version> <output folder>; $product, $upgrade, $types and $extra fill the description
  cat >src/app.package <<DESC
[Package]
Upgrade Code = $upgrade
Runtime = rt
[Version]
File Version = $1
Product Name = $product
Company Name = Check Company
[Embedded: Application]
Single Instance = yes
Output File = $output
[Embedded: Java Runtime Environment]
Main Class = test/SecondaryVoid
[Embedded: Class Path]
Class Path = lib\\*.jar
[Ini: Product Information]
Product Name = $product
Product Code = {0B1C2D3E-4F5A-4B6C-9D7E-8F9A0B1C2D3E}
[Installer]
Files = lib\\*.jar
File Types = $types
$extra
DESC
  mkdir -p "$2" && "$tool" "$bin/launcher.exe" src/app.package "$2/App.exe"
}
package 1.0.0.0 v1
echo a2 >src/lib/a.jar
package 1.1.0.0 v2

# A runtime the user picked by hand, remembered per user: the file survives
# upgrades and uninstalls. (An elevated start, as every one under Wine, does
# not read it: the bundled runtime\ is the one that runs.)
appdata=$(W cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
peruser="$(W winepath -u "$appdata" 2>/dev/null | tr -d '\r')/$product/{0B1C2D3E-4F5A-4B6C-9D7E-8F9A0B1C2D3E}/App.ini"
mkdir -p "$(dirname "$peruser")"
printf '[Java Runtime Environment]\r\nJRE Path=C:\\Program Files\\%s\\runtime\r\n' "$product" >"$peruser"

# A type the application is only offered for keeps its owner through install and uninstall.
default_of() { W reg query "$1" /ve 2>/dev/null | tr -d '\r' | grep -F "(Default)" || echo "no default"; }
W reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f >/dev/null 2>&1 || fail "cannot set .txt's owner"
txt_before=$(default_of 'HKLM\Software\Classes\.txt')
echo ".txt before: $txt_before"

echo "== install 1.0.0.0"
msiexec /i "$(winpath v1/App-1.0.0.0.msi)" || fail "the install failed"
[ "$(default_of 'HKLM\Software\Classes\.txt')" = "$txt_before" ] || fail ".txt changed owner: $(default_of 'HKLM\Software\Classes\.txt')"
W reg query 'HKLM\Software\Classes\.txt\OpenWithProgids' /v App.txt >/dev/null 2>&1 || fail "not offered for .txt"
W reg query 'HKLM\Software\Classes\App.txt\shell\open\command' >/dev/null 2>&1 || fail "no open command for .txt"
for f in App.exe App.ini lib/a.jar runtime/bin/server/jvm.dll runtime/bin/java.dll runtime/release; do [ -f "$folder/$f" ] || fail "not installed: $f"; done
(cd "$C" && find "Program Files/$product" -type f)
[ "$(cat "$folder/lib/a.jar")" = a1 ] || fail "lib/a.jar is not the first version's"
shortcut=$(find "$C" -name "$product.lnk" | head -n 1)
[ -n "$shortcut" ] && echo "shortcut: ${shortcut#$C/}" || fail "no Start menu shortcut"
[ "$(uninstall_entries "$product")" = 1 ] || fail "not one uninstall entry"
W reg query 'HKLM\Software\Classes\App.iwchk\shell\open\command' | tr -d '\r' | grep -F "\"C:\\Program Files\\$product\\App.exe\" \"%1\"" ||
  fail "no open command for .iwchk"

echo "== the installed executable runs the application"
: >record.txt
VORN_DOUBLE_RECORD=$(winpath "$work/record.txt") VORN_DOUBLE_LINGER_MS=100 W "C:\\Program Files\\$product\\App.exe" plain ||
  fail "the installed executable failed: $(cat record.txt)"
grep -qx "main test/SecondaryVoid argc=1" record.txt || fail "no main call: $(cat record.txt)"

echo "== documents open in the application; a second one reaches the running one"
: >record.txt && : >output.txt && echo one >doc1.iwchk && echo two >doc2.iwchk
export VORN_DOUBLE_RECORD=$(winpath "$work/record.txt") VORN_DOUBLE_LINGER_MS=20000
W start /unix "$work/doc1.iwchk"
await record.txt "arg[0]=$(hex "$(winpath "$work/doc1.iwchk")")"
await output.txt "primary started"
W start /unix "$work/doc2.iwchk"
await output.txt "secondaryMain $(winpath "$work/doc2.iwchk")"
await output.txt "primary done"
cat output.txt
[ "$(grep -c '^main ' record.txt)" = 1 ] || fail "more than one primary: $(cat record.txt)"
unset VORN_DOUBLE_RECORD VORN_DOUBLE_LINGER_MS

echo "== upgrade to 1.1.0.0"
msiexec /i "$(winpath v2/App-1.1.0.0.msi)" || fail "the upgrade failed"
[ "$(cat "$folder/lib/a.jar")" = a2 ] || fail "lib/a.jar was not replaced"
[ "$(uninstall_entries "$product")" = 1 ] || fail "not one uninstall entry after the upgrade"
echo "lib/a.jar holds $(cat "$folder/lib/a.jar"); one uninstall entry"
W reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' | grep -q "DisplayVersion    REG_SZ    1.1.0" ||
  fail "the entry is not the new version's"
[ -f "$peruser" ] || fail "the upgrade removed the per-user settings"
: >record.txt
VORN_DOUBLE_RECORD=$(winpath "$work/record.txt") VORN_DOUBLE_LINGER_MS=100 W "C:\\Program Files\\$product\\App.exe" ||
  fail "the upgraded executable failed"
grep -qx "main test/SecondaryVoid argc=0" record.txt || fail "the upgraded executable ran no application"

echo "== the older version is refused"
set +e
msiexec /i "$(winpath v1/App-1.0.0.0.msi)" /l*v "$(winpath "$work/downgrade.log")"; code=$?
set -e
[ $code -ne 0 ] || fail "the downgrade was installed"
# Wine's log names the check that refused it, not its message (installer_check.sh reads that).
grep -q "Property(S): WIX_DOWNGRADE_DETECTED = {" downgrade.log && grep -q "LaunchConditions. Return value 0" downgrade.log ||
  fail "not refused as a downgrade: $(cat downgrade.log)"
[ "$(cat "$folder/lib/a.jar")" = a2 ] || fail "the downgrade replaced files"

echo "== uninstall"
msiexec /x "$(winpath v2/App-1.1.0.0.msi)" || fail "the uninstall failed"
[ ! -e "$folder" ] || fail "left behind: $(find "$folder")"
[ ! -e "$shortcut" ] || fail "the shortcut was left behind"
[ "$(uninstall_entries "$product")" = 0 ] || fail "the uninstall entry was left behind"
! key_exists 'HKLM\Software\Classes\.iwchk' && ! key_exists 'HKLM\Software\Classes\App.iwchk' ||
  fail "the document type was left behind"
[ "$(default_of 'HKLM\Software\Classes\.txt')" = "$txt_before" ] || fail ".txt lost its owner: $(default_of 'HKLM\Software\Classes\.txt')"
! W reg query 'HKLM\Software\Classes\.txt\OpenWithProgids' /v App.txt >/dev/null 2>&1 && ! key_exists 'HKLM\Software\Classes\App.txt' ||
  fail "the offer for .txt was left behind"
echo ".txt after: $(default_of 'HKLM\Software\Classes\.txt')"
[ -f "$peruser" ] || fail "the uninstall removed the per-user settings"
echo "left: ${peruser#$C/}"

echo "== a per-user install touches no machine-wide state"
product="Installer Wine Check User" upgrade="{7B8C9D0E-1F2A-4B3C-9D4E-5F6A7B8C9D0E}" types=".iwusr = User document"
extra="Scope = user"
package 1.0.0.0 user
msiexec /i "$(winpath user/App-1.0.0.0.msi)" || fail "the per-user install failed"
local_programs="$(W winepath -u "$(W cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')" 2>/dev/null | tr -d '\r')/Programs"
[ -f "$local_programs/$product/App.exe" ] || fail "not installed under $local_programs"
key_exists 'HKCU\Software\Classes\.iwusr' || fail "no per-user document type"
! key_exists 'HKLM\Software\Classes\.iwusr' || fail "a per-user install wrote HKLM\\Software\\Classes"
[ ! -e "$C/Program Files/$product" ] || fail "a per-user install wrote Program Files"
msiexec /x "$(winpath user/App-1.0.0.0.msi)" || fail "the per-user uninstall failed"
[ ! -e "$local_programs/$product" ] && ! key_exists 'HKCU\Software\Classes\.iwusr' || fail "the per-user uninstall left files or keys"
echo "installer under Wine: passed"
