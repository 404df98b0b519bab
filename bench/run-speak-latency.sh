#!/usr/bin/env bash
# Prints how long SpeakMine holds the GUI thread, measured under Wine with the
# recording speech server (build first with scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
prepare_wine_prefix "$root/build/wine/template"
export WINEPREFIX=$root/build/wine/bench
rm -rf "$WINEPREFIX"
cp -a "$root/build/wine/template" "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
wine "$root/build/windows/parlowen_speak_bench.exe" 2>/dev/null
