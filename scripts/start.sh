#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tarvello.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
scripts/build.sh -DTARVELLO_BUILD_TESTS=OFF
exec build/tarvello "$@"
