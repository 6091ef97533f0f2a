#!/usr/bin/env bash
# Cross-builds the Windows program (tarvello.exe) and its tests in build-win/
# (or the folder given as $BUILD_DIR) with mingw-w64.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-win}
cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc 2>/dev/null || echo 2)"
