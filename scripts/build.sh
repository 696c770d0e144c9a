#!/usr/bin/env bash
# Builds the launcher for 64-bit Windows into dist/ and runs the example
# application with it under Wine. Installs what a fresh machine lacks first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset windows -G Ninja >/dev/null
cmake --build --preset windows -j2 --target launcher embed-settings

rm -rf dist
mkdir -p dist
cp build/windows/bin/launcher.exe build/windows/bin/embed-settings.exe dist/
echo "built: dist/launcher.exe ($(stat -c %s dist/launcher.exe) bytes), dist/embed-settings.exe"
