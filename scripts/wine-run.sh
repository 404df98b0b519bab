#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, as CTest's emulator for the Windows
# build: in a fresh copy of the prepared prefix, on a private virtual display. When
# PARLOWEN_SCREENSHOTS names a folder, it starts empty and the BMP screenshots the
# program leaves there are turned into PNG files.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"

template=$root/build/wine/template
prefix=${PARLOWEN_PREFIX:-$root/build/wine/e2e}

prepare_wine_prefix "$template"
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
