#!/usr/bin/env bash
# Runs a test program as an ordinary user, so that tests of unreadable files
# and read-only folders really run when the suite itself runs as root.
# Usage: run_unprivileged.sh PROGRAM [ARGUMENTS...]
set -euo pipefail
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  exec "$program" "$@"
fi
if ! command -v setpriv >/dev/null 2>&1; then
  echo "setpriv (util-linux) is missing: cannot drop root for these tests" >&2
  exit 1
fi
# A copy the ordinary user can reach, whatever the build folder's parents allow.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/"
chmod 755 "$dir" "$dir/$(basename "$program")"
install -d -m 1777 "$dir/tmp"
cd "$dir/tmp"
TMPDIR=$dir/tmp setpriv --reuid=65534 --regid=65534 --clear-groups \
  "$dir/$(basename "$program")" "$@"
