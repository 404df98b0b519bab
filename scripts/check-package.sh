#!/usr/bin/env bash
# Checks the Linux packages built by build.sh (parlowen, parlowen64, parlowen32) with
# lintian, desktop-file-validate and appstreamcli, installs them as a user would, and runs
# the installed `parlowen` in a prefix of each width:
# - a 64-bit prefix: its window and its voice process come up from /usr/lib/parlowen/win64;
# - a 32-bit-only prefix (WINEARCH=win32): the 32-bit program starts, beside a 32-bit
#   stand-in messenger whose chat sends two messages, and what Parlowen says is recorded
#   from a private audio server and must be heard;
#   (skipped, with the reason, on a machine that runs no 32-bit program);
# - a 32-bit prefix on a system that runs no 32-bit program: the launcher names the cause
#   and the way out;
# - a 32-bit prefix with only the 64-bit program installed: the launcher says which
#   package is missing.
# Then it removes the packages again. Run as root.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
# --win32-prefix: only the 32-bit-only prefix's check, with the packages installed already;
# where 32-bit Wine runs only emulated, the check runs itself so under the emulation.
win32_only=
[[ ${1:-} == --win32-prefix ]] && win32_only=1

packages=()
for name in parlowen_*_all parlowen64_*_amd64 parlowen32_*_i386; do
  package=$(ls "$root"/build/$name.deb 2>/dev/null | tail -n 1)
  [[ -n $package ]] || { echo "package: no $name.deb in build/" >&2; exit 1; }
  packages+=("$package")
done
work=$root/build/package-check${win32_only:+/win32}
rm -rf "$work"
mkdir -p "$work"

fail() { echo "package: $*" >&2; failed=1; }
failed=0

if [[ -z $win32_only ]]; then
  # Debian's own checks: no lintian error or warning, a valid menu entry and AppStream file.
  for package in "${packages[@]}"; do
    if ! lintian --fail-on error,warning --tag-display-limit 0 "$package" >"$work/lintian.log" 2>&1; then
      grep -v 'root privileges' "$work/lintian.log" >&2
      fail "lintian finds errors or warnings in $(basename "$package")"
    fi
  done
  dpkg-deb -x "${packages[0]}" "$work/contents"
  desktop-file-validate "$work/contents/usr/share/applications/"*.desktop >&2 || fail "the menu entry is not valid"
  appstreamcli validate --no-net --pedantic "$work/contents/usr/share/metainfo/"*.xml >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "the AppStream file is not valid"; }

  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "${packages[@]}" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; echo "package: does not install" >&2; exit 1; }
  [[ $(command -v parlowen) == /usr/bin/parlowen ]] || fail "no /usr/bin/parlowen after installing"
fi

start_virtual_display
trap 'wineserver -k 2>/dev/null; stop_private_audio_server; stop_virtual_display' EXIT

# Starts the installed launcher in a fresh copy of the prepared prefix of width $1.
start_parlowen_in() {
  local template=$root/build/wine/template${1:+-$1}
  prepare_wine_prefix "$template" "" "${1:-win64}" || return 1
  rm -rf "$work/prefix"
  cp -a "$template" "$work/prefix"
  export WINEPREFIX=$work/prefix
  parlowen 2>"$work/wine.log" &
}
window_up() { xwininfo -root -tree | grep -q '"Parlowen2009"'; }
# Wine shows the voice process's command line as Z:\usr\lib\parlowen\<width>\parlowen-voice.exe.so.
voice_up() { pgrep -f "usr.lib.parlowen.$1.parlowen-voice\.exe\.so" >/dev/null; }
wait_for_program() {
  for _ in $(seq 1 900); do window_up && voice_up "$1" && return 0; sleep 0.1; done
  window_up || fail "the installed program shows no window in a $1 prefix"
  voice_up "$1" || fail "the installed program starts no voice process from /usr/lib/parlowen/$1"
  return 1
}
end_wine() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
# The loudness of what was recorded so far (RMS of full scale), and whether that is speech.
rms() { sox -t raw -r 16000 -e signed -b 16 -c 1 "$work/speech.raw" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}'; }
heard() { awk -v rms="$(rms)" 'BEGIN { exit !(rms >= 0.01) }'; }

