#!/usr/bin/env bash
# Runs the settings-file fuzzer for the given number of seconds (30 unless
# told), starting from the seed corpus and a working corpus in the build
# folder. Exits non-zero when the fuzzer finds a failure.
# Usage: run_fuzzer.sh FUZZER [SECONDS]
set -euo pipefail
fuzzer=$1
seconds=${2:-30}
seeds=$(cd "$(dirname "$0")" && pwd)/corpus
work=$(dirname "$fuzzer")/fuzz-corpus
artifacts=$(dirname "$fuzzer")/fuzz-artifacts
mkdir -p "$work" "$artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$seeds"
