#!/usr/bin/env bash
# The order step on real vfat and exFAT: Debian's own kernel boots under
# qemu (software emulation, no KVM needed) with a busybox initramfs that
# holds tarvello-cli and its libraries, on a FAT32 and an exFAT image. After
# the boots (each undoes a Run cut by a power cut in the boot before, and
# cuts another one, at eleven points of the order step), the images are
# checked with fsck after every boot, and read at the end by
# tests/vm/dirorder.py, which does not go through any driver. Then the
# device writes of a Run are measured on fresh sticks and printed: write
# requests, sectors and flushes from mount to unmount, for a plain rename
# loop (STICK-TOOL), --order=never and the default, on the same pristine
# image of 2,000 files (VM_WRITES_FILES: other counts, up to the about
# 13,000 files of such names a FAT32 folder holds; VM_TEST_ONLY=writes:
# nothing else).
# Usage: vm_test.sh TARVELLO-CLI WORK-FOLDER STICK-TOOL
# Exit 0 passed, 1 failed, 77 skipped (the reason is printed).
set -uo pipefail
cli=$(realpath "$1")
work=$2
stick_tool=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAIL: $*"; failed=1; }
failed=0

for tool in qemu-system-x86_64 busybox mkfs.fat mkfs.exfat fsck.fat fsck.exfat python3 dpkg-deb apt-get; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/deps.sh test installs it)"
done
case "$(ldd "$(command -v busybox)" 2>&1)" in
  *"not a dynamic"*) ;;
  *) skip "busybox is not the static one (busybox-static)" ;;
esac
mkdir -p "$work"
cd "$work" || exit 1

