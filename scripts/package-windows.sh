#!/usr/bin/env bash
# Builds dist/tarvello-windows-x64.zip: the Windows program, one exe that
# needs no installer and no DLLs beside it, with a short read-me.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh windows
scripts/build-windows.sh
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir "$staging/Tarvello"
x86_64-w64-mingw32-strip -o "$staging/Tarvello/tarvello.exe" build-win/tarvello.exe
sed 's/$/\r/' res/windows/README.txt > "$staging/Tarvello/README.txt"
mkdir -p dist
rm -f dist/tarvello-windows-x64.zip
(cd "$staging" && cmake -E tar cf "$OLDPWD/dist/tarvello-windows-x64.zip" --format=zip Tarvello)
echo "built dist/tarvello-windows-x64.zip"
