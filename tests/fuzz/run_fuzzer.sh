#!/usr/bin/env bash
# Runs a fuzzer for the given number of seconds (30 unless told), starting
# from its seed corpus and a working corpus in the build folder. Exits
# non-zero when the fuzzer finds a failure.
# Usage: run_fuzzer.sh FUZZER SEED_FOLDER [SECONDS]
set -euo pipefail
fuzzer=$1
seeds=$(cd "$2" && pwd)
seconds=${3:-30}
name=$(basename "$fuzzer")
work=$(dirname "$fuzzer")/$name-corpus
artifacts=$(dirname "$fuzzer")/$name-artifacts
mkdir -p "$work" "$artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$seeds"
