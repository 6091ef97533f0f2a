#!/bin/sh
# Runs inside the test VM (busybox sh), on a FAT32 volume (/dev/vda) and an
# exFAT one (/dev/vdb), with tarvello-cli: Add, Replace and Delete in
# folders and at the root of folders with a messy history, Runs killed at
# several points and undone, and power cuts in the middle of Runs, each of
# whose undo the next boot does before it cuts the next. Each check prints
# "RESULT ok|FAIL <what>"; the host reads the images afterwards with its own
# reader.
# Usage: in_vm.sh BOOT   (1: the checks and the first cut; then each boot
#                         undoes the last cut and makes the next, if any)
phase=$1
cli=/bin/tarvello-cli

result() { echo "RESULT $1 $2"; }
# The entries in readdir order, as the driver yields them (busybox find
# does not sort).
entries() { find "$1" -mindepth 1 -maxdepth 1 | sed 's#.*/##'; }
numbered() { entries "$1" | grep -E '^[0-9]{4,5}_'; }
# The numbered names in order: their order on the disk is the names'.
ordered() { numbered "$1" > /tmp/got; LC_ALL=C sort /tmp/got | cmp -s - /tmp/got; }
# Every file holds its own first name: `check DIR` compares names and
# contents with the list made with the folder.
contents_ok() {
  for f in "$1"/*; do
    [ -f "$f" ] || continue
    first=""
    read -r first < "$f"
    [ -n "$first" ] || return 1
    case "$(basename "$f")" in *"$first") ;; *) return 1 ;; esac
  done
}

# A folder as users leave them: tracks of every length and Korean names
# copied in, a cover, a folder of extras and notes among them, some tracks
# deleted, others added later.
history() {
  d=$1
  i=0
  while IFS= read -r n; do
    i=$((i + 1))
    echo "$n" > "$d/$n"
    if [ $i = 9 ]; then echo cover.jpg > "$d/cover.jpg"; mkdir "$d/Bonus"; echo extra.mp3 > "$d/Bonus/extra.mp3"; fi
    if [ $i = 20 ]; then echo notes.txt > "$d/notes.txt"; fi
  done < /names.txt
  for k in 03 11 12 24 31 40; do rm -f "$d"/track$k\ *; done
  for k in 1 2 3 4 5; do echo "late $k song.mp3" > "$d/late $k song.mp3"; done
  sync
}

run() {  # run WHAT DIR METHOD: one Run, ordered on the disk
  what=$1; d=$2; m=$3
  out=$($cli "$m" "$d" --yes 2>&1); status=$?
  if [ $status -ne 0 ] || echo "$out" | grep -q "not put in order"; then
    result FAIL "$what $m: exit $status: $(echo "$out" | tail -n 2 | tr '\n' ' ')"
    return
  fi
  if [ "$m" != delete ] && ! ordered "$d"; then result FAIL "$what $m: out of order"; return; fi
  contents_ok "$d" && [ -f "$d/Bonus/extra.mp3" ] || { result FAIL "$what $m: files changed"; return; }
  result ok "$what $m"
}

insmod_all() {
  for m in virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci virtio_blk \
           fat vfat nls_cp437 nls_ascii nls_utf8 nls_iso8859-1 exfat; do
    [ -f /mod/$m.ko ] && insmod /mod/$m.ko 2>/dev/null
  done
  sleep 1
}

insmod_all
mkdir -p /v1 /v2
files=$(sed -n 's/.*tarvello\.files=\([0-9]*\).*/\1/p' /proc/cmdline)

# The device writes benchmark: fresh sticks filled with `files` files...
if [ "$phase" = fill ]; then
  mount -t vfat -o utf8,shortname=mixed /dev/vda /v1 && mount -t exfat /dev/vdb /v2 || result FAIL "mount"
  for v in /v1 /v2; do stick_tool fill "$v/Music" "$files" || result FAIL "fill $v"; done
  umount /v1; umount /v2
  echo "DONE"
  poweroff -f
fi
# ... then each copy of them renamed one way, its writes counted from mount
# to unmount: write requests, sectors written, flush requests.
if [ "$phase" = writes ]; then
  counts() { set -- $(cat "/sys/block/$1/stat"); echo "$5 $7 ${16:-0}"; }
  for disk in vda:fat:loop vdb:fat:never vdc:fat:default vdd:exfat:loop vde:exfat:never vdf:exfat:default \
              vdg:fat:direct vdh:exfat:direct; do
    dev=${disk%%:*}; rest=${disk#*:}; fs=${rest%%:*}; method=${rest#*:}
    set -- $(counts $dev); w0=$1; s0=$2; f0=$3; t0=$(cut -d' ' -f1 /proc/uptime)
    if [ $fs = fat ]; then mount -t vfat -o utf8,shortname=mixed /dev/$dev /v1; else mount -t exfat /dev/$dev /v1; fi
    case $method in
      loop) stick_tool shuffle /v1/Music ;;
      direct) stick_tool direct /v1/Music ;;
      never) $cli add /v1/Music --yes --order=never >/tmp/out 2>&1 ;;
      default) $cli add /v1/Music --yes >/tmp/out 2>&1 ;;
    esac
    status=$?
    n=$(numbered /v1/Music | wc -l)
    [ $status -eq 0 ] && [ "$n" -eq "$files" ] || result FAIL "$fs $method: exit $status, $n numbered: $(tail -n 2 /tmp/out)"
    [ $method != default ] || ordered /v1/Music || result FAIL "$fs $method: out of order"
    umount /v1
    set -- $(counts $dev)
    echo "WRITES $fs $method $(($1 - w0)) $(($2 - s0)) $(($3 - f0)) from $t0 to $(cut -d' ' -f1 /proc/uptime) s"
  done
  echo "DONE"
  poweroff -f
