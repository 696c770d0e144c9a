#!/bin/bash
# run-arm64.sh PROG.exe [ARGS...]
# run-arm64.sh --init    make the Wine prefix if needed, wait for its wineserver to end
# run-arm64.sh --server  start the prefix's wineserver to stay up until --kill
# run-arm64.sh --kill    end the prefix's wineserver and every program under it
# PROG is a file, or the name of one of Wine's own programs (reg, cmd).
# Runs a Windows ARM64 program under arm64 Wine, emulated by qemu-user, inside an
# isolated arm64 Debian root (made by setup-arm64.sh). The program's stdout,
# stderr and exit code are passed through (125: this script could not run it).
# Needs root (mount namespace + chroot) and qemu-aarch64 registered with binfmt_misc.
#   ARM64_ROOT       the arm64 root (default $HOME/.cache/arm64-windows/root-trixie)
#   ARM64_WINEPREFIX the prefix, a path inside that root (default /var/lib/wineprefix)
#   ARM64_SHARE      host folders visible inside at their own paths
#                    (default: those of /tmp /home /srv /mnt /opt that exist, and the top folder
#                    of the current folder)
#   ARM64_PASSENV    names of further variables to hand to the program
#   ARM64_QEMU_CPU   the emulated CPU (default neoverse-n1; Wine 10 hangs on qemu's "max")
#   DISPLAY, WINEDEBUG (default -all), WINEDLLOVERRIDES are handed on.
# A wineserver outlives its last program by a few seconds and is reused by the next
# run, so every run of a session must see the same folders and DISPLAY: keep
# ARM64_SHARE and DISPLAY fixed, or end the server first (--kill).
set -u
root=${ARM64_ROOT:-$HOME/.cache/arm64-windows/root-trixie}
prefix=${ARM64_WINEPREFIX:-/var/lib/wineprefix}
if [ $# -lt 1 ]; then echo "usage: run-arm64.sh PROG.exe [ARGS...]" >&2; exit 125; fi
if [ ! -d "$root/usr/lib/wine" ]; then echo "run-arm64: no arm64 Wine root at $root (run setup-arm64.sh)" >&2; exit 125; fi
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ]; then
  echo "run-arm64: qemu-aarch64 is not registered with binfmt_misc (run setup-arm64.sh)" >&2; exit 125
fi
mode=run
case "$1" in --init|--kill|--server) mode=${1#--}; set -- /;; esac
exe=/
if [ "$mode" = run ]; then
  case "$1" in
    */*|*.exe|*.EXE) exe=$(realpath -e -- "$1") || exit 125 ;;
    *) exe=$1 ;;
  esac
fi
shift
share=${ARM64_SHARE:-}
if [ -z "$share" ]; then
  for d in /tmp /home /srv /mnt /opt; do [ -d "$d" ] && share="$share $d"; done
  top=/$(pwd -P | cut -d/ -f2); case " $share " in *" $top "*) ;; *) [ "$top" != / ] && share="$share $top";; esac
fi
[ "$mode" = run ] && for p in "$exe" "$(pwd -P)"; do
  case "$p" in /*) ;; *) continue ;; esac          # the program and the current folder must be visible
  ok=; for d in $share; do case "$p/" in "$d"/*) ok=1;; esac; done
  [ -n "$ok" ] || { echo "run-arm64: $p is outside ARM64_SHARE ($share)" >&2; exit 125; }
done
envs=(PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 XDG_RUNTIME_DIR=/run/user/0 "QEMU_CPU=${ARM64_QEMU_CPU:-neoverse-n1}"
      "WINEPREFIX=$prefix" "WINEDEBUG=${WINEDEBUG:--all}"
      "WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}")
[ -n "${DISPLAY:-}" ] && envs+=("DISPLAY=$DISPLAY")
for v in ${ARM64_PASSENV:-}; do [ -n "${!v+x}" ] && envs+=("$v=${!v}"); done

# Everything below runs in a private mount namespace: its mounts vanish with it.
exec unshare -m --propagation private /bin/bash -c '
set -u
root=$1 share=$2 cwd=$3 exe=$4 prefix=$5 mode=$6 nenv=$7; shift 7
envs=("${@:1:nenv}"); shift "$nenv"
for d in $share; do mkdir -p "$root$d" && mount --rbind "$d" "$root$d" || exit 125; done
mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" || exit 125
mkdir -p -m 700 "$root/run/user/0"
if [ "$mode" = kill ]; then
  chroot "$root" /usr/bin/env -i "${envs[@]}" /usr/bin/wineserver -k 2>/dev/null
  exit 0
fi
# First use: make the prefix (about 15 s), one caller at a time.
if [ ! -f "$root$prefix/.ready" ]; then
  exec 9>"$root/.prefix.lock"; flock 9
  if [ ! -f "$root$prefix/.ready" ]; then
    rm -rf "${root:?}$prefix"
    chroot "$root" /usr/bin/env -i "${envs[@]}" /usr/bin/wine wineboot -i >/dev/null 2>&1 &&
      chroot "$root" /usr/bin/env -i "${envs[@]}" /usr/bin/wineserver -w &&
      touch "$root$prefix/.ready" || { echo "run-arm64: could not make the prefix $prefix" >&2; exit 125; }
  fi
  exec 9>&-
fi
if [ "$mode" = init ]; then chroot "$root" /usr/bin/env -i "${envs[@]}" /usr/bin/wineserver -w; exit 0; fi
if [ "$mode" = server ]; then exec chroot "$root" /usr/bin/env -i "${envs[@]}" /usr/bin/wineserver -p -f; fi
exec chroot "$root" /usr/bin/env -i "${envs[@]}" /bin/sh -c "cd \"\$0\" && exec /usr/bin/wine \"\$@\"" "$cwd" "$exe" "$@"
' run-arm64 "$root" "$share" "$(pwd -P)" "$exe" "$prefix" "$mode" "${#envs[@]}" "${envs[@]}" "$@"
