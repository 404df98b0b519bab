#!/usr/bin/env bash
# Prints how soon the eSpeak NG engine's voice process plays a message and how long
# speaking holds the GUI thread, under Wine with a private audio server (build first
# with scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PARLOWEN_E2E_AUDIO=$root/build/bench-audio exec "$root/scripts/wine-run.sh" "$root/build/windows/parlowen_espeak_bench.exe"
