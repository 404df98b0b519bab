#!/usr/bin/env bash
# Runs the end-to-end suite: the driver starts the real parlowen.exe under Wine in a
# fresh copy of a prepared prefix, on a private virtual display. Screenshots land in
# build/screenshots. Extra arguments name the cases to run.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"

build=$root/build/windows
template=$root/build/wine/template
prefix=$root/build/wine/e2e
screens=$root/build/screenshots

prepare_wine_prefix "$template"
rm -rf "$prefix" "$screens"
cp -a "$template" "$prefix"
mkdir -p "$screens"
export WINEPREFIX=$prefix

start_virtual_display || exit 1
trap 'wineserver -k 2>/dev/null; stop_virtual_display' EXIT

wine "$build/parlowen_e2e.exe" "$(windows_path "$screens")" "$@" 2>/dev/null
status=$?

for bmp in "$screens"/*.bmp; do
  [[ -e $bmp ]] && convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
exit $status
