#!/usr/bin/env bash
# Fuzzes the settings-file reader and writer and the journal reader for
# longer than the test suite does: 10 minutes each unless told otherwise
# (scripts/fuzz.sh SECONDS).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/build.sh -DTARVELLO_BUILD_TESTS=ON >/dev/null
tests/fuzz/run_fuzzer.sh build/tests/profile_fuzzer tests/fuzz/settings_corpus "${1:-600}"
tests/fuzz/run_fuzzer.sh build/tests/journal_fuzzer tests/fuzz/journal_corpus "${1:-600}"
