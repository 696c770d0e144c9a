#!/usr/bin/env bash
# Signing with [Signing] on Linux: a throw-away certificate made here, the
# executable, its console companion and the installer signed by package-app
# and verified by osslsigncode, the executable inside the installer too; the
# signed executable still carries its embedded settings and appended jar (a
# real Java runtime reads the jar; under Wine the executable runs); the
# password reaches no command line, output or kept file; a wrong password, a
# missing certificate, a timestamp server that refuses and a missing
# osslsigncode each give exit code 2 and write nothing. Then a signed output
# packaged again drops the stale signature and can be signed anew by hand.
#   signing_check.sh <package-app> <windows bin folder> <work folder>
set -euo pipefail
tool=$(realpath "$1") bin=$(realpath -m "$2") work=$(realpath -m "$3")
support=$(cd "$(dirname "$0")/../support" && pwd)
java=/usr/lib/jvm/java-17-openjdk-amd64/bin
if [ ! -f "$bin/launcher.exe" ] || [ ! -f "$bin/double/jvm.dll" ]; then
  echo "no Windows build at $bin: build the windows preset first"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work/src/jre/bin/server" "$work/out" "$work/tmp" "$work/tools" && cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
has() { grep -qF -- "$2" <<<"$1" || fail "expected \"$2\" in: $1"; }
# Private folders go here, where a leftover is seen.
export TMPDIR=$work/tmp

# The signing tools as package-app runs them, each command line and environment recorded.
for t in osslsigncode openssl; do
  printf '#!/bin/sh\nprintf "%%s\\n" "$0 $*" >>"%s/commands.txt"\nenv >>"%s/commands.txt"\nexec %s "$@"\n' \
    "$work" "$work" "$(command -v $t)" >tools/$t
  chmod +x tools/$t
done
export PATH=$work/tools:$PATH

secret="Pw-$RANDOM-$RANDOM-s3cret"
export SIGNING_CHECK_PASSWORD=$secret
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throw-away test signer" \
  -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -in cert.pem -inkey key.pem -out src/signer.pfx -passout env:SIGNING_CHECK_PASSWORD
rm key.pem

# A jar appended to the launcher: with "Embedded Jar" the executable is its class path.
# Its class is one the test-double runtime knows too.
mkdir -p java && cat >java/Echo.java <<'JAVA'
package test;
public class Echo { public static void main(String[] a) { System.out.println("the appended jar runs"); } }
JAVA
"$java/javac" -d java java/Echo.java && "$java/jar" cf app.jar -C java test/Echo.class
cat "$bin/launcher.exe" app.jar >input.exe
cp "$bin/double/jvm.dll" src/jre/bin/server/jvm.dll && : >src/jre/bin/java.dll  # a runtime beside the executable
convert -size 48x48 xc:navy \( -clone 0 -resize 16x16 \) \( -clone 0 -resize 32x32 \) src/app.ico
describe() {  # <signing lines...>: the description, its [Signing] last
  cat >src/app.package <<'DESC'
[Package]
Icon = app.ico
Console = companion
Upgrade Code = {7D1E2F3A-4B5C-4D6E-8F70-8192A3B4C5D6}
[Version]
File Version = 1.0.0.1
Product Version = 1.0.0.0
Product Name = Signing Check
[Embedded: Application]
Embedded Jar = Yes
[Embedded: Java Runtime Environment]
Main Class = test.Echo
[Installer]
Files = jre
[Signing]
DESC
  printf '%s\n' "$@" >>src/app.package
}
describe "Certificate = signer.pfx" "Password Variable = SIGNING_CHECK_PASSWORD" "URL = https://example.invalid/app"
: >commands.txt
"$tool" input.exe src/app.package out/App.exe --keep-wxs >log.txt 2>&1 || fail "signing failed: $(cat log.txt)"
mv commands.txt tool-commands.txt
for f in App.exe App.com App-1.0.0.0.msi; do
  osslsigncode verify -CAfile cert.pem -in out/$f >verify.txt 2>&1 || fail "out/$f does not verify: $(cat verify.txt)"
done
has "$(osslsigncode verify -CAfile cert.pem -in out/App.exe 2>&1)" "Signing Check"
mkdir -p extracted && (cd extracted && msiextract ../out/App-1.0.0.0.msi >/dev/null)
inside=$(find extracted -name App.exe | head -n 1)
[ -n "$inside" ] || fail "no App.exe in the package"
osslsigncode verify -CAfile cert.pem -in "$inside" >verify.txt 2>&1 || fail "the packaged App.exe does not verify: $(cat verify.txt)"
cmp -s "$inside" out/App.exe || fail "the package holds another App.exe than the one beside it"

# The password went through a pipe: on no command line or tool's environment, in no output or kept file.
grep -q -- "-readpass /dev/fd/3" tool-commands.txt || fail "osslsigncode was not given the password: $(cat tool-commands.txt)"
! grep -rqaF -- "$secret" tool-commands.txt log.txt out ||
  fail "the password appears in $(grep -rlaF -- "$secret" tool-commands.txt log.txt out)"
