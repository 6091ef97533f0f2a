#!/usr/bin/env bash
# The Windows program as a user meets it, under wine on the display in
# $DISPLAY: it starts and shows "Tarvello", a whole Add job done with clicks
# and keys renames the files, the settings file beside the program is
# written, Ctrl+Z undoes, the window menu removes the Mac and Windows files,
# Esc ends it with exit status 0. With a second argument, a
# screenshot of the window after Random is saved there.
# Usage: window_test.sh TARVELLO.EXE [SCREENSHOT.png]
set -euo pipefail
exe=$1
shot=${2:-}
wine=$(command -v wine64 || command -v wine)
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# answer TITLE: waits for the message box of that title, clicks it and
# presses Enter on it (its default button). Without a window manager the
# keyboard follows the pointer.
answer() {
  local box
  # The main window is called "Tarvello" too: never taken for a box.
  for _ in $(seq 50); do
    box=$(xdotool search --onlyvisible --name "^$1\$" | grep -vx "${window:-none}" | head -n 1) || true
    [ -n "$box" ] && break
    sleep 0.2
  done
  [ -n "$box" ] || fail "no message box \"$1\" appeared"
  sleep 1
  xdotool mousemove --window "$box" 5 5
  sleep 0.5
  xdotool click 1
  sleep 0.3
  xdotool key --delay 100 Return
}

mkdir "$work/Music"
for name in "a.mp3" "b.mp3" "c.txt" "바람의 노래.mp3"; do printf '%s' "$name" > "$work/Music/$name"; done
cp "$exe" "$work/tarvello.exe"
folder="Z:${work//\//\\}\\Music"

"$wine" "$work/tarvello.exe" &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tarvello$' | head -n 1) || true
[ -n "$window" ] || fail "no window called Tarvello appeared"
echo "ok: the window \"Tarvello\" is shown"

# Positions in dialog units, as the template gives them, made pixels from the
# window's size (378 x 177 units).
eval "$(xdotool getwindowgeometry --shell "$window")"
click() {  # click X Y: the middle of a control at dialog units X, Y
  xdotool mousemove --window "$window" $(( $1 * WIDTH / 378 )) $(( $2 * HEIGHT / 177 )) click 1
  sleep 0.4
}
xdotool mousemove --window "$window" 5 5
sleep 0.5

# The folder box by the keyboard: from "About", Tab reaches it.
xdotool key --delay 100 Tab
xdotool type --delay 20 "$folder"
click 93 39        # Search
sleep 1.5          # its two pauses
[ -f "$work/tarvello.ini" ] || fail "Search wrote no settings file beside the program"
grep -q "^File=mp3" "$work/tarvello.ini" || fail "settings: $(cat "$work/tarvello.ini")"
click 276 83       # Add
click 342 87       # Random
[ -n "$shot" ] && import -window "$window" "$shot" && echo "saved $shot"
click 342 106      # Run: the question, answered Yes with Enter
answer 확인
for _ in $(seq 50); do [ -e "$work/Music/a.mp3" ] || break; sleep 0.2; done
sleep 0.5

names=$(cd "$work/Music" && ls)
echo "$names" | grep -q '^000[123]_a\.mp3$' || fail "a.mp3 was not renamed: $names"
echo "$names" | grep -q '^000[123]_b\.mp3$' || fail "b.mp3 was not renamed: $names"
echo "$names" | grep -q '^000[123]_바람의 노래\.mp3$' || fail "the Korean name was not renamed: $names"
echo "$names" | grep -q '^c\.txt$' || fail "c.txt was touched: $names"
for name in "$work"/Music/0*; do
  [ "$(cat "$name")" = "$(basename "$name" | cut -c6-)" ] || fail "$name holds another file"
done
grep -q '^Method=0' "$work/tarvello.ini" || fail "settings: $(cat "$work/tarvello.ini")"
echo "ok: a whole Add job renamed the files and wrote the settings file"

# Ctrl+Z (the focus on a button, not in an edit box): Undo, after a question.
xdotool mousemove --window "$window" 5 5
sleep 0.3
xdotool key --delay 100 ctrl+z
answer Undo
for _ in $(seq 50); do [ -e "$work/Music/a.mp3" ] && break; sleep 0.2; done
sleep 0.5
names=$(cd "$work/Music" && ls | tr '\n' '|')
[ "$names" = "a.mp3|b.mp3|c.txt|바람의 노래.mp3|" ] || fail "Undo left: $names"
echo "ok: Ctrl+Z undid the Run"

# The window menu (Shift+F10), its entry above About: the Mac and Windows
# files of the folder go, after a question; the songs and a folder stay.
printf 'm' > "$work/Music/._a.mp3"
printf 't' > "$work/Music/Thumbs.db"
mkdir "$work/Music/._album"
xdotool mousemove --window "$window" 5 5
sleep 0.3
xdotool key --delay 100 shift+F10
sleep 1
xdotool key --delay 150 Up Up Return
answer Remove
answer Tarvello
names=$(cd "$work/Music" && ls -A | tr '\n' '|')
[ "$names" = "._album|a.mp3|b.mp3|c.txt|바람의 노래.mp3|" ] || fail "the window menu's removal left: $names"
echo "ok: the window menu removes the Mac and Windows files, after a question"

xdotool mousemove --window "$window" 5 5
sleep 0.3
xdotool key --delay 100 Escape
status=0
timeout 20 tail --pid="$pid" -f /dev/null || fail "still running after Esc"
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit status $status after Esc"
echo "ok: Esc ends the program with exit status 0"
