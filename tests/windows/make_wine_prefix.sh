#!/usr/bin/env bash
# Makes the throwaway wine prefix the Windows tests run in, once: a prefix
# that exists already is used as it is.
# Usage: make_wine_prefix.sh PREFIX
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wine=$(command -v wine64 || command -v wine) || { echo "wine is not installed" >&2; exit 1; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the wine prefix $WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  # The dialogs' font, 굴림 (Gulim), is not part of wine: a Korean font of
  # this machine stands in for it and for wine's own dialog fonts.
  for font in "굴림" "Gulim" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2"; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d NanumGothic /f \
      >/dev/null 2>&1 || true
  done
  wineserver -w 2>/dev/null || true
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "wine could not make $WINEPREFIX" >&2; exit 1; }
# Drive T: for the tests of a program at the root of a drive: an empty
# folder of the prefix's own.
mkdir -p "$WINEPREFIX/drive_t"
[ -e "$WINEPREFIX/dosdevices/t:" ] || ln -s ../drive_t "$WINEPREFIX/dosdevices/t:"
