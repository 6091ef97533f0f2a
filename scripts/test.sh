#!/usr/bin/env bash
# Installs what is missing, builds both programs, and runs the whole test
# suite: the Linux program's tests, then the Windows program's under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh -DTARVELLO_BUILD_TESTS=ON
(cd build && ctest --output-on-failure --timeout 600 "$@")
scripts/build-windows.sh -DTARVELLO_BUILD_TESTS=ON
# The Windows tests run under wine, in a prefix of the build's own.
if ! why=$(tests/windows/make_wine_prefix.sh "$PWD/build-win/wineprefix" 2>&1); then
  echo "SKIPPED: the Windows program's tests: wine cannot start on this machine."
  echo "$why"
  exit 0
fi
(cd build-win && ctest --output-on-failure --timeout 900 "$@")
