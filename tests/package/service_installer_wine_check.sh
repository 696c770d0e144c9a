#!/usr/bin/env bash
# A service's installer end to end under Wine, in a Wine prefix of its own:
# installed and running after msiexec /i, one service after an upgrade,
# stopped and gone after msiexec /x.
#   service_installer_wine_check.sh <package-app> <windows bin folder> <work folder>
set -euo pipefail
tool=$(realpath "$1") bin=$(realpath -m "$2") work=$(realpath -m "$3")
support=$(cd "$(dirname "$0")/../support" && pwd)
if [ ! -f "$bin/launcher.exe" ] || [ ! -f "$bin/double/jvm.dll" ] || [ ! -f "$bin/service_state.exe" ]; then
  echo "no Windows build at $bin: build the windows preset first"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work"
state="$work/wine"
. "$support/wine-prefix.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
winpath() { W winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# An install that fails shows the end of its log.
msiexec() {
  rm -f msi.log
  W msiexec "$@" /qn /l*v "$(winpath "$work")\\msi.log" && return 0
  tail -n 40 msi.log >&2
  return 1
}
service() { W "$bin/service_state.exe" wait VornMsiCheck "$1" 30000 | tr -d '\r'; }

# Wine ends services once the prefix's last ordinary process has gone: one
# waits here for the whole check.
W "$bin/service_state.exe" hold "$(winpath "$work")\\done" &
holder=$!
trap 'touch "$work/done"; wait $holder 2>/dev/null; bash "$support/wine-teardown.sh" "$state"' EXIT

mkdir -p src/jre/bin/server
cp "$bin/double/jvm.dll" src/jre/bin/server/jvm.dll
echo app >src/app.jar
package() {  # <version> <output folder>
  cat >src/app.package <<DESC
[Package]
Upgrade Code = {8C9D0E1F-2A3B-4C4D-8E5F-6A7B8C9D0E1F}
[Version]
File Version = $1
Product Name = Vorn Service Check
[Embedded: Java Runtime Environment]
Main Class = test/Service
[Embedded: Class Path]
Class Path = app.jar
[Ini: Java Runtime Environment]
JRE Path = jre
[Service]
Name = VornMsiCheck
Description = The service of the installer check
Stop Timeout = 10
[Installer]
Files = jre; app.jar
DESC
  mkdir -p "$2" && "$tool" "$bin/launcher.exe" src/app.package "$2/App.exe"
}
package 1.0.0.0 v1
package 1.1.0.0 v2

echo "== install 1.0.0.0: the service runs"
msiexec /i "$(winpath v1/App-1.0.0.0.msi)" || fail "the install failed"
got=$(service running) || fail "not running after the install: $got"
echo "service: $got"

echo "== upgrade to 1.1.0.0: one service, running"
msiexec /i "$(winpath v2/App-1.1.0.0.msi)" || fail "the upgrade failed"
got=$(service running) || fail "not running after the upgrade: $got"
count=$(W reg query 'HKLM\System\CurrentControlSet\Services' 2>/dev/null | tr -d '\r' | grep -ci 'VornMsiCheck$' || true)
[ "$count" = 1 ] || fail "$count services after the upgrade"
echo "service: $got, one of it"

echo "== uninstall: the service is gone"
msiexec /x "$(winpath v2/App-1.1.0.0.msi)" || fail "the uninstall failed"
got=$(service gone) || fail "still there after the uninstall: $got"
echo "service installer under Wine: passed"
