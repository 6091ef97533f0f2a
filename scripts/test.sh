#!/usr/bin/env bash
# Installs what is missing, builds both programs, and runs the whole test
# suite: the Linux program's tests, then the Windows program's under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -d build/Testing ] && [ -d build-win ]; then
  echo "Building and testing both programs: about 15 minutes on 2 cores."
else
  echo "Installing what is missing, building and testing both programs: about 40 minutes on a"
  echo "fresh 2-core machine (the Debian packages, two builds, a virtual machine's tests), 15 after."
fi
scripts/deps.sh test
echo "Building the Linux program and its tests..."
scripts/build.sh -DTARVELLO_BUILD_TESTS=ON
# Says why a test was skipped: ctest itself only says that it was.
skipped() {
  grep -h '^SKIPPED' "$1/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u || true
}
status=0
(cd build && ctest --output-on-failure --timeout 600 "$@") || status=$?
skipped build
[ $status -eq 0 ] || exit $status
echo "Cross-building the Windows program and its tests..."
scripts/build-windows.sh -DTARVELLO_BUILD_TESTS=ON
# The Windows tests run under wine, in a prefix of the build's own.
if ! why=$(tests/windows/make_wine_prefix.sh "$PWD/build-win/wineprefix" 2>&1); then
  echo "SKIPPED: the Windows program's tests: wine cannot start on this machine."
  echo "$why"
  exit 0
fi
(cd build-win && ctest --output-on-failure --timeout 900 "$@") || status=$?
skipped build-win
exit $status
