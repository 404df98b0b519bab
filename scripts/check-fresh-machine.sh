#!/usr/bin/env bash
# Proves that a new Debian 12 machine builds Parlowen with nothing but what setup installs.
# A package once installed by hand on a developer's machine hides a gap that a new machine
# hits; only a pristine root shows it. Not part of the test command: it downloads about
# 2 GB and takes a quarter of an hour or more.
#
# As root: makes a Debian 12 root (mmdebstrap) holding exactly the packages that
# scripts/setup.sh installs, copies the committed sources into it, and runs setup and the
# whole build (both widths of the program, the native core, the packages) inside it with
# chroot. Says which step failed, with its errors.
#   scripts/check-fresh-machine.sh [folder]   the root goes to folder (default: a new
#                                              temporary folder, removed at the end)
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
cd "$root_dir"

fail() {
  echo "fresh machine: FAILED: $*" >&2
  exit 1
}

if ! command -v mmdebstrap >/dev/null; then
  echo "fresh machine: installing mmdebstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null ||
    fail "cannot install mmdebstrap"
fi

keep=
if [[ -n ${1:-} ]]; then
  target=$1
  keep=1
  [[ ! -e $target ]] || fail "$target is already there"
else
  target=$(mktemp -d -t parlowen-fresh.XXXXXX)
  rmdir "$target"
fi
log_dir=$root_dir/build/fresh-machine
rm -rf "$log_dir"
mkdir -p "$log_dir"

mounted=()
cleanup() {
  local m
  for ((m = ${#mounted[@]} - 1; m >= 0; m--)); do umount -l "${mounted[m]}" 2>/dev/null || true; done
  [[ -n $keep || ! -d $target ]] || rm -rf "$target"
}
trap cleanup EXIT

# The packages, as setup names them: amd64 by default, others with their ":arch".
mapfile -t packages < <(scripts/setup.sh --list)
((${#packages[@]})) || fail "scripts/setup.sh --list named no package"
include=$(IFS=,; echo "${packages[*]}")

echo "fresh machine: making a Debian 12 root in $target with the ${#packages[@]} packages setup names (minutes)"
if ! mmdebstrap --variant=apt --architectures=amd64,i386 --include="$include" bookworm "$target" \
  "deb http://deb.debian.org/debian bookworm main" \
  "deb http://deb.debian.org/debian bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main" >"$log_dir/mmdebstrap.log" 2>&1; then
  tail -n 30 "$log_dir/mmdebstrap.log" >&2
  fail "mmdebstrap could not make the root; its whole log is $log_dir/mmdebstrap.log"
fi

# The committed sources only, as a clean clone has them.
mkdir -p "$target/src/parlowen"
git -C "$root_dir" archive --format=tar HEAD | tar -x -C "$target/src/parlowen"
for m in proc sys dev dev/pts; do
  mount --bind "/$m" "$target/$m"
  mounted+=("$target/$m")
done

# Runs "$2..." inside the root as step $1; shows the failing step's errors and log end.
step() {
  local name=$1 log=$log_dir/$1.log
  shift
  echo "fresh machine: $name"
  if ! chroot "$target" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    bash -c 'cd /src/parlowen && "$@"' bash "$@" >"$log" 2>&1; then
    grep -E -m 20 '(error|Error|ERROR|cannot find)[: ]' "$log" >&2 || true
    echo "fresh machine: ... the end of its log:" >&2
    tail -n 25 "$log" >&2
    fail "$name; its whole log is $log"
  fi
}

step setup scripts/setup.sh
step build scripts/build.sh
for built in build/windows32/parlowen.exe build/windows32/parlowen-voice.exe.so \
  build/windows/parlowen.exe build/windows/parlowen-voice.exe.so; do
  [[ -f $target/src/parlowen/$built ]] || fail "the build made no $built"
done
echo "fresh machine: passed: setup and both widths' builds work on a new Debian 12 machine (logs in $log_dir)"
