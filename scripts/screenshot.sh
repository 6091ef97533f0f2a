#!/usr/bin/env bash
# Starts Tarvello on a virtual screen, lists a demo folder, proposes new names
# with Add, and saves a screenshot of the window (docs/screenshot.png, or the
# file given). Run scripts/build.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshot.png}")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

mkdir "$work/Music"
for name in "Blue in Green.mp3" "So What.mp3" "Freddie Freeloader.mp3" "All Blues.mp3" \
            "Flamenco Sketches.mp3" "바람의 노래.mp3" "cover.jpg" "notes.txt"; do
  : > "$work/Music/$name"
done
cp build/tarvello "$work/tarvello"
printf '[Config]\nFolder=%s\nFile=mp3\nMethod=0\n' "$work/Music" > "$work/tarvello.ini"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
export DISPLAY=$display
sleep 1
"$work/tarvello" &
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarvello$' | head -n 1)
xdotool windowfocus --sync "$window"
sleep 0.3
# From "About": six Tabs reach "Search"; after it, four more reach "Random".
xdotool key --delay 80 Tab Tab Tab Tab Tab Tab Return
sleep 1.5
xdotool key --delay 80 Tab Tab Tab Tab Return
sleep 0.5
import -window "$window" "$out"
echo "saved $out"
