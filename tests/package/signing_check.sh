#!/usr/bin/env bash
# Packages the real launcher on Linux, then signs the output with a throw-away
# certificate and verifies it with osslsigncode.
#   signing_check.sh <package-app> <launcher.exe> <work folder>
set -euo pipefail
tool=$(realpath "$1") launcher=$(realpath -m "$2") work=$3
if [ ! -f "$launcher" ]; then
  echo "no Windows build at $launcher: build the windows preset first"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work" && cd "$work"
convert -size 48x48 xc:navy \( -clone 0 -resize 16x16 \) \( -clone 0 -resize 32x32 \) app.ico
cat > app.package <<'DESC'
[Package]
Icon = app.ico
[Version]
File Version = 1.0.0.1
Product Name = Signing Check
[Embedded: Java Runtime Environment]
Main Class = example.Main
DESC
"$tool" "$launcher" app.package app.exe
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throw-away test signer" \
  -keyout key.pem -out cert.pem 2>/dev/null
osslsigncode sign -certs cert.pem -key key.pem -n "Signing Check" -in app.exe -out app-signed.exe
osslsigncode verify -CAfile cert.pem -in app-signed.exe
# A signed output packaged again drops the stale signature and can be signed anew.
"$tool" app-signed.exe app.package again.exe
osslsigncode sign -certs cert.pem -key key.pem -in again.exe -out again-signed.exe
osslsigncode verify -CAfile cert.pem -in again-signed.exe
