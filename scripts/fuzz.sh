#!/usr/bin/env bash
# Fuzzes the settings-file reader and writer for longer than the test suite
# does: 10 minutes unless told otherwise (scripts/fuzz.sh SECONDS).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh -DTARVELLO_BUILD_TESTS=ON >/dev/null
exec tests/fuzz/run_fuzzer.sh build/tests/profile_fuzzer "${1:-600}"
