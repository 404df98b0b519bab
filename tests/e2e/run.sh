#!/usr/bin/env bash
# Runs the end-to-end suite (built in build/windows) under Wine; extra arguments name
# the cases to run. Screenshots land in build/screenshots.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
export PARLOWEN_SCREENSHOTS=$root/build/screenshots
exec "$root/scripts/wine-run.sh" "$root/build/windows/parlowen_e2e.exe" "$(windows_path "$PARLOWEN_SCREENSHOTS")" "$@"
