#!/usr/bin/env bash
# The soak run: bench/run-soak.sh [MESSAGES (10000)] [IDLE_SECONDS (60)] [silent] [fast] [group]. At one message
# a second, 10,000 messages take close to three hours. It runs the 64-bit program; with
# PARLOWEN_WIDTH=32 the 32-bit one that users install. Build first with scripts/build.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ ${PARLOWEN_WIDTH:-64} == 32 ]]; then tree=windows32; else tree=windows; fi
PARLOWEN_PREFIX=$root/build/wine/soak$tree exec "$root/scripts/wine-run.sh" "$root/build/$tree/parlowen_soak.exe" "${1:-10000}" "${2:-60}" "${@:3}"
