#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, as CTest's emulator for the Windows
# build: in a fresh copy of the prepared prefix, on a private virtual display. When
# PARLOWEN_WINE_VERSION names a Windows version (winxp64), the prefix reports it and has
# a prepared template of its own. When PARLOWEN_SCREENSHOTS names a folder, it starts
# empty and the BMP screenshots the program leaves there are turned into PNG files.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"

version=${PARLOWEN_WINE_VERSION:-}
template=$root/build/wine/template${version:+-$version}
prefix=${PARLOWEN_PREFIX:-$root/build/wine/e2e${version:+-$version}}

prepare_wine_prefix "$template" "$version"
rm -rf "$prefix"
cp -a "$template" "$prefix"
export WINEPREFIX=$prefix
screens=${PARLOWEN_SCREENSHOTS:-}
if [[ -n $screens ]]; then
  rm -rf "$screens"
  mkdir -p "$screens"
fi

start_virtual_display || exit 1
trap 'wineserver -k 2>/dev/null; stop_virtual_display' EXIT

wine "$@" 2>/dev/null
status=$?

if [[ -n $screens ]]; then
  for bmp in "$screens"/*.bmp; do
    [[ -e $bmp ]] && convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  done
fi
exit $status
