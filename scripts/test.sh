#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh -DTARVELLO_BUILD_TESTS=ON
cd build
ctest --output-on-failure --timeout 600 "$@"
