#!/usr/bin/env bash
# Installs the Debian packages that Tarvello needs for a purpose, when they are
# missing. Safe to run again and again; works as root or through sudo.
#   scripts/deps.sh build    the program
#   scripts/deps.sh windows  the Windows program, cross-built, and wine to run it
#   scripts/deps.sh test     both programs and every test
#   scripts/deps.sh bench    the benchmarks
set -euo pipefail

# The Korean font shows the program's own texts and Korean file names.
build_packages=(cmake make g++ pkg-config libwxgtk3.2-dev libcli11-dev fonts-nanum)
test_packages=(libgtest-dev xvfb xauth xdotool imagemagick ntfs-3g exfat-fuse exfatprogs clang
               libclang-rt-14-dev qemu-system-x86 busybox-static dosfstools python3 xz-utils strace)
windows_packages=(cmake make g++-mingw-w64-x86-64-posix wine wine64 libgtest-dev libcli11-dev)

case "${1:-build}" in
  build) wanted=("${build_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  test) wanted=("${build_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}") ;;
  bench) wanted=("${build_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 build|windows|test|bench" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing ${#missing[@]} Debian packages (a few minutes on a fresh machine): ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  run=()
elif command -v sudo >/dev/null 2>&1; then
  run=(sudo)
else
  echo "Cannot install ${missing[*]}: not root and no sudo. Install them and run this again." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# apt and dpkg speak only when something goes wrong.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! "${run[@]}" apt-get update -qq >"$log" 2>&1 ||
   ! "${run[@]}" apt-get install -y -qq --no-install-recommends -o Dpkg::Use-Pty=0 "${missing[@]}" >>"$log" 2>&1; then
  cat "$log" >&2
  echo "Could not install ${missing[*]} with apt-get (see above). Install them and run this again." >&2
  exit 1
fi