# A 32-bit-only prefix runs the 32-bit program, which speaks what the messenger's chat
# shows: the demo chat's tour sends a message as the user and one as the friend.
check_win32_prefix() {
  start_private_audio_server "$work/audio" "$work/speech.raw"
  if start_parlowen_in win32 && wait_for_program win32; then
    wine "$root/build/windows32/parlowen-demo-chat.exe" /tour >"$work/demo-chat.log" 2>/dev/null &
    for _ in $(seq 1 1200); do grep -q 'tour done' "$work/demo-chat.log" && break; sleep 0.1; done
    grep -q 'tour done' "$work/demo-chat.log" || fail "the 32-bit demo chat did not finish its messages"
    for _ in $(seq 1 100); do heard && break; sleep 0.1; done
    mkdir -p "$root/build/screenshots-package"
    import -window root "$root/build/screenshots-package/win32-prefix.png"
    heard && echo "package: heard in a 32-bit prefix, RMS $(rms)" ||
      fail "nothing was heard from the installed program in a 32-bit prefix (RMS $(rms))"
  fi
  end_wine
  stop_private_audio_server
}
if [[ -n $win32_only ]]; then
  check_win32_prefix
  exit $failed
fi

# A 64-bit prefix runs the 64-bit program.
start_parlowen_in "" || fail "no 64-bit prefix to run the installed program in"
wait_for_program win64
end_wine

prefixes="a 64-bit and a 32-bit prefix"
if [[ $PARLOWEN_WINE32 != no ]]; then
  check_win32_prefix
elif why=$("$root/scripts/wine32-emulation.sh" --check); then
  prefixes+=" (emulated)"
  "$root/scripts/wine32-emulation.sh" "$0" --win32-prefix || fail "the 32-bit prefix's check failed under emulation"
else
  prefixes="a 64-bit prefix"
  echo "package: skipped the 32-bit program in a 32-bit-only prefix: $PARLOWEN_WINE32_WHY; $why"
fi

# On a system that runs no 32-bit program (here a `wine` that answers as Debian's does
# there), the launcher says so in a 32-bit prefix, with the way out, and runs nothing.
mkdir -p "$work/no32"
printf '#!/bin/sh\necho "/usr/bin/wine: 40: exec: /usr/lib/wine/wine: Exec format error" >&2\nexit 2\n' >"$work/no32/wine"
chmod +x "$work/no32/wine"
if WINEPREFIX=$work/none WINEARCH=win32 PATH=$work/no32:$PATH parlowen 2>"$work/launcher.log"; then
  fail "the launcher runs something in a 32-bit prefix on a system without 32-bit support"
fi
grep -q 'runs no 32-bit program (.*Exec format error).*64-bit prefix.*32-bit support' "$work/launcher.log" ||
  fail "the launcher does not name the missing 32-bit support and the way out: $(cat "$work/launcher.log")"

# Without the 32-bit program, the launcher names the package a 32-bit prefix needs.
dpkg -r parlowen32 >"$work/remove.log" 2>&1 || fail "parlowen32 does not remove"
if WINEPREFIX=$work/none WINEARCH=win32 parlowen 2>"$work/launcher.log"; then
  fail "the launcher runs something in a 32-bit prefix without parlowen32"
fi
grep -q 'install the package parlowen32' "$work/launcher.log" ||
  fail "the launcher does not name parlowen32: $(cat "$work/launcher.log")"

apt-get remove -y -qq parlowen parlowen64 >>"$work/remove.log" 2>&1 || fail "does not remove"
[[ ! -e /usr/bin/parlowen && ! -e /usr/lib/parlowen ]] || fail "files left after removing"
if ((failed)); then echo "package: FAILED"; exit 1; fi
rm -rf "$work"
echo "package: ok, $(cd "$root/build" && echo parlowen*_*.deb) installed, run in $prefixes and removed"
