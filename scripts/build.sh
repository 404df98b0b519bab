#!/usr/bin/env bash
# Builds the native core with its unit tests (build/native) and the Windows program with
# its end-to-end suite (build/windows), through the presets in CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in native windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
