#!/usr/bin/env bash
# The soak run: bench/run-soak.sh [MESSAGES (10000)] [IDLE_SECONDS (60)] [silent] [fast]. At one message
# a second, 10,000 messages take close to three hours. Build first with scripts/build.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PARLOWEN_PREFIX=$root/build/wine/soak exec "$root/scripts/wine-run.sh" "$root/build/windows/parlowen_soak.exe" "${1:-10000}" "${2:-60}" "${@:3}"
