#!/usr/bin/env bash
# The program as a user starts it: it shows its window, ends with exit status
# 0 when the dialog is closed (Escape, or Enter outside a button), and closing
# writes no settings file. Runs on the display in $DISPLAY.
set -euo pipefail
program=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/tarvello"

run_and_close() {
  local keys=("$@")
  "$dir/tarvello" &
  local pid=$!
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarvello$' | head -n 1)
  if [ -z "$window" ]; then
    echo "FAIL: no Tarvello window appeared"; kill "$pid"; return 1
  fi
  xdotool windowfocus --sync "$window"
  sleep 0.3
  xdotool key --delay 100 "${keys[@]}"
  local status=0
  timeout 20 tail --pid="$pid" -f /dev/null || { echo "FAIL: still running after ${keys[*]}"; kill "$pid"; return 1; }
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then echo "FAIL: exit status $status after ${keys[*]}"; return 1; fi
  if [ -e "$dir/tarvello.ini" ]; then echo "FAIL: closing wrote $dir/tarvello.ini"; return 1; fi
  echo "ok: ${keys[*]} closes the program with exit status 0"
}

run_and_close Escape
run_and_close Tab Return        # Enter in the folder box
