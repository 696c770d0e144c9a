#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the launcher:
# the mingw-w64 cross compilers, Wine (64-bit only), Xvfb and ImageMagick for
# screenshots, CMake, a JDK for the Java test classes, OpenJFX for the JavaFX
# check of the JNI layer, osslsigncode with openssl to check that packaged
# executables can be signed, wixl and msitools to make and read Windows
# Installer packages, libpng and zlib for the packaging tool's PNG icons, and clang with its sanitizer and libFuzzer runtimes for
# the native rules build. Safe to run again.
set -euo pipefail

need=()
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' || need+=("$1"); }

for p in g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools \
         wine64 xvfb imagemagick x11-apps cmake ninja-build make googletest \
         openjdk-17-jdk-headless openjfx osslsigncode openssl wixl msitools libpng-dev zlib1g-dev clang libclang-rt-14-dev; do
  want "$p"
done

if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The posix thread model is the one with std::thread support.
for tool in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-gcc i686-w64-mingw32-g++ i686-w64-mingw32-gcc; do
  if [ -x "/usr/bin/$tool-posix" ]; then
    update-alternatives --set "$tool" "/usr/bin/$tool-posix" >/dev/null 2>&1 || true
  fi
done
echo "setup: ready"
