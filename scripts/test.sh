#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the native unit tests (under
# AddressSanitizer and UBSan) and the end-to-end suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh
ctest --test-dir build/native --output-on-failure -j2
tests/e2e/run.sh
