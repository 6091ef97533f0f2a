#!/usr/bin/env bash
# Starts Tarvello on a virtual screen and saves screenshots of its window:
#   docs/screenshot.png          a demo folder after Search and Random with Add
#   docs/marked-rows.png         a half-numbered folder after Random with
#                                Delete, rows that will fail or lose text marked
#   docs/screenshot-windows.png  the Windows program under wine, after Random
# (or into the folder given). Run scripts/build.sh and, for the last one,
# scripts/build-windows.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs}")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
export DISPLAY=$display
sleep 1

# shot NAME METHOD FILE...: lists the files with the method checked, presses
# Search and Random, and saves the window as NAME.
shot() {
  local name=$1 method=$2
  shift 2
  rm -rf "$work/Music" "$work/tarvello.ini"
  mkdir "$work/Music"
  for file in "$@"; do : > "$work/Music/$file"; done
  cp build/tarvello "$work/tarvello"
  printf '[Config]\nFolder=%s\nFile=mp3\nMethod=%s\n' "$work/Music" "$method" > "$work/tarvello.ini"
  "$work/tarvello" &
  local pid=$! window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarvello$' | head -n 1)
  xdotool windowfocus --sync "$window"
  sleep 0.3
  # From "About": six Tabs reach "Search"; after it, four more reach "Random".
  xdotool key --delay 80 Tab Tab Tab Tab Tab Tab Return
  sleep 1.5
  xdotool key --delay 80 Tab Tab Tab Tab Return
  sleep 0.5
  import -window "$window" "$out/$name"
  echo "saved $out/$name"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

shot screenshot.png 0 "Blue in Green.mp3" "So What.mp3" "Freddie Freeloader.mp3" "All Blues.mp3" \
  "Flamenco Sketches.mp3" "바람의 노래.mp3" "cover.jpg" "notes.txt"
shot marked-rows.png 2 "0003_Blue in Green.mp3" "0001_So What.mp3" "0002_All Blues.mp3" \
  "All Blues.mp3" "Flamenco Sketches.mp3" "0004_바람의 노래.mp3" "cover.jpg"

if [ -x build-win/tarvello.exe ] || [ -f build-win/tarvello.exe ]; then
  export WINEPREFIX=$PWD/build-win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  tests/windows/make_wine_prefix.sh "$WINEPREFIX"
  tests/windows/window_test.sh build-win/tarvello.exe "$out/screenshot-windows.png" >/dev/null
  echo "saved $out/screenshot-windows.png"
fi