fi

mount -t vfat -o utf8,shortname=mixed /dev/vda /v1 || result FAIL "mount vfat"
mount -t exfat /dev/vdb /v2 || result FAIL "mount exfat"

# Where each boot cuts the power: seconds after the journal shows the order
# step begun, so that the cuts land from its first moves to its end.
cut_delay() {
  case $1 in
    1) echo 0 ;; 2) echo 0.03 ;; 3) echo 0.06 ;; 4) echo 0.1 ;; 5) echo 0.15 ;; 6) echo 0.2 ;;
    7) echo 0.3 ;; 8) echo 0.4 ;; 9) echo 0.5 ;; 10) echo 0.65 ;; 11) echo 1 ;; *) echo "" ;;
  esac
}

# The program on each stick, and a Run of it cut by a power cut while it
# puts the files in order: a while after its journal shows the order step
# begun, the process is frozen, the sticks are written as a flush on the way
# writes them (sync), and the power goes. The program is stopped before the
# sync, as its own flush stops its moves: a sync that races with moves can
# write a moved file's new entry before the file itself (Linux vfat), which
# the program's own flushes never do. What was not written by then is lost
# as on a pulled stick; the next boot undoes it.
power_cut() {
  delay=$1
  for v in /v1 /v2; do
    rm -rf "$v/Cut"
    mkdir -p "$v/tv" "$v/Cut"
    [ -f "$v/tv/tarvello-cli" ] || cp $cli "$v/tv/tarvello-cli"
    i=0; while [ $i -lt 400 ]; do i=$((i + 1)); echo "cut track $i.mp3" > "$v/Cut/cut track $i.mp3"; done
    ls "$v/Cut" | LC_ALL=C sort > "$v/Cut.expected"
  done
  sync
  "/v1/tv/tarvello-cli" add /v1/Cut --yes >/dev/null 2>&1 &
  p1=$!
  "/v2/tv/tarvello-cli" add /v2/Cut --yes >/dev/null 2>&1 &
  p2=$!
  frozen=""
  tries=0
  while [ $tries -lt 400 ]; do
    tries=$((tries + 1))
    for v in /v1 /v2; do
      case "$frozen" in *"$v"*) continue ;; esac
      pid=$p1; [ $v = /v2 ] && pid=$p2
      if grep -a -q '^order ' "$v/tv/tarvello-cli.journal" 2>/dev/null || ! kill -0 $pid 2>/dev/null; then
        sleep "$delay"
        kill -STOP $pid 2>/dev/null
        sync
        frozen="$frozen $v"
      fi
    done
    case "$frozen" in *v1*v2*|*v2*v1*) break ;; esac
    sleep 0.05
  done
  echo "RESULT ok power cut now, $delay s into the order step ($(cut -d' ' -f1 /proc/uptime) s up)"
  echo b > /proc/sysrq-trigger
  sleep 10
}

