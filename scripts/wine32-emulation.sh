#!/usr/bin/env bash
# Wine's 32-bit side on a machine whose kernel runs no 32-bit program: Debian 12's 32-bit
# Wine runs under qemu-i386 from qemu-user 10 (bookworm-backports; bookworm's own 7.2
# fails with "failed to map the shared user data"). It is emulation, several times
# slower, so the test command runs under it only what the 64-bit program cannot show.
#   scripts/wine32-emulation.sh --check       installs qemu-user and says in one line why
#                                             the emulation cannot run here (exit 1), or nothing
#   scripts/wine32-emulation.sh COMMAND...    runs COMMAND with i386 programs run by qemu-i386
# The registration lives in a private user and mount namespace with a binfmt_misc of its
# own (Linux 6.7 and later), so nothing outside it sees it and it ends with the command.
# Run as root.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qemu=/usr/bin/qemu-i386
# i386 ELF executables, as Debian's qemu-user-binfmt matches them.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

if [[ ${1:-} == --inside ]]; then
  shift
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 1
  printf '%s' ":parlowen-i386:M::$magic:$mask:$qemu:F" >/proc/sys/fs/binfmt_misc/register || exit 1
  # Under qemu-user the kernel serves a 64-bit process, so ext4 hands out directory
  # offsets too large for the i386 eSpeak NG library's readdir, which then finds no voice;
  # a copy of its data on tmpfs, seen only here, has small ones.
  espeak32=/usr/lib/i386-linux-gnu/espeak-ng-data
  if [[ -d $espeak32 ]]; then
    copy=$(mktemp -d -t parlowen-espeak32.XXXXXX)
    mount -t tmpfs -o size=64m tmpfs "$copy" && cp -a "$espeak32/." "$copy/" && mount --bind "$copy" "$espeak32" || exit 1
  fi
  export PARLOWEN_WINE32=emulated PARLOWEN_WINE32_WHY=
  "$@"
  status=$?
  echo -1 >/proc/sys/fs/binfmt_misc/parlowen-i386
  exit $status
fi

# qemu-user 10 from bookworm-backports, that one package alone: nothing else is taken from
# backports, and nothing from a newer suite, which would upgrade libc.
install_qemu() {
  "$qemu" --version 2>/dev/null | grep -q 'version \([1-9][0-9]\)\.' && return 0
  local list=/etc/apt/sources.list.d/bookworm-backports.list log
  grep -rqs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/ ||
    echo "deb http://deb.debian.org/debian bookworm-backports main" >"$list"
  log=$(mktemp -t parlowen-qemu.XXXXXX)
  echo "wine32-emulation: installing qemu-user from bookworm-backports (a minute)" >&2
  if ! { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    qemu-user/bookworm-backports; } >"$log" 2>&1; then
    tail -n 5 "$log" >&2
    echo "qemu-user 10 could not be installed from bookworm-backports (apt's output: $log)"
    return 1
  fi
  rm -f "$log"
}

run_inside() {
  unshare --user --map-root-user --mount --propagation private "$root/scripts/wine32-emulation.sh" --inside "$@"
}

if [[ ${1:-} == --check ]]; then
  why=$(install_qemu) || { echo "${why##*$'\n'}"; exit 1; }
  answer=$(run_inside /usr/lib/wine/wine --version 2>&1) && exit 0
  echo "32-bit Wine does not run under qemu-i386 here (${answer##*$'\n'})"
  exit 1
fi
run_inside "$@"
