#!/usr/bin/env bash
# Builds and runs the benchmarks: the core job against a plain C baseline
# (on tmpfs and on the disk under build/), then the window under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh bench
scripts/build.sh >/dev/null
echo "== core: whole job against the C baseline"
(cd build && bench/core_bench)
echo
echo "== window"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" build/bench/window_bench
echo
echo "== settings file"
build/bench/settings_bench