[ -z "$(ls -A tmp | grep "^package-app-signing-")" ] || fail "the private folder stayed: $(ls -A tmp)"

# The appended jar still reads after the signature; the signed program runs under Wine.
[ "$("$java/java" -cp out/App.exe test.Echo)" = "the appended jar runs" ] || fail "the jar in the signed App.exe does not run"
state="$work/wine"
. "$support/wine-prefix.sh"
mkdir -p run/jre && cp out/App.exe out/App.ini run/ && cp -r src/jre/bin run/jre/
: >record.txt
VORN_DOUBLE_RECORD=$(W winepath -w "$work/record.txt" 2>/dev/null | tr -d "\r") LAUNCHER_TEST_STATE="$state" timeout 120 "$support/wine-run.sh" "$(W winepath -w "$work/run/App.exe" 2>/dev/null | tr -d '\r')" ||
  fail "the signed App.exe failed under Wine: $(cat record.txt)"
grep -qx "main test/Echo argc=0" record.txt || fail "the embedded settings did not reach the runtime: $(cat record.txt)"
grep -q "^option\[[0-9]*\]=-Djava.class.path=.*App.exe" record.txt || fail "the executable is not its class path: $(cat record.txt)"

# Each failure: exit 2, one line, nothing written, no private folder left.
before=$(cd out && ls -A && md5sum -- *)
refused() {  # <expected message> <signing lines...>
  local expected=$1
  shift
  describe "$@"
  set +e
  message=$(PATH=${run_path:-$PATH} "$tool" input.exe src/app.package out/App.exe 2>&1); code=$?
  set -e
  [ $code -eq 2 ] || fail "$* gave exit $code: $message"
  has "$message" "$expected"
  [ "$(wc -l <<<"$message")" -eq 1 ] || fail "more than one line: $message"
  ! grep -qF -- "$secret" <<<"$message" || fail "the password appears in: $message"
  [ "$(cd out && ls -A && md5sum -- *)" = "$before" ] && [ -z "$(ls -A tmp | grep "^package-app-signing-")" ] || fail "$* left $(ls -A out tmp)"
}
SIGNING_CHECK_PASSWORD="not-$secret" refused "app.package:16: cannot open the certificate $work/src/signer.pfx (a wrong password" \
  "Certificate = signer.pfx" "Password Variable = SIGNING_CHECK_PASSWORD"
refused "app.package:16: cannot read the certificate $work/src/missing.pfx" \
  "Certificate = missing.pfx" "Password Variable = SIGNING_CHECK_PASSWORD"
(unset SIGNING_CHECK_PASSWORD; refused "app.package:17: the environment variable SIGNING_CHECK_PASSWORD (\"Password Variable\") is not set" \
  "Certificate = signer.pfx" "Password Variable = SIGNING_CHECK_PASSWORD")
closed=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
refused "app.package:16: osslsigncode could not sign App.exe" \
  "Certificate = signer.pfx" "Password Variable = SIGNING_CHECK_PASSWORD" "Timestamp URL = http://127.0.0.1:$closed/"
mkdir -p nosign && ln -sf "$work/tools/openssl" nosign/openssl
run_path=$work/nosign refused "osslsigncode was not found on PATH" "Certificate = signer.pfx" "Password Variable = SIGNING_CHECK_PASSWORD"
# The certificate as the output (named with "\" between folders) is refused like the other inputs.
mkdir -p src/keys && cp src/signer.pfx src/keys/
describe 'Certificate = keys\signer.pfx' "Password Variable = SIGNING_CHECK_PASSWORD"
set +e; message=$("$tool" input.exe src/app.package src/keys/signer.pfx 2>&1); code=$?; set -e
[ $code -eq 2 ] && cmp -s src/signer.pfx src/keys/signer.pfx || fail "the certificate as the output gave exit $code: $message"
has "$message" "app.package:16: the certificate $work/src/keys/signer.pfx is also an output"
# A signature that does not verify replaces no output.
mkdir -p badverify && ln -sf "$work/tools/openssl" badverify/openssl
printf '#!/bin/sh
[ "$1" = verify ] && { echo "Signature verification: failed"; exit 1; }
exec %s "$@"
' \
  "$work/tools/osslsigncode" >badverify/osslsigncode && chmod +x badverify/osslsigncode
run_path=$work/badverify:$PATH refused "app.package:16: the signature of App.exe does not verify (exit code 1): Signature verification: failed" \
  "Certificate = signer.pfx" "Password Variable = SIGNING_CHECK_PASSWORD"

# A signed output packaged again drops the stale signature and can be signed anew.
cat >again.package <<'DESC'
[Version]
File Version = 1.0.0.2
DESC
"$tool" out/App.exe again.package again.exe
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throw-away test signer" \
  -keyout key2.pem -out cert2.pem 2>/dev/null
osslsigncode sign -certs cert2.pem -key key2.pem -in again.exe -out again-signed.exe >/dev/null
osslsigncode verify -CAfile cert2.pem -in again-signed.exe >/dev/null || fail "the packaged-again output does not verify"
echo "signing check: passed"