# Debian's current kernel, fetched once and kept.
if [ ! -f kernel/vmlinuz ]; then
  rm -rf kernel && mkdir kernel
  kernel_package() { apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}'; }
  package=$(kernel_package)
  # A machine whose package lists were cleaned knows it after an update.
  if [ -z "$package" ] && [ "$(id -u)" -eq 0 ]; then
    apt-get update -qq >/dev/null 2>&1
    package=$(kernel_package)
  fi
  [ -n "$package" ] || skip "apt knows no linux-image-amd64"
  (cd kernel && apt-get download -q "$package" >/dev/null 2>&1) || skip "the kernel package $package cannot be downloaded"
  dpkg-deb --fsys-tarfile kernel/*.deb | tar -x -C kernel --wildcards './boot/vmlinuz-*' \
    './lib/modules/*/kernel/fs/fat/*' './lib/modules/*/kernel/fs/exfat/*' \
    './lib/modules/*/kernel/fs/nls/nls_*' './lib/modules/*/kernel/drivers/block/virtio_blk.ko*' \
    './lib/modules/*/kernel/drivers/virtio/virtio*.ko*' || skip "the kernel package cannot be unpacked"
  mv kernel/boot/vmlinuz-* kernel/vmlinuz
  rm -f kernel/*.deb
fi
find kernel/lib -name '*.ko.xz' -exec xz -d {} + 2>/dev/null

# The initramfs: busybox, the modules, the test and tarvello-cli with the
# libraries it needs and the loader.
rm -rf root && mkdir -p root/bin root/mod root/proc root/sys root/dev root/tmp root/lib64 root/v1 root/v2
cp "$(command -v busybox)" root/bin/busybox
find kernel/lib -name '*.ko' -exec cp {} root/mod/ \;
cp "$here/init" "$here/in_vm.sh" root/ && chmod +x root/init
cp "$cli" root/bin/tarvello-cli
cp "$stick_tool" root/bin/stick_tool
for lib in $(for program in "$cli" "$stick_tool"; do ldd "$program"; done | grep -o '/[^ ]*' | sort -u); do
  mkdir -p "root$(dirname "$lib")" && cp -L "$lib" "root$lib"
done
python3 - "$work/root/names.txt" <<'PY'
import random, sys
r = random.Random(2026)
names = []
for i in range(1, 46):
    name = 'track%02d %s' % (i, 'x' * r.randint(0, 38))
    if i % 6 == 0:
        name += ' 노래 바람'
    names.append(name + '.mp3')
open(sys.argv[1], 'w', encoding='utf-8').write(''.join(n + '\n' for n in names))
PY
(cd root && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1 > ../initrd.gz)

rm -f fat.img exfat.img
truncate -s 96M fat.img exfat.img
mkfs.fat -F 32 -n TARVELLO fat.img >/dev/null && mkfs.exfat exfat.img >/dev/null || { echo "FAIL: the images cannot be made"; exit 1; }

boot() {  # boot PHASE [IMAGE...]: the FAT32 and the exFAT image unless told
  phase=$1
  shift
  [ $# -gt 0 ] || set -- fat.img exfat.img
  drives=()
  for image in "$@"; do drives+=(-drive "file=$image,format=raw,if=virtio"); done
  rm -f "boot$phase.log"
  timeout "${boot_timeout:-900}" qemu-system-x86_64 -accel tcg -m 768 -smp 1 -nographic -no-reboot \
    -kernel kernel/vmlinuz -initrd initrd.gz \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 tarvello.phase=$phase ${VM_TEST_ARGS:-}" \
    "${drives[@]}" > "boot$phase.log" 2>&1
  tr -d '\r' < "boot$phase.log" | grep -a -E '^(RESULT|BOOTED|DONE|DIAG)'
}
# The power cut leaves the volume marked dirty and its free count stale;
# fsck.fat may say so and nothing else. A lost cluster is a file's data
# lost: never.
fsck_both() {  # fsck_both WHEN
  fsck.fat -n fat.img >fsck.log 2>&1
  grep -v -E -e '^fsck\.fat ' -e '^fat\.img: [0-9]+ files' -e '^Leaving filesystem unchanged' -e '^$' \
    -e 'differences between boot sector and its backup' -e 'mostly harmless' -e '^  65:0[01]/0[01]$' \
    -e 'Not automatically fixing this' -e '^Dirty bit is set' -e 'Automatically removing dirty bit' \
    -e '^Free cluster summary wrong' -e '^  Auto-correcting' fsck.log > fsck.rest
  [ -s fsck.rest ] && fail "fsck.fat $1: $(head -n 5 fsck.rest)"
  fsck.exfat -n exfat.img >fsck.log 2>&1 || fail "fsck.exfat $1: $(tail -n 3 fsck.log)"
}
# The device writes of a Run on a stick of N files, FAT32 and exFAT: a
# filled image, three copies each, one boot that measures them all.
writes_bench() {  # writes_bench FILES
  local files=$1 fs method
  # A folder of many files takes its time under emulation: each new name
  # is looked for through the whole folder.
  local boot_timeout=$((900 + files / 5))
  for fs in fat exfat; do
    rm -f "w_$fs.img" && truncate -s 512M "w_$fs.img"
  done
  mkfs.fat -F 32 -n STICK w_fat.img >/dev/null && mkfs.exfat w_exfat.img >/dev/null || { fail "no images"; return; }
  VM_TEST_ARGS="tarvello.files=$files" boot fill w_fat.img w_exfat.img >/dev/null
  grep -a -q '^DONE' bootfill.log || { fail "the sticks were not filled (see $work/bootfill.log)"; return; }
  local images=()
  for fs in fat exfat; do
    for method in loop never default; do
      cp --sparse=always "w_$fs.img" "w_${fs}_$method.img"
      images+=("w_${fs}_$method.img")
    done
  done
  for fs in fat exfat; do
    cp --sparse=always "w_$fs.img" "w_${fs}_direct.img"
    images+=("w_${fs}_direct.img")
  done
  VM_TEST_ARGS="tarvello.files=$files" boot writes "${images[@]}" >/dev/null
  grep -a -q '^DONE' bootwrites.log || { fail "the writes were not measured (see $work/bootwrites.log)"; return; }
  tr -d '\r' < bootwrites.log | grep -a '^RESULT FAIL' && fail "a measured Run failed"
  echo "Device writes of one Add Run on $files files, mount to unmount (write requests / sectors / flushes):"
  tr -d '\r' < bootwrites.log | awk -v files="$files" '
    /^WRITES / { w[$2 " " $3] = $4; s[$2 " " $3] = $5; f[$2 " " $3] = $6 }
    END {
      printf "  %-44s %22s %22s\n", "", "FAT32", "exFAT"
      n = split("loop direct never default", m, " ")
      names["loop"] = "plain C loop: rename in place, one syncfs"
      names["direct"] = "plain C loop: straight into a sibling, in order"
      names["never"] = "tarvello-cli add --order=never"
      names["default"] = "tarvello-cli add (in the new order)"
      for (i = 1; i <= n; i++) {
        printf "  %-44s %8d %7d %5d %8d %7d %5d\n", names[m[i]], w["fat " m[i]], s["fat " m[i]], f["fat " m[i]],
               w["exfat " m[i]], s["exfat " m[i]], f["exfat " m[i]]
      }
      printf "  %-44s %8.2f %7.2f %5s %8.2f %7.2f %5s\n", "default / never", w["fat default"] / w["fat never"],
             s["fat default"] / s["fat never"], "", w["exfat default"] / w["exfat never"],
             s["exfat default"] / s["exfat never"], ""
    }'
  for image in "${images[@]}"; do
    case $image in
      w_fat*) fsck.fat -n "$image" >fsck.log 2>&1 || fail "fsck.fat $image: $(tail -n 3 fsck.log)" ;;
      *) fsck.exfat -n "$image" >fsck.log 2>&1 || fail "fsck.exfat $image: $(tail -n 3 fsck.log)" ;;
    esac
  done
  rm -f w_*.img
}
if [ "${VM_TEST_ONLY:-}" = writes ]; then
  for files in ${VM_WRITES_FILES:-2000}; do writes_bench "$files"; done
  exit $failed
fi

# The first boot makes its checks and cuts the power in an order step;
# every later one undoes the cut before and cuts again, eleven times.
cuts=11
rm -f boot*.log
start=$(date +%s)
boot 1
grep -a -q 'RESULT ok power cut now' boot1.log || fail "the first boot did not get to the power cut (see $work/boot1.log)"
fsck_both "after the first power cut"
for phase in $(seq 2 $((cuts + 1))); do
  boot "$phase"
  grep -a -q '^DONE' "boot$phase.log" || grep -a -q 'RESULT ok power cut now' "boot$phase.log" ||
    fail "boot $phase did not finish (see $work/boot$phase.log)"
  fsck_both "after boot $phase"
done
grep -a -q '^DONE' "boot$((cuts + 1)).log" || fail "the last boot did not finish (see $work/boot$((cuts + 1)).log)"
undone=$(cat boot*.log | tr -d '\r' | grep -a -c 'RESULT ok .* power cut [0-9]* undone')
[ "$undone" -eq $((2 * cuts)) ] || fail "$undone of $((2 * cuts)) power cuts undone"
grep -a -q 'RESULT FAIL' boot*.log && fail "checks inside the VM failed"
echo "$((cuts + 1)) boots took $(( $(date +%s) - start )) s; $undone power cuts in the order step undone"

# The images as they lie on the disk.
for image in fat.img exfat.img; do
  for folder in /Music_add /Music_replace; do
    python3 "$here/dirorder.py" "$image" "$folder" | grep -E '^[0-9]{4,5}_' > got
    [ -s got ] && LC_ALL=C sort got | cmp -s - got || fail "$image $folder: the numbered files are not in name order"
  done
  for folder in /Music_delete /; do
    python3 "$here/dirorder.py" "$image" "$folder" | grep -E '^(track|late)' > got
    [ "$(wc -l < got)" -ge 40 ] && LC_ALL=C sort got | cmp -s - got || fail "$image $folder: the tracks are not in name order"
  done
  [ "$(python3 "$here/dirorder.py" "$image" /Music_add | wc -l)" -ge 43 ] || fail "$image: files missing"
done
fsck_both "at the end"
for files in ${VM_WRITES_FILES:-2000}; do writes_bench "$files"; done
[ $failed -eq 0 ] && echo "the order step passed on real vfat and exFAT"
exit $failed