if [ "$phase" -gt 1 ]; then
  # The boot after a power cut: the program on the stick finds its journal.
  for v in /v1 /v2; do
    echo "DIAG $v: $(ls "$v" | grep Cut | tr '\n' ' ') cut=$(ls "$v/Cut" | wc -l) $(grep -a -o -e '^result [0-9]*' -e '^order [si] [0-9A-Z]*' -e '^ordered' "$v/tv/tarvello-cli.journal" | tr '\n' ' ')"
    for d in "$v"/Cut.tarvello-*; do [ -d "$d" ] && echo "DIAG $d holds $(ls "$d" | wc -l)"; done
    journal=$(grep -a -c -e '^result ' -e '^ordered$' "$v/tv/tarvello-cli.journal" 2>/dev/null)
    out=$("$v/tv/tarvello-cli" undo --yes 2>&1); status=$?
    ls "$v/Cut" | LC_ALL=C sort > /tmp/now
    # Nothing lost, nothing left behind; "no Run to undo" only when the
    # journal never reached the disk and so no name changed either.
    if [ $status -le 2 ] && cmp -s /tmp/now "$v/Cut.expected" && contents_ok "$v/Cut" &&
       ! ls "$v" | grep -q 'Cut\.tarvello-'; then
      result ok "$v power cut $((phase - 1)) undone (journal records of the end: ${journal:-none})"
    else
      result FAIL "$v power cut $((phase - 1)): exit $status: $(echo "$out" | tail -n 1); $(wc -l < /tmp/now) names, $(ls "$v" | tr '\n' ' ')"
    fi
  done
  delay=$(cut_delay "$phase")
  if [ -n "$delay" ]; then power_cut "$delay"; fi
  umount /v1; umount /v2
  echo "DONE"
  poweroff -f
fi

for v in /v1 /v2; do
  grep -q tarvello.only=cut /proc/cmdline && continue
  for m in add replace delete; do mkdir "$v/Music_$m"; history "$v/Music_$m"; done
  run "$v folder" "$v/Music_add" add
  run "$v folder" "$v/Music_replace" add
  run "$v folder" "$v/Music_replace" replace
  run "$v folder" "$v/Music_delete" add
  run "$v folder" "$v/Music_delete" replace
  run "$v folder" "$v/Music_delete" delete
  # The root, with the folders above among its entries.
  history "$v"
  run "$v root" "$v" add
  run "$v root" "$v" replace
  run "$v root" "$v" delete

  # Killed part way, at several points: undo puts every file back.
  mkdir "$v/Kill"
  i=0; while [ $i -lt 240 ]; do i=$((i + 1)); echo "kill track $i.mp3" > "$v/Kill/kill track $i.mp3"; done
  ls "$v/Kill" | LC_ALL=C sort > /tmp/before
  for wait in 0.5 1 2 3 4 6; do
    $cli add "$v/Kill" --yes >/tmp/killed 2>&1 &
    pid=$!
    sleep $wait
    kill -9 $pid 2>/dev/null
    wait $pid 2>/dev/null
    phase_seen=$(grep -a -c '^order ' /bin/tarvello-cli.journal 2>/dev/null)
    $cli undo --yes >/tmp/undone 2>&1
    ls "$v/Kill" | LC_ALL=C sort > /tmp/now
    if cmp -s /tmp/now /tmp/before && contents_ok "$v/Kill" && ! ls "$v" | grep -q 'Kill\.tarvello-'; then
      result ok "$v killed after $wait s (order step begun: $phase_seen)"
    else
      result FAIL "$v killed after $wait s: $(tail -n 1 /tmp/undone)"
    fi
  done
  sync
done

power_cut "$(cut_delay 1)"
