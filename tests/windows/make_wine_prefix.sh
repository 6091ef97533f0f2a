#!/usr/bin/env bash
# Makes the throwaway wine prefix the Windows tests run in, once: a prefix
# that exists already is used as it is.
# Usage: make_wine_prefix.sh PREFIX
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wine=$(command -v wine64 || command -v wine)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the wine prefix $WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || /usr/lib/wine/wineserver -w 2>/dev/null || true
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "wine could not make $WINEPREFIX" >&2; exit 1; }
