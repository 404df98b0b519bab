#!/usr/bin/env bash
# How long opening and clearing hold the window at 1,000, 2,000 and 10,000 log entries:
# bench/run-log-size.sh [COUNT ...]. Build first with scripts/build.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PARLOWEN_PREFIX=$root/build/wine/log-size exec "$root/scripts/wine-run.sh" "$root/build/windows/parlowen_log_size_bench.exe" "$@"
