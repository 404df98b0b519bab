#!/usr/bin/env bash
# Runs the end-to-end suite (built in build/windows) under Wine; extra arguments name
# the cases to run. Screenshots land in build/screenshots; what the program played is
# recorded in build/e2e-audio, with the speech cases' sounds beside it. With
# PARLOWEN_WINE_VERSION=winxp64 the prefix reports Windows XP and the cases for
# Windows 5.x run instead (screenshots in build/screenshots-winxp64).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
export PARLOWEN_SCREENSHOTS=$root/build/screenshots${PARLOWEN_WINE_VERSION:+-$PARLOWEN_WINE_VERSION}
export PARLOWEN_E2E_AUDIO=$root/build/e2e-audio
exec "$root/scripts/wine-run.sh" "$root/build/windows/parlowen_e2e.exe" "$(windows_path "$PARLOWEN_SCREENSHOTS")" "$@"
