#!/usr/bin/env bash
# Checks the Linux package built by build.sh with lintian, desktop-file-validate and
# appstreamcli, installs it, starts the installed `parlowen` without a display in a
# prefix of its own, checks that its window and its voice process come up from
# /usr/lib/parlowen, and removes the package again. Run as root.
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

# Debian's own checks: no lintian error or warning, a valid menu entry and AppStream file.
if ! lintian --fail-on error,warning --tag-display-limit 0 "$package" >"$work/lintian.log" 2>&1; then
  grep -v 'root privileges' "$work/lintian.log" >&2
  fail "lintian finds errors or warnings"
fi
dpkg-deb -x "$package" "$work/contents"
desktop-file-validate "$work/contents/usr/share/applications/"*.desktop >&2 || fail "the menu entry is not valid"
appstreamcli validate --no-net --pedantic "$work/contents/usr/share/metainfo/"*.xml >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "the AppStream file is not valid"; }

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
