#!/usr/bin/env bash
# Installs the Linux package built by build.sh, starts the installed `parlowen` without a
# display in a prefix of its own, checks that its window and its voice process come up
# from /usr/lib/parlowen, and removes the package again. Run as root.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"

package=$(ls "$root"/build/parlowen_*_amd64.deb 2>/dev/null | tail -n 1)
[[ -n $package ]] || { echo "package: no package in build/" >&2; exit 1; }
work=$root/build/package-check
rm -rf "$work"
mkdir -p "$work"

fail() { echo "package: $*" >&2; failed=1; }
failed=0

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends "$package" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; echo "package: does not install" >&2; exit 1; }
[[ $(command -v parlowen) == /usr/bin/parlowen ]] || fail "no /usr/bin/parlowen after installing"

# The launcher runs in whatever prefix WINEPREFIX names.
prepare_wine_prefix "$root/build/wine/template"
cp -a "$root/build/wine/template" "$work/prefix"
export WINEPREFIX=$work/prefix
start_virtual_display
parlowen 2>/dev/null &
window_up() { xwininfo -root -tree | grep -q '"Parlowen2009"'; }
# Wine shows the voice process's command line as Z:\usr\lib\parlowen\parlowen-voice.exe.so.
voice_up() { pgrep -f 'usr.lib.parlowen.parlowen-voice\.exe\.so' >/dev/null; }
for _ in $(seq 1 300); do window_up && voice_up && break; sleep 0.1; done
window_up || fail "the installed program shows no window"
voice_up || fail "the installed program starts no voice process from /usr/lib/parlowen"
wineserver -k 2>/dev/null
stop_virtual_display

apt-get remove -y -qq parlowen >"$work/remove.log" 2>&1 || fail "does not remove"
[[ ! -e /usr/bin/parlowen && ! -e /usr/lib/parlowen ]] || fail "files left after removing"
rm -rf "$work"
if ((failed)); then echo "package: FAILED $(basename "$package")"; exit 1; fi
echo "package: ok, $(basename "$package") installed, started headless and removed"
