#!/usr/bin/env bash
# Runs the end-to-end suite of the 32-bit program (built in build/windows32; with
# PARLOWEN_WIDTH=64 the 64-bit one in build/windows) under Wine; extra arguments name the
# cases to run (a name, or its start and "*"). Screenshots land in build/screenshots;
# what the program played is recorded in build/e2e-audio, with the speech cases' sounds
# beside it. With PARLOWEN_WINE_VERSION=winxp64 (or winxp and PARLOWEN_WINE_ARCH=win32)
# the prefix reports Windows XP and the cases for Windows 5.x run instead (screenshots
# in build/screenshots-winxp64 or -winxp).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
if [[ ${PARLOWEN_WIDTH:-32} == 64 ]]; then tree=windows other=windows32; else tree=windows32 other=windows; fi
export PARLOWEN_SCREENSHOTS=$root/build/screenshots${PARLOWEN_WINE_VERSION:+-$PARLOWEN_WINE_VERSION}
export PARLOWEN_E2E_AUDIO=$root/build/e2e-audio
export PARLOWEN_OTHER_WIDTH_DEMO_CHAT=$(windows_path "$root/build/$other/parlowen-demo-chat.exe")
exec "$root/scripts/wine-run.sh" "$root/build/$tree/parlowen_e2e.exe" "$(windows_path "$PARLOWEN_SCREENSHOTS")" "$@"
