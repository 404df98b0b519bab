#!/usr/bin/env bash
# Prints what each request to a messenger's history control costs from another
# process, under Wine with the GBK code page, for histories of the given sizes in bytes
# (default 10 KB, 1 MB and 10 MB). Build first with scripts/build.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
prepare_wine_prefix "$root/build/wine/template"
export WINEPREFIX=$root/build/wine/bench-requests
rm -rf "$WINEPREFIX"
cp -a "$root/build/wine/template" "$WINEPREFIX"
start_virtual_display
trap 'wineserver -k 2>/dev/null; stop_virtual_display; rm -rf "$WINEPREFIX"' EXIT
(($#)) || set -- 10240 1048576 10485760
wine "$root/build/windows/parlowen_chat_requests_bench.exe" "$@" 2>${REQUESTS_STDERR:-/dev/null}
