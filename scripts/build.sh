#!/usr/bin/env bash
# Builds the native core with its tests (build/native) and the Windows program with
# its end-to-end driver (build/windows).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j2

cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j2
