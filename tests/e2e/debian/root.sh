#!/usr/bin/env bash
# A fresh Debian root for tests that need another release than the
# machine's (Debian 13 and its sway 1.10, weston 14, Wine 10, GCC 14).
#
#   root.sh make SUITE DIR   a clean copy of the cached minbase root of SUITE
#                            in DIR, with /proc, /sys and /dev mounted
#   root.sh run DIR CMD...   CMD as root inside DIR, in a login-like env
#   root.sh drop DIR         unmounts everything under DIR and removes it
#
# The first `make` of a suite runs debootstrap (a few minutes) and keeps the
# result in $GUSHMIRE_ROOT_CACHE (default /var/cache/gushmire/roots); later
# ones copy that. Downloaded packages are kept in the cache too: each copy
# starts with them and `drop` hands back what it fetched, so reinstalling in
# a clean copy costs no download. Copies are independent of one another.
set -euo pipefail
cache=${GUSHMIRE_ROOT_CACHE:-/var/cache/gushmire/roots}

die() { echo "root.sh: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, mount, chroot)"

# The machine's own mirror, so the root reaches what the machine reaches.
mirror() {
  local m
  m=$(grep -hoE '^(URIs:|deb) +https?://[^ ]+/debian/?' \
    /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
    head -n1 | awk '{ print $2 }')
  echo "${m:-http://deb.debian.org/debian}"
}

# base SUITE: the cached, never-used minbase root, made once.
base() {
  local suite=$1 dir="$cache/$1" m
  if [ ! -e "$dir/.complete" ]; then
    command -v debootstrap >/dev/null ||
      die "debootstrap is missing (apt-get install debootstrap)"
    rm -rf "$dir" "$dir.part"
    mkdir -p "$cache"
    m=$(mirror)
    echo "root.sh: debootstrap --variant=minbase $suite from $m" >&2
    debootstrap --variant=minbase "$suite" "$dir.part" "$m" \
      >"$cache/$suite.log" 2>&1 ||
      { tail -n 20 "$cache/$suite.log" >&2; die "debootstrap $suite failed"; }
    cat >"$dir.part/etc/apt/sources.list.d/debian.sources" <<SOURCES
Types: deb
URIs: $m
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: ${m%/debian*}/debian-security
Suites: $suite-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    rm -f "$dir.part/etc/apt/sources.list"
    rm -f "$dir.part"/var/cache/apt/archives/*.deb
    # A host name and a resolver, as any installed system has.
    cp /etc/resolv.conf "$dir.part/etc/resolv.conf"
    echo "$suite-test" >"$dir.part/etc/hostname"
    touch "$dir.part/.complete"
    mv "$dir.part" "$dir"
  fi
  echo "$dir"
}

mounted_under() { awk -v d="$1" '$2 == d || index($2, d "/") == 1 { print $2 }' \
  /proc/self/mounts | sort -r; }

# keep ARCHIVES DIR: links (or copies) the .deb files of ARCHIVES into DIR.
keep() {
  local debs=("$1"/*.deb)
  [ -e "${debs[0]}" ] || return 0
  mkdir -p "$2"
  cp -l -n "${debs[@]}" "$2/" 2>/dev/null || cp -n "${debs[@]}" "$2/"
}

drop() {
  local dir=$1 m suite
  [ -e "$dir" ] || return 0
  suite=$(cat "$dir/.suite" 2>/dev/null || true)
  [ -z "$suite" ] || keep "$dir/var/cache/apt/archives" "$cache/$suite-archives" ||
    true
  for m in $(mounted_under "$(realpath "$dir")"); do
    umount "$m" 2>/dev/null || umount -l "$m"
  done
  rm -rf --one-file-system "$dir"
}

make_root() {
  local suite=$1 dir=$2 from
  from=$(base "$suite")
  drop "$dir"
  mkdir -p "$(dirname "$dir")"
  cp -a "$from" "$dir"
  echo "$suite" >"$dir/.suite"
  keep "$cache/$suite-archives" "$dir/var/cache/apt/archives"
  mount -t proc proc "$dir/proc"
  mount -t sysfs sysfs "$dir/sys"
  mount --rbind /dev "$dir/dev"
  mount --make-rslave "$dir/dev"
  mkdir -p "$dir/dev/shm"
  mountpoint -q "$dir/dev/shm" || mount -t tmpfs -o mode=1777 shm "$dir/dev/shm"
  mount -t tmpfs -o mode=1777 tmp "$dir/tmp"
  # Keep downloaded packages for the next copy.
  echo 'Binary::apt::APT::Keep-Downloaded-Packages "true";' \
    >"$dir/etc/apt/apt.conf.d/01keep-debs"
  rm -f "$dir/etc/apt/apt.conf.d/docker-clean"
  echo "$dir"
}

run() {
  local dir=$1
  shift
  chroot "$dir" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    DEBIAN_FRONTEND=noninteractive "$@"
}

case "${1:-}" in
  make) [ $# -eq 3 ] || die "usage: root.sh make SUITE DIR"; make_root "$2" "$3" ;;
  run) [ $# -ge 3 ] || die "usage: root.sh run DIR CMD..."; run "${@:2}" ;;
  drop) [ $# -eq 2 ] || die "usage: root.sh drop DIR"; drop "$2" ;;
  *) die "usage: root.sh make SUITE DIR | run DIR CMD... | drop DIR" ;;
esac
