#!/usr/bin/env bash
# Installs what is needed, builds parlowen.exe and runs it under Wine. Without a
# DISPLAY it runs on a virtual display and saves a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh
scripts/build.sh >/dev/null
source scripts/wine-env.sh

# The user's own prefix, kept between runs so that the settings survive.
export WINEPREFIX=${PARLOWEN_WINEPREFIX:-$HOME/.local/share/parlowen/wine}
prepare_wine_prefix "$WINEPREFIX"

headless=
if [[ -z ${DISPLAY:-} ]]; then
  start_virtual_display
  headless=1
  echo "run: no DISPLAY, using the virtual display $DISPLAY"
fi
trap 'wineserver -k 2>/dev/null; stop_virtual_display' EXIT INT TERM

wine build/windows/parlowen.exe 2>/dev/null &
program=$!
# A stand-in chat window beside it, for trying Parlowen without a messenger: type a
# line and send it as yourself or as the friend, and hear it read.
sleep 2
wine build/windows/parlowen-demo-chat.exe 2>/dev/null &

if [[ -n $headless ]]; then
  sleep 6
  mkdir -p build/screenshots
  import -window root build/screenshots/run.png
  echo "run: screenshot saved to $root/build/screenshots/run.png"
  echo "run: Parlowen is running; press Ctrl+C to end it"
fi
wait "$program" || true
