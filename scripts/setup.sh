#!/usr/bin/env bash
# Installs everything Gushmire needs to build and test on Debian 12 or 13: native
# toolchain and libraries, the mingw-w64 cross toolchain, and 32-bit Wine on
# Xvfb for the Windows-side tests. Safe to run again; skips what is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkgconf git
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxext-dev libxrandr-dev libxfixes-dev libxtst-dev x11-utils libpng-dev libgif-dev libfreetype-dev fonts-dejavu-core
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 wine64 xvfb xdotool imagemagick
  clang-format python3
  dpkg-dev debhelper lintian file groff-base xscreensaver xsecurelock
  clang libclang-rt-dev
  libpam0g-dev libpam-wrapper
  libwayland-dev wayland-protocols libxkbcommon-dev xkb-data sway swaybg grim wtype weston xwayland wayland-utils
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  debootstrap
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi

# Some virtual machines run no 32-bit x86 code at all (the kernel refuses
# i386 programs with "Exec format error"). 32-bit Wine then runs under
# qemu's user-mode emulation, registered for i386 programs with binfmt_misc.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null |
    grep -q "install ok installed"; then
    echo "setup: this machine runs no 32-bit code; installing qemu-user-static"
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q \
      --no-install-recommends qemu-user-static
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] ||
    "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ ! -e "$binfmt/qemu-i386" ]; then
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" |
      "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 ||
    echo "setup: 32-bit programs still do not run; the Wine tests will fail" >&2
fi

# The Wine tests read that registration to know they run emulated. In a
# chroot or container of such a machine it applies, but binfmt_misc is not
# mounted there to show it.
binfmt=/proc/sys/fs/binfmt_misc
if [ -d "$binfmt" ] && [ ! -e "$binfmt/register" ]; then
  "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
fi
